// The console's terminal model, fed with what the real encoder writes: lame 3.100's output
// for a CBR encoding, a VBR encoding (with its histogram) and a decoding, kept byte for byte.
#include "conversion/ConsoleScreen.h"

#include <QTest>

#include <set>

namespace {

// lame -b 128 "Été (50%).wav" c.mp3 (half a second of sound)
const char kCbrEncoding[] =
    "LAME 3.100 64bits (http://lame.sf.net)\n"
    "Using polyphase lowpass filter, transition band: 16538 Hz - 17071 Hz\n"
    "Encoding \303\211t\303\251 (50%).wav to c.mp3\n"
    "Encoding as 44.1 kHz j-stereo MPEG-1 Layer III (11x) 128 kbps qval=3\n"
    "\r    Frame          |  CPU time/estim | REAL time/estim | play/CPU |    ETA \n"
    "     0/       ( 0%)|    0:00/     :  |    0:00/     :  |         x|     :  \r\n"
    "00:00--------------------------------------------------------------------------\033[K"
    "\n"
    "   kbps      %     %\033[K\n"
    "    0.0           \033[K\033[A\033[A\033[A\r     0/21     ( 0%)|    0:00/    0:00|   "
    " 0:00/    0:00|   0.0000x|    0:00 \n"
    "00:00--------------------------------------------------------------------------\033[K"
    "\n"
    "   kbps      %     %\033[K\n"
    "    0.0           \033[K\033[A\033[A\033[A\r    21/21    (100%)|    0:00/    0:00|   "
    " 0:00/    0:00|   94.728x|    0:00 \n"
    "-------------------------------------------------------------------------------\033[K"
    "\n"
    "   kbps        LR    MS  %     long switch short %\033[K\n"
    "  128.0       95.2   4.8        83.3   9.5   7.1\033[K\n"
    "Writing LAME Tag...done\n"
    "ReplayGain: -2.1dB\n";

// lame -V 2 "Été (50%).wav" "Été (50%).mp3"
const char kVbrEncoding[] =
    "LAME 3.100 64bits (http://lame.sf.net)\n"
    "Using polyphase lowpass filter, transition band: 18671 Hz - 19205 Hz\n"
    "Encoding \303\211t\303\251 (50%).wav to \303\211t\303\251 (50%).mp3\n"
    "Encoding as 44.1 kHz j-stereo MPEG-1 Layer III VBR(q=2)\n"
    "\r    Frame          |  CPU time/estim | REAL time/estim | play/CPU |    ETA \n"
    "     0/       ( 0%)|    0:00/     :  |    0:00/     :  |         x|     :  \r\n"
    " 32 [0] \033[K\n"
    " 40 [0] \033[K\n"
    " 48 [0] \033[K\n"
    " 56 [0] \033[K\n"
    " 64 [0] \033[K\n"
    " 80 [0] \033[K\n"
    " 96 [0] \033[K\n"
    "112 [0] \033[K\n"
    "128 [0] \033[K\n"
    "160 [0] \033[K\n"
    "192 [0] \033[K\n"
    "224 [0] \033[K\n"
    "256 [0] \033[K\n"
    "320 [0] \033[K\n"
    "00:00--------------------------------------------------------------------------\033[K"
    "\n"
    "   kbps      %     %\033[K\n"
    "    0.0           \033[K\033[A\033[A\033[A\033[A\033[A\033[A\033[A\033[A\033[A\033[A\033"
    "[A\033[A\033[A\033[A\033[A\033[A\033[A\r     0/21     ( 0%)|    0:00/    0:00|    0:0"
    "0/    0:00|   0.0000x|    0:00 \n"
    " 32 [0] \033[K\n"
    " 40 [0] \033[K\n"
    " 48 [0] \033[K\n"
    " 56 [0] \033[K\n"
    " 64 [0] \033[K\n"
    " 80 [0] \033[K\n"
    " 96 [0] \033[K\n"
    "112 [0] \033[K\n"
    "128 [0] \033[K\n"
    "160 [0] \033[K\n"
    "192 [0] \033[K\n"
    "224 [0] \033[K\n"
    "256 [0] \033[K\n"
    "320 [0] \033[K\n"
    "00:00--------------------------------------------------------------------------\033[K"
    "\n"
    "   kbps      %     %\033[K\n"
    "    0.0           \033[K\033[A\033[A\033[A\033[A\033[A\033[A\033[A\033[A\033[A\033[A\033"
    "[A\033[A\033[A\033[A\033[A\033[A\033[A\r    21/21    (100%)|    0:00/    0:00|    0:0"
    "0/    0:00|   110.07x|    0:00 \n"
    " 32 [ 1] ********\033[K\n"
    " 40 [ 0] \033[K\n"
    " 48 [ 0] \033[K\n"
    " 56 [ 0] \033[K\n"
    " 64 [ 8] %%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%\033[K\n"
    " 80 [ 9] %%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%\033[K"
    "\n"
    " 96 [ 0] \033[K\n"
    "112 [ 0] \033[K\n"
    "128 [ 1] %%%%%%%%\033[K\n"
    "160 [ 0] \033[K\n"
    "192 [ 0] \033[K\n"
    "224 [ 0] \033[K\n"
    "256 [ 2] %%%%%%%%%%%%%%%%\033[K\n"
    "320 [ 0] \033[K\n"
    "-------------------------------------------------------------------------------\033[K"
    "\n"
    "   kbps        LR    MS  %     long switch short %\033[K\n"
    "   90.7       95.2   4.8        83.3   9.5   7.1\033[K\n"
    "Writing LAME Tag...done\n"
    "ReplayGain: -2.6dB\n";

// lame --decode c.mp3 d.wav
const char kDecoding[] =
    "\rinput:  c.mp3  (44.1 kHz, 2 channels, MPEG-1 Layer III)\n"
    "output: d.wav  (16 bit, Microsoft WAVE)\n"
    "skipping initial 1105 samples (encoder+decoder delay)\n"
    "skipping final 1037 samples (encoder padding-decoder delay)\n"
    "\rFrame#     2/21     128 kbps  L  R           \b\b\b\b\b\b\b\b\rFrame#     3/21     "
    "128 kbps  L  R           \b\b\b\b\b\b\b\b\rFrame#     4/21     128 kbps  L  R        "
    "   \b\b\b\b\b\b\b\b\rFrame#     5/21     128 kbps  L  R           \b\b\b\b\b\b\b\b\rF"
    "rame#     6/21     128 kbps  L  R           \b\b\b\b\b\b\b\b\rFrame#     7/21     128"
    " kbps  L  R           \b\b\b\b\b\b\b\b\rFrame#     8/21     128 kbps  L  R           "
    "\b\b\b\b\b\b\b\b\rFrame#     9/21     128 kbps  L  R           \b\b\b\b\b\b\b\b\rFram"
    "e#    10/21     128 kbps  L  R           \b\b\b\b\b\b\b\b\rFrame#    11/21     128 kb"
    "ps  L  R           \b\b\b\b\b\b\b\b\rFrame#    12/21     128 kbps  L  R           \b\b"
    "\b\b\b\b\b\b\rFrame#    13/21     128 kbps  L  R           \b\b\b\b\b\b\b\b\rFrame#  "
    "  14/21     128 kbps  L  R           \b\b\b\b\b\b\b\b\rFrame#    15/21     128 kbps  "
    "L  R           \b\b\b\b\b\b\b\b\rFrame#    16/21     128 kbps  L  R           \b\b\b\b"
    "\b\b\b\b\rFrame#    17/21     128 kbps  L  R           \b\b\b\b\b\b\b\b\rFrame#    18"
    "/21     128 kbps  L  R           \b\b\b\b\b\b\b\b\rFrame#    19/21     128 kbps  L  R"
    "           \b\b\b\b\b\b\b\b\rFrame#    20/21     128 kbps  L  R           \b\b\b\b\b\b"
    "\b\b\rFrame#    21/21     128 kbps  LMSR           \b\b\b\b\b\b\b\b\rFrame#    21/21 "
    "    128 kbps   MS            \b\b\b\b\b\b\b\b\n";

QByteArray bytesOf(const char* sample)
{
    return QByteArray(sample);
}

QString esc(const char* text)
{
    return QString::fromUtf8(text);
}

// Every figure the screen reports while `bytes` is fed in the given pieces.
QList<int> progressWhileFeeding(ConsoleScreen& screen, const QList<QByteArray>& pieces)
{
    QList<int> seen;
    for (const QByteArray& piece : pieces) {
        screen.feed(piece);
        if (const auto percent = screen.takeFileProgress())
            seen << *percent;
    }
    return seen;
}

bool hasControlCharacter(const QStringList& lines)
{
    for (const QString& line : lines) {
        for (const QChar c : line) {
            if (c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() <= 0x9f))
                return true;
        }
    }
    return false;
}

