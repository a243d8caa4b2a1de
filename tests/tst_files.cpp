#include "app/ProgramValues.h"
#include "conversion/Desktop.h"
#include "conversion/mdlFichier.h"
#include "conversion/mdlMain.h"
#include "conversion/mdlWait.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

namespace {

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// Answers the folder picker and remembers what would have been opened.
class FakeDesktop : public Desktop {
public:
    QString folderAnswer;
    QString pickerTitle;
    QStringList opened;
    bool openResult = false;

    void showMessage(QObject*, const QString&, const QString&, Icon) override {}
    QStringList openFileNames(QObject*, const QString&, const QString&, const QString&) override
    {
        return {};
    }
    QString openFileName(QObject*, const QString&, const QString&, const QString&) override
    {
        return {};
    }
    QString saveFileName(QObject*, const QString&, const QString&, const QString&) override
    {
        return {};
    }
    QString pickFolder(QObject*, const QString& title) override
    {
        pickerTitle = title;
        return folderAnswer;
    }
    bool openDocument(const QString& target) override
    {
        opened << target;
        return openResult;
    }
};

int runShell(const QString& script)
{
    QProcess process;
    process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script});
    return WaitProcess(process);
}

} // namespace

class TestFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void splitPath_data();
    void splitPath();
    void textHelpers();
    void desktopHelpers();
    void exists();
    void wildcards();
    void listFiles();
    void writeTextFile();
    void writeTextFileFailures();
    void waitProcess();
    void waitProcessKeepsEventsGoing();
    void programValuesPresets();
};

void TestFiles::splitPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("parts"); // parts 1 to 4

    QTest::newRow("two dots") << "/music/live.set.wav"
                              << QStringList{"live.set.wav", "live.set", "wav", ".wav"};
    QTest::newRow("no dot") << "/music/track" << QStringList{"track", "track", "", "."};
    QTest::newRow("final dot") << "track." << QStringList{"track.", "track", "", "."};
    QTest::newRow("dot in folder only")
        << "/my.folder/file" << QStringList{"file", "file", "", "."};
    QTest::newRow("hidden file") << "/home/.wav" << QStringList{".wav", "", "wav", ".wav"};
    // A backslash is part of a Linux file name, never a separator.
    QTest::newRow("backslash in a name")
        << "/music/AC\\DC.mp3" << QStringList{"AC\\DC.mp3", "AC\\DC", "mp3", ".mp3"};
    QTest::newRow("trailing separator") << "/music/" << QStringList{"", "", "", "."};
    QTest::newRow("empty") << "" << QStringList{"", "", "", "."};
}

void TestFiles::splitPath()
{
    QFETCH(QString, path);
    QFETCH(QStringList, parts);
    for (int part = 1; part <= 4; ++part)
        QCOMPARE(SplitPath(path, part), parts.at(part - 1));
    QCOMPARE(SplitPath(path, 0), QString());
    QCOMPARE(SplitPath(path, 5), QString());
    QCOMPARE(SplitPath(path, -1), QString());
}

void TestFiles::textHelpers()
{
    const QChar nul(0);
    QCOMPARE(CleanString(QString()), QString());
    QCOMPARE(CleanString(QStringLiteral("\r\n") + nul + QStringLiteral("\n\r")), QString());
    QCOMPARE(CleanString(QStringLiteral(" \r\n/home/u/Out\r\n ")), QStringLiteral("/home/u/Out"));
    QCOMPARE(CleanString(nul + QStringLiteral(" a b ") + nul), QStringLiteral("a b"));
    QCOMPARE(CleanString(QStringLiteral("a\r\nb")), QStringLiteral("a\r\nb"));
    QCOMPARE(CleanString(QStringLiteral("\tx\t")), QStringLiteral("\tx\t"));
    QCOMPARE(CleanString(QStringLiteral("   ")), QString());

    QCOMPARE(StripExtension(QStringLiteral("fr.ui.lng")), QStringLiteral("fr"));
    QCOMPARE(StripExtension(QStringLiteral(".lng")), QString());
    QCOMPARE(StripExtension(QStringLiteral("plain")), QStringLiteral("plain"));

    QCOMPARE(CutAtNull(QStringLiteral("ab") + nul + QStringLiteral("cd") + nul),
             QStringLiteral("ab"));
    QCOMPARE(CutAtNull(QStringLiteral("abc")), QStringLiteral("abc"));
    QCOMPARE(CutAtNull(nul + QStringLiteral("x")), QString());

    QCOMPARE(GetExtension(QStringLiteral("/music/a.b.WAV")), QStringLiteral("WAV"));
    QCOMPARE(GetExtension(QStringLiteral("/my.folder/file")), QStringLiteral("folder/file"));
    QCOMPARE(GetExtension(QStringLiteral("/music/file")), QString());
    QCOMPARE(GetExtension(QStringLiteral("file.")), QString());

    QCOMPARE(GetFolder(QStringLiteral("/home/u/a.wav")), QStringLiteral("/home/u"));
    QCOMPARE(GetFolder(QStringLiteral("/home/u/")), QStringLiteral("/home/u"));
    QCOMPARE(GetFolder(QStringLiteral("/a.wav")), QString());

    // The console reads UTF-8: nothing to convert.
    const QString text = QStringLiteral("\"/x/été €.wav\" -b 128\r\n");
    QCOMPARE(ToOem(text), text);
    QCOMPARE(ToOem(QStringLiteral("plain ascii")), QStringLiteral("plain ascii"));
}

