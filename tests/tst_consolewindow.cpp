// The console window of a conversion run, fed with what the real encoder prints and driven
// as the run drives it, under the offscreen platform.
#include "Wav.h"

#include "conversion/ConsoleScreen.h"
#include "conversion/frmConsole.h"

#include <QApplication>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// What lame writes on its standard error for these arguments, run in `folder`.
QByteArray lameOutput(const QString& folder, const QStringList& arguments)
{
    QProcess lame;
    lame.setWorkingDirectory(folder);
    lame.start(QStringLiteral(QUENZAL_LAME), arguments);
    if (!lame.waitForFinished(120000) || lame.exitCode() != 0)
        return {};
    return lame.readAllStandardError();
}

QList<QByteArray> piecesOf(const QByteArray& bytes, qsizetype size)
{
    QList<QByteArray> pieces;
    for (qsizetype at = 0; at < bytes.size(); at += size)
        pieces << bytes.mid(at, size);
    return pieces;
}

int linesContaining(const QString& text, const QString& part)
{
    int count = 0;
    for (const QString& line : text.split(QLatin1Char('\n')))
        count += line.contains(part) ? 1 : 0;
    return count;
}

QString shownText(const frmConsole& console)
{
    return console.txtSortie->toPlainText();
}

QByteArray numberedLines(int from, int to)
{
    QByteArray bytes;
    for (int i = from; i < to; ++i)
        bytes += "line " + QByteArray::number(i) + '\n';
    return bytes;
}

} // namespace

class tst_ConsoleWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void controls();
    void realEncoderOutput_data();
    void realEncoderOutput();
    void progressAndTitle();
    void cleanEndCloses();
    void failedEndStaysOpen();
    void stop();
    void staysUsableWhileTheMainWindowIsDisabled();
    void scrollFollowsTheEnd();
    void lineCap();
};

void tst_ConsoleWindow::controls()
{
    frmConsole console;
    QCOMPARE(console.objectName(), QStringLiteral("frmConsole"));
    QVERIFY(console.isWindow());
    QVERIFY(!console.isModal());
    QCOMPARE(console.findChild<QPlainTextEdit*>("txtSortie"), console.txtSortie);
    QCOMPARE(console.findChild<QProgressBar*>("prgFichier"), console.prgFichier);
    QCOMPARE(console.findChild<QProgressBar*>("prgTotal"), console.prgTotal);
    QCOMPARE(console.findChild<QLabel*>("lblFichier"), console.lblFichier);
    QCOMPARE(console.findChild<QPushButton*>("cmdStop"), console.cmdStop);
    QCOMPARE(console.findChild<QPushButton*>("cmdFermer"), console.cmdFermer);
    QVERIFY(console.txtSortie->isReadOnly());
    QCOMPARE(console.txtSortie->font().family(),
             QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
    QCOMPARE(console.cmdStop->text(), QStringLiteral("Arrêter"));
    QCOMPARE(console.cmdFermer->text(), QStringLiteral("Fermer"));
    QCOMPARE(console.windowTitle(), QStringLiteral("Quenzal"));
    QVERIFY(!console.isRunning());
    QVERIFY(!console.isVisible());

    // The texts can be replaced as a whole, as a language file would.
    ConsoleTexts english = ConsoleTexts::builtIn();
    english.titleFile = QStringLiteral("Quenzal - file %1 of %2");
    english.stop = QStringLiteral("Stop");
    english.close = QStringLiteral("Close");
    english.failedList = QStringLiteral("Not converted:");
    console.setTexts(english);
    QCOMPARE(console.cmdStop->text(), QStringLiteral("Stop"));
    QCOMPARE(console.cmdFermer->text(), QStringLiteral("Close"));
    console.beginRun(4, {});
    console.startFile(3, QStringLiteral("c.wav"));
    QCOMPARE(console.windowTitle(), QStringLiteral("Quenzal - file 3 of 4"));
    console.endRun(1, {QStringLiteral("c.wav")}, false);
    QVERIFY(shownText(console).contains(QStringLiteral("Not converted:\n  c.wav")));
    QCOMPARE(console.texts().stop, QStringLiteral("Stop"));
}

void tst_ConsoleWindow::realEncoderOutput_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("finalLine"); // the last progress line, shown once
    QTest::newRow("cbr") << QStringList{"-b", "128", "in.wav", "cbr.mp3"}
                         << QStringLiteral("(100%)|");
    QTest::newRow("vbr") << QStringList{"-V", "2", "in.wav", "vbr.mp3"}
                         << QStringLiteral("(100%)|");
    QTest::newRow("decoding") << QStringList{"--decode", "cbr.mp3", "out.wav"}
                              << QStringLiteral("Frame#");
}

