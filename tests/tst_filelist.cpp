// The file list's rules without any window: admission, rows, the model and the folder search.
#include "app/FileEntry.h"
#include "app/FileListModel.h"
#include "app/FolderSearch.h"

#include "TestFiles.h"

#include <QAbstractItemModelTester>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

class TestFileList : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void admissionIsCaseSensitiveAndLooksAtTheWholePath()
    {
        for (const char* path :
             {"/m/a.wav", "/m/a.b.mp3", "/m/a.aiff", "/m/a.aif", "/m/a.aiff/notes"})
            QVERIFY2(IsAdmittedFile(path), path);
        for (const char* path : {"/m/a.WAV", "/m/a.txt", "/m/noextension", "/m/a.wav/notes"})
            QVERIFY2(!IsAdmittedFile(path), path);
    }

    void rowsFromRealFiles()
    {
        QTemporaryDir dir;
        const QString wav = dir.filePath("live.set.wav");
        QVERIFY(touch(wav, QByteArray(1234, 'x')));
        QFile file(wav);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime(QDate(2024, 3, 1), QTime(0, 0)),
                                 QFileDevice::FileModificationTime));
        file.close();
        const auto entry = MakeFileEntry(wav);
        QVERIFY(entry);
        QCOMPARE(entry->text(FileEntry::NameColumn), QString("live.set.wav"));
        QCOMPARE(entry->text(FileEntry::FolderColumn), dir.path() + '/');
        QCOMPARE(entry->text(FileEntry::SizeColumn), QString("1234"));
        QCOMPARE(entry->fullPath(), wav);
        QVERIFY(!entry->type.isEmpty());
        // A file modified at midnight shows its date alone.
        QCOMPARE(entry->text(FileEntry::DateColumn),
                 QLocale().toString(QDate(2024, 3, 1), QLocale::ShortFormat));

        // A hidden file keeps its name; a refused, missing or folder path gives no row.
        for (const char* name : {".hidden.mp3", "a.WAV", "x.aiff/notes"})
            QVERIFY(touch(dir.filePath(name)));
        QDir().mkpath(dir.filePath("folder.wav"));
        QCOMPARE(MakeFileEntry(dir.filePath(".hidden.mp3"))->name, QString(".hidden.mp3"));
        QCOMPARE(MakeFileEntry(dir.filePath("x.aiff/notes"))->name, QString("notes"));
        for (const char* name : {"a.WAV", "missing.wav", "folder.wav"})
            QVERIFY(!MakeFileEntry(dir.filePath(name)));

        // 2 GiB and more keep their true size (a sparse file takes no disk space).
        QFile big(dir.filePath("big.wav"));
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(qint64(5) << 30));
        big.close();
        QCOMPARE(MakeFileEntry(big.fileName())->text(FileEntry::SizeColumn), QString("5368709120"));
    }

    void modelAddsRemovesAndClears()
    {
        FileListModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QString("Fichier"));
        QVERIFY(model.setHeaderData(4, Qt::Horizontal, "Kind"));
        QCOMPARE(model.headerData(4, Qt::Horizontal).toString(), QString("Kind"));

        QList<FileEntry> rows;
        for (int i = 0; i < 200; ++i)
            rows << row(QString("f%1.wav").arg(i));
        model.append(rows);
        model.append(row("f0.wav")); // duplicates are allowed
        QCOMPARE(model.rowCount(), 201);
        QCOMPARE(model.data(model.index(200, 0)).toString(), QString("f0.wav"));

        // Few runs: removed run by run; repeated and out-of-range numbers are ignored.
        model.removeRowNumbers({5, 3, 4, 4, 100, -1, 999});
        QCOMPARE(model.rowCount(), 197);
        QVERIFY(model.entry(3).name == "f6.wav" && model.entry(97).name == "f101.wav");

        // Many runs: one pass, the order of the kept rows unchanged.
        QList<int> everyOther;
        for (int r = 0; r < model.rowCount(); r += 2)
            everyOther << r;
        const QString keptFirst = model.entry(1).name;
        const QString keptLast = model.entry(model.rowCount() - 2).name;
        model.removeRowNumbers(everyOther);
        QCOMPARE(model.rowCount(), 98);
        QVERIFY(model.entry(0).name == keptFirst && model.entry(97).name == keptLast);
        model.removeRowNumbers({});
        model.clear();
        model.clear();
        QCOMPARE(model.rowCount(), 0);
    }

    void folderSearchIsDepthFirstAndCaseFree()
    {
        QTemporaryDir dir;
        for (const char* name :
             {"b.mp3", "a.wav", "Sub/c.wav", "Sub/Deeper/d.WAV", "Tail/e.wav", "z.wav"})
            QVERIFY(touch(dir.filePath("music/") + name));
        QDir().mkpath(dir.filePath("music/folder.wav")); // a folder, not a file

        QString path = dir.filePath("music");
        QList<FileEntry> rows;
        FindFilesAPI(path, "*.wav", rows);
        QCOMPARE(path, dir.filePath("music/"));
        const QString m = dir.filePath("music/");
        QCOMPARE(paths(rows), QStringList({m + "a.wav", m + "z.wav", m + "Sub/c.wav",
                                           m + "Sub/Deeper/d.WAV", m + "Tail/e.wav"}));
        QCOMPARE(rows[2].folder, m + "Sub/");

        // The same folder twice adds everything twice; an existing trailing "/" stays single.
        path = m;
        FindFilesAPI(path, "*.WAV", rows);
        QCOMPARE(path, m);
        QCOMPARE(rows.size(), 10);

        QList<FileEntry> mp3;
        path = m;
        FindFilesAPI(path, "*.mp3", mp3);
        QCOMPARE(paths(mp3), QStringList({m + "b.mp3"}));
    }

    void folderSearchSurvivesLinksAndOddNames()
    {
        QTemporaryDir dir;
        const QString m = dir.filePath("music/");
        QVERIFY(touch(m + "a.wav") && touch(m + "Sub/b.wav"));
        // A link back to the top would loop forever if it were followed blindly.
        QVERIFY(QFile::link(m, m + "Sub/loop"));
        QVERIFY(QFile::link(m + "nowhere", m + "broken.wav"));
        QVERIFY(touch(m + "line\nbreak \"quoted\" $(x).wav"));
        // A linked file is listed; a link to a sibling folder does not list its files twice;
        // a pipe named like a WAV is no file (reading it would wait forever); a folder that
        // may not be read is passed over.
        QVERIFY(QFile::link(m + "a.wav", m + "linked.wav"));
        QVERIFY(QFile::link(m + "Sub", m + "ToSub"));
        QCOMPARE(::mkfifo(QFile::encodeName(m + "pipe.wav").constData(), 0600), 0);
        QVERIFY(touch(m + "Locked/hidden.wav"));
        QVERIFY(QFile::setPermissions(m + "Locked", {}));
        const QByteArray latin1Name = QFile::encodeName(m) + "caf\xe9.wav"; // not UTF-8
        QVERIFY(::close(::creat(latin1Name.constData(), 0644)) == 0);

        QString path = m;
        QList<FileEntry> rows;
        {
            NoFileAccessOverride asAUser;
            FindFilesAPI(path, "*.wav", rows);
        }
        QVERIFY(QFile::setPermissions(m + "Locked",
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QCOMPARE(paths(rows), QStringList({m + "a.wav", m + "line\nbreak \"quoted\" $(x).wav",
                                           m + "linked.wav", m + "Sub/b.wav"}));

        // A path that is no folder, or does not exist, finds nothing.
        QList<FileEntry> none;
        path = m + "a.wav";
        FindFilesAPI(path, "*.wav", none);
        path = dir.filePath("missing");
        FindFilesAPI(path, "*.wav", none);
        QVERIFY(none.isEmpty());

        ::unlink(latin1Name.constData()); // Qt cannot remove what it cannot name

        QString text = QString("ab") + QChar(0) + "cd";
        QCOMPARE(StripNulls(text), QString("ab"));
        QCOMPARE(text, QString("ab"));
    }
};

QTEST_GUILESS_MAIN(TestFileList)
#include "tst_filelist.moc"