void TestFiles::desktopHelpers()
{
    FakeDesktop desktop;
    desktop.folderAnswer = QStringLiteral("/home/u/Music/");
    QCOMPARE(BrowseForFolder(desktop, nullptr, QStringLiteral("Dossier de sortie")),
             QStringLiteral("/home/u/Music"));
    QCOMPARE(desktop.pickerTitle, QStringLiteral("Dossier de sortie"));
    desktop.folderAnswer = QStringLiteral("/");
    QCOMPARE(BrowseForFolder(desktop, nullptr, QString()), QStringLiteral("/"));
    desktop.folderAnswer = QStringLiteral("/a//b/./c");
    QCOMPARE(BrowseForFolder(desktop, nullptr, QString()), QStringLiteral("/a/b/c"));
    desktop.folderAnswer.clear(); // cancelled
    QCOMPARE(BrowseForFolder(desktop, nullptr, QString()), QString());

    // Whatever the desktop answers, opening is not reported.
    OpenDocument(desktop, QStringLiteral("mailto:someone@example.org"));
    desktop.openResult = true;
    OpenDocument(desktop, QStringLiteral("/home/u/Lisez moi.txt"));
    QCOMPARE(desktop.opened, (QStringList{QStringLiteral("mailto:someone@example.org"),
                                          QStringLiteral("/home/u/Lisez moi.txt")}));
}

void TestFiles::exists()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.path() + QLatin1Char('/');
    const QString file = dir.filePath(QStringLiteral("lame"));
    QVERIFY(writeBytes(file, "x"));
    QVERIFY(QDir().mkdir(dir.filePath(QStringLiteral("sub"))));
    QVERIFY(
        QFile::link(dir.filePath(QStringLiteral("gone")), dir.filePath(QStringLiteral("dead"))));

    QVERIFY(Exists(file));
    QVERIFY(!Exists(dir.filePath(QStringLiteral("sub")))); // a folder is no file
    QVERIFY(!Exists(dir.filePath(QStringLiteral("missing"))));
    QVERIFY(!Exists(dir.filePath(QStringLiteral("dead"))));
    QVERIFY(!Exists(QString()));

    QVERIFY(Exists(QStringLiteral("lame"), folder));
    QVERIFY(!Exists(QStringLiteral("lame"), dir.path())); // plain concatenation
    QVERIFY(!Exists(QStringLiteral("sub"), folder));
    QVERIFY(!Exists(QString(), folder));
    QVERIFY(!Exists(QStringLiteral("lame"), QString()));

    QVERIFY(Exists(std::nullopt, folder));
    QVERIFY(Exists(std::nullopt, dir.path()));
    QVERIFY(Exists(std::nullopt, dir.filePath(QStringLiteral("sub/"))));
    QVERIFY(!Exists(std::nullopt, file + QLatin1Char('/')));
    QVERIFY(!Exists(std::nullopt, dir.filePath(QStringLiteral("missing/"))));
    QVERIFY(!Exists(std::nullopt, QString()));
    QVERIFY(!Exists(std::nullopt, std::nullopt));
}