// The real encoder's output, cut in small pieces as a pipe delivers it: the window shows
// what a terminal would, redrawn in place, without one escape character.
void tst_ConsoleWindow::realEncoderOutput()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, finalLine);
    QTemporaryDir folder;
    QVERIFY(WriteSineWav(folder.filePath("in.wav"), 1.5));
    if (arguments.first() == QLatin1String("--decode"))
        QVERIFY(!lameOutput(folder.path(), {"-b", "128", "in.wav", "cbr.mp3"}).isEmpty());
    const QByteArray bytes = lameOutput(folder.path(), arguments);
    QVERIFY(bytes.contains('\r'));

    frmConsole console;
    console.beginRun(1, {});
    console.startFile(1, QStringLiteral("in.wav"));
    QCOMPARE(console.windowTitle(), QStringLiteral("Quenzal — fichier 1 sur 1"));
    QTRY_COMPARE(console.lblFichier->text(), QStringLiteral("in.wav"));

    // Redrawn after every few pieces, the window always equals a terminal fed the same bytes.
    ConsoleScreen reference;
    const QList<QByteArray> pieces = piecesOf(bytes, 7);
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        console.appendOutput(pieces[i]);
        reference.feed(pieces[i]);
        if (i % (pieces.size() / 6 + 1) == 0)
            QTRY_COMPARE(shownText(console), reference.text());
    }
    QTRY_COMPARE(shownText(console), reference.text());
    QTRY_COMPARE(console.prgFichier->value(), 100);
    QVERIFY(!console.findChild<QTimer*>("redrawTimer")->isActive());

    const QString text = shownText(console);
    QVERIFY(!text.contains(QChar(0x1b)));
    QVERIFY(!text.contains(QLatin1Char('\r')));
    QVERIFY(!text.contains(QLatin1Char('\b')));
    QCOMPARE(linesContaining(text, finalLine), 1);
    QVERIFY(!text.contains(QStringLiteral("( 0%)")));
    if (arguments.first() == QLatin1String("-V"))
        QCOMPARE(linesContaining(text, QStringLiteral(" 64 [")), 1); // the histogram, once

    console.finishFile(1, true);
    QTRY_COMPARE(console.prgTotal->value(), 1);
    QSignalSpy closed(&console, &frmConsole::closed);
    console.endRun(0, {}, false);
    QCOMPARE(closed.size(), 1);
}

void tst_ConsoleWindow::progressAndTitle()
{
    frmConsole console;
    console.beginRun(3, {QStringLiteral("note one"), QStringLiteral("note two")});
    QVERIFY(console.isRunning());
    QVERIFY(console.isVisible());
    QVERIFY(console.cmdStop->isEnabled());
    QVERIFY(!console.cmdFermer->isEnabled());
    QCOMPARE(console.windowTitle(), QStringLiteral("Quenzal"));
    QCOMPARE(shownText(console), QStringLiteral("note one\nnote two\n")); // shown at once
    QCOMPARE(console.prgTotal->maximum(), 3);
    QTRY_COMPARE(console.prgTotal->value(), 0);
    QCOMPARE(console.prgTotal->text(), QStringLiteral("0 / 3"));

    console.startFile(1, QStringLiteral("a.wav"));
    QCOMPARE(console.windowTitle(), QStringLiteral("Quenzal — fichier 1 sur 3"));
    QTRY_COMPARE(console.lblFichier->text(), QStringLiteral("a.wav"));
    console.appendOutput("\r    20/116    (17%)|    0:00/    0:00|\r    50/116    (4");
    QTRY_COMPARE(console.prgFichier->value(), 17);
    console.appendOutput("3%)|    0:00/    0:00|");
    QTRY_COMPARE(console.prgFichier->value(), 43);
    console.finishFile(1, true);
    QTRY_COMPARE(console.prgTotal->value(), 1);
    QTRY_COMPARE(console.prgFichier->value(), 100);

    console.startFile(2, QStringLiteral("b.mp3"));
    QCOMPARE(console.windowTitle(), QStringLiteral("Quenzal — fichier 2 sur 3"));
    QTRY_COMPARE(console.lblFichier->text(), QStringLiteral("b.mp3"));
    QTRY_COMPARE(console.prgFichier->value(), 0);
    console.finishFile(2, false);
    QTRY_COMPARE(console.prgTotal->value(), 2);
    QTRY_COMPARE(console.prgFichier->value(), 0);

    // Numbers out of step neither move the bar back nor past the end.
    console.finishFile(1, true);
    QTRY_COMPARE(console.prgTotal->value(), 2);
    console.finishFile(9, true);
    QTRY_COMPARE(console.prgTotal->value(), 3);
    console.addNote(QStringLiteral("a note of ours"));
    QTRY_VERIFY(shownText(console).contains(QStringLiteral("\na note of ours\n")));

    // A new run starts from nothing.
    console.beginRun(0, {});
    QCOMPARE(shownText(console), QString());
    QCOMPARE(console.windowTitle(), QStringLiteral("Quenzal"));
    QTRY_COMPARE(console.prgTotal->value(), 0);
    QCOMPARE(console.prgTotal->text(), QStringLiteral("0 / 0"));
    QTRY_COMPARE(console.prgFichier->value(), 0);
    QTRY_COMPARE(console.lblFichier->text(), QString());
    QVERIFY(console.isRunning());
}

