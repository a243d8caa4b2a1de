// The console window of conversion runs and the terminal model under it, fed the real
// encoder's output and whatever else a pipe carries, under offscreen Qt.
#include "Control.h"
#include "TestFiles.h"

#include "conversion/ConsoleScreen.h"
#include "conversion/frmConsole.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

namespace {

QStringList screenLines(const QByteArray& bytes)
{
    ConsoleScreen screen;
    screen.feed(bytes);
    return screen.lines();
}

// The state column of a file's row, as the window shows it.
QString rowState(frmConsole& console, int number)
{
    return control<QTreeView>(&console, "lstFichiers")
        ->model()
        ->index(number - 1, ConsoleRows::StateColumn)
        .data()
        .toString();
}

} // namespace

class tst_Console : public QObject {
    Q_OBJECT

private Q_SLOTS:

    // Only what the encoder uses acts (CR, BS, tab, cursor up, clear in line); every other sequence
    // is dropped whole, no control character gets through, nothing grows without end.
    void badInput()
    {
        const int columns = ConsoleScreen::kMaxColumns;
        const std::pair<QByteArray, QStringList> cases[] = {
            {"abc\b\bX\tY", {"aXc     Y"}},
            {"one\ntwo\nthree\033[2AX", {"one  X", "two", "three"}},
            {"\033[1;31ma\033[0m\033[?25lb\033[5Cc\033[2Dd\033[He\033[2J", {"abcde"}},
            {"\033]0;title\007a\033]2;title\033\\b\033(Bc\033)0d\0337e\0338", {"abcde"}},
            {"abc\r\033\033[?Kx", {"xbc"}},
            {"a\033]never ended\nb", {"a", "b"}},
            {"abc\033[1\rX\033\nc", {"Xbc", "c"}}, // a broken sequence lets the character act
            {QByteArray("a\0b\007c\177d\fe\302\233f", 12), {"abcdef"}},
            {"a\377\376b", {QStringLiteral("a\uFFFD\uFFFDb")}},
            {"a\nb\033[99999999999999999999A\rX", {"X", "b"}},
            {"ab\033[" + QByteArray(100000, '1') + "Kc", {"abc"}},
            {QByteArray(columns * 2 + 3, 'x') + '\n' + QByteArray(columns, '\t') + 'x',
             {QString(columns, 'x'), QString(columns, 'x'), "xxx",
              QString(columns - 1, ' ') + 'x'}},
        };
        for (const auto& [bytes, expected] : cases)
            QCOMPARE(screenLines(bytes), expected);
        QByteArray noise;
        for (int i = 0; i < 20000; ++i)
            noise += char((i * 7919 + i / 13) & 0xff);
        for (const QChar c : screenLines(noise).join(QString()))
            QVERIFY(c.unicode() >= 0x20 && (c.unicode() < 0x7f || c.unicode() > 0x9f));
    }

    // The progress reported after each step's bytes: at a line's start only, held to 100. Then
    // "cursor up" never climbs into an earlier file's output, above a note of Quenzal's own, nor
    // more than fifty lines; a new file or a note starts below all that a stopped encoder left.
    void progressAndWhereLinesGo()
    {
        ConsoleScreen screen;
        const std::pair<const char*, std::optional<int>> steps[] = {
            {"\r     0/       ( 0%)|\r    10/116    ( 8%)|\r    50/116    (43%)|", 43},
            {"\n\rFrame#     1/3     128 kbps\rFrame#     2/3     128 kbps", 66},
            {"\n\r   9/9    (250%)|", 100},
            {"\nFrame#     5/4  \n", 100},
            {"Frame#     5/0  \nFrame# 99999999999999999999/1  \nFrame#    10/2", std::nullopt},
            {"\ninput:  Frame#  1/2 .mp3\ncopy of  10/20 (50%)|\n", std::nullopt},
            {"    10/20    (50%)|", 50},
        };
        for (const auto& [bytes, expected] : steps) {
            screen.feed(bytes);
            QCOMPARE(screen.takeFileProgress(), expected);
        }

        screen.clear();
        screen.feed("1/2 (50%)|\n");
        screen.resetFileProgress();
        QCOMPARE(screen.takeFileProgress(), std::nullopt); // the new file has shown none yet
        screen.feed("second\n\033[9A\rX");
        screen.addLine(QStringLiteral("two\nlines\twith \033[31mcontrols")); // a file name, say
        screen.feed("a\nb\n\033[5A\rY");
        screen.addLine(QStringLiteral("note"));
        screen.feed("c\nd\033[A");
        screen.resetFileProgress();
        screen.feed("\033[A\rZ");
        QCOMPARE(screen.lines(),
                 (QStringList{"1/2 (50%)|", "Xecond", "two", "lineswith [31mcontrols", "Y", "b",
                              "note", "c", "d", "Z"}));

        // Past the cap the oldest lines go, and the cursor moves with them.
        screen.clear();
        const int cap = ConsoleScreen::kMaxLines;
        QByteArray bytes;
        for (int i = 0; i < cap; ++i)
            bytes += "line " + QByteArray::number(i) + '\n';
        screen.feed(bytes + "\033[A\rX\nnext\n");
        QCOMPARE(screen.lines().mid(cap - 3).join('|'), QString("Xine %1|next|").arg(cap - 1));
        screen.feed("\033[1000A\rX");
        QCOMPARE(screen.lines().at(cap - 51), QString("Xine %1").arg(cap - 49));
        screen.feed("\033");
        screen.clear(); // a half-read sequence does not outlive it
        QCOMPARE(screen.droppedLineCount(), 0);
        screen.feed("[Kx");
        QCOMPARE(screen.lines(), QStringList{"[Kx"});
    }