void TestFiles::wildcards()
{
    struct Case {
        const char* pattern;
        const char* name;
        bool matches;
    };
    const Case cases[] = {
        {"*.*", "noext", true},
        {"*", "", true},
        {"*.mp3", "x.MP3", true},
        {"*.MP3", "x.mp3", true},
        {"*.mp3", "x.mp3.bak", false},
        {"*.mp3", "mp3", false},
        {"?.wav", "a.wav", true},
        {"?.wav", "ab.wav", false},
        {"a*b*c", "aXbYbZc", true},
        {"a*b*c", "aXbYbZ", false},
        {"*ab", "aab", true},
        {"**x", "x", true},
        {"", "", true},
        {"", "a", false},
        {"é*.wav", "ÉTÉ.WAV", true},
        {"[ab].wav", "a.wav", false},
        {"[ab].wav", "[ab].wav", true},
    };
    for (const Case& c : cases) {
        QVERIFY2(WildcardPattern(QString::fromUtf8(c.pattern)).matches(QString::fromUtf8(c.name)) ==
                     c.matches,
                 qPrintable(QStringLiteral("%1 / %2").arg(c.pattern, c.name)));
    }
}

void TestFiles::listFiles()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto make = [&](const char* name) {
        return writeBytes(dir.filePath(name), "x");
    };
    QVERIFY(make("b.wav"));
    QVERIFY(make("A.MP3"));
    QVERIFY(make("c.txt"));
    QVERIFY(make(".hidden.wav"));
    QVERIFY(make("Recycled")); // counts as a folder whatever it is
    QVERIFY(QDir().mkdir(dir.filePath(QStringLiteral("sub"))));
    QVERIFY(writeBytes(dir.filePath(QStringLiteral("sub/inner.wav")), "x"));
    QVERIFY(
        QFile::link(dir.filePath(QStringLiteral("sub")), dir.filePath(QStringLiteral("tosub"))));
    QVERIFY(
        QFile::link(dir.filePath(QStringLiteral("gone")), dir.filePath(QStringLiteral("dead"))));
    QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("pipe"))).constData(), 0600),
             0);

    QStringList listing;
    ListFiles(dir.path(), QStringLiteral("*.*"), listing, false);
    QCOMPARE(listing, (QStringList{".hidden.wav", "A.MP3", "b.wav", "c.txt", ""}));

    ListFiles(dir.path() + QLatin1Char('/'), QStringLiteral("*.*"), listing, true);
    QCOMPARE(listing, (QStringList{".hidden.wav", "A.MP3", "b.wav", "c.txt", "$DIR$Recycled",
                                   "$DIR$sub", "$DIR$tosub", ""}));

    // Patterns in their order, without regard to case; a name matching two is listed twice.
    ListFiles(dir.path(), QStringLiteral("*.WAV; *.mp3;*.wav"), listing, false);
    QCOMPARE(listing, (QStringList{".hidden.wav", "b.wav", "A.MP3", ".hidden.wav", "b.wav", ""}));
    // Nothing found: one empty element, whatever the listing held before.
    ListFiles(dir.path(), QStringLiteral("*.ogg"), listing, false);
    QCOMPARE(listing, QStringList{""});
    ListFiles(dir.path(), QString(), listing, true);
    QCOMPARE(listing, QStringList{""});
    listing = QStringList{QStringLiteral("old"), QStringLiteral("x")};
    ListFiles(dir.filePath(QStringLiteral("missing")), QStringLiteral("*.*"), listing, true);
    QCOMPARE(listing, QStringList{""});
    listing = QStringList{QStringLiteral("old")};
    ListFiles(dir.filePath(QStringLiteral("b.wav")), QStringLiteral("*.*"), listing, true);
    QCOMPARE(listing, QStringList{""});

    // A folder holding only folders, listed without them.
    QTemporaryDir onlyFolders;
    QVERIFY(QDir().mkdir(onlyFolders.filePath(QStringLiteral("a"))));
    listing.clear();
    ListFiles(onlyFolders.path(), QStringLiteral("*.*"), listing, false);
    QCOMPARE(listing, QStringList{""});
    ListFiles(onlyFolders.path(), QStringLiteral("*.*"), listing, true);
    QCOMPARE(listing, (QStringList{"$DIR$a", ""}));

    // A link to its own folder is reported, never entered.
    QVERIFY(QFile::link(onlyFolders.path(), onlyFolders.filePath(QStringLiteral("loop"))));
    ListFiles(onlyFolders.path(), QStringLiteral("*"), listing, true);
    QCOMPARE(listing, (QStringList{"$DIR$a", "$DIR$loop", ""}));
}

