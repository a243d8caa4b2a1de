#include "lame/LameOptions.h"
#include "lame/NumberText.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <numbers>
#include <type_traits>

namespace {

// A short mono 16-bit WAV file of a quiet tone, enough for the encoder to accept its options.
bool writeWav(const QString& path)
{
    const int rate = 44100;
    QByteArray samples;
    for (int i = 0; i < rate / 4; ++i) {
        const auto value =
            static_cast<qint16>(3000 * std::sin(i * 2 * std::numbers::pi * 440 / rate));
        char le[2];
        qToLittleEndian(value, le);
        samples.append(le, 2);
    }
    QByteArray wav = "RIFF";
    const auto put32 = [&wav](quint32 v) {
        char le[4];
        qToLittleEndian(v, le);
        wav.append(le, 4);
    };
    const auto put16 = [&wav](quint16 v) {
        char le[2];
        qToLittleEndian(v, le);
        wav.append(le, 2);
    };
    put32(36 + samples.size());
    wav += "WAVEfmt ";
    put32(16);
    put16(1); // PCM
    put16(1); // mono
    put32(rate);
    put32(rate * 2);
    put16(2);
    put16(16);
    wav += "data";
    put32(samples.size());
    wav += samples;
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(wav) == wav.size();
}

// A record with every flag on and every list at a value that writes a switch.
LameOptions everything()
{
    LameOptions o;
    o.Bitrate = 32;
    o.Mode = 3;
    o.Optimisation = 1;
    o.Crc = o.Copie = o.Copyright = 1;
    o.ActiveVBR = 1;
    o.BitrateVBR = 320;
    o.Qualite = 2;
    o.DesactiveEcritureTag = o.AppliquerBitrateMini = 1;
    o.ABR = 0;
    o.BitrateABR = 200;
    o.ATH = 3;
    o.NiveauATH = 10;
    o.AutoriserBlocDiferer = o.DesactiveFiltrage = o.DesactiveBitReservoir = 1;
    o.DesactiveBlocCourt = o.ISO = 1;
    o.FrequenceEchantillon = 9;
    o.FiltrerHighpass = o.LargeurFiltreHighpass = 1;
    o.Highpass = 0.5;
    o.LargeurHighpass = 0.25;
    o.FiltrerLowpass = o.LargeurFiltreLowpass = 1;
    o.Lowpass = 19.5;
    o.LargeurLowpass = 1;
    return o;
}

// Field order matters: the settings store and preset files walk the record in this order.
#define FIELD(name) offsetof(LameOptions, name)
constexpr std::size_t kFieldOffsets[] = {
    FIELD(Bitrate),
    FIELD(Mode),
    FIELD(Optimisation),
    FIELD(Crc),
    FIELD(Copie),
    FIELD(Copyright),
    FIELD(ActiveVBR),
    FIELD(BitrateVBR),
    FIELD(Qualite),
    FIELD(DesactiveEcritureTag),
    FIELD(AppliquerBitrateMini),
    FIELD(ABR),
    FIELD(BitrateABR),
    FIELD(ATH),
    FIELD(NiveauATH),
    FIELD(AutoriserBlocDiferer),
    FIELD(DesactiveFiltrage),
    FIELD(DesactiveBitReservoir),
    FIELD(DesactiveBlocCourt),
    FIELD(ISO),
    FIELD(FrequenceEchantillon),
    FIELD(FiltrerHighpass),
    FIELD(LargeurFiltreHighpass),
    FIELD(Highpass),
    FIELD(LargeurHighpass),
    FIELD(FiltrerLowpass),
    FIELD(LargeurFiltreLowpass),
    FIELD(Lowpass),
    FIELD(LargeurLowpass),
};
#undef FIELD
static_assert(std::size(kFieldOffsets) == 29);
static_assert(std::is_same_v<decltype(LameOptions::Bitrate), qint32>);
static_assert(std::is_same_v<decltype(LameOptions::LargeurFiltreLowpass), qint32>);
static_assert(std::is_same_v<decltype(LameOptions::Highpass), double>);
static_assert(std::is_same_v<decltype(LameOptions::LargeurHighpass), double>);
static_assert(std::is_same_v<decltype(LameOptions::Lowpass), double>);
static_assert(std::is_same_v<decltype(LameOptions::LargeurLowpass), double>);

// The same settings as seen by a user whose locale writes numbers with a comma.
class CommaLocale {
public:
    CommaLocale() { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }
    ~CommaLocale() { QLocale::setDefault(QLocale::c()); }
};

} // namespace

