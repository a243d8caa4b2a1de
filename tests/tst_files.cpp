#include "TestFiles.h"
#include "conversion/mdlFichier.h"
#include "conversion/mdlMain.h"
#include "conversion/mdlWait.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

class TestFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pathsAndPatterns();
    void existsAndListFiles();
    void writeTextFile();
    void waitProcess();
};

void TestFiles::pathsAndPatterns()
{
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
                          GetExtension("/music/file"), GetFolder("/home/u/a.wav"),
                          ToOem("\"/x/été €.wav\" -b 128\r\n")}),
             (QStringList{"/home/u/Out", "", "a\r\nb\t", "fr", "", "ab", "", "WAV", "folder/file",
                          "", "/home/u", "\"/x/été €.wav\" -b 128\r\n"}));

    // Patterns match without regard to case, the whole name, and know nothing but * and ?.
    const auto m = [](const char* pattern, const char* name) {
        return WildcardPattern(pattern).matches(name);
    };
    QCOMPARE((QList<bool>{m("*.*", "noext"), m("*.MP3", "x.mp3"), m("é*.wav", "ÉTÉ.WAV"),
                          m("a*b*c", "aXbYbZc"), m("*.mp3", "x.mp3.bak"), m("?.wav", "ab.wav"),
                          m("a*b*c", "aXbYbZ"), m("[ab].wav", "a.wav")}),
             (QList<bool>{true, true, true, true, false, false, false, false}));
}

void TestFiles::existsAndListFiles()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + '/';
    for (const char* name : {"b.wav", "A.MP3", "c.txt", ".hidden.wav", "Recycled", "sub/in/x.wav"})
        QVERIFY(touch(folder + name));
    QVERIFY(QFile::link(folder + "sub", folder + "tosub"));
    QVERIFY(QFile::link(folder + "gone", folder + "dead"));
    QCOMPARE(::mkfifo(QFile::encodeName(folder + "pipe").constData(), 0600), 0);

    // A folder is no file; with both given, the two are simply put together.
    QCOMPARE((QList<bool>{Exists(folder + "b.wav"), Exists(folder + "sub"), Exists(folder + "dead"),
                          Exists(""), Exists("b.wav", folder), Exists("b.wav", dir.path()),
                          Exists("", folder), Exists({}, folder), Exists({}, dir.path()),
                          Exists({}, folder + "b.wav/"), Exists({}, folder + "missing/"),
                          Exists({}, {})}),
             (QList<bool>{true, false, false, false, true, false, false, true, true, false, false,
                          false}));

    // "Recycled" counts as a folder whatever it is; a pipe is never listed.
    QStringList listing;
    ListFiles(dir.path(), "*.*", listing, false);
    QCOMPARE(listing, QStringList({".hidden.wav", "A.MP3", "b.wav", "c.txt", ""}));
    ListFiles(folder, "*.*", listing, true);
    QCOMPARE(listing, QStringList({".hidden.wav", "A.MP3", "b.wav", "c.txt", "$DIR$Recycled",
                                   "$DIR$sub", "$DIR$tosub", ""}));
    // Patterns in their order, without regard to case; a name matching two is listed twice.
    ListFiles(dir.path(), "*.WAV; *.mp3;*.wav", listing, false);
    QCOMPARE(listing, QStringList({".hidden.wav", "b.wav", "A.MP3", ".hidden.wav", "b.wav", ""}));
    // Nothing found, in a missing folder, a file, or a folder holding only a folder: one empty
    // element, whatever the listing held before.
    for (const QString& nothing : {folder + "missing", folder + "b.wav", folder + "sub"}) {
        listing = QStringList{"old"};
        ListFiles(nothing, "*.*", listing, false);
        QCOMPARE(listing, QStringList{""});
    }
}

void TestFiles::writeTextFile()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Quenzal.sh"), locked = dir.filePath("locked");
    const char* old = "old script\n";
    // UTF-8; appending creates a missing file.
    QVERIFY(WriteTextFile("lame \"été\" €\n", file, true) && WriteTextFile("2\n", file, true));
    QCOMPARE(readBytes(file), "lame \"\xC3\xA9t\xC3\xA9\" \xE2\x82\xAC\n2\n");
    QVERIFY(WriteTextFile("", file, false) && QFileInfo::exists(file) && readBytes(file).isEmpty());

    // A rewrite keeps the file's permissions (the bits Qt adds for the current user aside).
    const auto mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup;
    QVERIFY(QFile::setPermissions(file, mode) && WriteTextFile(old, file, false));
    QCOMPARE(QFileInfo(file).permissions() & 0x7077, mode);

    // Refused, nothing created, the old file intact and no temporary file left: a missing
    // folder, a folder in place of the file, no path at all, a read-only file or folder (also
    // for root).
    QVERIFY(QFile::setPermissions(file, QFile::ReadOwner) && touch(locked + "/Quenzal.sh", old));
    QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
    bool refused = !writeFileWhole("", "x") && !WriteTextFile("x", locked + "/n", false);
    for (const QString& path : {dir.filePath("missing/Quenzal.sh"), dir.path(), QString(), file,
                                locked + "/Quenzal.sh"}) {
        for (const bool append : {false, true})
            refused = refused && !WriteTextFile("new", path, append);
    }
    QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
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

void TestFiles::waitProcess()
{
    // Exit codes are 8 bits; a process ended by a signal gives -1; one that cannot be waited
    // for (missing, not executable, a folder) counts as ended with 0.
    const auto run = [](const QString& program, const QStringList& arguments) {
        QProcess process;
        process.start(program, arguments);
        return WaitProcess(process);
    };
    QTemporaryDir dir;
    QVERIFY(touch(dir.filePath("script.sh"), "exit 4\n"));
    QCOMPARE((QList<int>{run("/bin/sh", {"-c", "exit 3"}), run("/bin/sh", {"-c", "exit 259"}),
                         run("/bin/sh", {"-c", "exit 255"}), run("/bin/sh", {"-c", "kill -9 $$"}),
                         run(dir.filePath("missing"), {}), run(dir.filePath("script.sh"), {}),
                         run(dir.path(), {})}),
             (QList<int>{3, 3, 255, -1, 0, 0, 0}));

    // Already ended: the code at once, as often as asked.
    QProcess ended;
    ended.start("/bin/sh", {"-c", "exit 5"});
    QVERIFY(ended.waitForFinished() && WaitProcess(ended) == 5 && WaitProcess(ended) == 5);

    // The child ends only when fed from the event loop: the wait must let events run.
    QProcess child;
    child.start("/bin/sh", {"-c", "read code; exit $code"});
    QMetaObject::invokeMethod(
        this, [&] { child.write("7\n"); }, Qt::QueuedConnection);
    QCOMPARE(WaitProcess(child), 7);
}

QTEST_GUILESS_MAIN(TestFiles)
#include "tst_files.moc"