void TestFiles::writeTextFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("Quenzal.sh"));

    QVERIFY(WriteTextFile(QStringLiteral("lame \"été\" €\n"), file, false));
    QCOMPARE(readBytes(file), QByteArray("lame \"\xC3\xA9t\xC3\xA9\" \xE2\x82\xAC\n"));
    QVERIFY(WriteTextFile(QStringLiteral("second\n"), file, true));
    QCOMPARE(readBytes(file), QByteArray("lame \"\xC3\xA9t\xC3\xA9\" \xE2\x82\xAC\nsecond\n"));
    QVERIFY(WriteTextFile(QStringLiteral("replaced"), file, false));
    QCOMPARE(readBytes(file), QByteArray("replaced"));
    QVERIFY(WriteTextFile(QString(), file, false));
    QCOMPARE(readBytes(file), QByteArray());
    QVERIFY(QFileInfo::exists(file));

    // Appending to a missing file creates it.
    const QString fresh = dir.filePath(QStringLiteral("fresh.txt"));
    QVERIFY(WriteTextFile(QStringLiteral("a"), fresh, true));
    QCOMPARE(readBytes(fresh), QByteArray("a"));

    // A rewrite keeps the file's permissions.
    QVERIFY(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ExeOwner | QFileDevice::ReadGroup));
    QVERIFY(WriteTextFile(QStringLiteral("#!/bin/sh\n"), file, false));
    // Owner, group and others; the bits Qt adds for the current user do not count.
    QCOMPARE(QFileInfo(file).permissions() & 0x7077,
             QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                 QFileDevice::ReadGroup);

    // No temporary file is left behind.
    QCOMPARE(filesIn(dir.path()), (QStringList{"Quenzal.sh", "fresh.txt"}));
}

void TestFiles::writeTextFileFailures()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray old = "old script\n";

    // Missing folder: reported, and nothing is created.
    const QString missing = dir.filePath(QStringLiteral("missing/Quenzal.sh"));
    QVERIFY(!WriteTextFile(QStringLiteral("x"), missing, false));
    QVERIFY(!WriteTextFile(QStringLiteral("x"), missing, true));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("missing"))));

    // Read-only file, also for root: reported, the old file intact.
    const QString readOnly = dir.filePath(QStringLiteral("ro.sh"));
    QVERIFY(writeBytes(readOnly, old));
    QVERIFY(QFile::setPermissions(readOnly, QFileDevice::ReadOwner));
    QVERIFY(!WriteTextFile(QStringLiteral("new"), readOnly, false));
    QVERIFY(!WriteTextFile(QStringLiteral("new"), readOnly, true));
    QCOMPARE(readBytes(readOnly), old);

    // Read-only folder: reported, the old file intact, no temporary file.
    const QString locked = dir.filePath(QStringLiteral("locked"));
    QVERIFY(QDir().mkdir(locked));
    const QString inLocked = locked + QStringLiteral("/Quenzal.sh");
    QVERIFY(writeBytes(inLocked, old));
    QVERIFY(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const bool replaced = WriteTextFile(QStringLiteral("new"), inLocked, false);
    const bool appended = WriteTextFile(QStringLiteral("new"), inLocked, true);
    const bool created = WriteTextFile(QStringLiteral("new"), locked + QStringLiteral("/n"), false);
    QVERIFY(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner));
    QVERIFY(!replaced);
    QVERIFY(!appended);
    QVERIFY(!created);
    QCOMPARE(readBytes(inLocked), old);
    QCOMPARE(filesIn(locked), QStringList{QStringLiteral("Quenzal.sh")});

    // A folder where the file should be, and no path at all.
    const QString folder = dir.filePath(QStringLiteral("folder"));
    QVERIFY(QDir().mkdir(folder));
    QVERIFY(!WriteTextFile(QStringLiteral("x"), folder, false));
    QVERIFY(!WriteTextFile(QStringLiteral("x"), folder, true));
    QVERIFY(QFileInfo(folder).isDir());
    QVERIFY(!WriteTextFile(QStringLiteral("x"), QString(), false));
    QVERIFY(!writeFileWhole(QString(), "x"));
}

