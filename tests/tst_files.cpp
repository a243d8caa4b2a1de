// Files without any window: the path and file helpers, the script writer, and the file list's
// rules (admission, rows, the model and the folder search).
#include "app/FileEntry.h"
#include "app/FileListModel.h"
#include "app/FolderSearch.h"
#include "conversion/OutputTree.h"
#include "settings/mdlFichier.h"
#include "settings/mdlMain.h"

#include "TestFiles.h"

#include <QAbstractItemModelTester>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QStringList paths(const QList<FileEntry>& rows)
{
    QStringList result;
    for (const FileEntry& row : rows)
        result << row.fullPath();
    return result;
}

FileEntry row(const QString& name)
{
    FileEntry entry;
    entry.name = name;
    entry.folder = QStringLiteral("/music/");
    return entry;
}

} // namespace

class TestFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rowsFromRealFiles()
    {
        // Admission takes any case and looks at the whole path.
        QStringList admitted;
        for (const char* path :
             {"/m/a.wav", "/m/a.b.mp3", "/m/a.aiff", "/m/a.aif", "/m/a.aiff/notes", "/m/a.WAV",
              "/m/a.txt", "/m/noextension", "/m/a.wav/notes"})
            admitted << (IsAdmittedFile(path) ? path : "");
        QCOMPARE(admitted, (QStringList{"/m/a.wav", "/m/a.b.mp3", "/m/a.aiff", "/m/a.aif",
                                        "/m/a.aiff/notes", "/m/a.WAV", "", "", ""}));

        QTemporaryDir dir;
        const QString wav = dir.filePath("live.set.wav");
        QVERIFY(touch(wav, QByteArray(1234, 'x')));
        QFile file(wav);
        QVERIFY(file.open(QIODevice::ReadWrite) &&
                file.setFileTime(QDateTime(QDate(2024, 3, 1), QTime(0, 0)),
                                 QFileDevice::FileModificationTime));
        const auto entry = MakeFileEntry(wav);
        QVERIFY(entry && !entry->type.isEmpty());
        // A file modified at midnight shows its date alone.
        QCOMPARE(
            (QStringList{entry->text(FileEntry::NameColumn), entry->text(FileEntry::FolderColumn),
                         entry->text(FileEntry::SizeColumn), entry->fullPath(),
                         entry->text(FileEntry::DateColumn)}),
            (QStringList{"live.set.wav", dir.path() + '/', "1234", wav,
                         QLocale().toString(QDate(2024, 3, 1), QLocale::ShortFormat)}));

        // A hidden file keeps its name; a refused, missing or folder path gives no row.
        for (const char* name : {".hidden.mp3", "a.WAV", "x.aiff/notes"})
            QVERIFY(touch(dir.filePath(name)));
        QDir().mkpath(dir.filePath("folder.wav"));
        QCOMPARE(MakeFileEntry(dir.filePath(".hidden.mp3"))->name + '|' +
                     MakeFileEntry(dir.filePath("x.aiff/notes"))->name + '|' +
                     MakeFileEntry(dir.filePath("a.WAV"))->name,
                 ".hidden.mp3|notes|a.WAV");
        QVERIFY(!MakeFileEntry(dir.filePath("missing.wav")) &&
                !MakeFileEntry(dir.filePath("folder.wav")));

        // 2 GiB and more keep their true size (a sparse file takes no disk space).
        QFile big(dir.filePath("big.wav"));
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(qint64(5) << 30));
        QCOMPARE(MakeFileEntry(big.fileName())->text(FileEntry::SizeColumn), QString("5368709120"));
    }

    void modelAddsRemovesAndClears()
    {
        FileListModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QList<FileEntry> rows;
        for (int i = 0; i < 200; ++i)
            rows << row(QString("f%1.wav").arg(i));
        model.append(rows);
        model.append(row("f0.wav")); // duplicates are allowed
        QVERIFY(model.rowCount() == 201 && model.data(model.index(200, 0)).toString() == "f0.wav");

        // Few runs: removed run by run; repeated and out-of-range numbers are ignored.
        model.removeRowNumbers({5, 3, 4, 4, 100, -1, 999});
        QVERIFY(model.rowCount() == 197 && model.entry(3).name == "f6.wav" &&
                model.entry(97).name == "f101.wav");

        // Many runs: one pass, the order of the kept rows unchanged.
        QList<int> everyOther;
        for (int r = 0; r < model.rowCount(); r += 2)
            everyOther << r;
        const QString keptFirst = model.entry(1).name, keptLast = model.entry(195).name;
        model.removeRowNumbers(everyOther);
        QVERIFY(model.rowCount() == 98 && model.entry(0).name == keptFirst &&
                model.entry(97).name == keptLast);
        model.removeRowNumbers({});
        model.clear();
        model.clear();
        QCOMPARE(model.rowCount(), 0);
    }

    void folderSearchIsDepthFirstAndSurvivesLinksAndOddNames()
    {
        QTemporaryDir dir;
        const QString m = dir.filePath("music/");
        for (const char* name : {"b.mp3", "a.wav", "Sub/c.wav", "Sub/Deeper/d.WAV", "Tail/e.wav",
                                 "z.wav", "line\nbreak \"quoted\" $(x).wav", "Locked/hidden.wav"})
            QVERIFY(touch(m + name));
        QDir().mkpath(m + "folder.wav"); // a folder, not a file
        // A link back to the top would loop forever if it were followed blindly.
        QVERIFY(QFile::link(m, m + "Sub/loop"));
        QVERIFY(QFile::link(m + "nowhere", m + "broken.wav"));
        // A linked file is listed; a link to a sibling folder does not list its files twice;
        // a pipe named like a WAV is no file (reading it would wait forever); a folder that
        // may not be read is passed over.
        QVERIFY(QFile::link(m + "a.wav", m + "linked.wav"));
        QVERIFY(QFile::link(m + "Sub", m + "ToSub"));
        QCOMPARE(::mkfifo(QFile::encodeName(m + "pipe.wav").constData(), 0600), 0);
        QVERIFY(QFile::setPermissions(m + "Locked", {}));
        const QByteArray latin1Name = QFile::encodeName(m) + "caf\xe9.wav"; // not UTF-8
        QVERIFY(::close(::creat(latin1Name.constData(), 0644)) == 0);

        // Files before sub-folders, patterns without regard to case; "/" is added to the path.
        QString path = dir.filePath("music");
        QList<FileEntry> rows;
        {
            NoFileAccessOverride asAUser;
            FindFilesAPI(path, "*.wav", rows);
        }
        QVERIFY(QFile::setPermissions(m + "Locked",
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QCOMPARE(path, m);
        QCOMPARE(paths(rows), QStringList({m + "a.wav", m + "line\nbreak \"quoted\" $(x).wav",
                                           m + "linked.wav", m + "z.wav", m + "Sub/c.wav",
                                           m + "Sub/Deeper/d.WAV", m + "Tail/e.wav"}));
        QCOMPARE(rows[4].folder, m + "Sub/");

        // The same folder twice adds everything twice; an existing trailing "/" stays single.
        FindFilesAPI(path, "*.WAV", rows);
        QVERIFY(path == m && rows.size() == 15); // Locked may be read now

        // A path that is no folder, or does not exist, finds nothing.
        QList<FileEntry> none;
        for (QString nowhere : {m + "a.wav", dir.filePath("missing")})
            FindFilesAPI(nowhere, "*.wav", none);
        QVERIFY(none.isEmpty());

        ::unlink(latin1Name.constData()); // Qt cannot remove what it cannot name
    }

    void pathsAndPatterns()
    {
        // The tree kept under an output folder: the deepest folder holding every source, by
        // whole components; sources of one folder make no sub-folder.
        const QStringList library{"/music/A/x.wav", "/music/B/C/y.wav", "/music/B/z.wav"};
        QCOMPARE(
            (QStringList{DeepestCommonFolder(library),
                         TreeOutputFolder("/out/", "/music/", library[0]),
                         TreeOutputFolder("/out/", "/music/", library[1]),
                         DeepestCommonFolder({"/music/ab/x.wav", "/music/a/y.wav"}),
                         DeepestCommonFolder({"/x.wav", "/music/y.wav"}),
                         TreeOutputFolder("/out/", "/music/A/", "/music/A/x.wav"),
                         DeepestCommonFolder({"/music/A/x.wav"})}),
            (QStringList{"/music/", "/out/A/", "/out/B/C/", "/music/", "/", "/out/", "/music/A/"}));

        // A backslash is part of a Linux file name, never a separator.
        const QString live = "/music/live.set.wav";
        QCOMPARE((QStringList{SplitPath(live, 2), SplitPath(live, 4), SplitPath(live, 5),
                              SplitPath("/my.folder/track", 4), SplitPath("track.", 2),
                              SplitPath("track.", 3), SplitPath("/music/AC\\DC.mp3", 1)}),
                 (QStringList{"live.set", ".wav", "", ".", "track", "", "AC\\DC.mp3"}));
        QCOMPARE((QStringList{CleanString(" \r\n/home/u/Out\r\n "), CleanString(u"\r\n\0\n\r"_s),
                              CleanString(u"\0 a\r\nb\t "_s), StripExtension("fr.ui.lng"),
                              StripExtension(".lng"), CutAtNull(u"ab\0cd\0"_s), CutAtNull(u"\0x"_s),
                              GetExtension("/music/a.b.WAV"), GetExtension("/my.folder/file"),
                              GetExtension("/music/file")}),
                 (QStringList{"/home/u/Out", "", "a\r\nb\t", "fr", "", "ab", "", "WAV",
                              "folder/file", ""}));

        // Patterns match without regard to case, the whole name, and know nothing but * and ?.
        const auto m = [](const char* pattern, const char* name) {
            return WildcardPattern(pattern).matches(name);
        };
        QCOMPARE((QList<bool>{m("*.*", "noext"), m("*.MP3", "x.mp3"), m("é*.wav", "ÉTÉ.WAV"),
                              m("a*b*c", "aXbYbZc"), m("*.mp3", "x.mp3.bak"), m("?.wav", "ab.wav"),
                              m("a*b*c", "aXbYbZ"), m("[ab].wav", "a.wav")}),
                 (QList<bool>{true, true, true, true, false, false, false, false}));
    }

    void existsAndListFiles()
    {
        QTemporaryDir dir;
        const QString folder = dir.path() + '/';
        for (const char* name :
             {"b.wav", "A.MP3", "c.txt", ".hidden.wav", "Recycled", "sub/in/x.wav"})
            QVERIFY(touch(folder + name));
        QVERIFY(QFile::link(folder + "sub", folder + "tosub"));
        QVERIFY(QFile::link(folder + "gone", folder + "dead"));
        QCOMPARE(::mkfifo(QFile::encodeName(folder + "pipe").constData(), 0600), 0);

        // A folder is no file; with both given, the two are simply put together.
        QCOMPARE((QList<bool>{Exists(folder + "b.wav"), Exists(folder + "sub"),
                              Exists(folder + "dead"), Exists(""), Exists("b.wav", folder),
                              Exists("b.wav", dir.path()), Exists("", folder), Exists({}, folder),
                              Exists({}, dir.path()), Exists({}, folder + "b.wav/"),
                              Exists({}, folder + "missing/"), Exists({}, {})}),
                 (QList<bool>{true, false, false, false, true, false, false, true, true, false,
                              false, false}));

        // "Recycled" counts as a folder whatever it is; a pipe is never listed.
        QStringList listing;
        ListFiles(dir.path(), "*.*", listing, false);
        QCOMPARE(listing, QStringList({".hidden.wav", "A.MP3", "b.wav", "c.txt", ""}));
        ListFiles(folder, "*.*", listing, true);
        QCOMPARE(listing, QStringList({".hidden.wav", "A.MP3", "b.wav", "c.txt", "$DIR$Recycled",
                                       "$DIR$sub", "$DIR$tosub", ""}));
        // Patterns in their order, without regard to case; a name matching two is listed twice.
        ListFiles(dir.path(), "*.WAV; *.mp3;*.wav", listing, false);
        QCOMPARE(listing,
                 QStringList({".hidden.wav", "b.wav", "A.MP3", ".hidden.wav", "b.wav", ""}));
        // Nothing found, in a missing folder, a file, or a folder holding only a folder: one empty
        // element, whatever the listing held before.
        for (const QString& nothing : {folder + "missing", folder + "b.wav", folder + "sub"}) {
            listing = QStringList{"old"};
            ListFiles(nothing, "*.*", listing, false);
            QCOMPARE(listing, QStringList{""});
        }
    }

    void writeTextFile()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("Quenzal.sh"), locked = dir.filePath("locked");
        const char* old = "old script\n";
        // UTF-8; appending creates a missing file.
        QVERIFY(WriteTextFile("lame \"été\" €\n", file, true) && WriteTextFile("2\n", file, true));
        QCOMPARE(readBytes(file), "lame \"\xC3\xA9t\xC3\xA9\" \xE2\x82\xAC\n2\n");
        QVERIFY(WriteTextFile("", file, false) && QFileInfo::exists(file) &&
                readBytes(file).isEmpty());

        // A rewrite keeps the file's permissions (the bits Qt adds for the current user aside).
        const auto mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup;
        QVERIFY(QFile::setPermissions(file, mode) && WriteTextFile(old, file, false));
        QCOMPARE(QFileInfo(file).permissions() & 0x7077, mode);

        // Refused, nothing created, the old file intact and no temporary file left: a missing
        // folder, a folder in place of the file, no path at all, a read-only file or folder (also
        // for root).
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner) &&
                touch(locked + "/Quenzal.sh", old));
        QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
        bool refused = !writeFileWhole("", "x") && !WriteTextFile("x", locked + "/n", false);
        for (const QString& path : {dir.filePath("missing/Quenzal.sh"), dir.path(), QString(), file,
                                    locked + "/Quenzal.sh"})
            for (const bool append : {false, true})
                refused = refused && !WriteTextFile("new", path, append);
        QVERIFY(
            QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(refused);
        QCOMPARE(readBytes(file) + readBytes(locked + "/Quenzal.sh"), QByteArray(old).repeated(2));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList({"locked", "Quenzal.sh"}));
        QCOMPARE(QDir(locked).entryList(QDir::Files | QDir::Hidden), QStringList{"Quenzal.sh"});

        // A full disk: the write fails and the old file stays whole.
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner));
        {
            FileSizeLimit full(100);
            QVERIFY(!WriteTextFile(QString(5000, 'x'), file, false));
            QVERIFY(!WriteTextFile(QString(200000, 'x'), file, false));
        }
        QCOMPARE(readBytes(file), old);
    }
};

QTEST_GUILESS_MAIN(TestFiles)
#include "tst_files.moc"