class TestLame : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void optionRecord();
    void bitrateScale();
    void commandWorkedExamples();
    void commandSteps();
    void frequencies();
    void frequenciesInOtherLocales();
    void boxNumbers();
    void boxNumbers_data();
    void wholeNumbers();
    void wholeNumbers_data();
    void qualityNumbers();
    void localeNumbers();
    void encoderAcceptsCommand();
};

void TestLame::initTestCase()
{
    QLocale::setDefault(QLocale::c());
}

void TestLame::optionRecord()
{
    for (std::size_t i = 1; i < std::size(kFieldOffsets); ++i)
        QVERIFY2(kFieldOffsets[i - 1] < kFieldOffsets[i], qPrintable(QString::number(i)));

    // Zero-filled at start.
    const LameOptions fresh;
    QCOMPARE(fresh.Bitrate, 0);
    QCOMPARE(fresh.Highpass, 0.0);
    QCOMPARE(fresh.LargeurLowpass, 0.0);
    QVERIFY(fresh == LameOptions{});
    LameOptions changed;
    changed.LargeurLowpass = 1;
    QVERIFY(!(fresh == changed));
}

void TestLame::bitrateScale()
{
    const qint32 scale[] = {8,  16,  24,  32,  40,  48,  56,  64,  80,
                            96, 112, 128, 144, 160, 192, 224, 256, 320};
    for (qint32 i = 0; i < 18; ++i) {
        QCOMPARE(IndexToKbps(i), scale[i]);
        QCOMPARE(KbpsToIndex(scale[i]), i);
    }
    for (const qint32 outside :
         {-1, 18, 100, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()})
        QCOMPARE(IndexToKbps(outside), 0);

    // Off-scale rates fall back to position 0 (8 kbps), never to a neighbour.
    for (qint32 kbps = -10; kbps <= 400; ++kbps) {
        const bool onScale = std::find(std::begin(scale), std::end(scale), kbps) != std::end(scale);
        QCOMPARE(IndexToKbps(KbpsToIndex(kbps)), onScale ? kbps : 8);
    }
    QCOMPARE(KbpsToIndex(100), 0);
    QCOMPARE(KbpsToIndex(std::numeric_limits<qint32>::min()), 0);
}

void TestLame::commandWorkedExamples()
{
    LameOptions o;
    QCOMPARE(BuildLameCommand(o), QStringLiteral("-b 0 -m s"));

    o.Bitrate = 128;
    o.Mode = 1;
    o.Optimisation = 2;
    o.ActiveVBR = 1;
    o.ABR = 0;
    o.Qualite = 4;
    o.BitrateVBR = 256;
    o.NiveauATH = 3;
    o.FiltrerLowpass = 1;
    o.Lowpass = 16;
    QCOMPARE(BuildLameCommand(o), QStringLiteral("-b 128 -m j -h -V 4 -B 256 -q 2 --lowpass 16"));

    // Every step at once, in its fixed order.
    QCOMPARE(BuildLameCommand(everything()),
             QStringLiteral("-b 32 -m m -f -p -o -c -V 2 -B 320 -t -F --athshort -q 9 -d -k "
                            "--nores --noshort --strictly-enforce-ISO --resample 48 "
                            "--highpass 0.5 --highpass-width 0.25 --lowpass 19.5 "
                            "--lowpass-width 1"));
}

