#include "lame/OptionTable.h"

#include "settings/NumberText.h"
#include "settings/StoredSettings.h"

#include <algorithm>

namespace {

using K = KeptOptions;
using O = LameOptions;
using Kind = OptionKind;

// lame reads a filter value of 50 and more as Hz, below as kHz; the boxes say kHz.
constexpr double kHzFromHz = 50.0;

const OptionRow kRows[] = {
    {"txtdescription", Kind::Text, &K::description, 0, "Description", "General", "Description"},
    {"sldBitrate_0", Kind::Rate, &O::Bitrate, 128, "Bitrate", "General", "Bitrate", 0, nullptr,
     nullptr, "lblBitrateActuel"},
    {"cmbMode", Kind::List, &O::Mode, 0, "Mode", "Option", "Mode", kModeEntries},
    {"cmbOptimisation", Kind::List, &O::Optimisation, 1, "Optimisation", "Option", "Optimisation",
     kOptimisationEntries},
    {"chkCrc", Kind::Box, &O::Crc, 0, "CRC-Checksums", "Option", "CRC"},
    {"chkSupp", Kind::Box, &K::deleteSources, 0, "Supprimer", "Option",
     "Suppression apres encodage"},
    {"chkCopie", Kind::Box, &O::Copie, 0, "Copie", "Marque", "Copie"},
    {"chkCopyright", Kind::Box, &O::Copyright, 0, "Copyright", "Marque", "Copyright"},
    {"chkActiveVBR", Kind::Box, &O::ActiveVBR, 0, "VBR Activé", "VBR", "ActiverVBR", 0,
     "frmVBR frmQualite chkDesactiveEcritureTag chkAppliquerBitrateMini chkABR frmABR",
     "frmVBR frmQualite chkDesactiveEcritureTag chkAppliquerBitrateMini chkABR frmABR"},
    {"sldBitrate_1", Kind::Rate, &O::BitrateVBR, 128, "Bitrate VBR", "VBR", "Bitrate VBR", 0,
     nullptr, nullptr, "lblVBRActuel"},
    {"txtQualite", Kind::Quality, &O::Qualite, 4, "Qualité du VBR", "VBR", "Qualité"},
    {"chkDesactiveEcritureTag", Kind::Box, &O::DesactiveEcritureTag, 0, "Ecriture TAG désactivé",
     "VBR", "Desactiver TAG"},
    {"chkAppliquerBitrateMini", Kind::Box, &O::AppliquerBitrateMini, 0, "Bitrate mini VBR", "VBR",
     "Stricte Minimum VBR"},
    {"chkABR", Kind::Box, &O::ABR, 0, "ABR Activé", "VBR", "Utiliser ABR", 0, "frmABR", "frmABR"},
    {"sldBitrateABR", Kind::Position, &O::BitrateABR, 250, "Bitrate ABR", "VBR", "Bitrate ABR", 0,
     nullptr, nullptr, "lblABRActuel"},
    {"cmbATH", Kind::List, &O::ATH, 0, "Controle ATH", "Expert", "Controle ATH", kAthEntries},
    {"cmbNiveauATH", Kind::List, &O::NiveauATH, 3, "Niveau ATH", "Expert", "Niveau Q",
     kNiveauAthEntries},
    {"chkAutoriserBlocDiferer", Kind::Box, &O::AutoriserBlocDiferer, 0, "Autoriser blocs différés",
     "Expert", "Autoriser Bloc Types"},
    {"chkDesactiveFiltrage", Kind::Box, &O::DesactiveFiltrage, 0, "Désactiver filtrage", "Expert",
     "Desactiver Filtrage"},
    {"chkDesactiveBitReservoir", Kind::Box, &O::DesactiveBitReservoir, 0,
     "Désactiver Bit Reservoir", "Expert", "Desactiver Bit Reservoir"},
    {"chkDesactiveBlocCourt", Kind::Box, &O::DesactiveBlocCourt, 0, "Désactiver blocs courts",
     "Expert", "Desactiver Blocs Courts"},
    {"chkISO", Kind::Box, &O::ISO, 0, "Norme ISO", "Expert", "Norme ISO"},
    {"cmbFrequenceEchantillon", Kind::List, &O::FrequenceEchantillon, 0, "Frequence", "Audio",
     "Frequence Sortie", kFrequenceEntries},
    {"chkFiltrerHighpass", Kind::Box, &O::FiltrerHighpass, 0, "HighPass Activé", "Audio",
     "HighPass Activer", 0, "txtHighpass upHighpass chkLargeurFiltreHighpass",
     "txtHighpass upHighpass chkLargeurFiltreHighpass txtLargeurHighpass upLargeurHighpass"},
    {"txtHighpass", Kind::Frequency, &O::Highpass, 0, "Valeur HighPass", "Audio",
     "Frequence HighPass"},
    {"chkLargeurFiltreHighpass", Kind::Box, &O::LargeurFiltreHighpass, 0, "HighPassWith Activé",
     "Audio", "HighPassWidth Activer", 0, "txtLargeurHighpass upLargeurHighpass",
     "txtLargeurHighpass upLargeurHighpass"},
    {"txtLargeurHighpass", Kind::Frequency, &O::LargeurHighpass, 0, "Valeur HighPassWith", "Audio",
     "Frequence HighPassWidth"},
    {"chkFiltrerLowpass", Kind::Box, &O::FiltrerLowpass, 0, "LowPass Activé", "Audio",
     "LowPass Activer", 0, "txtLowpass upLowpass chkLargeurFiltreLowpass",
     "txtLowpass upLowpass chkLargeurFiltreLowpass txtLargeurLowpass upLargeurLowpass"},
    {"txtLowpass", Kind::Frequency, &O::Lowpass, 0, "Valeur LowPass", "Audio", "Frequence LowPass"},
    {"chkLargeurFiltreLowpass", Kind::Box, &O::LargeurFiltreLowpass, 0, "LowPassWith Activé",
     "Audio", "LowPassWidth Activer", 0, "txtLargeurLowpass upLargeurLowpass",
     "txtLargeurLowpass upLargeurLowpass"},
    {"txtLargeurLowpass", Kind::Frequency, &O::LargeurLowpass, 0, "Valeur LowPassWith", "Audio",
     "Frequence LowPassWidth"},
    // The switches are the store's only: a preset is rebuilt into them when it is opened.
    {"txtOption", Kind::Text, &K::switches, 0, StoredSettings::kLameCommand},
};

const DoubtfulSwitch kDoubtful[] = {
    {"chkAutoriserBlocDiferer", 1, "-d"},
    {"chkDesactiveFiltrage", 1, "-k"},
    {"chkDesactiveBlocCourt", 1, "--noshort"},
    {"cmbATH", 1, "--athonly"},
    {"cmbATH", 2, "--noath"},
    {"cmbATH", 3, "--athshort"},
};

// Visits the row's value in the kept options, whatever its type.
template <class Kept, class Visit>
decltype(auto) withValue(Kept& kept, const OptionRow& row, Visit v)
{
    return std::visit(
        [&](auto member) -> decltype(auto) {
            using M = decltype(member);
            if constexpr (std::is_same_v<M, QString K::*> || std::is_same_v<M, bool K::*>)
                return v(kept.*member);
            else
                return v(kept.options.*member);
        },
        row.field);
}

std::optional<double> readNumber(const OptionRow& row, const QString& text)
{
    switch (row.kind) {
    case Kind::Frequency: {
        auto value = BoxTextToNumber(text);
        if (value && *value >= kHzFromHz)
            *value /= 1000.0; // written in Hz by an older Quenzal; lame took it so
        return value;
    }
    case Kind::Quality:
        if (const auto whole = BoxTextToWhole(text))
            return *whole;
        return std::nullopt;
    default:
        break;
    }
    const std::optional<qint32> whole = ToWholeNumber(text);
    if (!whole)
        return std::nullopt;
    switch (row.kind) {
    case Kind::Rate:
        return NearestKbps(*whole);
    case Kind::Position:
        return std::clamp(*whole, kAbrMinimum, kAbrMaximum);
    case Kind::List:
        if (*whole < 0 || *whole >= row.entries)
            return std::nullopt;
        break;
    case Kind::Box:
        if (*whole < 0 || *whole > 2)
            return std::nullopt;
        break;
    default:
        break;
    }
    return *whole;
}

} // namespace

