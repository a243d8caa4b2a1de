// The conversion script and its run, without windows: the exact lines, the output names,
// hostile file names against the real shell and lame, failures that must stay failures.
#include "TestFiles.h"

#include "app/FileEntry.h"
#include "conversion/ConversionRun.h"
#include "conversion/ConversionScript.h"
#include "conversion/mdlFichier.h"
#include "conversion/mdlWait.h"
#include "mp3/clsMP3.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

FileEntry row(const QString& path)
{
    FileEntry entry;
    entry.name = SplitPath(path, NameWithExtension);
    entry.folder = path.left(path.size() - entry.name.size());
    return entry;
}

ConversionRequest request(const QStringList& sources, Direction direction = Direction::Encode)
{
    ConversionRequest r;
    for (const QString& s : sources)
        r.rows << row(s);
    r.optionsText = "-b 128";
    r.programFolder = "/opt/enc";
    r.direction = direction;
    return r;
}

// The command part of each line, without the check that follows it.
QStringList commands(const ConversionPlan& plan)
{
    QStringList result;
    for (const QString& line : plan.script.split('\n')) {
        const qsizetype check = line.indexOf("; quenzal_done ");
        if (check >= 0)
            result << line.left(check);
    }
    return result;
}

// The outputs, then each skipped row as "skip <row> <reason>".
QStringList outputs(const ConversionPlan& plan)
{
    QStringList result;
    for (const ScriptLine& line : plan.lines)
        result << line.output;
    for (const SkippedRow& skipped : plan.skipped)
        result << QString("skip %1 %2").arg(skipped.row).arg(skipped.reason);
    return result;
}

// A program folder whose lame is the real one, or a stand-in script given as text.
QString programFolder(const QTemporaryDir& dir, const QByteArray& standIn = {})
{
    const QString folder = dir.filePath("program");
    QDir().mkpath(folder);
    if (standIn.isEmpty()) {
        QFile::link(QStringLiteral(QUENZAL_LAME), folder + "/lame");
    } else {
        QFile lame(folder + "/lame");
        lame.open(QIODevice::WriteOnly);
        lame.write("#!/bin/sh\n" + standIn);
        lame.setPermissions(lame.permissions() | QFileDevice::ExeOwner);
    }
    return folder;
}

struct RunResult {
    int exitCode = 0;
    QList<int> failed;
    int finished = 0;
};

RunResult runScript(const ConversionPlan& plan, const QString& folder)
{
    const QString script = folder + "/Quenzal.sh";
    RunResult result;
    for (const QString& sub : plan.subfolders)
        QDir().mkpath(sub);
    if (!WriteTextFile(plan.script, script, false))
        return result;
    ConversionRun run(plan, script);
    if (!run.start())
        return result;
    result.exitCode = WaitProcess(run.process());
    result.failed = run.failedLines();
    result.finished = run.finishedLines();
    return result;
}

} // namespace