void TestLame::commandSteps()
{
    const auto with = [](auto change) {
        LameOptions o;
        change(o);
        return BuildLameCommand(o);
    };
    // Lists: only the listed values write a switch.
    QCOMPARE(with([](LameOptions& o) { o.Mode = 2; }), QStringLiteral("-b 0 -m f"));
    QCOMPARE(with([](LameOptions& o) { o.Mode = 4; }), QStringLiteral("-b 0"));
    QCOMPARE(with([](LameOptions& o) { o.Mode = -1; }), QStringLiteral("-b 0"));
    QCOMPARE(with([](LameOptions& o) { o.Optimisation = 3; }),
             QStringLiteral("-b 0 -m s --preset voice"));
    QCOMPARE(with([](LameOptions& o) { o.Optimisation = 4; }), QStringLiteral("-b 0 -m s"));
    QCOMPARE(with([](LameOptions& o) { o.ATH = 1; }), QStringLiteral("-b 0 -m s --athonly"));
    QCOMPARE(with([](LameOptions& o) { o.ATH = 2; }), QStringLiteral("-b 0 -m s --noath"));
    QCOMPARE(with([](LameOptions& o) { o.ATH = 4; }), QStringLiteral("-b 0 -m s"));
    QCOMPARE(with([](LameOptions& o) { o.NiveauATH = 1; }), QStringLiteral("-b 0 -m s -q 0"));
    QCOMPARE(with([](LameOptions& o) { o.NiveauATH = 11; }), QStringLiteral("-b 0 -m s"));
    QCOMPARE(with([](LameOptions& o) { o.NiveauATH = -1; }), QStringLiteral("-b 0 -m s"));
    QCOMPARE(with([](LameOptions& o) { o.FrequenceEchantillon = 10; }),
             QStringLiteral("-b 0 -m s"));
    QCOMPARE(with([](LameOptions& o) { o.Bitrate = -5; }), QStringLiteral("-b -5 -m s"));

    const QStringList resamples = {"8", "11.025", "12", "16", "22.05", "24", "32", "44.1", "48"};
    {
        const CommaLocale comma;
        for (int i = 1; i <= 9; ++i) {
            LameOptions o;
            o.FrequenceEchantillon = i;
            QCOMPARE(BuildLameCommand(o), "-b 0 -m s --resample " + resamples[i - 1]);
        }
    }

    // Only 1 switches a flag on; a greyed box (2) is off.
    LameOptions greyed = everything();
    for (qint32* flag :
         {&greyed.Crc, &greyed.Copie, &greyed.Copyright, &greyed.DesactiveEcritureTag,
          &greyed.AppliquerBitrateMini, &greyed.AutoriserBlocDiferer, &greyed.DesactiveFiltrage,
          &greyed.DesactiveBitReservoir, &greyed.DesactiveBlocCourt, &greyed.ISO,
          &greyed.LargeurFiltreHighpass, &greyed.LargeurFiltreLowpass})
        *flag = 2;
    QCOMPARE(BuildLameCommand(greyed),
             QStringLiteral("-b 32 -m m -f -V 2 -B 320 --athshort -q 9 --resample 48 "
                            "--highpass 0.5 --lowpass 19.5"));
    greyed.ActiveVBR = 2;
    greyed.FiltrerHighpass = 2;
    greyed.FiltrerLowpass = 2;
    QCOMPARE(BuildLameCommand(greyed),
             QStringLiteral("-b 32 -m m -f --athshort -q 9 --resample 48"));

    // VBR off silences every VBR and ABR switch, even with ABR ticked.
    LameOptions vbr = everything();
    vbr.ActiveVBR = 0;
    vbr.ABR = 1;
    QVERIFY(!BuildLameCommand(vbr).contains(QLatin1String(" -V")));
    QVERIFY(!BuildLameCommand(vbr).contains(QLatin1String(" -B")));
    QVERIFY(!BuildLameCommand(vbr).contains(QLatin1String(" -t")));
    QVERIFY(!BuildLameCommand(vbr).contains(QLatin1String(" -F")));
    QVERIFY(!BuildLameCommand(vbr).contains(QLatin1String("--abr")));
    // ABR: the maximum, then the tag and minimum switches, then the average; no quality.
    vbr.ActiveVBR = 1;
    QVERIFY(BuildLameCommand(vbr).contains(QLatin1String(" -c -B 320 -t -F --abr 200 --athshort")));
    QVERIFY(!BuildLameCommand(vbr).contains(QLatin1String(" -V")));

    // A width flag alone writes nothing.
    QCOMPARE(with([](LameOptions& o) {
                 o.LargeurFiltreLowpass = 1;
                 o.LargeurLowpass = 3;
                 o.LargeurFiltreHighpass = 1;
                 o.LargeurHighpass = 3;
             }),
             QStringLiteral("-b 0 -m s"));
}

