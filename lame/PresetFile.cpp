#include "lame/PresetFile.h"

#include "lame/LameOptions.h"
#include "settings/NumberText.h"
#include "settings/ProfileFile.h"

#include <QFileInfo>

#include <variant>

namespace {

enum class Kind {
    Whole,     // a whole number as it stands (the bit rates)
    List,      // an index below `entries`
    Box,       // a check-box state 0, 1 or 2
    Quality,   // a number box's text made whole; an empty box is 0
    Frequency, // a number box's text; an empty box is 0
};

struct RecordKey {
    const char* section;
    const char* key;
    std::variant<qint32 LameOptions::*, double LameOptions::*> field;
    Kind kind;
    int entries = 0;
};

using O = LameOptions;
const RecordKey kRecordKeys[] = {
    {"General", "Bitrate", &O::Bitrate, Kind::Whole},
    {"Option", "Mode", &O::Mode, Kind::List, kModeEntries},
    {"Option", "Optimisation", &O::Optimisation, Kind::List, kOptimisationEntries},
    {"Option", "CRC", &O::Crc, Kind::Box},
    {"Marque", "Copie", &O::Copie, Kind::Box},
    {"Marque", "Copyright", &O::Copyright, Kind::Box},
    {"VBR", "ActiverVBR", &O::ActiveVBR, Kind::Box},
    {"VBR", "Bitrate VBR", &O::BitrateVBR, Kind::Whole},
    {"VBR", "Qualité", &O::Qualite, Kind::Quality},
    {"VBR", "Desactiver TAG", &O::DesactiveEcritureTag, Kind::Box},
    {"VBR", "Stricte Minimum VBR", &O::AppliquerBitrateMini, Kind::Box},
    {"VBR", "Utiliser ABR", &O::ABR, Kind::Box},
    {"VBR", "Bitrate ABR", &O::BitrateABR, Kind::Whole},
    {"Expert", "Controle ATH", &O::ATH, Kind::List, kAthEntries},
    {"Expert", "Autoriser Bloc Types", &O::AutoriserBlocDiferer, Kind::Box},
    {"Expert", "Desactiver Filtrage", &O::DesactiveFiltrage, Kind::Box},
    {"Expert", "Desactiver Bit Reservoir", &O::DesactiveBitReservoir, Kind::Box},
    {"Expert", "Desactiver Blocs Courts", &O::DesactiveBlocCourt, Kind::Box},
    {"Expert", "Norme ISO", &O::ISO, Kind::Box},
    {"Expert", "Niveau Q", &O::NiveauATH, Kind::List, kNiveauAthEntries},
    {"Audio", "Frequence Sortie", &O::FrequenceEchantillon, Kind::List, kFrequenceEntries},
    {"Audio", "HighPass Activer", &O::FiltrerHighpass, Kind::Box},
    {"Audio", "Frequence HighPass", &O::Highpass, Kind::Frequency},
    {"Audio", "HighPassWidth Activer", &O::LargeurFiltreHighpass, Kind::Box},
    {"Audio", "Frequence HighPassWidth", &O::LargeurHighpass, Kind::Frequency},
    {"Audio", "LowPass Activer", &O::FiltrerLowpass, Kind::Box},
    {"Audio", "Frequence LowPass", &O::Lowpass, Kind::Frequency},
    {"Audio", "LowPassWidth Activer", &O::LargeurFiltreLowpass, Kind::Box},
    {"Audio", "Frequence LowPassWidth", &O::LargeurLowpass, Kind::Frequency},
};

// False when the text is not what the field can take.
bool apply(LameOptions& options, const RecordKey& k, const QString& text)
{
    if (k.kind == Kind::Frequency) {
        const auto value = BoxTextToNumber(text);
        if (value)
            options.*std::get<double LameOptions::*>(k.field) = *value;
        return value.has_value();
    }
    const auto value = k.kind == Kind::Quality ? BoxTextToWhole(text) : ToWholeNumber(text);
    if (!value)
        return false;
    if (k.kind == Kind::List && (*value < 0 || *value >= k.entries))
        return false;
    if (k.kind == Kind::Box && (*value < 0 || *value > 2))
        return false;
    options.*std::get<qint32 LameOptions::*>(k.field) = *value;
    return true;
}

} // namespace

PresetResult ReadPresetIntoOptions(LameOptions& options, const QString& path)
{
    PresetResult result;
    if (QFileInfo(path).size() > kPresetMaxBytes) {
        result.stoppedAt = QLatin1String(kRecordKeys[0].key);
        return result;
    }
    for (const RecordKey& k : kRecordKeys) {
        const QString text = ProfileFile::readValue(path, QString::fromUtf8(k.section),
                                                    QString::fromUtf8(k.key), 255);
        if (!apply(options, k, text)) {
            result.stoppedAt = QString::fromUtf8(k.key);
            return result;
        }
        ++result.applied;
    }
    result.ok = true;
    return result;
}
