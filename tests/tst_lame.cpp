#include "lame/LameCheck.h"
#include "lame/LameOptions.h"
#include "settings/NumberText.h"

#include <QLocale>
#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;

namespace {

constexpr qint32 kMin = std::numeric_limits<qint32>::min();
constexpr qint32 kMax = std::numeric_limits<qint32>::max();

// Every flag on and every list at a value that writes a switch, in field order: the record
// that gives the longest command.
const LameOptions kEverything{32, 3, 1, 1, 1, 1, 1, 320, 2,   1,    1, 0, 200,  3, 10,
                              1,  1, 1, 1, 1, 8, 1, 1,   0.5, 0.25, 1, 1, 19.5, 1};
using L = LameOptions;

QString with(qint32 L::*field, qint32 value)
{
    LameOptions o;
    o.*field = value;
    return BuildLameCommand(o);
}

const QLocale kComma(QLocale::French, QLocale::France);

} // namespace

class TestLame : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void bitrateScale();
    void command();
    void numbers();
    void encoderAcceptsCommand();
};

void TestLame::bitrateScale()
{
    QCOMPARE((QList<qint32>{KbpsToIndex(96), KbpsToIndex(112), KbpsToIndex(320), KbpsToIndex(100),
                            IndexToKbps(17), IndexToKbps(18), IndexToKbps(-1), IndexToKbps(kMin)}),
             (QList<qint32>{9, 10, 17, 0, 320, 0, 0, 0}));
    // Any other rate comes in as the nearest of the scale, the lower of two as near.
    QCOMPARE(
        (QList<qint32>{NearestKbps(100), NearestKbps(104), NearestKbps(kMin), NearestKbps(kMax)}),
        (QList<qint32>{96, 96, 8, 320}));
}

void TestLame::command()
{
    QCOMPARE(BuildLameCommand({}), "-b 0 -m s");
    // The encoder reads only the point: "0,5" would make it refuse the high-pass and "16,5"
    // would quietly become 16; locale digits would not be read at all.
    const QString all = "-b 32 -m m -f -p -o -c -V 2 -B 320 -t -F --athshort -q 9 -d -k --nores "
                        "--noshort --strictly-enforce-ISO --resample 44.1 --highpass 0.5 "
                        "--highpass-width 0.25 --lowpass 19.5 --lowpass-width 1";
    for (const QLocale& locale : {QLocale::c(), kComma, QLocale(QLocale::Arabic, QLocale::Egypt)}) {
        QLocale::setDefault(locale);
        QCOMPARE(BuildLameCommand(kEverything), all);
    }
    QLocale::setDefault(QLocale::c());
    QCOMPARE(FormatFrequency(-0.0) + ' ' + FormatFrequency(0.1 + 0.2) + ' ' +
                 FormatFrequency(1.0 / 3) + ' ' + FormatFrequency(123456789012345),
             "0 0.3 0.333333333333333 123456789012345");

    // A value beyond a list writes nothing, and never reads past a table.
    QCOMPARE(with(&L::Mode, 4) + '|' + with(&L::Mode, -1), "-b 0|-b 0");
    for (qint32 L::*list : {&L::Optimisation, &L::ATH, &L::NiveauATH, &L::FrequenceEchantillon})
        QCOMPARE(with(list, -1), "-b 0 -m s");
    QCOMPARE(with(&L::Optimisation, 4) + with(&L::ATH, 4) + with(&L::NiveauATH, 11) +
                 with(&L::FrequenceEchantillon, 10) + with(&L::ActiveVBR, 2),
             QString("-b 0 -m s").repeated(5));
    // The list values the options window's own tests do not write.
    QCOMPARE(with(&L::Optimisation, 2) + '|' + with(&L::Optimisation, 3) + '|' +
                 with(&L::NiveauATH, 1),
             "-b 0 -m s -h|-b 0 -m s --preset voice|-b 0 -m s -q 0");

    // Only 1 turns a flag on: greyed (2) is off.
    LameOptions greyed = kEverything;
    for (qint32 L::*flag :
         {&L::Crc, &L::Copie, &L::Copyright, &L::DesactiveEcritureTag, &L::AppliquerBitrateMini,
          &L::AutoriserBlocDiferer, &L::DesactiveFiltrage, &L::DesactiveBitReservoir,
          &L::DesactiveBlocCourt, &L::ISO, &L::LargeurFiltreHighpass, &L::FiltrerLowpass})
        greyed.*flag = 2;
    QCOMPARE(BuildLameCommand(greyed),
             "-b 32 -m m -f -V 2 -B 320 --athshort -q 9 --resample 44.1 --highpass 0.5");

    // VBR off silences every VBR and ABR switch, even with ABR ticked; a width flag without its
    // filter writes nothing. ABR writes the maximum, the tag and minimum switches, then the
    // average, and no quality.
    LameOptions abr = kEverything;
    abr.ActiveVBR = abr.FiltrerHighpass = abr.FiltrerLowpass = 0;
    abr.ABR = 1;
    QCOMPARE(BuildLameCommand(abr), "-b 32 -m m -f -p -o -c --athshort -q 9 -d -k --nores "
                                    "--noshort --strictly-enforce-ISO --resample 44.1");
    abr.ActiveVBR = 1;
    QVERIFY(BuildLameCommand(abr).contains(" -c -B 320 -t -F --abr 200 --athshort"));
}