    // Fed the real encoder's outputs in small pieces as a pipe delivers them, the window shows the
    // screen a terminal would, redrawn in place, without a control character. (Files side by
    // side are followed end to end in tst_run.)
    void windowShowsRealEncoderOutputAndCounts()
    {
        QTemporaryDir folder;
        QVERIFY(WriteSineWav(folder.filePath("in.wav"), 1.5));
        const char* runs[] = {"-b 128 in.wav cbr.mp3", "-V 2 in.wav vbr.mp3",
                              "--decode cbr.mp3 d.wav"};
        frmConsole console;
        console.beginRun({"cbr.mp3", "vbr.mp3", "d.wav"}, {QStringLiteral("a note")});
        QCOMPARE(control<QPlainTextEdit>(&console, "txtSortie")->toPlainText(),
                 QStringLiteral("a note\n")); // shown at once
        ConsoleScreen reference;
        reference.addLine(QStringLiteral("a note"));
        for (int file = 1; file <= 3; ++file) {
            const QStringList arguments = QString(runs[file - 1]).split(QLatin1Char(' '));
            QProcess lame;
            lame.setWorkingDirectory(folder.path());
            lame.start(QStringLiteral(QUENZAL_LAME), arguments);
            QVERIFY(lame.waitForFinished(120000) && lame.exitCode() == 0);
            const QByteArray bytes = lame.readAllStandardError();
            // Cut anywhere, as a pipe may cut it, the output gives the same screen.
            ConsoleScreen whole;
            whole.feed(bytes);
            for (qsizetype cut = 0; cut <= bytes.size(); cut += 3) {
                ConsoleScreen screen;
                screen.feed(bytes.left(cut));
                screen.feed(bytes.mid(cut));
                QVERIFY2(screen.lines() == whole.lines(),
                         qPrintable(QString("cut at %1").arg(cut)));
            }
            const QString text = whole.text();
            QVERIFY(!text.contains(QChar(0x1b)) && !text.contains('\r') && !text.contains('\b'));
            QCOMPARE(text.count(arguments[0] == "--decode" ? "Frame#" : "%)|"), 1); // the last one
            QCOMPARE(text.count(QStringLiteral(" 64 [")), arguments[0] == "-V" ? 1 : 0);

            console.startFile(file);
            reference.resetFileProgress();
            QTRY_COMPARE(control<QLabel>(&console, "lblFichier")->text(), arguments.last());
            QCOMPARE(console.windowTitle(), QString("Quenzal — fichier %1 sur 3").arg(file));
            QCOMPARE(control<QProgressBar>(&console, "prgFichier")->value(),
                     0); // a new file's bar starts empty
            for (qsizetype at = 0; at < bytes.size(); at += 7) {
                console.appendOutput(file, bytes.mid(at, 7));
                reference.feed(bytes.mid(at, 7));
                if (at % 700 == 0) // a redraw now and then, in the middle of it all
                    QTRY_COMPARE(control<QPlainTextEdit>(&console, "txtSortie")->toPlainText(),
                                 reference.text());
            }
            QTRY_COMPARE(control<QPlainTextEdit>(&console, "txtSortie")->toPlainText(),
                         reference.text());
            QTRY_COMPARE(control<QProgressBar>(&console, "prgFichier")->value(), 100);
            QTRY_COMPARE(rowState(console, file), QString("En cours (100 %)"));
            console.finishFile(file, true);
            QTRY_COMPARE(control<QProgressBar>(&console, "prgTotal")->value(), file);
            QTRY_COMPARE(rowState(console, file), QString("Terminé"));
        }

        // A failed file's bar is not filled; a file reported twice, or one that is not in the run,
        // moves the count neither back nor past the end; a new run starts from nothing.
        console.beginRun({"a.mp3", "b.mp3", "c.mp3"}, {});
        console.startFile(2);
        console.finishFile(2, false);
        console.finishFile(2, false);
        console.finishFile(1, false);
        QTRY_COMPARE(control<QProgressBar>(&console, "prgTotal")->value(), 2);
        QCOMPARE(control<QProgressBar>(&console, "prgFichier")->value(), 0);
        console.finishFile(9, true); // no such file
        QTRY_COMPARE(control<QProgressBar>(&console, "prgTotal")->value(), 2);
        console.appendOutput(0, "output\n");
        console.beginRun({}, {});
        QCOMPARE(control<QPlainTextEdit>(&console, "txtSortie")->toPlainText() + '|' +
                     control<QProgressBar>(&console, "prgTotal")->text(),
                 "|0 / 0");
        QTRY_COMPARE(control<QProgressBar>(&console, "prgFichier")->value(), 0);

        // The view drops the same oldest lines as the screen under it, lines it had shown included.
        ConsoleScreen capped;
        for (const int count : {ConsoleScreen::kMaxLines - 1000, 1000}) {
            QByteArray bytes;
            for (int i = 0; i < count; ++i)
                bytes += "line " + QByteArray::number(i) + '\n';
            console.appendOutput(0, bytes);
            capped.feed(bytes);
            QTRY_COMPARE(control<QPlainTextEdit>(&console, "txtSortie")->toPlainText(),
                         capped.text());
        }
        QCOMPARE(control<QPlainTextEdit>(&console, "txtSortie")->document()->blockCount(),
                 ConsoleScreen::kMaxLines);
    }