QStringList feedWhole(const QByteArray& bytes)
{
    ConsoleScreen screen;
    screen.feed(bytes);
    return screen.lines();
}

} // namespace

class tst_Console : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void realOutput_data();
    void realOutput();
    void realOutputSplitAnywhere_data();
    void realOutputSplitAnywhere();
    void escapeSequences();
    void controlCharacters();
    void cursorUpStaysInTheCurrentFile();
    void progress();
    void changedLines();
    void notes();
    void lineCap();
    void hostileInput();
};

void tst_Console::realOutput_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("cbr") << bytesOf(kCbrEncoding)
                         << QStringList{
                                "LAME 3.100 64bits (http://lame.sf.net)",
                                "Using polyphase lowpass filter, transition band: 16538 Hz - 17071 "
                                "Hz",
                                esc("Encoding Été (50%).wav to c.mp3"),
                                "Encoding as 44.1 kHz j-stereo MPEG-1 Layer III (11x) 128 kbps "
                                "qval=3",
                                "    Frame          |  CPU time/estim | REAL time/estim | play/CPU "
                                "|    ETA ",
                                "    21/21    (100%)|    0:00/    0:00|    0:00/    0:00|   "
                                "94.728x|    0:00 ",
                                QString(79, QLatin1Char('-')),
                                "   kbps        LR    MS  %     long switch short %",
                                "  128.0       95.2   4.8        83.3   9.5   7.1",
                                "Writing LAME Tag...done",
                                "ReplayGain: -2.1dB",
                                "",
                            };
    QTest::newRow("vbr") << bytesOf(kVbrEncoding)
                         << QStringList{
                                "LAME 3.100 64bits (http://lame.sf.net)",
                                "Using polyphase lowpass filter, transition band: 18671 Hz - 19205 "
                                "Hz",
                                esc("Encoding Été (50%).wav to Été (50%).mp3"),
                                "Encoding as 44.1 kHz j-stereo MPEG-1 Layer III VBR(q=2)",
                                "    Frame          |  CPU time/estim | REAL time/estim | play/CPU "
                                "|    ETA ",
                                "    21/21    (100%)|    0:00/    0:00|    0:00/    0:00|   "
                                "110.07x|    0:00 ",
                                " 32 [ 1] ********",
                                " 40 [ 0] ",
                                " 48 [ 0] ",
                                " 56 [ 0] ",
                                " 64 [ 8] " + QString(63, QLatin1Char('%')),
                                " 80 [ 9] " + QString(70, QLatin1Char('%')),
                                " 96 [ 0] ",
                                "112 [ 0] ",
                                "128 [ 1] %%%%%%%%",
                                "160 [ 0] ",
                                "192 [ 0] ",
                                "224 [ 0] ",
                                "256 [ 2] %%%%%%%%%%%%%%%%",
                                "320 [ 0] ",
                                QString(79, QLatin1Char('-')),
                                "   kbps        LR    MS  %     long switch short %",
                                "   90.7       95.2   4.8        83.3   9.5   7.1",
                                "Writing LAME Tag...done",
                                "ReplayGain: -2.6dB",
                                "",
                            };
    QTest::newRow("decoding") << bytesOf(kDecoding)
                              << QStringList{
                                     "input:  c.mp3  (44.1 kHz, 2 channels, MPEG-1 Layer III)",
                                     "output: d.wav  (16 bit, Microsoft WAVE)",
                                     "skipping initial 1105 samples (encoder+decoder delay)",
                                     "skipping final 1037 samples (encoder padding-decoder delay)",
                                     "Frame#    21/21     128 kbps   MS            ",
                                     "",
                                 };
}

