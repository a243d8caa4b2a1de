#include "lame/LamePersistence.h"

#include "lame/LameOptions.h"
#include "lame/OptionControls.h"
#include "lame/frmOptionLame.h"
#include "settings/NumberText.h"
#include "settings/SettingsStore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>

#include <iterator>

namespace {

struct StoredValue {
    const char* name;
    const char* control;
    ControlKind kind;
};

const StoredValue kValues[] = {
    {"Description", "txtdescription", ControlKind::Text},
    {"Bitrate", "sldBitrate_0", ControlKind::Rate},
    {"Mode", "cmbMode", ControlKind::List},
    {"Optimisation", "cmbOptimisation", ControlKind::List},
    {"CRC-Checksums", "chkCrc", ControlKind::Box},
    {"Copie", "chkCopie", ControlKind::Box},
    {"Copyright", "chkCopyright", ControlKind::Box},
    {"Supprimer", "chkSupp", ControlKind::Box},
    {"VBR Activé", "chkActiveVBR", ControlKind::Box},
    {"Bitrate VBR", "sldBitrate_1", ControlKind::Rate},
    {"Qualité du VBR", "txtQualite", ControlKind::Text},
    {"Ecriture TAG désactivé", "chkDesactiveEcritureTag", ControlKind::Box},
    {"Bitrate mini VBR", "chkAppliquerBitrateMini", ControlKind::Box},
    {"ABR Activé", "chkABR", ControlKind::Box},
    {"Bitrate ABR", "sldBitrateABR", ControlKind::Position},
    {"Controle ATH", "cmbATH", ControlKind::List},
    {"Niveau ATH", "cmbNiveauATH", ControlKind::List},
    {"Autoriser blocs différés", "chkAutoriserBlocDiferer", ControlKind::Box},
    {"Désactiver filtrage", "chkDesactiveFiltrage", ControlKind::Box},
    {"Désactiver Bit Reservoir", "chkDesactiveBitReservoir", ControlKind::Box},
    {"Désactiver blocs courts", "chkDesactiveBlocCourt", ControlKind::Box},
    {"Norme ISO", "chkISO", ControlKind::Box},
    {"Frequence", "cmbFrequenceEchantillon", ControlKind::List},
    {"HighPass Activé", "chkFiltrerHighpass", ControlKind::Box},
    {"Valeur HighPass", "txtHighpass", ControlKind::Text},
    {"HighPassWith Activé", "chkLargeurFiltreHighpass", ControlKind::Box},
    {"Valeur HighPassWith", "txtLargeurHighpass", ControlKind::Text},
    {"LowPass Activé", "chkFiltrerLowpass", ControlKind::Box},
    {"Valeur LowPass", "txtLowpass", ControlKind::Text},
    {"LowPassWith Activé", "chkLargeurFiltreLowpass", ControlKind::Box},
    {"Valeur LowPassWith", "txtLargeurLowpass", ControlKind::Text},
    {"Commande LAME", "txtOption", ControlKind::Text},
};
static_assert(std::size(kValues) == kLameValueCount);

// The window into the record, in the record's order. Stops at a quality or frequency box whose
// text is not a number, leaving the fields after it as they were; returns that field's name.
QString copyWindowToOptions(const frmOptionLame& w, LameOptions& o)
{
    const auto state = &frmOptionLame::BoxState;
    o.Bitrate = IndexToKbps(w.sldBitrate[0]->value());
    o.Mode = w.cmbMode->currentIndex();
    o.Optimisation = w.cmbOptimisation->currentIndex();
    o.Crc = state(w.chkCrc);
    o.Copie = state(w.chkCopie);
    o.Copyright = state(w.chkCopyright);
    o.ActiveVBR = state(w.chkActiveVBR);
    o.BitrateVBR = IndexToKbps(w.sldBitrate[1]->value());
    const auto quality = BoxTextToWhole(w.txtQualite->text());
    if (!quality)
        return QStringLiteral("Qualite");
    o.Qualite = *quality;
    o.DesactiveEcritureTag = state(w.chkDesactiveEcritureTag);
    o.AppliquerBitrateMini = state(w.chkAppliquerBitrateMini);
    o.ABR = state(w.chkABR);
    o.BitrateABR = w.sldBitrateABR->value();
    o.ATH = w.cmbATH->currentIndex();
    o.NiveauATH = w.cmbNiveauATH->currentIndex();
    o.AutoriserBlocDiferer = state(w.chkAutoriserBlocDiferer);
    o.DesactiveFiltrage = state(w.chkDesactiveFiltrage);
    o.DesactiveBitReservoir = state(w.chkDesactiveBitReservoir);
    o.DesactiveBlocCourt = state(w.chkDesactiveBlocCourt);
    o.ISO = state(w.chkISO);
    o.FrequenceEchantillon = w.cmbFrequenceEchantillon->currentIndex();
    o.FiltrerHighpass = state(w.chkFiltrerHighpass);
    o.LargeurFiltreHighpass = state(w.chkLargeurFiltreHighpass);
    const auto frequency = [](const QLineEdit* box, double& field) {
        const auto value = BoxTextToNumber(box->text());
        if (value)
            field = *value;
        return value.has_value();
    };
    if (!frequency(w.txtHighpass, o.Highpass))
        return QStringLiteral("Highpass");
    if (!frequency(w.txtLargeurHighpass, o.LargeurHighpass))
        return QStringLiteral("LargeurHighpass");
    o.FiltrerLowpass = state(w.chkFiltrerLowpass);
    o.LargeurFiltreLowpass = state(w.chkLargeurFiltreLowpass);
    if (!frequency(w.txtLowpass, o.Lowpass))
        return QStringLiteral("Lowpass");
    if (!frequency(w.txtLargeurLowpass, o.LargeurLowpass))
        return QStringLiteral("LargeurLowpass");
    return {};
}

} // namespace

void SaveLameOptions(const frmOptionLame& window)
{
    for (const StoredValue& v : kValues)
        WriteRegistryValue(RegistryRoot::CurrentUser, kQuenzalKey, QString::fromUtf8(v.name),
                           ControlValue(window, v.control, v.kind));
}

LameLoadResult LoadLameOptions(frmOptionLame& window, LameOptions& options)
{
    LameLoadResult result;
    for (const StoredValue& v : kValues) {
        const QString name = QString::fromUtf8(v.name);
        const QString text = ReadRegistryValue(RegistryRoot::CurrentUser, kQuenzalKey, name);
        if (!ApplyControlValue(window, v.control, v.kind, text)) {
            result.stoppedAt = name;
            return result;
        }
        ++result.applied;
    }
    result.stoppedAt = copyWindowToOptions(window, options);
    result.copied = result.stoppedAt.isEmpty();
    // A store without the switches text (or with an empty one) would leave an empty preview,
    // and OK would hand an empty switches text over: show what the options give instead.
    if (result.copied && window.txtOption->text().isEmpty())
        window.RefreshPreview();
    return result;
}