    // A clean end closes the window, any other leaves it open with a summary till the user closes
    // it; Stop asks once (button or close box), and works while the main window is disabled.
    void endOfTheRun()
    {
        QWidget main;
        main.show();
        auto* console = new frmConsole(&main);
        QSignalSpy stop(console, &frmConsole::stopRequested);
        QSignalSpy closed(console, &frmConsole::closed);
        QSignalSpy closeAsked(console, &frmConsole::closeDuringRun);
        console->beginRun({"a.wav"}, {});
        console->endRun(0, {}, false);
        QVERIFY(!console->isVisible() && !console->isRunning() && closed.size() == 1);

        console->beginRun({"a.wav", "b.wav"}, {});
        console->appendOutput(0, "Warning: unsupported audio format\n");
        console->endRun(1, {QStringLiteral("a.wav"), QStringLiteral("b.wav")}, false);
        QVERIFY(console->isVisible() && control<QPushButton>(console, "cmdFermer")->isEnabled());
        QCOMPARE(control<QLabel>(console, "lblFichier")->text(),
                 QStringLiteral("Fichiers non convertis : 2"));
        QVERIFY(control<QPlainTextEdit>(console, "txtSortie")
                    ->toPlainText()
                    .endsWith(
                        QStringLiteral("format\n\nFichiers non convertis :\n  a.wav\n  b.wav\n")));
        console->beginRun({"a.wav"}, {});
        console->endRun(127, {}, false); // with no file to name, the exit code
        QVERIFY(console->isVisible() && closed.size() == 1);
        QCOMPARE(control<QPlainTextEdit>(console, "txtSortie")->toPlainText(),
                 QStringLiteral("\nLa conversion s'est terminée sur une erreur (code 127).\n"));

        console->beginRun({"a.wav", "b.wav"}, {});
        main.setEnabled(false);
        QTest::keyClick(console, Qt::Key_Escape); // no stop by accident
        QVERIFY(stop.isEmpty());
        QTest::mouseClick(control<QPushButton>(console, "cmdStop"), Qt::LeftButton);
        console->close(); // already stopping: nothing more to ask
        QVERIFY(stop.size() == 1 && closeAsked.isEmpty() && console->isVisible() &&
                !control<QPushButton>(console, "cmdStop")->isEnabled());
        console->endRun(143, {QStringLiteral("b.wav")}, true);
        QVERIFY(control<QPlainTextEdit>(console, "txtSortie")
                    ->toPlainText()
                    .endsWith(QStringLiteral(
                        "La conversion a été arrêtée.\nFichiers non convertis :\n  b.wav\n")));
        QTest::mouseClick(control<QPushButton>(console, "cmdFermer"), Qt::LeftButton);
        QVERIFY(!console->isVisible() && closed.size() == 2);
        console->beginRun({"a.wav"}, {});
        console->close(); // the run's owner asks; the window stays
        QVERIFY(stop.size() == 1 && closeAsked.size() == 1 && console->isVisible());
    }
};

QTEST_MAIN(tst_Console)
#include "tst_console.moc"