// The progress display is redrawn in place: what is left is what the terminal would show at
// the end, the last progress line once and the histogram once.
void tst_Console::realOutput()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    ConsoleScreen screen;
    screen.feed(bytes);
    QCOMPARE(screen.lines(), expected);
    QCOMPARE(screen.text(), expected.join(QLatin1Char('\n')));
    QCOMPARE(screen.takeFileProgress(), std::optional<int>(100));
    QCOMPARE(screen.takeFileProgress(), std::nullopt);

    // One byte at a time, as a slow pipe would deliver it.
    ConsoleScreen slow;
    for (const char byte : bytes)
        slow.feed(QByteArrayView(&byte, 1));
    QCOMPARE(slow.lines(), expected);
}

void tst_Console::realOutputSplitAnywhere_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<int>>("figures"); // every progress figure the output holds
    QTest::newRow("cbr") << bytesOf(kCbrEncoding) << QList<int>{0, 100};
    QTest::newRow("vbr") << bytesOf(kVbrEncoding) << QList<int>{0, 100};
    QList<int> frames;
    for (int frame = 2; frame <= 21; ++frame)
        frames << frame * 100 / 21;
    QTest::newRow("decoding") << bytesOf(kDecoding) << frames;
}

// Cut in two at every position, inside UTF-8 characters and escape sequences alike, the
// output gives the same screen, and progress figures are only ever the real ones (never the
// "(50%)" of the file name, never half a number).
void tst_Console::realOutputSplitAnywhere()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<int>, figures);
    const QStringList whole = feedWhole(bytes);
    const std::set<int> allowed(figures.cbegin(), figures.cend());
    for (qsizetype cut = 0; cut <= bytes.size(); ++cut) {
        ConsoleScreen screen;
        const QList<int> seen = progressWhileFeeding(screen, {bytes.left(cut), bytes.mid(cut)});
        QVERIFY2(screen.lines() == whole, qPrintable(QStringLiteral("cut at %1").arg(cut)));
        QVERIFY(!seen.isEmpty());
        QCOMPARE(seen.last(), 100);
        for (const int percent : seen)
            QVERIFY2(allowed.count(percent), qPrintable(QStringLiteral("%1%").arg(percent)));
    }
    QVERIFY(!hasControlCharacter(whole));

    // Fed in frames of odd sizes, the figures rise and every one of the output is seen.
    ConsoleScreen screen;
    QList<QByteArray> pieces;
    for (qsizetype at = 0; at < bytes.size(); at += 5)
        pieces << bytes.mid(at, 5);
    const QList<int> seen = progressWhileFeeding(screen, pieces);
    QVERIFY(std::is_sorted(seen.cbegin(), seen.cend()));
    QCOMPARE(std::set<int>(seen.cbegin(), seen.cend()), allowed);
}