std::span<const OptionRow> OptionTable()
{
    return kRows;
}

std::span<const DoubtfulSwitch> DoubtfulSwitches()
{
    return kDoubtful;
}

KeptOptions FirstStartOptions()
{
    KeptOptions kept;
    for (const OptionRow& row : kRows) {
        withValue(kept, row, [&](auto& value) {
            using V = std::decay_t<decltype(value)>;
            if constexpr (!std::is_same_v<V, QString>)
                value = static_cast<V>(row.firstStart);
        });
    }
    return kept;
}

QString OptionText(const KeptOptions& kept, const OptionRow& row)
{
    return withValue(kept, row, [&](const auto& value) -> QString {
        using V = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<V, QString>)
            return value;
        else if constexpr (std::is_same_v<V, double>)
            return FormatFrequency(value);
        else
            return QString::number(qint32(value));
    });
}

bool SetOptionText(KeptOptions& kept, const OptionRow& row, const QString& text)
{
    if (row.kind == Kind::Text) {
        withValue(kept, row, [&](auto& value) {
            if constexpr (std::is_same_v<std::decay_t<decltype(value)>, QString>)
                value = text;
        });
        return true;
    }
    const std::optional<double> number = readNumber(row, text);
    if (!number)
        return false;
    withValue(kept, row, [&](auto& value) {
        using V = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<V, bool>)
            value = *number == 1; // a greyed box deletes nothing
        else if constexpr (!std::is_same_v<V, QString>)
            value = static_cast<V>(*number);
    });
    return true;
}