void TestLame::numbers()
{
    // The box reader: blanks, tabs and line feeds dropped, the longest leading number, the
    // point as the only separator whatever the locale, "&H" and "&O".
    const std::pair<QString, double> boxes[] = {
        {"12,5", 12.0},  {" 1 2\t.\n5 ", 12.5}, {"  - 3", -3.0}, {"-.25", -0.25}, {"16kHz", 16.0},
        {"1e-2x", 0.01}, {"3e-", 3.0},          {"1.2.3", 1.2},  {"abc", 0.0},    {".", 0.0},
        {"\r5", 0.0},    {" & H 1 f", 31.0},    {"&O18", 1.0},   {"&H", 0.0},     {"&X12", 0.0},
        {"1e999", 0.0},  {u"4\0 5"_s, 4.0},
    };
    for (const auto& [text, value] : boxes) {
        QCOMPARE(ReadBoxNumber(text), value);
        QLocale::setDefault(kComma);
        QCOMPARE(ReadBoxNumber(text), value);
        QLocale::setDefault(QLocale::c());
    }
    for (const QString& huge : {"&H" + QString(400, 'F'), QString(100000, '1') + ".5"})
        QCOMPARE(ReadBoxNumber(huge), 0.0);
    // The quality box: made whole, halves to even, clamped to 32 bits.
    QCOMPARE((QList<qint32>{ReadBoxWholeNumber("4.5"), ReadBoxWholeNumber("5.5 fois"),
                            ReadBoxWholeNumber("4,9"), ReadBoxWholeNumber("1e30"),
                            ReadBoxWholeNumber("-1e30"), ReadBoxWholeNumber("&HFFFFFFFFFF")}),
             (QList<qint32>{4, 6, 4, kMax, kMin, kMax}));

    // Loads: the whole text must be a number, rounded halves to even, within 32 bits.
    const std::pair<QString, std::optional<qint32>> wholes[] = {
        {" \t128 ", 128},      {"-2.5", -2},  {"5.5", 6},           {"1e3", 1000},  {"&o10", 8},
        {"-2147483648", kMin}, {"", {}},      {"12abc", {}},        {"1 2", {}},    {"&HXY", {}},
        {"2147483648", {}},    {"1e999", {}}, {"&HFFFFFFFFFF", {}}, {u"4\0"_s, {}}, {"4,5", {}},
        {"&H1G", {}},          {"5.", 5},
    };
    for (const auto& [text, value] : wholes)
        QCOMPARE(ToWholeNumber(text), value);
    QCOMPARE(ToLocaleNumber(" 16.5 "), 16.5);
    for (const QString& bad :
         QStringList{"19,5", "", "inf", "nan", "1e400", "&H" + QString(300, 'F')})
        QVERIFY(!ToLocaleNumber(bad));
    // Too small for a double is 0, not "no number".
    QVERIFY(ToLocaleNumber("1e-400") == 0.0 && ToWholeNumber("1e-400") == 0 &&
            ToLocaleNumber("-0.0001e-99999999999999999999") == 0.0 &&
            !ToLocaleNumber("1000e99999999999999999999"));

    // A comma locale reads its own separator and the point alike.
    QLocale::setDefault(kComma);
    QVERIFY(ToLocaleNumber("19,5") == 19.5 && ToLocaleNumber("19.5") == 19.5 &&
            !ToLocaleNumber("19,5,1") && ToWholeNumber("4,5") == 4);
    QLocale::setDefault(QLocale::c());
}

void TestLame::encoderAcceptsCommand()
{
    // Every switch at once, fractional filters included, as a user with a comma locale gets
    // it: lame takes them all (its ignored switches only warn).
    QLocale::setDefault(kComma);
    const QString switches = BuildLameCommand(kEverything);
    QLocale::setDefault(QLocale::c());
    const LameVerdict verdict = CheckLameSwitches(QUENZAL_BUILD_DIR "/lame", switches);
    QVERIFY2(!verdict.refusal, qPrintable(verdict.refusal.value_or(QString())));
    QVERIFY(verdict.summary.contains("Encoding as 44.1 kHz single-ch MPEG-1 Layer III VBR(q=2)"));
}

QTEST_GUILESS_MAIN(TestLame)
#include "tst_lame.moc"