void tst_Console::escapeSequences()
{
    const auto screenOf = [](const QByteArray& bytes) {
        return feedWhole(bytes);
    };
    // Carriage return, backspace, clear to the end of the line.
    QCOMPARE(screenOf("abc\rX"), QStringList{"Xbc"});
    QCOMPARE(screenOf("abc\b\bX"), QStringList{"aXc"});
    QCOMPARE(screenOf("abcdef\r12\033[K"), QStringList{"12"});
    QCOMPARE(screenOf("abcdef\r12\033[1K"), QStringList{"   def"});
    QCOMPARE(screenOf("abcdef\r12\033[2Kx"), QStringList{"  x"});
    // Cursor up, with and without a count; the column is kept, as on a terminal.
    QCOMPARE(screenOf("one\ntwo\nthree\033[2AX"), (QStringList{"one  X", "two", "three"}));
    QCOMPARE(screenOf("one\ntwo\033[A\rX\n"), (QStringList{"Xne", "two"}));
    QCOMPARE(screenOf("one\ntwo\033[0A\rX"), (QStringList{"Xne", "two"}));
    QCOMPARE(screenOf("one\ntwo\033[1;5A\rX"), (QStringList{"Xne", "two"}));
    // Every other sequence is dropped whole: colours, private modes, cursor moves, window
    // titles, character sets, two-character sequences.
    QCOMPARE(screenOf("\033[1;31mred\033[0m \033[?25lplain\033[?25h"), QStringList{"red plain"});
    QCOMPARE(screenOf("a\033[5Cb\033[2Dc\033[Hd\033[2Je"), QStringList{"abcde"});
    QCOMPARE(screenOf("\033]0;title\007text"), QStringList{"text"});
    QCOMPARE(screenOf("\033]2;title\033\\text"), QStringList{"text"});
    QCOMPARE(screenOf("\033(Bx\033)0y\0337z\0338"), QStringList{"xyz"});
    QCOMPARE(screenOf("\033\033[Kx"), QStringList{"x"});
    QCOMPARE(screenOf("\033[?K"), QStringList{""}); // not the clear of ours
    // A stray ESC ] without its end stops at the line's end, and nothing after is lost.
    QCOMPARE(screenOf("a\033]never ended\nb"), (QStringList{"a", "b"}));
    // A sequence broken by a control character gives up and lets the character act.
    QCOMPARE(screenOf("abc\033[1\rX"), QStringList{"Xbc"});
    QCOMPARE(screenOf("ab\033\nc"), (QStringList{"ab", "c"}));
    // A sequence cut across two feeds acts once it is whole.
    ConsoleScreen screen;
    screen.feed("abcdef\r1\033");
    screen.feed("[");
    screen.feed("K2");
    QCOMPARE(screen.lines(), QStringList{"12"});
}