void tst_ConsoleWindow::cleanEndCloses()
{
    frmConsole console;
    QSignalSpy closed(&console, &frmConsole::closed);
    console.beginRun(1, {});
    console.startFile(1, QStringLiteral("a.wav"));
    console.appendOutput("the last words\n");
    console.finishFile(1, true);
    console.endRun(0, {}, false);
    QVERIFY(!console.isVisible());
    QVERIFY(!console.isRunning());
    QCOMPARE(closed.size(), 1);
    QVERIFY(shownText(console).contains(QStringLiteral("the last words"))); // drawn at once
}

void tst_ConsoleWindow::failedEndStaysOpen()
{
    frmConsole console;
    QSignalSpy closed(&console, &frmConsole::closed);
    console.beginRun(2, {});
    console.startFile(1, QStringLiteral("a.wav"));
    console.appendOutput("Warning: unsupported audio format\n");
    console.finishFile(1, false);
    console.endRun(1, {QStringLiteral("a.wav")}, false);
    QVERIFY(console.isVisible());
    QVERIFY(!console.isRunning());
    QCOMPARE(closed.size(), 0);
    QVERIFY(console.cmdFermer->isEnabled());
    QVERIFY(!console.cmdStop->isEnabled());
    QCOMPARE(console.windowTitle(),
             QStringLiteral("Quenzal — conversion terminée avec des erreurs"));
    QTRY_COMPARE(console.lblFichier->text(), QStringLiteral("Fichiers non convertis : 1"));
    QVERIFY2(shownText(console).endsWith(QStringLiteral("unsupported audio format\n\n"
                                                        "Fichiers non convertis :\n  a.wav\n")),
             qPrintable(shownText(console)));

    // Fermer closes it, once.
    QTest::mouseClick(console.cmdFermer, Qt::LeftButton);
    QVERIFY(!console.isVisible());
    QCOMPARE(closed.size(), 1);

    // A failure with no file to name gives the exit code; Escape closes once the run ended.
    console.beginRun(1, {});
    console.endRun(127, {}, false);
    QVERIFY(console.isVisible());
    QVERIFY(shownText(console).contains(QStringLiteral("(code 127)")));
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&console, &escape);
    QVERIFY(!console.isVisible());
    QCOMPARE(closed.size(), 2);
}

