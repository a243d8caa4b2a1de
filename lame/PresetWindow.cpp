// The preset reader and writer that work on the options window's controls.
#include "lame/PresetFile.h"

#include "lame/OptionControls.h"
#include "lame/frmOptionLame.h"
#include "settings/ProfileFile.h"
#include "settings/TextCodec.h"
#include "settings/mdlFichier.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <array>

namespace {

struct PresetKey {
    const char* section;
    const char* key;
    const char* control;
    ControlKind kind;
};

// In the order a new file gets them.
const PresetKey kKeys[] = {
    {"General", "Description", "txtdescription", ControlKind::Text},
    {"General", "Bitrate", "sldBitrate_0", ControlKind::Rate},
    {"Option", "Mode", "cmbMode", ControlKind::List},
    {"Option", "Optimisation", "cmbOptimisation", ControlKind::List},
    {"Option", "CRC", "chkCrc", ControlKind::Box},
    {"Option", "Suppression apres encodage", "chkSupp", ControlKind::Box},
    {"Marque", "Copie", "chkCopie", ControlKind::Box},
    {"Marque", "Copyright", "chkCopyright", ControlKind::Box},
    {"VBR", "ActiverVBR", "chkActiveVBR", ControlKind::Box},
    {"VBR", "Bitrate VBR", "sldBitrate_1", ControlKind::Rate},
    {"VBR", "Qualité", "txtQualite", ControlKind::Text},
    {"VBR", "Desactiver TAG", "chkDesactiveEcritureTag", ControlKind::Box},
    {"VBR", "Stricte Minimum VBR", "chkAppliquerBitrateMini", ControlKind::Box},
    {"VBR", "Utiliser ABR", "chkABR", ControlKind::Box},
    {"VBR", "Bitrate ABR", "sldBitrateABR", ControlKind::Position},
    {"Expert", "Controle ATH", "cmbATH", ControlKind::List},
    {"Expert", "Niveau Q", "cmbNiveauATH", ControlKind::List},
    {"Expert", "Autoriser Bloc Types", "chkAutoriserBlocDiferer", ControlKind::Box},
    {"Expert", "Desactiver Filtrage", "chkDesactiveFiltrage", ControlKind::Box},
    {"Expert", "Desactiver Bit Reservoir", "chkDesactiveBitReservoir", ControlKind::Box},
    {"Expert", "Desactiver Blocs Courts", "chkDesactiveBlocCourt", ControlKind::Box},
    {"Expert", "Norme ISO", "chkISO", ControlKind::Box},
    {"Audio", "Frequence Sortie", "cmbFrequenceEchantillon", ControlKind::List},
    {"Audio", "HighPass Activer", "chkFiltrerHighpass", ControlKind::Box},
    {"Audio", "Frequence HighPass", "txtHighpass", ControlKind::Text},
    {"Audio", "HighPassWidth Activer", "chkLargeurFiltreHighpass", ControlKind::Box},
    {"Audio", "Frequence HighPassWidth", "txtLargeurHighpass", ControlKind::Text},
    {"Audio", "LowPass Activer", "chkFiltrerLowpass", ControlKind::Box},
    {"Audio", "Frequence LowPass", "txtLowpass", ControlKind::Text},
    {"Audio", "LowPassWidth Activer", "chkLargeurFiltreLowpass", ControlKind::Box},
    {"Audio", "Frequence LowPassWidth", "txtLargeurLowpass", ControlKind::Text},
};
static_assert(std::size(kKeys) == 31);

// The order the window is set in: the quality before the maximum rate, the ATH level last of
// the expert options.
constexpr std::array<int, 31> kReadOrder = {0,  1,  2,  3,  4,  5,  6,  7,  8,  10, 9,
                                            11, 12, 13, 14, 15, 17, 18, 19, 20, 21, 16,
                                            22, 23, 24, 25, 26, 27, 28, 29, 30};

// The description may be as long as its box holds; the other values are short.
constexpr int kDescriptionSize = 32768;

bool isDescription(const PresetKey& k)
{
    return qstrcmp(k.key, "Description") == 0;
}

// Profile files drop one pair of quotes around a value: a text that starts and ends with the
// same quote gets a pair of its own so that it reads back as typed.
QString protectQuotes(const QString& text)
{
    const QString t = text.trimmed();
    const bool quoted = t.size() >= 2 && (t.front() == QLatin1Char('"') || t.front() == '\'') &&
                        t.back() == t.front();
    return quoted ? QLatin1Char('"') + text + QLatin1Char('"') : text;
}

bool fitsWindows1252(const QString& text)
{
    return TextCodec::fromWindows1252(TextCodec::toWindows1252(text)) == text;
}

} // namespace

PresetResult WritePresetFile(const frmOptionLame& window, const QString& path)
{
    PresetResult result;
    QStringList values;
    bool needsUtf8 = false;
    for (const PresetKey& k : kKeys) {
        QString value = ControlValue(window, k.control, k.kind);
        if (k.kind == ControlKind::Text)
            value = protectQuotes(value);
        needsUtf8 = needsUtf8 || !fitsWindows1252(value);
        values << value;
    }

    // The keys go into a copy first: the file itself is replaced once, when every key is in.
    QByteArray old;
    if (QFileInfo::exists(path)) {
        QFile file(path);
        if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
            return result;
        old = file.readAll();
    }
    // A text Windows-1252 cannot hold would become question marks: such a file is kept in
    // UTF-8 with its byte-order mark, which the profile reader knows.
    static const QByteArray bom("\xEF\xBB\xBF");
    if (needsUtf8 && !old.startsWith(bom))
        old = bom + TextCodec::fromWindows1252(old).toUtf8();
    const QTemporaryDir work;
    const QString copy = work.filePath(QStringLiteral("preset.qzo"));
    if (!work.isValid() || !writeFileWhole(copy, old))
        return result;
    for (qsizetype i = 0; i < values.size(); ++i) {
        const PresetKey& k = kKeys[i];
        if (!ProfileFile::writeValue(copy, QString::fromUtf8(k.section), QString::fromUtf8(k.key),
                                     values.at(i))) {
            result.stoppedAt = QString::fromUtf8(k.key);
            return result;
        }
        ++result.applied;
    }
    QFile written(copy);
    if (!written.open(QIODevice::ReadOnly) || !writeFileWhole(path, written.readAll())) {
        result.applied = 0;
        return result;
    }
    result.ok = true;
    return result;
}

PresetResult ReadPresetIntoWindow(frmOptionLame& window, const QString& path)
{
    PresetResult result;
    if (QFileInfo(path).size() > kPresetMaxBytes) {
        result.stoppedAt = QLatin1String(kKeys[0].key);
        return result;
    }
    for (const int index : kReadOrder) {
        const PresetKey& k = kKeys[index];
        const QString text =
            ProfileFile::readValue(path, QString::fromUtf8(k.section), QString::fromUtf8(k.key),
                                   isDescription(k) ? kDescriptionSize : 255);
        if (!ApplyControlValue(window, k.control, k.kind, text)) {
            result.stoppedAt = QString::fromUtf8(k.key);
            return result;
        }
        ++result.applied;
    }
    result.ok = true;
    return result;
}
