// The console window of a conversion run, fed the real encoder's output, under offscreen Qt.
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

class tst_ConsoleWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void realEncoderOutput();
    void progressAndLineCap();
    void endOfTheRun();
};

// The real encoder's outputs give the same screen cut anywhere; fed in small pieces as a pipe
// delivers them, the window shows that screen, redrawn in place, without a control character.
void tst_ConsoleWindow::realEncoderOutput()
{
    QTemporaryDir folder;
    QVERIFY(WriteSineWav(folder.filePath("in.wav"), 1.5));
    const char* runs[] = {"-b 128 in.wav cbr.mp3", "-V 2 in.wav vbr.mp3", "--decode cbr.mp3 d.wav"};
    frmConsole console;
    console.beginRun(3, {QStringLiteral("a note")});
    QCOMPARE(console.txtSortie->toPlainText(), QStringLiteral("a note\n")); // shown at once
    ConsoleScreen reference;
    reference.addLine(QStringLiteral("a note"));
    for (int file = 1; file <= 3; ++file) {
        const QStringList arguments = QString(runs[file - 1]).split(QLatin1Char(' '));
        QProcess lame;
        lame.setWorkingDirectory(folder.path());
        lame.start(QStringLiteral(QUENZAL_LAME), arguments);
        QVERIFY(lame.waitForFinished(120000) && lame.exitCode() == 0);
        const QByteArray bytes = lame.readAllStandardError();
        ConsoleScreen whole;
        whole.feed(bytes);
        for (qsizetype cut = 0; cut <= bytes.size(); ++cut) {
            ConsoleScreen screen;
            screen.feed(bytes.left(cut));
            screen.feed(bytes.mid(cut));
            QVERIFY2(screen.lines() == whole.lines(), qPrintable(QString("cut at %1").arg(cut)));
        }
        const QString text = whole.text();
        QVERIFY(!text.contains(QChar(0x1b)) && !text.contains('\r') && !text.contains('\b'));
        QCOMPARE(text.count(arguments[0] == "--decode" ? "Frame#" : "%)|"), 1); // the last one
        QCOMPARE(text.count(QStringLiteral(" 64 [")), arguments[0] == "-V" ? 1 : 0);

        console.startFile(file, arguments.last());
        reference.resetFileProgress();
        QCOMPARE(console.windowTitle(), QString("Quenzal — fichier %1 sur 3").arg(file));
        QTRY_COMPARE(console.lblFichier->text(), arguments.last());
        QCOMPARE(console.prgFichier->value(), 0); // a new file's bar starts empty
        for (qsizetype at = 0; at < bytes.size(); at += 7) {
            console.appendOutput(bytes.mid(at, 7));
            reference.feed(bytes.mid(at, 7));
            if (at % 700 == 0) // a redraw now and then, in the middle of it all
                QTRY_COMPARE(console.txtSortie->toPlainText(), reference.text());
        }
        QTRY_COMPARE(console.txtSortie->toPlainText(), reference.text());
        QTRY_COMPARE(console.prgFichier->value(), 100);
        console.finishFile(file, true);
        QTRY_COMPARE(console.prgTotal->value(), file);
    }
}

// A failed file's bar is not filled; numbers out of step move the count neither back nor past
// the end; a new run starts from nothing.
void tst_ConsoleWindow::progressAndLineCap()
{
    frmConsole console;
    console.beginRun(3, {});
    console.startFile(2, QStringLiteral("b.mp3"));
    console.finishFile(2, false);
    console.finishFile(1, false);
    QTRY_COMPARE(console.prgTotal->value(), 2);
    QCOMPARE(console.prgFichier->value(), 0);
    console.finishFile(9, true);
    QTRY_COMPARE(console.prgTotal->value(), 3);
    console.appendOutput("output\n");
    console.beginRun(0, {});
    QCOMPARE(console.txtSortie->toPlainText(), QString());
    QCOMPARE(console.prgTotal->text(), QStringLiteral("0 / 0"));
    QTRY_COMPARE(console.prgFichier->value(), 0);

    // The view drops the same oldest lines as the screen under it, lines it had shown included.
    ConsoleScreen reference;
    for (const int count : {ConsoleScreen::kMaxLines - 1000, 1000}) {
        QByteArray bytes;
        for (int i = 0; i < count; ++i)
            bytes += "line " + QByteArray::number(i) + '\n';
        console.appendOutput(bytes);
        reference.feed(bytes);
        QTRY_COMPARE(console.txtSortie->toPlainText(), reference.text());
    }
    QCOMPARE(console.txtSortie->document()->blockCount(), ConsoleScreen::kMaxLines);
}

// A clean end closes the window, any other leaves it open with a summary till the user closes
// it; Stop asks once (button or close box), and works while the main window is disabled.
void tst_ConsoleWindow::endOfTheRun()
{
    QWidget main;
    main.show();
    auto* console = new frmConsole(&main);
    QSignalSpy stop(console, &frmConsole::stopRequested);
    QSignalSpy closed(console, &frmConsole::closed);
    console->beginRun(1, {});
    console->endRun(0, {}, false);
    QVERIFY(!console->isVisible() && !console->isRunning() && closed.size() == 1);

    console->beginRun(2, {});
    console->appendOutput("Warning: unsupported audio format\n");
    console->endRun(1, {QStringLiteral("a.wav"), QStringLiteral("b.wav")}, false);
    QVERIFY(console->isVisible() && console->cmdFermer->isEnabled());
    QCOMPARE(console->lblFichier->text(), QStringLiteral("Fichiers non convertis : 2"));
    QVERIFY(console->txtSortie->toPlainText().endsWith(
        QStringLiteral("format\n\nFichiers non convertis :\n  a.wav\n  b.wav\n")));
    console->beginRun(1, {});
    console->endRun(127, {}, false); // with no file to name, the exit code
    QVERIFY(console->isVisible() && closed.size() == 1);
    QCOMPARE(console->txtSortie->toPlainText(),
             QStringLiteral("\nLa conversion s'est terminée sur une erreur (code 127).\n"));

    console->beginRun(2, {});
    main.setEnabled(false);
    QTest::keyClick(console, Qt::Key_Escape); // no stop by accident
    QVERIFY(stop.isEmpty());
    QTest::mouseClick(console->cmdStop, Qt::LeftButton);
    console->close();
    QVERIFY(stop.size() == 1 && console->isVisible() && !console->cmdStop->isEnabled());
    console->endRun(143, {QStringLiteral("b.wav")}, true);
    QVERIFY(console->txtSortie->toPlainText().endsWith(
        QStringLiteral("La conversion a été arrêtée.\nFichiers non convertis :\n  b.wav\n")));
    QTest::mouseClick(console->cmdFermer, Qt::LeftButton);
    QVERIFY(!console->isVisible() && closed.size() == 2);
    console->beginRun(1, {});
    console->close();
    QVERIFY(stop.size() == 2 && console->isVisible());
}

QTEST_MAIN(tst_ConsoleWindow)
#include "tst_consolewindow.moc"
