#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// Every LAME encoding setting the user can choose, in the order the options window, the
// settings store and the preset files use. Flags hold a check-box state: 0 cleared, 1 ticked,
// 2 greyed; only 1 counts as on. List fields hold the zero-based index of the selected entry.
// Bit rates are in kbps, frequencies in kHz.
struct LameOptions {
    qint32 Bitrate = 0;      // CBR rate, or the VBR minimum
    qint32 Mode = 0;         // Stereo, Joint Stereo, Forced Joint Stereo, Mono, Defaut
    qint32 Optimisation = 0; // Aucune, Vitesse, Qualité; 3 = voice preset
    qint32 Crc = 0;
    qint32 Copie = 0;
    qint32 Copyright = 0;
    qint32 ActiveVBR = 0;
    qint32 BitrateVBR = 0; // VBR maximum
    qint32 Qualite = 0;    // VBR quality level
    qint32 DesactiveEcritureTag = 0;
    qint32 AppliquerBitrateMini = 0;
    qint32 ABR = 0;
    qint32 BitrateABR = 0; // 4 to 310
    qint32 ATH = 0;        // Défaut, Seul, Désactiver, Juste pour blocs court
    qint32 NiveauATH = 0;  // 0 = Défaut, k = quality level k - 1
    qint32 AutoriserBlocDiferer = 0;
    qint32 DesactiveFiltrage = 0;
    qint32 DesactiveBitReservoir = 0;
    qint32 DesactiveBlocCourt = 0;
    qint32 ISO = 0;
    qint32 FrequenceEchantillon = 0; // 0 = unchanged, 1..9 = 8 to 48 kHz
    qint32 FiltrerHighpass = 0;
    qint32 LargeurFiltreHighpass = 0;
    double Highpass = 0.0;
    double LargeurHighpass = 0.0;
    qint32 FiltrerLowpass = 0;
    qint32 LargeurFiltreLowpass = 0;
    double Lowpass = 0.0;
    double LargeurLowpass = 0.0;

    bool operator==(const LameOptions&) const = default;
};

// The 18 positions of both bit-rate sliders: 8 ... 320 kbps.
inline constexpr int kBitrateScaleSize = 18;

// kbps of a scale position; 0 for a position outside 0..17.
qint32 IndexToKbps(qint32 index);

// Scale position of one of the 18 rates; 0 for any other rate (no rounding to a neighbour).
qint32 KbpsToIndex(qint32 kbps);

// The rate of the scale nearest to any rate (the lower one of two as near).
qint32 NearestKbps(qint32 kbps);

// The ABR slider's range: its position is the rate in kbps.
inline constexpr qint32 kAbrMinimum = 4;
inline constexpr qint32 kAbrMaximum = 310;

// The LAME switches for the options, in LAME's fixed order, separated by single blanks.
QString BuildLameCommand(const LameOptions& options);

// The filter switches whose value lame would read otherwise than the boxes mean it (kHz above
// 0 and below 50: lame takes 50 and more as Hz), as the switches write them.
QStringList FiltersOutOfRange(const LameOptions& options);

// A frequency as the switches write it: the shortest decimal form with at most 15
// significant digits, with a point and plain digits whatever the user's locale, because
// that is the only form the encoder reads.
QString FormatFrequency(double kHz);

// The number of entries of each option list of the options window; a stored or preset index
// must be below it.
inline constexpr int kModeEntries = 5;
inline constexpr int kOptimisationEntries = 3;
inline constexpr int kAthEntries = 4;
inline constexpr int kNiveauAthEntries = 11;
inline constexpr int kFrequenceEntries = 10;