void tst_ConsoleWindow::stop()
{
    frmConsole console;
    QSignalSpy stop(&console, &frmConsole::stopRequested);
    QSignalSpy closed(&console, &frmConsole::closed);
    console.beginRun(2, {});
    console.startFile(1, QStringLiteral("a.wav"));
    QTest::mouseClick(console.cmdStop, Qt::LeftButton);
    QCOMPARE(stop.size(), 1);
    QVERIFY(!console.cmdStop->isEnabled());
    // Escape does not stop a run by accident, and asking twice asks once.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&console, &escape);
    console.close();
    QCOMPARE(stop.size(), 1);
    QVERIFY(console.isVisible());

    console.endRun(143, {}, true);
    QVERIFY(console.isVisible());
    QCOMPARE(console.windowTitle(), QStringLiteral("Quenzal — conversion arrêtée"));
    QTRY_COMPARE(console.lblFichier->text(), QStringLiteral("La conversion a été arrêtée."));
    QVERIFY(shownText(console).contains(QStringLiteral("La conversion a été arrêtée.")));
    QVERIFY(console.cmdFermer->isEnabled());
    QCOMPARE(closed.size(), 0);
    console.close();
    QCOMPARE(closed.size(), 1);
    QCOMPARE(stop.size(), 1);

    // Closing the window during a run asks for the stop, nothing more: the window stays until
    // the run has ended, so the user learns how it ended.
    console.beginRun(1, {});
    console.close();
    QCOMPARE(stop.size(), 2);
    QVERIFY(console.isVisible());
    QCOMPARE(closed.size(), 1);
    console.endRun(143, {QStringLiteral("b.wav")}, true);
    const QString text = shownText(console);
    QVERIFY(text.contains(QStringLiteral("arrêtée")));
    QVERIFY(text.contains(QStringLiteral("  b.wav")));
}

void tst_ConsoleWindow::staysUsableWhileTheMainWindowIsDisabled()
{
    QWidget main;
    main.show();
    auto* console = new frmConsole(&main);
    QVERIFY(console->isWindow());
    console->beginRun(1, {});
    main.setEnabled(false);
    QVERIFY(!main.isEnabled());
    QVERIFY(console->isEnabled());
    QVERIFY(console->cmdStop->isEnabled());
    QSignalSpy stop(console, &frmConsole::stopRequested);
    QTest::mouseClick(console->cmdStop, Qt::LeftButton);
    QCOMPARE(stop.size(), 1);
    console->endRun(1, {QStringLiteral("a.wav")}, false);
    QVERIFY(console->cmdFermer->isEnabled());
    main.setEnabled(true);
    QVERIFY(console->isEnabled());
    // Disabling the window itself still works.
    console->setEnabled(false);
    QVERIFY(!console->isEnabled());
}

void tst_ConsoleWindow::scrollFollowsTheEnd()
{
    frmConsole console;
    console.resize(640, 400);
    console.beginRun(1, {});
    QScrollBar* bar = console.txtSortie->verticalScrollBar();
    console.appendOutput(numberedLines(0, 300));
    QTRY_VERIFY(shownText(console).contains(QStringLiteral("line 299")));
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());

    // Scrolled up by the user: the view stays where it is while output goes on.
    bar->setValue(10);
    console.appendOutput(numberedLines(300, 400));
    QTRY_VERIFY(shownText(console).contains(QStringLiteral("line 399")));
    QCOMPARE(bar->value(), 10);

    // Back at the end, it follows again.
    bar->setValue(bar->maximum());
    console.appendOutput(numberedLines(400, 500));
    QTRY_VERIFY(shownText(console).contains(QStringLiteral("line 499")));
    QCOMPARE(bar->value(), bar->maximum());
}

// The view drops the same oldest lines as the screen under it, without redrawing the rest.
void tst_ConsoleWindow::lineCap()
{
    frmConsole console;
    console.beginRun(1, {QStringLiteral("the first note")});
    ConsoleScreen reference;
    reference.addLine(QStringLiteral("the first note"));
    const QByteArray first = numberedLines(0, ConsoleScreen::kMaxLines - 10);
    console.appendOutput(first);
    reference.feed(first);
    QTRY_COMPARE(shownText(console), reference.text());
    for (const QByteArray& piece : piecesOf(numberedLines(ConsoleScreen::kMaxLines, 20150), 500)) {
        console.appendOutput(piece);
        reference.feed(piece);
    }
    console.appendOutput("\r   1/2   (50%)|\033[A\rredrawn");
    reference.feed("\r   1/2   (50%)|\033[A\rredrawn");
    QTRY_COMPARE(shownText(console), reference.text());
    QCOMPARE(console.txtSortie->document()->blockCount(), ConsoleScreen::kMaxLines);
    QVERIFY(!shownText(console).contains(QStringLiteral("the first note")));
    QTRY_COMPARE(console.prgFichier->value(), 50);
}

QTEST_MAIN(tst_ConsoleWindow)
#include "tst_consolewindow.moc"
