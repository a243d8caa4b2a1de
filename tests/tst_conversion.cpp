// The conversion script and its run, without windows: the exact lines, the output names,
// hostile file names against the real shell, and real runs of the real lame.
#include "Wav.h"

#include "app/FileEntry.h"
#include "conversion/ConversionRun.h"
#include "conversion/ConversionScript.h"
#include "conversion/mdlFichier.h"
#include "conversion/mdlWait.h"
#include "mp3/clsMP3.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
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

QStringList outputs(const ConversionPlan& plan)
{
    QStringList result;
    for (const ScriptLine& line : plan.lines)
        result << line.output;
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
    QByteArray output;
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
    QObject::connect(&run, &ConversionRun::output,
                     [&result](const QByteArray& bytes) { result.output += bytes; });
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
        QVERIFY(encode.script.startsWith("#!/bin/sh\n"));
        QVERIFY(encode.script.endsWith("exit $rc\n"));
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

        // A chosen output folder: no sub-folder, nothing to create.
        r.optionsText = "-b 128";
        r.outputFolder = "/out/";
        const ConversionPlan chosen = PlanConversion(r);
        QCOMPARE(outputs(chosen), QStringList({"/out/live.set.mp3"}));
        QVERIFY(chosen.subfolders.isEmpty());
    }

    void outputNamesNeverCollide()
    {
        // AIFF: encoded by the main rule, skipped when decoding.
        const ConversionPlan aifEncode = PlanConversion(request({"/m/a.aiff", "/m/b.wav"}));
        QCOMPARE(outputs(aifEncode), QStringList({"/m/Mp3/a.mp3", "/m/Mp3/b.mp3"}));
        const ConversionPlan aifDecode =
            PlanConversion(request({"/m/a.aiff", "/m/b.wav"}, Direction::Decode));
        QCOMPARE(outputs(aifDecode), QStringList({"/m/Wav/b.wav"}));
        QCOMPARE(aifDecode.skipped.size(), 1);
        QCOMPARE(aifDecode.skipped[0].reason, SkippedRow::CannotDecode);
        QCOMPARE(aifDecode.lines[0].row, 1);

        // Same base name twice, and the same file listed twice.
        const ConversionPlan twins =
            PlanConversion(request({"/m/x.wav", "/m/x.mp3", "/m/x.wav", "/n/x.wav"}));
        QCOMPARE(outputs(twins), QStringList({"/m/Mp3/x.mp3", "/m/Mp3/x (2).mp3", "/n/Mp3/x.mp3"}));
        QCOMPARE(twins.skipped.size(), 1);
        QCOMPARE(twins.skipped[0].reason, SkippedRow::Repeated);
        QCOMPARE(twins.skipped[0].row, 2);

        ConversionRequest same = request({"/a/x.wav", "/b/x.wav", "/out/y.mp3", "/out/z.wav"});
        same.outputFolder = "/out/";
        const ConversionPlan intoOne = PlanConversion(same);
        // An MP3 encoded into its own folder would be written onto itself: skipped.
        QCOMPARE(outputs(intoOne), QStringList({"/out/x.mp3", "/out/x (2).mp3", "/out/z.mp3"}));
        QCOMPARE(intoOne.skipped.size(), 1);
        QCOMPARE(intoOne.skipped[0].reason, SkippedRow::SameAsSource);

        // No output replaces another listed source.
        const ConversionPlan nested = PlanConversion(request({"/m/a.wav", "/m/Mp3/a.mp3"}));
        QCOMPARE(outputs(nested), QStringList({"/m/Mp3/a (2).mp3", "/m/Mp3/Mp3/a.mp3"}));
    }

    void outputFolderIsNormalised()
    {
        QCOMPARE(NormaliseOutputFolder(" /data/Out "), QString("/data/Out/"));
        QCOMPARE(NormaliseOutputFolder("/data/Out/"), QString("/data/Out/"));
        QCOMPARE(NormaliseOutputFolder(" \r\n/data/Out\r\n "), QString("/data/Out/"));
        QCOMPARE(NormaliseOutputFolder(""), QString());
        QCOMPARE(NormaliseOutputFolder("  \r\n"), QString());
        QCOMPARE(NormaliseOutputFolder("~/Music"), QDir::homePath() + "/Music/");
        QCOMPARE(NormaliseOutputFolder("-rf"), QDir::homePath() + "/-rf/");
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

    void realRunsEncodeAndDecode()
    {
        QTemporaryDir dir;
        const QString folder = programFolder(dir);
        const QString music = dir.filePath("music/");
        QDir().mkpath(music + "Mp3");
        QDir().mkpath(music + "Wav");
        QVERIFY(WriteSineWav(music + "one.wav", 1.5));
        QVERIFY(WriteSineWav(music + "two.wav", 1.5));

        ConversionRequest encode = request({music + "one.wav", music + "two.wav"});
        encode.programFolder = folder;
        encode.optionsText = "-b 96 -m s ";
        ConversionPlan plan = PlanConversion(encode);
        ConversionRun run(plan, folder + "/Quenzal.sh");
        QVERIFY(WriteTextFile(plan.script, folder + "/Quenzal.sh", false));
        QSignalSpy started(&run, &ConversionRun::fileStarted);
        QSignalSpy finished(&run, &ConversionRun::fileFinished);
        QVERIFY(run.start());
        QCOMPARE(WaitProcess(run.process()), 0);
        QCOMPARE(started.size(), 2);
        QCOMPARE(started[1][0].toInt(), 2);
        QCOMPARE(started[1][1].toString(), music + "two.wav");
        QCOMPARE(finished.size(), 2);
        QVERIFY(finished[0][1].toBool() && finished[1][1].toBool());
        for (const char* name : {"one", "two"}) {
            clsMP3 mp3;
            mp3.setFileName(music + "Mp3/" + QLatin1String(name) + ".mp3");
            QVERIFY(mp3.refresh());
            QCOMPARE(mp3.Bitrate(), 96000);
            QCOMPARE(mp3.ChannelModeText(), QString("Stereo"));
        }

        // Decode the MP3s back, VBR switches and a chosen output folder on the way.
        ConversionRequest decode =
            request({music + "Mp3/one.mp3", music + "Mp3/two.mp3"}, Direction::Decode);
        decode.programFolder = folder;
        const RunResult back = runScript(PlanConversion(decode), folder);
        QCOMPARE(back.exitCode, 0);
        QVERIFY(QFileInfo(music + "Mp3/Wav/one.wav").size() > 100000);

        ConversionRequest vbr = request({music + "one.wav"});
        vbr.programFolder = folder;
        vbr.optionsText = "-b 32 -m j -V 4 -B 256 -q 2 ";
        vbr.outputFolder = dir.filePath("chosen/");
        QDir().mkpath(vbr.outputFolder);
        QCOMPARE(runScript(PlanConversion(vbr), folder).exitCode, 0);
        clsMP3 mp3;
        mp3.setFileName(vbr.outputFolder + "one.mp3");
        QVERIFY(mp3.refresh());
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

    void stopEndsScriptAndEncoder()
    {
        // An encoder that starts its output and then never ends: only a stop can end it.
        QTemporaryDir dir;
        const QString folder = programFolder(dir, "for last; do :; done\n"
                                                  "printf partial > \"$last\"\n"
                                                  "exec sleep 600\n");
        const QString music = dir.filePath("music/");
        QDir().mkpath(music + "Mp3");
        QVERIFY(WriteSineWav(music + "a.wav", 0.2));
        QVERIFY(WriteSineWav(music + "b.wav", 0.2));
        ConversionRequest r = request({music + "a.wav", music + "b.wav"});
        r.programFolder = folder;
        const ConversionPlan plan = PlanConversion(r);
        QVERIFY(WriteTextFile(plan.script, folder + "/Quenzal.sh", false));
        ConversionRun run(plan, folder + "/Quenzal.sh");
        QVERIFY(run.start());
        QTRY_VERIFY(QFile::exists(music + "Mp3/a.mp3"));
        run.stop();
        QVERIFY(WaitProcess(run.process()) != 0);
        QVERIFY(run.wasStopped());
        QCOMPARE(run.finishedLines(), 0);
        QVERIFY(!QFile::exists(music + "Mp3/a.mp3")); // the unfinished output is gone
        QVERIFY(!QFile::exists(music + "Mp3/b.mp3"));
        QVERIFY(QFile::exists(music + "a.wav"));
    }
};

QTEST_GUILESS_MAIN(TestConversion)
#include "tst_conversion.moc"