void TestLame::frequencies()
{
    QCOMPARE(FormatFrequency(16), QStringLiteral("16"));
    QCOMPARE(FormatFrequency(19.5), QStringLiteral("19.5"));
    QCOMPARE(FormatFrequency(0.5), QStringLiteral("0.5"));
    QCOMPARE(FormatFrequency(0), QStringLiteral("0"));
    QCOMPARE(FormatFrequency(-0.0), QStringLiteral("0"));
    QCOMPARE(FormatFrequency(-2.25), QStringLiteral("-2.25"));
    // At most 15 significant digits, so binary noise never shows.
    QCOMPARE(FormatFrequency(0.1 + 0.2), QStringLiteral("0.3"));
    QCOMPARE(FormatFrequency(1.0 / 3), QStringLiteral("0.333333333333333"));
    QCOMPARE(FormatFrequency(12345.678), QStringLiteral("12345.678"));
    QCOMPARE(FormatFrequency(123456789012345), QStringLiteral("123456789012345"));
}

void TestLame::frequenciesInOtherLocales()
{
    // The encoder reads only the point: "0,5" would make it refuse the high-pass, "16,5"
    // would quietly become 16. Locale digits would not be read at all.
    const QLocale locales[] = {
        QLocale(QLocale::French, QLocale::France), QLocale(QLocale::German, QLocale::Germany),
        QLocale(QLocale::Arabic, QLocale::Egypt), QLocale(QLocale::Hindi, QLocale::India)};
    for (const QLocale& locale : locales) {
        QLocale::setDefault(locale);
        QCOMPARE(FormatFrequency(0.5), QStringLiteral("0.5"));
        QCOMPARE(FormatFrequency(12345.5), QStringLiteral("12345.5"));
        QCOMPARE(FormatFrequency(-1), QStringLiteral("-1"));
        QVERIFY(BuildLameCommand(everything())
                    .endsWith(QLatin1String(" --highpass 0.5 --highpass-width 0.25 "
                                            "--lowpass 19.5 --lowpass-width 1")));
    }
    QLocale::setDefault(QLocale::c());
}