void tst_Console::controlCharacters()
{
    // No control character ever reaches the lines: NUL, bell, DEL, C1 controls (in UTF-8) and
    // form feeds are dropped; a tab moves to the next column of eight.
    QCOMPARE(feedWhole(QByteArray("a\0b\007c\177d\fe", 9)), QStringList{"abcde"});
    QCOMPARE(feedWhole("x\302\233y\302\205z"), QStringList{"xyz"});
    QCOMPARE(feedWhole("a\tb"), QStringList{"a       b"});
    QCOMPARE(feedWhole("12345678\tb"), QStringList{"12345678        b"});
    QCOMPARE(feedWhole("long line\rab\tX"), QStringList{"abng linX"});
    // Non-ASCII text, and bytes that are not UTF-8 (shown as replacement characters).
    QCOMPARE(feedWhole("\303\251t\303\251 \346\227\245"), QStringList{esc("été 日")});
    QCOMPARE(feedWhole("a\377\376b"), QStringList{QStringLiteral("a\uFFFD\uFFFDb")});
    ConsoleScreen split;
    split.feed("\346");
    split.feed("\227");
    split.feed("\245\n");
    QCOMPARE(split.lines(), (QStringList{esc("日"), ""}));
}

void tst_Console::cursorUpStaysInTheCurrentFile()
{
    // The next file's redraws cannot climb into the previous file's output.
    ConsoleScreen screen;
    screen.feed("first file\nlast line of it\n");
    screen.resetFileProgress();
    screen.feed("second\n\033[9A\rX");
    QCOMPARE(screen.lines(), (QStringList{"first file", "last line of it", "Xecond", ""}));

    // Nor above a note of Quenzal's own.
    ConsoleScreen noted;
    noted.feed("before\n");
    noted.addLine(QStringLiteral("note"));
    noted.feed("a\nb\n\033[5A\rX");
    QCOMPARE(noted.lines(), (QStringList{"before", "note", "X", "b", ""}));

    // Nor more than the last fifty lines, whatever the count.
    ConsoleScreen deep;
    for (int i = 0; i < 80; ++i)
        deep.feed(QByteArray::number(i) + '\n');
    deep.feed("\033[1000A\rX");
    QCOMPARE(deep.lines().at(30), QStringLiteral("X0"));
    QCOMPARE(deep.lines().at(29), QStringLiteral("29"));

    // An encoder stopped in the middle of its display left its cursor up there: the next
    // file still starts below it all.
    ConsoleScreen stopped;
    stopped.feed("a\nb\nc\nd\033[3A");
    stopped.resetFileProgress();
    stopped.feed("\033[A\rX\n\n\n\033[A\rY");
    QCOMPARE(stopped.lines(), (QStringList{"a", "b", "c", "d", "X", "", "Y", ""}));
}

