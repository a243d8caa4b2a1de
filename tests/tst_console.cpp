// The console's terminal model, fed the real encoder's output and whatever else a pipe carries.
#include "conversion/ConsoleScreen.h"

#include <QTest>

namespace {

// The lines once all pieces are fed, and every progress figure reported in between.
std::pair<QStringList, QList<int>> feed(const QList<QByteArray>& pieces)
{
    ConsoleScreen screen;
    QList<int> seen;
    for (const QByteArray& piece : pieces) {
        screen.feed(piece);
        if (const auto percent = screen.takeFileProgress())
            seen << *percent;
    }
    return {screen.lines(), seen};
}

} // namespace

class tst_Console : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void realOutput();
    void badInput();
    void progress();
    void whereLinesGo();
};

// `lame -V 2 "Été (50%).wav" "Été (50%).mp3"` (lame 3.100, half a second) byte for byte, its
// histogram redrawn with "cursor up": fed a byte at a time or cut in two anywhere, it gives the
// screen a terminal shows, and only its own progress figures, never the file name's "(50%)".
void tst_Console::realOutput()
{
    QByteArray bytes;
    QStringList screen;
    const auto addLines = [&](const QStringList& lines, const char* end = "\n") {
        for (const QString& line : lines) {
            bytes += line.toUtf8() + end;
            screen << line;
        }
    };
    addLines({"LAME 3.100 64bits (http://lame.sf.net)",
              "Using polyphase lowpass filter, transition band: 18671 Hz - 19205 Hz",
              "Encoding Été (50%).wav to Été (50%).mp3",
              "Encoding as 44.1 kHz j-stereo MPEG-1 Layer III VBR(q=2)"});
    bytes += "\r    Frame          |  CPU time/estim | REAL time/estim | play/CPU |    ETA \n"
             "     0/       ( 0%)|    0:00/     :  |    0:00/     :  |         x|     :  \r\n";
    // Each bitrate, with the count and bar length it ends with.
    const int histogram[][3] = {{32, 1, 8},  {40, 0, 0},  {48, 0, 0},   {56, 0, 0},  {64, 8, 63},
                                {80, 9, 70}, {96, 0, 0},  {112, 0, 0},  {128, 1, 8}, {160, 0, 0},
                                {192, 0, 0}, {224, 0, 0}, {256, 2, 16}, {320, 0, 0}};
    for (const char* done : {" 0/21     ( 0%)|    0:00/    0:00|    0:00/    0:00|   0.0000x",
                             "21/21    (100%)|    0:00/    0:00|    0:00/    0:00|   110.07x"}) {
        for (const auto& row : histogram)
            bytes += QString::asprintf("%3d [0] \033[K\n", row[0]).toUtf8();
        bytes += "00:00" + QByteArray(74, '-') + "\033[K\n   kbps      %     %\033[K\n    0.0" +
                 "           \033[K" + QByteArray("\033[A").repeated(17) + "\r    " + done +
                 "|    0:00 \n";
    }
    screen << "    Frame          |  CPU time/estim | REAL time/estim | play/CPU |    ETA "
           << "    21/21    (100%)|    0:00/    0:00|    0:00/    0:00|   110.07x|    0:00 ";
    for (const auto& [rate, count, bar] : histogram)
        addLines({QString::asprintf("%3d [%2d] ", rate, count) +
                  QString(bar, QLatin1Char(rate == 32 ? '*' : '%'))},
                 "\033[K\n");
    addLines({QString(79, '-'), "   kbps        LR    MS  %     long switch short %",
              "   90.7       95.2   4.8        83.3   9.5   7.1"},
             "\033[K\n");
    addLines({"Writing LAME Tag...done", "ReplayGain: -2.6dB"});
    screen << QString();

    QList<QByteArray> single;
    for (const char byte : bytes)
        single << QByteArray(1, byte);
    QCOMPARE(feed(single).first, screen);
    for (qsizetype cut = 0; cut <= bytes.size(); ++cut) {
        const auto [lines, seen] = feed({bytes.left(cut), bytes.mid(cut)});
        QVERIFY2(lines == screen && !seen.isEmpty() && seen.last() == 100 &&
                     seen.count(0) + seen.count(100) == seen.size(),
                 qPrintable(QString("cut at %1").arg(cut)));
    }
}

// Only what the encoder uses acts (CR, BS, tab, cursor up, clear in line); every other sequence
// is dropped whole, no control character gets through, nothing grows without end.
void tst_Console::badInput()
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
         {QString(columns, 'x'), QString(columns, 'x'), "xxx", QString(columns - 1, ' ') + 'x'}},
        {"", {""}},
    };
    for (const auto& [bytes, expected] : cases)
        QCOMPARE(feed({bytes}).first, expected);
    QByteArray noise;
    for (int i = 0; i < 20000; ++i)
        noise += char((i * 7919 + i / 13) & 0xff);
    for (const QChar c : feed({noise}).first.join(QString()))
        QVERIFY(c.unicode() >= 0x20 && (c.unicode() < 0x7f || c.unicode() > 0x9f));
}

// Each step's bytes, and the progress then reported: at a line's start only, held to 100.
void tst_Console::progress()
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
}

// "Cursor up" never climbs into an earlier file's output, above a note of Quenzal's own, nor
// more than fifty lines; a new file or a note starts below all that a stopped encoder left.
void tst_Console::whereLinesGo()
{
    ConsoleScreen screen;
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
    QCOMPARE(screen.lines(), (QStringList{"1/2 (50%)|", "Xecond", "two", "lineswith [31mcontrols",
                                          "Y", "b", "note", "c", "d", "Z"}));

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

QTEST_APPLESS_MAIN(tst_Console)
#include "tst_console.moc"
