#include "lame/LameOptions.h"

#include <array>

namespace {

constexpr std::array<qint32, kBitrateScaleSize> kScale = {
    8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 192, 224, 256, 320};

bool on(qint32 flag)
{
    return flag == 1;
}

} // namespace

qint32 IndexToKbps(qint32 index)
{
    return index >= 0 && index < kBitrateScaleSize ? kScale[index] : 0;
}

qint32 KbpsToIndex(qint32 kbps)
{
    for (int i = 0; i < kBitrateScaleSize; ++i) {
        if (kScale[i] == kbps)
            return i;
    }
    return 0;
}

qint32 NearestKbps(qint32 kbps)
{
    qint32 nearest = kScale[0];
    for (const qint32 rate : kScale) {
        if (qAbs(qint64(rate) - kbps) < qAbs(qint64(nearest) - kbps))
            nearest = rate;
    }
    return nearest;
}

QString FormatFrequency(double kHz)
{
    if (kHz == 0.0)
        kHz = 0.0; // no "-0"
    // The encoder reads its numbers with the point in every locale: "16,5" would be taken as
    // 16 and "0,5" refused. Plain digits too, whatever digits the locale shows.
    return QString::number(kHz, 'G', 15);
}

QString BuildLameCommand(const LameOptions& o)
{
    static const char* const modes[] = {" -m s", " -m j", " -m f", " -m m"};
    static const char* const optimisations[] = {"", " -f", " -h", " --preset voice"};
    static const char* const aths[] = {"", " --athonly", " --noath", " --athshort"};
    static const char* const resamples[] = {"",      "8",  "11.025", "12",   "16",
                                            "22.05", "24", "32",     "44.1", "48"};

    QString s = QStringLiteral("-b ") + QString::number(o.Bitrate);
    if (o.Mode >= 0 && o.Mode <= 3)
        s += QLatin1String(modes[o.Mode]);
    if (o.Optimisation >= 1 && o.Optimisation <= 3)
        s += QLatin1String(optimisations[o.Optimisation]);
    if (on(o.Crc))
        s += QLatin1String(" -p");
    if (on(o.Copie))
        s += QLatin1String(" -o");
    if (on(o.Copyright))
        s += QLatin1String(" -c");
    if (on(o.ActiveVBR)) {
        if (!on(o.ABR))
            s += QStringLiteral(" -V ") + QString::number(o.Qualite);
        s += QStringLiteral(" -B ") + QString::number(o.BitrateVBR);
        if (on(o.DesactiveEcritureTag))
            s += QLatin1String(" -t");
        if (on(o.AppliquerBitrateMini))
            s += QLatin1String(" -F");
        if (on(o.ABR))
            s += QStringLiteral(" --abr ") + QString::number(o.BitrateABR);
    }
    if (o.ATH >= 1 && o.ATH <= 3)
        s += QLatin1String(aths[o.ATH]);
    if (o.NiveauATH >= 1 && o.NiveauATH <= 10)
        s += QStringLiteral(" -q ") + QString::number(o.NiveauATH - 1);
    if (on(o.AutoriserBlocDiferer))
        s += QLatin1String(" -d");
    if (on(o.DesactiveFiltrage))
        s += QLatin1String(" -k");
    if (on(o.DesactiveBitReservoir))
        s += QLatin1String(" --nores");
    if (on(o.DesactiveBlocCourt))
        s += QLatin1String(" --noshort");
    if (on(o.ISO))
        s += QLatin1String(" --strictly-enforce-ISO");
    if (o.FrequenceEchantillon >= 1 && o.FrequenceEchantillon <= 9)
        s += QStringLiteral(" --resample ") + QLatin1String(resamples[o.FrequenceEchantillon]);
    if (on(o.FiltrerHighpass)) {
        s += QStringLiteral(" --highpass ") + FormatFrequency(o.Highpass);
        if (on(o.LargeurFiltreHighpass))
            s += QStringLiteral(" --highpass-width ") + FormatFrequency(o.LargeurHighpass);
    }
    if (on(o.FiltrerLowpass)) {
        s += QStringLiteral(" --lowpass ") + FormatFrequency(o.Lowpass);
        if (on(o.LargeurFiltreLowpass))
            s += QStringLiteral(" --lowpass-width ") + FormatFrequency(o.LargeurLowpass);
    }
    return s;
}

QStringList FiltersOutOfRange(const LameOptions& o)
{
    QStringList out;
    const auto check = [&out](bool written, const char* word, double kHz) {
        if (written && (kHz <= 0.0 || kHz >= 50.0))
            out << QLatin1String(word) + QLatin1Char(' ') + FormatFrequency(kHz);
    };
    check(on(o.FiltrerHighpass), "--highpass", o.Highpass);
    check(on(o.FiltrerHighpass) && on(o.LargeurFiltreHighpass), "--highpass-width",
          o.LargeurHighpass);
    check(on(o.FiltrerLowpass), "--lowpass", o.Lowpass);
    check(on(o.FiltrerLowpass) && on(o.LargeurFiltreLowpass), "--lowpass-width", o.LargeurLowpass);
    return out;
}