void tst_Console::progress()
{
    ConsoleScreen screen;
    QCOMPARE(screen.takeFileProgress(), std::nullopt);
    screen.feed("Encoding mix (50%).wav to mix (50%).mp3\n");
    QCOMPARE(screen.takeFileProgress(), std::nullopt);
    // The latest of several figures in one chunk.
    screen.feed("\r     0/       ( 0%)|\r    10/116    ( 8%)|\r    50/116    (43%)|");
    QCOMPARE(screen.takeFileProgress(), std::optional<int>(43));
    // Half a figure is not one.
    screen.feed("\r   100/116    (8");
    QCOMPARE(screen.takeFileProgress(), std::nullopt);
    screen.feed("6%)|");
    QCOMPARE(screen.takeFileProgress(), std::optional<int>(86));
    // A new file forgets what the previous one reported.
    screen.feed("\r   116/116   (100%)|");
    screen.resetFileProgress();
    QCOMPARE(screen.takeFileProgress(), std::nullopt);
    screen.feed("\n\rFrame#     1/3     128 kbps\rFrame#     2/3     128 kbps");
    QCOMPARE(screen.takeFileProgress(), std::optional<int>(66));
    // Figures out of range are held to 100; a zero frame count gives none.
    screen.feed("\n\r   9/9    (250%)|");
    QCOMPARE(screen.takeFileProgress(), std::optional<int>(100));
    screen.feed("\nFrame#     5/4  \n");
    QCOMPARE(screen.takeFileProgress(), std::optional<int>(100));
    screen.feed("Frame#     5/0  \nFrame# 99999999999999999999/1  \nFrame#    10/2");
    QCOMPARE(screen.takeFileProgress(), std::nullopt);
    // Only at the start of a line: text that merely contains the pattern is no progress.
    screen.feed("\ninput:  Frame#  1/2 .mp3\ncopy of  10/20 (50%)|\n");
    QCOMPARE(screen.takeFileProgress(), std::nullopt);
    screen.feed("    10/20    (50%)|\n");
    QCOMPARE(screen.takeFileProgress(), std::optional<int>(50));
}

void tst_Console::changedLines()
{
    ConsoleScreen screen;
    QCOMPARE(screen.takeFirstChangedLine(), 0); // a fresh screen is drawn whole once
    QCOMPARE(screen.takeFirstChangedLine(), -1);
    screen.feed("a\nb\nc");
    QCOMPARE(screen.takeFirstChangedLine(), 0);
    screen.feed("\rX");
    QCOMPARE(screen.takeFirstChangedLine(), 2);
    screen.feed("\n\033[2A\rY\n");
    QCOMPARE(screen.takeFirstChangedLine(), 1);
    screen.feed("\r"); // moving alone changes nothing
    QCOMPARE(screen.takeFirstChangedLine(), -1);
    QCOMPARE(screen.lines(), (QStringList{"a", "Y", "X", ""}));
}