void TestLame::boxNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");

    QTest::newRow("decimal") << "12.5" << 12.5;
    QTest::newRow("comma ends the number") << "12,5" << 12.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("blanks, tabs and line feeds dropped") << " 1 2\t.\n5 " << 12.5;
    QTest::newRow("sign after blanks") << "  - 3" << -3.0;
    QTest::newRow("plus") << "+7" << 7.0;
    QTest::newRow("leading point") << ".5" << 0.5;
    QTest::newRow("signed leading point") << "-.25" << -0.25;
    QTest::newRow("trailing point") << "5." << 5.0;
    QTest::newRow("trailing text") << "16kHz" << 16.0;
    QTest::newRow("exponent") << "1.5E2" << 150.0;
    QTest::newRow("small exponent") << "1e-2x" << 0.01;
    QTest::newRow("signed exponent") << "2e+3" << 2000.0;
    QTest::newRow("exponent without digits") << "3e" << 3.0;
    QTest::newRow("exponent sign only") << "3e-" << 3.0;
    QTest::newRow("two points") << "1.2.3" << 1.2;
    QTest::newRow("letters") << "abc" << 0.0;
    QTest::newRow("sign only") << "-" << 0.0;
    QTest::newRow("point only") << "." << 0.0;
    QTest::newRow("carriage return is not a blank") << "\r5" << 0.0;
    QTest::newRow("hex") << "&H1F" << 31.0;
    QTest::newRow("hex lower case") << "&hff" << 255.0;
    QTest::newRow("hex with blanks") << " & H 1 0" << 16.0;
    QTest::newRow("hex stops at non-digit") << "&H1G" << 1.0;
    QTest::newRow("octal") << "&O17" << 15.0;
    QTest::newRow("octal stops at 8") << "&O18" << 1.0;
    QTest::newRow("prefix alone") << "&H" << 0.0;
    QTest::newRow("other prefix") << "&X12" << 0.0;
    QTest::newRow("overflow") << "1e999" << 0.0;
    QTest::newRow("huge hex") << "&H" + QString(400, QLatin1Char('F')) << 0.0;
    QTest::newRow("long digits") << QString(100000, QLatin1Char('1')) + ".5" << 0.0;
    QTest::newRow("nul") << QStringLiteral("4") + QChar(0) + QStringLiteral("5") << 4.0;
}

void TestLame::boxNumbers()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(ReadBoxNumber(text), value);
    // The point stays the only separator in a comma locale.
    const CommaLocale comma;
    QCOMPARE(ReadBoxNumber(text), value);
}

void TestLame::wholeNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");

    QTest::newRow("plain") << "128" << true << 128;
    QTest::newRow("blanks around") << " \t128 " << true << 128;
    QTest::newRow("negative") << "-4" << true << -4;
    QTest::newRow("half down to even") << "4.5" << true << 4;
    QTest::newRow("half up to even") << "5.5" << true << 6;
    QTest::newRow("negative half") << "-2.5" << true << -2;
    QTest::newRow("below half") << "2.4999" << true << 2;
    QTest::newRow("exponent") << "1e3" << true << 1000;
    QTest::newRow("hex") << "&H10" << true << 16;
    QTest::newRow("octal") << "&o10" << true << 8;
    QTest::newRow("largest") << "2147483647" << true << 2147483647;
    QTest::newRow("smallest") << "-2147483648" << true << int(std::numeric_limits<qint32>::min());
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("blanks") << "   " << false << 0;
    QTest::newRow("letters") << "abc" << false << 0;
    QTest::newRow("trailing letters") << "12abc" << false << 0;
    QTest::newRow("inner blank") << "1 2" << false << 0;
    QTest::newRow("sign only") << "-" << false << 0;
    QTest::newRow("point only") << "." << false << 0;
    QTest::newRow("prefix only") << "&H" << false << 0;
    QTest::newRow("bad hex") << "&HXY" << false << 0;
    QTest::newRow("too large") << "2147483648" << false << 0;
    QTest::newRow("far too large") << "1e300" << false << 0;
    QTest::newRow("overflow") << "1e999" << false << 0;
    QTest::newRow("hex too large") << "&HFFFFFFFFFF" << false << 0;
    QTest::newRow("nul") << QStringLiteral("4") + QChar(0) << false << 0;
}

void TestLame::wholeNumbers()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, value);
    const std::optional<qint32> result = ToWholeNumber(text);
    QCOMPARE(result.has_value(), valid);
    if (valid)
        QCOMPARE(*result, value);
}

