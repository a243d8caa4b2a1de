// The conversion script and its run, without windows: the exact lines, the output names,
// hostile file names against the real shell and lame, failures that must stay failures.
#include "TestFiles.h"

#include "conversion/ConversionRun.h"
#include "conversion/ConversionScript.h"
#include "mp3/Id3v1.h"
#include "mp3/clsMP3.h"
#include "settings/mdlFichier.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The lame command of each line, without the calls around it, with the line's output in place
// of the temporary file lame writes first.
QStringList commands(const ConversionPlan& plan)
{
    QStringList result;
    for (const ScriptLine& line : plan.lines) {
        const qsizetype begin = line.command.indexOf("; ") + 2;
        result << line.command.mid(begin, line.command.indexOf("; quenzal_done ") - begin)
                      .replace("\"$tmp\" </dev/null 2>&1", ShellQuote(line.output));
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

// A new program folder whose lame is the real one, or a stand-in script given as text.
QString programFolder(const QTemporaryDir& dir, const QByteArray& standIn = {})
{
    static int count = 0;
    const QString folder = dir.filePath(QString("program%1").arg(++count));
    if (!standIn.isEmpty())
        return StandInLame(folder, standIn);
    QDir().mkpath(folder);
    QFile::link(QStringLiteral(QUENZAL_LAME), folder + "/lame");
    return folder;
}

// Runs the plan's script (or another text) to its end.
RunResult run(ConversionPlan plan, const QString& script = {},
              const std::function<void(ConversionRun&)>& during = {}, int jobs = 1)
{
    for (const QString& sub : plan.subfolders)
        QDir().mkpath(sub);
    if (!script.isEmpty())
        plan.script = script;
    ConversionRun conversion(plan, jobs);
    QSignalSpy finished(&conversion, &ConversionRun::finished);
    if (during)
        QObject::connect(&conversion, &ConversionRun::output, [&] { during(conversion); });
    conversion.start();
    if (!finished.wait(120000))
        return {};
    return finished.at(0).at(0).value<RunResult>();
}

} // namespace

class TestConversion : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString music;

    QString wav(const QString& name, double seconds = 0.3)
    {
        return WriteSineWav(music + name, seconds) ? music + name : QString();
    }

    static ConversionRequest request(const QStringList& sources,
                                     Direction direction = Direction::Encode,
                                     const QString& programFolder = "/opt/enc")
    {
        ConversionRequest r;
        r.sources = sources;
        r.optionsText = "-b 128";
        r.programFolder = programFolder;
        r.direction = direction;
        return r;
    }

private Q_SLOTS:
    void init()
    {
        music = dir.filePath(QString("music%1/").arg(QTest::currentTestFunction()));
        QDir().mkpath(music);
    }

    void linesAndTheirMarkersAreExactlyAsDesigned()
    {
        const QString a = wav("a.wav"), b = wav("b.WAV"), set = wav("live.set.wav");
        // Upper-case extensions are converted like their lower-case twins.
        const ConversionPlan encode = PlanConversion(request({a, b}));
        QCOMPARE(commands(encode) + commands(PlanConversion(request({b}, Direction::Decode))),
                 QStringList(
                     {QString("\"/opt/enc/lame\" -b 128 \"%1\" \"%2Mp3/a.mp3\"").arg(a, music),
                      QString("\"/opt/enc/lame\" -b 128 \"%1\" \"%2Mp3/b.mp3\"").arg(b, music),
                      QString("\"/opt/enc/lame\" --decode \"%1\" \"%2Wav/b.wav\"").arg(b, music)}));
        QVERIFY(encode.script.startsWith("#!/bin/sh\n") && encode.script.endsWith("exit $rc\n") &&
                !encode.script.contains('\r'));
        QCOMPARE(encode.subfolders, QStringList({music + "Mp3/"})); // once for both rows

        // The options text goes in unchanged: an empty one leaves two blanks, the preview's
        // trailing blank stays; anything else is quoted word by word, quotes grouping words.
        ConversionRequest r = request({set});
        const QString tail = QString("\"%1\" \"%2Mp3/live.set.mp3\"").arg(set, music);
        const QList<std::pair<QString, QString>> options = {
            {"", "\"/opt/enc/lame\"  "},
            {"-b 192 -m j ", "\"/opt/enc/lame\" -b 192 -m j  "},
            {"-b 128; touch /tmp/x $(id) `id`",
             "\"/opt/enc/lame\" -b \"128;\" touch /tmp/x \"\\$(id)\" \"\\`id\\`\" "},
            {"--tt \"My Song\" --ta 'A \"B\"'",
             "\"/opt/enc/lame\" --tt \"My Song\" --ta \"A \\\"B\\\"\" "},
        };
        for (const auto& [text, start] : options) {
            r.optionsText = text;
            QCOMPARE(commands(PlanConversion(r)).first(), start + tail);
        }
        r.outputFolder = "/out/"; // a chosen output folder: no sub-folder to create
        QVERIFY(PlanConversion(r).subfolders.isEmpty());

        // The pipe may cut a marker in two; output between markers passes through unchanged.
        const QByteArray stream = "QUENZAL:begin 1\nlame says hi\nno end yet"
                                  "\nQUENZAL:done 1 0 1\nQUENZAL:done 9 junk\nlast";
        for (qsizetype cut = 0; cut <= stream.size(); ++cut) {
            RunOutputParser parser;
            QList<RunOutputParser::Event> events = parser.feed(stream.left(cut));
            events += parser.feed(stream.mid(cut));
            events += parser.finish();
            QString seen;
            for (const RunOutputParser::Event& e : events) {
                seen += e.kind == RunOutputParser::Event::Begin ? QString("B%1").arg(e.line)
                        : e.kind == RunOutputParser::Event::Done
                            ? QString("D%1/%2/%3").arg(e.line).arg(e.exitCode).arg(e.written)
                            : QString::fromUtf8(e.bytes);
            }
            QCOMPARE(seen, "B1lame says hi\nno end yet\nD1/0/1QUENZAL:done 9 junk\nlast");
        }
    }

    void outputNamesNeverCollide()
    {
        const QString aiff = music + "a.aiff";
        QVERIFY(touch(aiff, "FORM\0\0\0\0AIFF"_ba));
        const QString b = wav("b.wav"), x = wav("x.wav"), xm = wav("x.mp3"), nx = wav("n/x.wav");
        const QString z = wav("out/z.wav"), y = wav("out/y.mp3"), notAudio = music + "text.wav";
        QVERIFY(touch(notAudio, "just some text, renamed"));
        const auto skip = [](int row, SkippedRow::Reason reason) {
            return QString("skip %1 %2").arg(row).arg(reason);
        };
        // AIFF: encoded by the main rule, skipped when decoding; a .wav that is no audio is
        // skipped in both directions.
        QCOMPARE(
            outputs(PlanConversion(request({aiff, b, notAudio}))),
            QStringList({music + "Mp3/a.mp3", music + "Mp3/b.mp3", skip(2, SkippedRow::NotAudio)}));
        QCOMPARE(outputs(PlanConversion(request({aiff, b, notAudio}, Direction::Decode))),
                 QStringList({music + "Wav/b.wav", skip(0, SkippedRow::CannotDecode),
                              skip(2, SkippedRow::NotAudio)}));
        // Same base name twice, and the same file listed twice (also written differently).
        QCOMPARE(outputs(PlanConversion(request({x, xm, music + "./x.wav", nx}))),
                 QStringList({music + "Mp3/x.mp3", music + "Mp3/x (2).mp3", music + "n/Mp3/x.mp3",
                              skip(2, SkippedRow::Repeated)}));
        // An MP3 encoded into its own folder would be written onto itself: skipped. The output
        // folder is compared cleaned, however it was typed.
        for (const QString& folder : {music + "out/", music + "out//", music + "./out/./"}) {
            ConversionRequest r = request({x, nx, y, z});
            r.outputFolder = folder;
            QCOMPARE(outputs(PlanConversion(r)),
                     QStringList({music + "out/x.mp3", music + "out/x (2).mp3", music + "out/z.mp3",
                                  skip(2, SkippedRow::SameAsSource)}));
        }
        // No output replaces another listed source, nor (through a hard link) the source.
        const QString inMp3 = wav("Mp3/b.mp3");
        QCOMPARE(outputs(PlanConversion(request({b, inMp3}))),
                 QStringList({music + "Mp3/b (2).mp3", music + "Mp3/Mp3/b.mp3"}));
        const QString linked = wav("h/song.mp3");
        QVERIFY(QDir().mkpath(music + "h/Mp3"));
        QCOMPARE(::link(QFile::encodeName(linked), QFile::encodeName(music + "h/Mp3/song.mp3")), 0);
        QCOMPARE(outputs(PlanConversion(request({linked}))),
                 QStringList({skip(0, SkippedRow::SameAsSource)}));

        // The output folder as typed, and as it is used.
        const QString home = QDir::homePath();
        QStringList used;
        for (const char* typed : {" /data/Out ", "/data/Out/", " \r\n/data/Out\r\n ", "  \r\n",
                                  "~/Music", "-rf", "/x/out//", "/x/./a/../out"})
            used << NormaliseOutputFolder(typed);
        QCOMPARE(used, QStringList({"/data/Out/", "/data/Out/", "/data/Out/", "", home + "/Music/",
                                    home + "/-rf/", "/x/out/", "/x/out/"}));
    }

    void hostileNamesReachLameAsOneArgument()
    {
        // Commands in names would run in the script's working folder, the home folder.
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
        ConversionRequest r = request({}, Direction::Encode, programFolder(dir));
        r.optionsText = "--quiet -b 64 --tt \"Été 2 words\"";
        for (const QString& name : names)
            r.sources << wav(name, 1.0);
        const RunResult result = run(PlanConversion(r));
        QVERIFY(result.succeeded());
        QVERIFY2(!QDir::home().exists(marker), "a file name ran a command");
        QVERIFY(!QFile::exists(marker));
        for (const QString& name : names) {
            const QString mp3 = music + "Mp3/" + SplitPath(name, BaseName) + ".mp3";
            clsMP3 header;
            header.setFileName(mp3);
            QVERIFY2(header.refresh(), qPrintable(name));
            QCOMPARE(ReadId3v1(mp3)->title.section(QChar(0), 0, 0), "Été 2 words"); // one argument
            QVERIFY(QFile::exists(music + name)); // sources are kept
        }
    }

    void failuresStayFailuresAndSourcesStay()
    {
        // A decode never deletes its source, even when asked to.
        const QString folder = programFolder(dir);
        QVERIFY(
            run(PlanConversion(request({wav("good.wav")}, Direction::Encode, folder))).succeeded());
        ConversionRequest d = request({music + "Mp3/good.mp3"}, Direction::Decode, folder);
        d.deleteSources = true;
        QVERIFY(run(PlanConversion(d)).succeeded());
        QVERIFY(QFile::exists(music + "Mp3/good.mp3"));

        // An encoder that reads its input cannot take the script's next lines: both run.
        ConversionRequest q = request({wav("r1.wav"), wav("r2.wav")});
        q.optionsText = QString(20000, ' '); // lines longer than what the shell reads at once
        q.programFolder =
            programFolder(dir, "cat >/dev/null\nfor last; do :; done\nprintf x > \"$last\"\n");
        QVERIFY(run(PlanConversion(q)).succeeded());

        // Fewer lines ended than were planned: a failure, whatever the exit code says.
        const ConversionPlan plan = PlanConversion(request({wav("x.wav"), wav("y.wav")}));
        const RunResult result = run(plan, ScriptText({plan.lines.first()}));
        QVERIFY(!result.succeeded() && result.exitCode != 0);
        QCOMPARE(result.unfinishedLines, QList<int>({1}));

        // lame ends with 0 on some damaged input without writing anything: forced here, with
        // an older output of the same name in place. The line failed, the source stays.
        const QString source = wav("a.wav");
        QVERIFY(touch(music + "Mp3/a.mp3", "an older, finished file"));
        ConversionRequest z = request({source}, Direction::Encode, programFolder(dir, "exit 0\n"));
        z.deleteSources = true;
        const ConversionPlan zero = PlanConversion(z);
        QCOMPARE(zero.lines.first().output, music + "Mp3/a.mp3");
        QCOMPARE(run(zero).failedLines, QList<int>({0}));
        QVERIFY(QFile::exists(source));
        QCOMPARE(readBytes(music + "Mp3/a.mp3"), "an older, finished file");

        // Several real WAVs two at a time give the same MP3s, byte for byte, as one at a time;
        // a failing line among good ones fails alone, and the run with it.
        QStringList sources;
        for (int i = 0; i < 5; ++i)
            sources << wav(QString("t%1.wav").arg(i), 0.4 + 0.1 * i);
        QVERIFY(WriteRefusedWav(music + "bad.wav"));
        sources.insert(2, music + "bad.wav");
        const ConversionPlan sideBySide =
            PlanConversion(request(sources, Direction::Encode, folder));
        QList<QByteArray> outputs[2];
        for (const int jobs : {1, 2}) {
            const RunResult each = run(sideBySide, {}, {}, jobs);
            QVERIFY(!each.succeeded() && each.exitCode != 0 && each.unfinishedLines.isEmpty());
            QCOMPARE(each.failedLines, QList<int>({2}));
            for (const ScriptLine& line : sideBySide.lines) {
                outputs[jobs - 1] << readBytes(line.output);
                QFile::remove(line.output);
            }
        }
        QCOMPARE(outputs[1], outputs[0]);
        QVERIFY(outputs[0][0].size() > 1000 && outputs[0][2].isEmpty());
    }

    void stopLeavesNothingUnfinishedAndNothingOlderLost()
    {
        // Encoders that write part of their output (unless an older one is in place), say so,
        // then never end. What the stopped lines wrote goes; what they did not write stays.
        const QString folder = programFolder(
            dir, "for last; do :; done\n[ -e \"$last\" ] || printf partial > \"$last\"\n"
                 "echo working >&2\nexec sleep 600\n");
        QVERIFY(touch(music + "Mp3/b.mp3", "older"));
        const ConversionPlan plan = PlanConversion(
            request({wav("a.wav"), wav("b.wav"), wav("c.wav")}, Direction::Encode, folder));
        int started = 0;
        const RunResult result = run(
            plan, {},
            [&](ConversionRun& conversion) {
                if (++started == 2) // both running lines are under way
                    conversion.stop();
            },
            2);
        QVERIFY(result.stopped && !result.succeeded());
        QCOMPARE(result.unfinishedLines, QList<int>({0, 1, 2}));
        QVERIFY(!QFile::exists(music + "Mp3/a.mp3") && !QFile::exists(music + "Mp3/c.mp3"));
        QCOMPARE(readBytes(music + "Mp3/b.mp3"), "older");
        QTRY_COMPARE(ProcessesNaming(folder), 0);
    }
};

QTEST_GUILESS_MAIN(TestConversion)
#include "tst_conversion.moc"