class TestConversion : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void linesAreExactlyAsDesigned()
    {
        const ConversionPlan encode = PlanConversion(request({"/music/a.wav", "/music/b.mp3"}));
        QCOMPARE(commands(encode),
                 QStringList({"\"/opt/enc/lame\" -b 128 \"/music/a.wav\" \"/music/Mp3/a.mp3\"",
                              "\"/opt/enc/lame\" -b 128 \"/music/b.mp3\" \"/music/Mp3/b.mp3\""}));
        QVERIFY(encode.script.startsWith("#!/bin/sh\n") && encode.script.endsWith("exit $rc\n"));
        QVERIFY(!encode.script.contains('\r'));
        QCOMPARE(encode.subfolders, QStringList({"/music/Mp3/"})); // once for both rows

        const ConversionPlan decode =
            PlanConversion(request({"/music/a.wav", "/music/b.mp3"}, Direction::Decode));
        QCOMPARE(commands(decode),
                 QStringList({"\"/opt/enc/lame\" --decode \"/music/a.wav\" \"/music/Wav/a.wav\"",
                              "\"/opt/enc/lame\" --decode \"/music/b.mp3\" \"/music/Wav/b.wav\""}));

        // The options text goes in unchanged: an empty one leaves two blanks; the preview's
        // trailing blank stays.
        ConversionRequest r = request({"/music/live.set.wav"});
        r.optionsText.clear();
        QCOMPARE(commands(PlanConversion(r)),
                 QStringList(
                     {"\"/opt/enc/lame\"  \"/music/live.set.wav\" \"/music/Mp3/live.set.mp3\""}));
        r.optionsText = "-b 192 -m j ";
        QCOMPARE(commands(PlanConversion(r)).first(),
                 QString("\"/opt/enc/lame\" -b 192 -m j  \"/music/live.set.wav\" "
                         "\"/music/Mp3/live.set.mp3\""));
        r.optionsText = "-b 128; touch /tmp/x $(id) `id`";
        QCOMPARE(commands(PlanConversion(r)).first(),
                 QString("\"/opt/enc/lame\" -b \"128;\" touch /tmp/x \"\\$(id)\" \"\\`id\\`\" "
                         "\"/music/live.set.wav\" \"/music/Mp3/live.set.mp3\""));

        r.outputFolder = "/out/"; // a chosen output folder: no sub-folder to create
        QVERIFY(PlanConversion(r).subfolders.isEmpty());
    }

    void outputNamesNeverCollide()
    {
        const QString decode = QString("skip 0 %1").arg(SkippedRow::CannotDecode);
        const QString repeated = QString("skip 2 %1").arg(SkippedRow::Repeated);
        const QString same = QString("skip 2 %1").arg(SkippedRow::SameAsSource);
        // AIFF: encoded by the main rule, skipped when decoding.
        QCOMPARE(outputs(PlanConversion(request({"/m/a.aiff", "/m/b.wav"}))),
                 QStringList({"/m/Mp3/a.mp3", "/m/Mp3/b.mp3"}));
        QCOMPARE(outputs(PlanConversion(request({"/m/a.aiff", "/m/b.wav"}, Direction::Decode))),
                 QStringList({"/m/Wav/b.wav", decode}));
        // Same base name twice, and the same file listed twice.
        QCOMPARE(outputs(PlanConversion(request({"/m/x.wav", "/m/x.mp3", "/m/x.wav", "/n/x.wav"}))),
                 QStringList({"/m/Mp3/x.mp3", "/m/Mp3/x (2).mp3", "/n/Mp3/x.mp3", repeated}));
        // An MP3 encoded into its own folder would be written onto itself: skipped.
        ConversionRequest r = request({"/a/x.wav", "/b/x.wav", "/out/y.mp3", "/out/z.wav"});
        r.outputFolder = "/out/";
        QCOMPARE(outputs(PlanConversion(r)),
                 QStringList({"/out/x.mp3", "/out/x (2).mp3", "/out/z.mp3", same}));
        // No output replaces another listed source.
        QCOMPARE(outputs(PlanConversion(request({"/m/a.wav", "/m/Mp3/a.mp3"}))),
                 QStringList({"/m/Mp3/a (2).mp3", "/m/Mp3/Mp3/a.mp3"}));
    }

    void outputFolderIsNormalised()
    {
        const QString home = QDir::homePath();
        const QList<std::pair<QString, QString>> cases = {
            {" /data/Out ", "/data/Out/"},         {"/data/Out/", "/data/Out/"},
            {" \r\n/data/Out\r\n ", "/data/Out/"}, {"  \r\n", ""},
            {"~/Music", home + "/Music/"},         {"-rf", home + "/-rf/"}};
        for (const auto& [typed, expected] : cases)
            QCOMPARE(NormaliseOutputFolder(typed), expected);
        QCOMPARE(ShellQuote("a\"b\\c$d`e"), QString("\"a\\\"b\\\\c\\$d\\`e\""));
    }

    void hostileNamesReachLameAsOneArgument()
    {
        QTemporaryDir dir;
        const QString folder = programFolder(dir);
        const QString music = dir.filePath("music/");
        QDir().mkpath(music);
        // Commands in names would run in the script's working folder, the program folder.
        const QString marker = "QZMARK";
        const QStringList names = {
            QString("say \"$(touch %1)\".wav").arg(marker),
            QString("tick `touch %1`.wav").arg(marker),
            QString("back\\slash \\\" end.wav"),
            QString("-leading dash.wav"),
            QString("  blanks  .wav"),
            QString("Été à Noël ♫.wav"),
            QString("semi;colon && touch %1 |.wav").arg(marker),
            QString("line\nbreak.wav"),
        };
        ConversionRequest r;
        r.programFolder = folder;
        r.optionsText = "--quiet -b 64";
        for (const QString& name : names) {
            QVERIFY(WriteSineWav(music + name, 1.0));
            r.rows << row(music + name);
        }
        const ConversionPlan plan = PlanConversion(r);
        QVERIFY(QDir().mkpath(music + "Mp3"));
        const RunResult result = runScript(plan, folder);
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.finished, names.size());
        QVERIFY(result.failed.isEmpty());
        QVERIFY2(!QFile::exists(folder + '/' + marker), "a file name ran a command");
        QVERIFY(!QFile::exists(marker));
        for (const QString& name : names) {
            clsMP3 mp3;
            mp3.setFileName(music + "Mp3/" + SplitPath(name, BaseName) + ".mp3");
            QVERIFY2(mp3.refresh(), qPrintable(name));
            QVERIFY(QFile::exists(music + name)); // sources are kept
        }
    }

    void failedLinesAreNeverASuccess()
    {
        QTemporaryDir dir;
        const QString folder = programFolder(dir);
        const QString music = dir.filePath("music/");
        QDir().mkpath(music + "Mp3");
        QVERIFY(WriteSineWav(music + "good.wav", 0.5));
        QVERIFY(WriteRefusedWav(music + "bad.wav"));

        // The failed line comes first: the good last line must not hide it.
        ConversionRequest r = request({music + "bad.wav", music + "good.wav"});
        r.programFolder = folder;
        r.deleteSources = true;
        const RunResult result = runScript(PlanConversion(r), folder);
        QVERIFY(result.exitCode != 0);
        QCOMPARE(result.failed, QList<int>({0}));
        QCOMPARE(result.finished, 2);
        QVERIFY(QFile::exists(music + "bad.wav"));   // a failed line keeps its source
        QVERIFY(!QFile::exists(music + "good.wav")); // a good one, asked to, removes it
        QVERIFY(QFileInfo(music + "Mp3/good.mp3").size() > 0);

        // A decode never deletes.
        ConversionRequest d = request({music + "Mp3/good.mp3"}, Direction::Decode);
        d.programFolder = folder;
        d.deleteSources = true;
        QDir().mkpath(music + "Mp3/Wav");
        QCOMPARE(runScript(PlanConversion(d), folder).exitCode, 0);
        QVERIFY(QFile::exists(music + "Mp3/good.mp3"));
    }

    void anEncoderThatWritesNothingFails()
    {
        // lame ends with 0 on some damaged input without writing anything: forced here.
        QTemporaryDir dir;
        const QString folder = programFolder(dir, "exit 0\n");
        const QString music = dir.filePath("music/");
        QDir().mkpath(music + "Mp3");
        QVERIFY(WriteSineWav(music + "a.wav", 0.2));
        ConversionRequest r = request({music + "a.wav"});
        r.programFolder = folder;
        r.deleteSources = true;
        const RunResult result = runScript(PlanConversion(r), folder);
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.failed, QList<int>({0}));
        QVERIFY(QFile::exists(music + "a.wav"));
    }
};

QTEST_GUILESS_MAIN(TestConversion)
#include "tst_conversion.moc"