void tst_Console::notes()
{
    ConsoleScreen screen;
    screen.addLine(QStringLiteral("first note"));
    screen.feed("half a line");
    screen.addLine(QStringLiteral("two\nlines\twith \033[31mcontrols"));
    screen.addLine(QString());
    screen.feed("after");
    QCOMPARE(screen.lines(), (QStringList{"first note", "half a line", "two",
                                          "lineswith [31mcontrols", "", "after"}));
    // A note goes below everything, even when the encoder left its cursor higher up.
    ConsoleScreen high;
    high.feed("a\nb\nc\033[2A");
    high.addLine(QStringLiteral("note"));
    QCOMPARE(high.lines(), (QStringList{"a", "b", "c", "note", ""}));

    high.clear();
    QCOMPARE(high.lines(), QStringList{QString()});
    QCOMPARE(high.droppedLineCount(), 0);
    high.feed("\033");
    high.clear(); // a half-read sequence does not outlive the clear
    high.feed("[Kx");
    QCOMPARE(high.lines(), QStringList{"[Kx"});
}

void tst_Console::lineCap()
{
    ConsoleScreen screen;
    QByteArray bytes;
    for (int i = 0; i < ConsoleScreen::kMaxLines + 100; ++i)
        bytes += "line " + QByteArray::number(i) + '\n';
    screen.feed(bytes);
    QCOMPARE(screen.lines().size(), ConsoleScreen::kMaxLines);
    QCOMPARE(screen.droppedLineCount(), 101);
    QCOMPARE(screen.lines().first(), QStringLiteral("line 101"));
    QCOMPARE(screen.lines().at(screen.lines().size() - 2),
             QStringLiteral("line %1").arg(ConsoleScreen::kMaxLines + 99));
    QCOMPARE(screen.takeFirstChangedLine(), 0);
    // The cursor moves with the dropped lines: a redraw still lands on the right line.
    screen.feed("\033[A\rX");
    QCOMPARE(screen.lines().at(screen.lines().size() - 2).left(3), QStringLiteral("Xin"));
    QCOMPARE(screen.takeFirstChangedLine(), int(screen.lines().size()) - 2);
    screen.feed("\nnext\n");
    QCOMPARE(screen.lines().size(), ConsoleScreen::kMaxLines);
    QCOMPARE(screen.droppedLineCount(), 102);
    QCOMPARE(screen.takeFirstChangedLine(), int(screen.lines().size()) - 2);
}

void tst_Console::hostileInput()
{
    // Huge counts and endless parameters neither overflow nor grow without end.
    QCOMPARE(feedWhole("a\nb\033[99999999999999999999A\rX"), (QStringList{"X", "b"}));
    QCOMPARE(feedWhole("ab\033[" + QByteArray(100000, '1') + "Kc"), QStringList{"abc"});
    QCOMPARE(feedWhole("ab\033[" + QByteArray(100000, ';') + "Kc"), QStringList{"abc"});
    // A line without end wraps rather than growing for ever.
    const QStringList wrapped = feedWhole(QByteArray(ConsoleScreen::kMaxColumns * 2 + 3, 'x'));
    QCOMPARE(wrapped.size(), 3);
    QCOMPARE(wrapped.at(0).size(), ConsoleScreen::kMaxColumns);
    QCOMPARE(wrapped.at(2), QStringLiteral("xxx"));
    QCOMPARE(feedWhole(QByteArray(ConsoleScreen::kMaxColumns, '\t') + "x").first().size(),
             ConsoleScreen::kMaxColumns);
    // Noise of every byte value: no control character gets through.
    QByteArray noise;
    for (int i = 0; i < 20000; ++i)
        noise += char((i * 7919 + i / 13) & 0xff);
    QVERIFY(!hasControlCharacter(feedWhole(noise)));
    ConsoleScreen empty;
    empty.feed(QByteArrayView());
    QCOMPARE(empty.lines(), QStringList{QString()});
}

QTEST_APPLESS_MAIN(tst_Console)
#include "tst_console.moc"