void TestLame::qualityNumbers()
{
    QCOMPARE(RoundHalfEven(0.5), 0.0);
    QCOMPARE(RoundHalfEven(1.5), 2.0);
    QCOMPARE(RoundHalfEven(-0.5), 0.0);
    QCOMPARE(RoundHalfEven(2.5000001), 3.0);

    // The quality box: the box reader, made whole, never out of the 32-bit range.
    QCOMPARE(ReadBoxWholeNumber(QStringLiteral("4.5")), 4);
    QCOMPARE(ReadBoxWholeNumber(QStringLiteral("5.5 fois")), 6);
    QCOMPARE(ReadBoxWholeNumber(QStringLiteral("4,9")), 4);
    QCOMPARE(ReadBoxWholeNumber(QString()), 0);
    QCOMPARE(ReadBoxWholeNumber(QStringLiteral("1e30")), std::numeric_limits<qint32>::max());
    QCOMPARE(ReadBoxWholeNumber(QStringLiteral("-1e30")), std::numeric_limits<qint32>::min());
    QCOMPARE(ReadBoxWholeNumber(QStringLiteral("&HFFFFFFFFFF")),
             std::numeric_limits<qint32>::max());
}

void TestLame::localeNumbers()
{
    QCOMPARE(ToLocaleNumber(QStringLiteral("19.5")), std::optional<double>(19.5));
    QCOMPARE(ToLocaleNumber(QStringLiteral(" 16 ")), std::optional<double>(16));
    QVERIFY(!ToLocaleNumber(QStringLiteral("19,5")));
    QVERIFY(!ToLocaleNumber(QString()));
    QVERIFY(!ToLocaleNumber(QStringLiteral("abc")));
    QVERIFY(!ToLocaleNumber(QStringLiteral("1e400")));
    QVERIFY(!ToLocaleNumber(QStringLiteral("inf")));
    QVERIFY(!ToLocaleNumber(QStringLiteral("nan")));
    QVERIFY(!ToWholeNumber(QStringLiteral("4,5")));

    // A comma locale reads its own separator and the point alike.
    const CommaLocale comma;
    QCOMPARE(ToLocaleNumber(QStringLiteral("19,5")), std::optional<double>(19.5));
    QCOMPARE(ToLocaleNumber(QStringLiteral("19.5")), std::optional<double>(19.5));
    QVERIFY(!ToLocaleNumber(QStringLiteral("19,5,1")));
    QCOMPARE(ToWholeNumber(QStringLiteral("4,5")), std::optional<qint32>(4));
    QCOMPARE(ToWholeNumber(QStringLiteral("5,5")), std::optional<qint32>(6));
}

void TestLame::encoderAcceptsCommand()
{
    const QString lame = QStringLiteral(QUENZAL_BUILD_DIR "/lame");
    QVERIFY2(QFileInfo(lame).isExecutable(), qPrintable(lame));
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString source = dir.filePath(QStringLiteral("tone.wav"));
    QVERIFY(writeWav(source));

    // The switches as a user with a comma locale gets them, fractional filters included.
    LameOptions o;
    o.Bitrate = 128;
    o.Mode = 1;
    o.Optimisation = 2;
    o.ActiveVBR = 1;
    o.Qualite = 4;
    o.BitrateVBR = 256;
    o.NiveauATH = 3;
    o.FrequenceEchantillon = 5;
    o.FiltrerHighpass = o.LargeurFiltreHighpass = 1;
    o.Highpass = 0.5;
    o.LargeurHighpass = 0.25;
    o.FiltrerLowpass = o.LargeurFiltreLowpass = 1;
    o.Lowpass = 9.5;
    o.LargeurLowpass = 0.5;
    QString command;
    {
        const CommaLocale comma;
        command = BuildLameCommand(o);
    }
    const QString output = dir.filePath(QStringLiteral("tone.mp3"));
    QProcess encoder;
    encoder.setProcessChannelMode(QProcess::MergedChannels);
    encoder.start(lame, command.split(QLatin1Char(' ')) +
                            QStringList{QStringLiteral("--silent"), source, output});
    QVERIFY(encoder.waitForFinished(120000));
    QVERIFY2(encoder.exitStatus() == QProcess::NormalExit && encoder.exitCode() == 0,
             encoder.readAll().constData());
    QVERIFY(QFileInfo(output).size() > 0);
}

QTEST_GUILESS_MAIN(TestLame)
#include "tst_lame.moc"