void TestFiles::waitProcess()
{
    QCOMPARE(runShell(QStringLiteral("exit 3")), 3);
    QCOMPARE(runShell(QStringLiteral("exit 0")), 0);
    QCOMPARE(runShell(QStringLiteral("exit 259")), 3); // exit codes are 8 bits
    QCOMPARE(runShell(QStringLiteral("exit 255")), 255);
    // Ended by a signal.
    QCOMPARE(runShell(QStringLiteral("kill -9 $$")), -1);

    // Already ended: the code at once.
    QProcess ended;
    ended.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("exit 5")});
    QVERIFY(ended.waitForFinished());
    QCOMPARE(WaitProcess(ended), 5);
    QCOMPARE(WaitProcess(ended), 5);

    // Cannot be waited for: counts as ended with 0.
    QProcess never;
    QCOMPARE(WaitProcess(never), 0);
    QTemporaryDir dir;
    const QString notExecutable = dir.filePath(QStringLiteral("script.sh"));
    QVERIFY(writeBytes(notExecutable, "exit 4\n"));
    for (const QString& program :
         {dir.filePath(QStringLiteral("missing")), notExecutable, dir.path()}) {
        QProcess failed;
        failed.start(program, {});
        QCOMPARE(WaitProcess(failed), 0);
    }
}

void TestFiles::waitProcessKeepsEventsGoing()
{
    // The child ends only when it is fed from a timer: the wait must let events run.
    QProcess child;
    child.start(QStringLiteral("/bin/sh"),
                {QStringLiteral("-c"), QStringLiteral("read code; exit $code")});
    int ticks = 0;
    QTimer feeder;
    feeder.setInterval(0);
    connect(&feeder, &QTimer::timeout, this, [&] {
        if (++ticks == 3)
            child.write("7\n");
    });
    feeder.start();
    QCOMPARE(WaitProcess(child), 7);
    QVERIFY(ticks >= 3);
}

void TestFiles::programValuesPresets()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ProgramValues values;
    values.programFolder = dir.path();
    QCOMPARE(values.lamePath(), dir.filePath(QStringLiteral("lame")));
    QCOMPARE(values.langueFolder(), dir.filePath(QStringLiteral("Langue")));
    QCOMPARE(values.presetFolder(), dir.filePath(QStringLiteral("Preset")));

    // No preset chosen yet: reads are empty, writes fail.
    QCOMPARE(values.ReadIniValue(QStringLiteral("General"), QStringLiteral("Bitrate")), QString());
    QCOMPARE(values.WriteIniValue(QStringLiteral("General"), QStringLiteral("Bitrate"),
                                  QStringLiteral("128")),
             QStringLiteral("0"));

    // Reads use the open-preset path, writes the save-preset path.
    const QByteArray opened = "[General]\r\nDescription=  Voix claire  \r\nBitrate=96\r\n";
    values.openPresetPath = dir.filePath(QStringLiteral("Preset/open.qzo"));
    values.savePresetPath = dir.filePath(QStringLiteral("Preset/save.qzo"));
    QVERIFY(QDir().mkdir(values.presetFolder()));
    QVERIFY(writeBytes(values.openPresetPath, opened));
    QCOMPARE(values.ReadIniValue(QStringLiteral("general"), QStringLiteral("description")),
             QStringLiteral("Voix claire"));
    QCOMPARE(values.ReadIniValue(QStringLiteral("General"), QStringLiteral("Description"), 5),
             QStringLiteral("Voix"));
    QCOMPARE(
        values.WriteIniValue(QStringLiteral("VBR"), QStringLiteral("Qualité"), QStringLiteral("4")),
        QStringLiteral("1"));
    QCOMPARE(readBytes(values.savePresetPath), QByteArray("[VBR]\r\nQualit\xE9=4\r\n"));
    QCOMPARE(readBytes(values.openPresetPath), opened);
    QCOMPARE(values.ReadIniValue(QStringLiteral("VBR"), QStringLiteral("Qualité")), QString());

    // A save preset that cannot be written reports "0" and stays as it was.
    QVERIFY(QFile::setPermissions(values.savePresetPath, QFileDevice::ReadOwner));
    QCOMPARE(
        values.WriteIniValue(QStringLiteral("VBR"), QStringLiteral("Qualité"), QStringLiteral("9")),
        QStringLiteral("0"));
    QCOMPARE(readBytes(values.savePresetPath), QByteArray("[VBR]\r\nQualit\xE9=4\r\n"));

    values.options.Bitrate = 128;
    values.options.Mode = 3;
    values.BuildLameCommand();
    QCOMPARE(values.CommandeLame, QStringLiteral("-b 128 -m m"));
}

QTEST_GUILESS_MAIN(TestFiles)
#include "tst_files.moc"
