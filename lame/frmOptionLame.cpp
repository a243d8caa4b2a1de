#include "lame/frmOptionLame.h"

#include "lame/LameCheck.h"
#include "lame/LameOptions.h"
#include "lame/LamePersistence.h"
#include "lame/PresetFile.h"
#include "lame/UpDown.h"
#include "settings/BuiltInTexts.h"
#include "settings/Desktop.h"
#include "settings/NumberText.h"
#include "settings/SettingsStore.h"
#include "settings/mdlFichier.h"
#include "settings/mdlMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabBar>
#include <QVBoxLayout>

#include <functional>
#include <optional>
#include <vector>

namespace {

const CaptionEntry kCaptions[] = {
    {"OptLame", "cmdOpenOpt", "cmdOuvrir"},
    {"OptLame", "cmdSaveOpt", "cmdSauver"},
    {"OptLame", "TabTitle1", "TabOption", CaptionKind::Tab, 0},
    {"OptLame", "TabTitle2", "TabOption", CaptionKind::Tab, 1},
    {"OptLame", "TabTitle3", "TabOption", CaptionKind::Tab, 2},
    {"OptLame", "TabTitle4", "TabOption", CaptionKind::Tab, 3},
    {"OptLame", "TabTitle5", "TabOption", CaptionKind::Tab, 4},
    {"OptLame", "frmMode", "frmMode"},
    {"OptLame", "lblDefault", "cmbMode", CaptionKind::ListEntry, 4},
    {"OptLame", "TabFolder", "frmDossierSorti"},
    {"OptLame", "optSameFolder", "optMemeDossier"},
    {"OptLame", "optChooseFolder", "optChoixDossier"},
    {"OptLame", "frmOptimization", "frmOptimisation"},
    {"OptLame", "cmbOptimizationNone", "cmbOptimisation", CaptionKind::ListEntry, 0},
    {"OptLame", "cmbOptimizationSpeed", "cmbOptimisation", CaptionKind::ListEntry, 1},
    {"OptLame", "cmbOptimizationQuality", "cmbOptimisation", CaptionKind::ListEntry, 2},
    {"OptLame", "frmOption", "frmCrc"},
    {"OptLame", "chkCRC", "chkCrc"},
    {"OptLame", "frmFlag", "frmMarque"},
    {"OptLame", "chkCopy", "chkCopie"},
    {"OptLame", "chkCopyright", "chkCopyright"},
    {"OptLame", "frmDelete", "frmSuppression"},
    {"OptLame", "chkDelete", "chkSupp"},
    {"OptLame", "chkVBRActive", "chkActiveVBR"},
    {"OptLame", "frmVBR", "frmVBR"},
    {"OptLame", "frmQuality", "frmQualite"},
    {"OptLame", "chkDisableWriteTag", "chkDesactiveEcritureTag"},
    {"OptLame", "chkApplyMiniBitrate", "chkAppliquerBitrateMini"},
    {"OptLame", "chkABR", "chkABR"},
    {"OptLame", "frmABR", "frmABR"},
    {"OptLame", "frmATHControl", "frmControleATH"},
    {"OptLame", "lblControlMode", "lblATH"},
    {"OptLame", "lblATHLevel", "lblNiveauATH"},
    {"OptLame", "lblDefault", "cmbATH", CaptionKind::ListEntry, 0},
    {"OptLame", "cmbATHOnly", "cmbATH", CaptionKind::ListEntry, 1},
    {"OptLame", "cmbATHDisable", "cmbATH", CaptionKind::ListEntry, 2},
    {"OptLame", "cmbATHShortBlocs", "cmbATH", CaptionKind::ListEntry, 3},
    {"OptLame", "chkApplyDifferBlocs", "chkAutoriserBlocDiferer"},
    {"OptLame", "chkFilterDisable", "chkDesactiveFiltrage"},
    {"OptLame", "chkBitReservoirDisable", "chkDesactiveBitReservoir"},
    {"OptLame", "chkShortBlocs", "chkDesactiveBlocCourt"},
    {"OptLame", "chkISONorm", "chkISO"},
    {"OptLame", "frmFrequency", "frmFrequenceEchantillon"},
    {"OptLame", "frmHighPassFilter", "frmFiltreHighpass"},
    {"OptLame", "chkFilterHihpass", "chkFiltrerHighpass"},
    {"OptLame", "chkHighpassWidth", "chkLargeurFiltreHighpass"},
    {"OptLame", "frmLowPassFilter", "frmFiltreLowpass"},
    {"OptLame", "chkFilterLowpass", "chkFiltrerLowpass"},
    {"OptLame", "chkLowpassWidth", "chkLargeurFiltreLowpass"},
    {"Main", "cmdCancel", "cmdAnnuler"},
};
static_assert(std::size(kCaptions) == 50);

const char* const kFontControls[] = {
    "TabOption",
    "txtdescription",
    "txtOption",
    "txtQualite",
    "frmBitrate",
    "frmMode",
    "cmbMode",
    "frmDossierSorti",
    "optChoixDossier",
    "optMemeDossier",
    "txtDossierSortie",
    "frmOptimisation",
    "cmbOptimisation",
    "frmMarque",
    "chkCopie",
    "chkCopyright",
    "frmCrc",
    "chkCrc",
    "chkSupp",
    "frmFiltreHighpass",
    "frmFiltreLowpass",
    "frmFrequenceEchantillon",
    "frmABR",
    "frmControleATH",
    "frmQualite",
    "frmSuppression",
    "frmVBR",
    "chkActiveVBR",
    "chkABR",
    "chkAppliquerBitrateMini",
    "chkAutoriserBlocDiferer",
    "chkDesactiveBitReservoir",
    "chkDesactiveBlocCourt",
    "chkDesactiveEcritureTag",
    "chkDesactiveFiltrage",
    "chkFiltrerHighpass",
    "chkFiltrerLowpass",
    "chkISO",
    "chkLargeurFiltreHighpass",
    "chkLargeurFiltreLowpass",
    "cmbATH",
    "cmbFrequenceEchantillon",
    "cmbNiveauATH",
    "lblATH",
    "lblNiveauATH",
};
static_assert(std::size(kFontControls) == 45);

const QString kPresetFilter = QStringLiteral("Quenzal Reglage (*.qzo)|*.qzo");

template <class Control> Control* named(Control* control, const char* name)
{
    control->setObjectName(QLatin1String(name));
    return control;
}

QCheckBox* checkBox(QWidget* parent, const char* name, const QString& caption)
{
    return named(new QCheckBox(caption, parent), name);
}

QGroupBox* frame(QWidget* parent, const char* name, const QString& caption)
{
    return named(new QGroupBox(caption, parent), name);
}

QLabel* label(QWidget* parent, const char* name, const QString& caption = QString())
{
    return named(new QLabel(caption, parent), name);
}

QSlider* slider(QWidget* parent, const char* name, int minimum, int maximum, int start)
{
    auto* s = named(new QSlider(Qt::Horizontal, parent), name);
    s->setRange(minimum, maximum);
    s->setSingleStep(1);
    s->setPageStep(5);
    s->setValue(start);
    s->setMinimumWidth(300);
    return s;
}

// A read-only number box with its up-down beside it.
QLineEdit* numberBox(QWidget* parent, const char* name)
{
    auto* box = named(new QLineEdit(parent), name);
    box->setReadOnly(true);
    box->setMaximumWidth(90);
    return box;
}

QString kbpsText(qint32 kbps)
{
    return QString::number(kbps) + QStringLiteral(" kbps");
}

// A slider with its end labels under it and the current rate between them.
void sliderFrame(QGroupBox* box, QSlider* slider, QLabel* low, QLabel* high, QLabel* current)
{
    auto* grid = new QGridLayout(box);
    grid->addWidget(slider, 0, 0, 1, 3);
    grid->addWidget(low, 1, 0, Qt::AlignLeft);
    grid->addWidget(current, 1, 1, Qt::AlignHCenter);
    grid->addWidget(high, 1, 2, Qt::AlignRight);
}

class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

std::span<const CaptionEntry> frmOptionLame::captionTable()
{
    return kCaptions;
}

std::span<const char* const> frmOptionLame::fontControls()
{
    return kFontControls;
}

frmOptionLame::frmOptionLame(QWidget* parent, LameOptions& options, QString& commandeLame,
                             Desktop& desktop, const Language& language,
                             const QString& programFolder)
    : QDialog(parent)
    , m_options(options)
    , m_commandeLame(commandeLame)
    , m_desktop(desktop)
    , m_language(language)
    , m_programFolder(programFolder)
{
    setObjectName(QStringLiteral("frmOptionLame"));
    setWindowTitle(QStringLiteral("Quenzal"));
    createControls();
    connectReactions();

    ArrangePages();
    for (int page = 2; page <= 5; ++page)
        ShowPage(page, false);

    fillLists();

    // Each selection writes its field, so a fresh window sets these five in the record.
    cmbMode->setCurrentIndex(0);
    cmbOptimisation->setCurrentIndex(1);
    cmbATH->setCurrentIndex(0);
    cmbNiveauATH->setCurrentIndex(3);
    cmbFrequenceEchantillon->setCurrentIndex(0);

    applyVbrRule(0);
    applyFilterRule(0, txtHighpass, upHighpass, chkLargeurFiltreHighpass, txtLargeurHighpass,
                    upLargeurHighpass);
    applyFilterRule(0, txtLowpass, upLowpass, chkLargeurFiltreLowpass, txtLargeurLowpass,
                    upLargeurLowpass);

    RefreshPreview();

    // The labels show the stored rates: the options load that follows sets the sliders
    // without touching them.
    const QString key = kQuenzalKey + QLatin1Char('\\');
    const auto stored = [&key](const char* name) {
        return ReadRegistryValue(RegistryRoot::CurrentUser, key, QLatin1String(name)) +
               QStringLiteral(" kbps");
    };
    lblBitrateActuel->setText(stored("Bitrate"));
    lblVBRActuel->setText(stored("Bitrate VBR"));
    lblABRActuel->setText(stored("Bitrate ABR"));

    cmdDossier->setEnabled(false);
    txtDossierSortie->setEnabled(false);

    // Enter and Escape are the window's, whichever control has the focus.
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

frmOptionLame::~frmOptionLame() = default;

void frmOptionLame::createControls()
{
    TabHaut = named(new QFrame(this), "TabHaut");
    TabHaut->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    txtdescription = named(new QLineEdit(TabHaut), "txtdescription");
    txtdescription->setToolTip(
        MessageText(m_language, QStringLiteral("OptLame"), QStringLiteral("accDescription")));
    cmdOuvrir = named(new QPushButton(QStringLiteral("Ouvrir"), TabHaut), "cmdOuvrir");
    cmdSauver = named(new QPushButton(QStringLiteral("Sauver"), TabHaut), "cmdSauver");
    auto* top = new QHBoxLayout(TabHaut);
    top->addWidget(txtdescription, 1);
    top->addWidget(cmdOuvrir);
    top->addWidget(cmdSauver);

    TabOption = named(new QTabBar(this), "TabOption");
    for (const char* tab : {"Général", "Avancé", "VBR", "Expert", "Audio"})
        TabOption->addTab(QString::fromUtf8(tab));
    TabOption->setExpanding(false);
    TabOption->setDrawBase(false);
    imgBack = named(new QFrame(this), "imgBack");
    imgBack->setFrameStyle(QFrame::StyledPanel | QFrame::Plain);
    for (QWidget*& page : m_pages)
        page = new QWidget(imgBack);

    tabBas = named(new QFrame(this), "tabBas");
    tabBas->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    txtOption = named(new QLineEdit(tabBas), "txtOption");
    txtOption->setToolTip(
        MessageText(m_language, QStringLiteral("OptLame"), QStringLiteral("accPreview")));
    txtOption->setReadOnly(true);
    (new QHBoxLayout(tabBas))->addWidget(txtOption);

    cmdOK = named(new QPushButton(QStringLiteral("OK"), this), "cmdOK");
    cmdAnnuler = named(new QPushButton(QStringLiteral("Annuler"), this), "cmdAnnuler");
    cmdOK->setDefault(true);

    // Général
    QWidget* p = m_pages[0];
    frmBitrate = frame(p, "frmBitrate", QStringLiteral("Bitrate"));
    sldBitrate[0] = slider(frmBitrate, "sldBitrate_0", 0, kBitrateScaleSize - 1, 11);
    lbl8kbps = label(frmBitrate, "lbl8kbps", QStringLiteral("8 kbps"));
    lbl320kbps = label(frmBitrate, "lbl320kbps", QStringLiteral("320 kbps"));
    lblBitrateActuel = label(frmBitrate, "lblBitrateActuel");
    frmMode = frame(p, "frmMode", QStringLiteral("Mode"));
    cmbMode = named(new QComboBox(frmMode), "cmbMode");
    frmDossierSorti = frame(p, "frmDossierSorti", QString::fromUtf8("Répertoire de sortie"));
    txtDossierSortie = named(new QLineEdit(frmDossierSorti), "txtDossierSortie");
    optMemeDossier = named(new QRadioButton(QString::fromUtf8("Même répertoire"), frmDossierSorti),
                           "optMemeDossier");
    optChoixDossier =
        named(new QRadioButton(QString::fromUtf8("Choisir un répertoire"), frmDossierSorti),
              "optChoixDossier");
    optMemeDossier->setChecked(true);
    cmdDossier = named(new QPushButton(QStringLiteral("..."), frmDossierSorti), "cmdDossier");
    cmdDossier->setMaximumWidth(40);

    // Avancé
    p = m_pages[1];
    frmOptimisation = frame(p, "frmOptimisation", QStringLiteral("Optimisation"));
    cmbOptimisation = named(new QComboBox(frmOptimisation), "cmbOptimisation");
    frmCrc = frame(p, "frmCrc", QStringLiteral("Option"));
    chkCrc = checkBox(frmCrc, "chkCrc", QStringLiteral("Inclure CRC-checksums"));
    frmMarque = frame(p, "frmMarque", QStringLiteral("Marque"));
    chkCopyright = checkBox(frmMarque, "chkCopyright", QStringLiteral("Copyright"));
    chkCopie = checkBox(frmMarque, "chkCopie", QStringLiteral("Copie"));
    frmSuppression = frame(p, "frmSuppression", QStringLiteral("Suppression"));
    chkSupp = checkBox(frmSuppression, "chkSupp",
                       QString::fromUtf8("Supprimer les fichiers après encodages"));

    // VBR
    p = m_pages[2];
    chkActiveVBR = checkBox(p, "chkActiveVBR", QStringLiteral("Activer le Variable Bitrate"));
    frmVBR = frame(p, "frmVBR", QStringLiteral("Maximum VBR"));
    sldBitrate[1] = slider(frmVBR, "sldBitrate_1", 0, kBitrateScaleSize - 1, 11);
    lblVBR8kbps = label(frmVBR, "lblVBR8kbps", QStringLiteral("8 kbps"));
    lblVBR320kbps = label(frmVBR, "lblVBR320kbps", QStringLiteral("320 kbps"));
    lblVBRActuel = label(frmVBR, "lblVBRActuel");
    frmQualite = frame(p, "frmQualite", QString::fromUtf8("Qualité"));
    txtQualite = numberBox(frmQualite, "txtQualite");
    txtQualite->setAlignment(Qt::AlignCenter);
    txtQualite->setMaximumWidth(50);
    upQualite = named(new UpDown(txtQualite, 0, 9, 1, frmQualite), "upQualite");
    frmABR = frame(p, "frmABR", QStringLiteral("Average Bitrate"));
    sldBitrateABR = slider(frmABR, "sldBitrateABR", 4, 310, 250);
    lblABR4kbps = label(frmABR, "lblABR4kbps", QStringLiteral("4 kbps"));
    lblABRkbps = label(frmABR, "lblABRkbps", QStringLiteral("310 kbps"));
    lblABRActuel = label(frmABR, "lblABRActuel");
    chkABR = checkBox(p, "chkABR", QString::fromUtf8("Utiliser ABR à la place de VBR"));
    chkAppliquerBitrateMini =
        checkBox(p, "chkAppliquerBitrateMini", QStringLiteral("Appliquer le Bitrate minimum"));
    chkDesactiveEcritureTag = checkBox(p, "chkDesactiveEcritureTag",
                                       QString::fromUtf8("Désactiver l'écriture des Tags en VBR"));

    // Expert
    p = m_pages[3];
    frmControleATH = frame(p, "frmControleATH", QStringLiteral("Controle ATH"));
    lblATH = label(frmControleATH, "lblATH", QStringLiteral("Mode de controle :"));
    cmbATH = named(new QComboBox(frmControleATH), "cmbATH");
    lblNiveauATH = label(frmControleATH, "lblNiveauATH", QStringLiteral("Niveau ATH :"));
    cmbNiveauATH = named(new QComboBox(frmControleATH), "cmbNiveauATH");
    chkAutoriserBlocDiferer =
        checkBox(p, "chkAutoriserBlocDiferer",
                 QString::fromUtf8("Autoriser les blocs différés entre 2 canaux"));
    chkDesactiveFiltrage =
        checkBox(p, "chkDesactiveFiltrage", QString::fromUtf8("Désactiver les filtrages"));
    chkDesactiveBlocCourt =
        checkBox(p, "chkDesactiveBlocCourt", QString::fromUtf8("Désactiver les blocs court"));
    chkDesactiveBitReservoir =
        checkBox(p, "chkDesactiveBitReservoir", QString::fromUtf8("Désactive le bit réservoir"));
    chkISO = checkBox(p, "chkISO", QString::fromUtf8("Doit être conforme à la norme ISO-MPEG"));

    // Audio
    p = m_pages[4];
    frmFrequenceEchantillon =
        frame(p, "frmFrequenceEchantillon", QString::fromUtf8("Fréquence d'échantillonnage"));
    cmbFrequenceEchantillon =
        named(new QComboBox(frmFrequenceEchantillon), "cmbFrequenceEchantillon");
    const auto filterFrame =
        [](QWidget* page, const char* name, const QString& caption, QCheckBox*& filterBox,
           const char* filterName, const QString& filterCaption, QLineEdit*& text,
           const char* textName, UpDown*& up, const char* upName, QCheckBox*& widthBox,
           const char* widthName, const QString& widthCaption, QLineEdit*& widthText,
           const char* widthTextName, UpDown*& widthUp, const char* widthUpName) {
            QGroupBox* box = frame(page, name, caption);
            filterBox = checkBox(box, filterName, filterCaption);
            text = numberBox(box, textName);
            up = named(new UpDown(text, 0, 99999, 100, box), upName);
            widthBox = checkBox(box, widthName, widthCaption);
            widthText = numberBox(box, widthTextName);
            widthUp = named(new UpDown(widthText, 0, 99999, 100, box), widthUpName);
            auto* grid = new QGridLayout(box);
            grid->addWidget(filterBox, 0, 0);
            grid->addWidget(text, 0, 1);
            grid->addWidget(up, 0, 2);
            grid->addWidget(widthBox, 1, 0);
            grid->addWidget(widthText, 1, 1);
            grid->addWidget(widthUp, 1, 2);
            grid->setColumnStretch(3, 1);
            return box;
        };
    frmFiltreHighpass = filterFrame(
        p, "frmFiltreHighpass", QStringLiteral("Filtre Highpass"), chkFiltrerHighpass,
        "chkFiltrerHighpass", QString::fromUtf8("Filtrer la fréquence Highpass (kHz) :"),
        txtHighpass, "txtHighpass", upHighpass, "upHighpass", chkLargeurFiltreHighpass,
        "chkLargeurFiltreHighpass", QStringLiteral("Largeur du filtre Highpass :"),
        txtLargeurHighpass, "txtLargeurHighpass", upLargeurHighpass, "upLargeurHighpass");
    frmFiltreLowpass =
        filterFrame(p, "frmFiltreLowpass", QStringLiteral("Filtre Lowpass"), chkFiltrerLowpass,
                    "chkFiltrerLowpass", QString::fromUtf8("Filtrer la fréquence Lowpass (kHz) :"),
                    txtLowpass, "txtLowpass", upLowpass, "upLowpass", chkLargeurFiltreLowpass,
                    "chkLargeurFiltreLowpass", QStringLiteral("Largeur du filtre Lowpass :"),
                    txtLargeurLowpass, "txtLargeurLowpass", upLargeurLowpass, "upLargeurLowpass");

    auto* window = new QVBoxLayout(this);
    window->addWidget(TabHaut);
    auto* tabs = new QVBoxLayout;
    tabs->setSpacing(0);
    tabs->addWidget(TabOption);
    tabs->addWidget(imgBack, 1);
    window->addLayout(tabs, 1);
    window->addWidget(tabBas);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdAnnuler);
    window->addLayout(buttons);
}

void frmOptionLame::ArrangePages()
{
    if (m_arranged)
        return;
    m_arranged = true;

    // Every page in the same place; a hidden page keeps its size so that switching pages
    // never resizes the window.
    auto* area = new QGridLayout(imgBack);
    for (QWidget* page : m_pages) {
        QSizePolicy policy = page->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        page->setSizePolicy(policy);
        area->addWidget(page, 0, 0);
    }

    // Général
    sliderFrame(frmBitrate, sldBitrate[0], lbl8kbps, lbl320kbps, lblBitrateActuel);
    (new QVBoxLayout(frmMode))->addWidget(cmbMode);
    auto* folder = new QGridLayout(frmDossierSorti);
    folder->addWidget(optMemeDossier, 0, 0, 1, 2);
    folder->addWidget(optChoixDossier, 1, 0, 1, 2);
    folder->addWidget(txtDossierSortie, 2, 0);
    folder->addWidget(cmdDossier, 2, 1);
    auto* general = new QGridLayout(m_pages[0]);
    general->addWidget(frmBitrate, 0, 0, 1, 2);
    general->addWidget(frmMode, 1, 0, Qt::AlignTop);
    general->addWidget(frmDossierSorti, 1, 1);
    general->setColumnStretch(1, 1);
    general->setRowStretch(2, 1);

    // Avancé
    (new QVBoxLayout(frmOptimisation))->addWidget(cmbOptimisation);
    (new QVBoxLayout(frmCrc))->addWidget(chkCrc);
    auto* marks = new QVBoxLayout(frmMarque);
    marks->addWidget(chkCopyright);
    marks->addWidget(chkCopie);
    (new QVBoxLayout(frmSuppression))->addWidget(chkSupp);
    auto* advanced = new QGridLayout(m_pages[1]);
    advanced->addWidget(frmOptimisation, 0, 0);
    advanced->addWidget(frmCrc, 0, 1);
    advanced->addWidget(frmMarque, 1, 0);
    advanced->addWidget(frmSuppression, 1, 1);
    advanced->setRowStretch(2, 1);

    // VBR: the tag and minimum boxes sit just right of the quality frame.
    sliderFrame(frmVBR, sldBitrate[1], lblVBR8kbps, lblVBR320kbps, lblVBRActuel);
    auto* quality = new QHBoxLayout(frmQualite);
    quality->addWidget(txtQualite);
    quality->addWidget(upQualite);
    quality->addStretch();
    sliderFrame(frmABR, sldBitrateABR, lblABR4kbps, lblABRkbps, lblABRActuel);
    auto* besideQuality = new QVBoxLayout;
    besideQuality->addWidget(chkDesactiveEcritureTag);
    besideQuality->addWidget(chkAppliquerBitrateMini);
    auto* vbr = new QGridLayout(m_pages[2]);
    vbr->addWidget(chkActiveVBR, 0, 0, 1, 2);
    vbr->addWidget(frmVBR, 1, 0, 1, 2);
    vbr->addWidget(frmQualite, 2, 0);
    vbr->addLayout(besideQuality, 2, 1);
    vbr->addWidget(chkABR, 3, 0, 1, 2);
    vbr->addWidget(frmABR, 4, 0, 1, 2);
    vbr->setColumnStretch(1, 1);
    vbr->setRowStretch(5, 1);

    // Expert
    auto* ath = new QGridLayout(frmControleATH);
    ath->addWidget(lblATH, 0, 0);
    ath->addWidget(cmbATH, 0, 1);
    ath->addWidget(lblNiveauATH, 1, 0);
    ath->addWidget(cmbNiveauATH, 1, 1);
    ath->setColumnStretch(2, 1);
    auto* expert = new QVBoxLayout(m_pages[3]);
    expert->addWidget(frmControleATH);
    for (QCheckBox* box : {chkAutoriserBlocDiferer, chkDesactiveFiltrage, chkDesactiveBlocCourt,
                           chkDesactiveBitReservoir, chkISO})
        expert->addWidget(box);
    expert->addStretch();

    // Audio
    auto* rate = new QHBoxLayout(frmFrequenceEchantillon);
    rate->addWidget(cmbFrequenceEchantillon);
    rate->addStretch();
    auto* audio = new QVBoxLayout(m_pages[4]);
    audio->addWidget(frmFrequenceEchantillon);
    audio->addWidget(frmFiltreHighpass);
    audio->addWidget(frmFiltreLowpass);
    audio->addStretch();
}

void frmOptionLame::ShowPage(int page, bool visible)
{
    if (page < 1 || page > 5)
        return;
    QWidget* container = m_pages[page - 1];
    container->raise();
    const std::vector<QWidget*> controls = [&]() -> std::vector<QWidget*> {
        switch (page) {
        case 1:
            return {frmBitrate,     frmMode,         frmDossierSorti,
                    optMemeDossier, optChoixDossier, cmdDossier};
        case 2:
            return {frmOptimisation, frmCrc, frmMarque, frmSuppression};
        case 3:
            return {chkActiveVBR,
                    frmVBR,
                    frmQualite,
                    frmABR,
                    chkDesactiveEcritureTag,
                    chkAppliquerBitrateMini,
                    chkABR};
        case 4:
            return {frmControleATH,        chkAutoriserBlocDiferer,  chkDesactiveFiltrage,
                    chkDesactiveBlocCourt, chkDesactiveBitReservoir, chkISO};
        default:
            return {frmFrequenceEchantillon, frmFiltreHighpass, frmFiltreLowpass};
        }
    }();
    for (QWidget* control : controls) {
        // A hidden page keeps its layout, so that every page has the same size.
        QSizePolicy policy = control->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        control->setSizePolicy(policy);
        control->raise();
        control->setVisible(visible);
    }
    container->setVisible(visible);
}

void frmOptionLame::fillLists()
{
    const auto fill = [](QComboBox* list, std::initializer_list<const char*> entries) {
        const QSignalBlocker quiet(list);
        for (const char* entry : entries)
            list->addItem(QString::fromUtf8(entry));
        // Nothing selected yet, so that the first selection writes its field.
        list->setCurrentIndex(-1);
    };
    fill(cmbMode, {"Stereo", "Joint Stereo", "Forced Joint Stereo", "Mono", "Defaut"});
    fill(cmbOptimisation, {"Aucune", "Vitesse", "Qualité"});
    fill(cmbATH, {"Défaut", "Seul", "Désactiver", "Juste pour blocs court"});
    fill(cmbNiveauATH, {"Défaut", "0", "1", "2", "3", "4", "5", "6", "7", "8", "9"});
    fill(cmbFrequenceEchantillon, {"Défaut", "8kHz", "11,025kHz", "12kHz", "16kHz", "22,050kHz",
                                   "24kHz", "32kHz", "44,1kHz", "48kHz"});
    // Loads check stored indexes against these counts.
    Q_ASSERT(cmbMode->count() == kModeEntries && cmbOptimisation->count() == kOptimisationEntries &&
             cmbATH->count() == kAthEntries && cmbNiveauATH->count() == kNiveauAthEntries &&
             cmbFrequenceEchantillon->count() == kFrequenceEntries);
}

void frmOptionLame::connectReactions()
{
    connect(TabOption, &QTabBar::currentChanged, this, [this](int tab) {
        for (int page = 1; page <= 5; ++page)
            ShowPage(page, page == tab + 1);
    });

    const auto list = [this](QComboBox* combo, qint32 LameOptions::*field) {
        connect(combo, &QComboBox::currentIndexChanged, this, [this, combo, field] {
            m_options.*field = combo->currentIndex();
            RefreshPreview();
        });
    };
    list(cmbMode, &LameOptions::Mode);
    list(cmbOptimisation, &LameOptions::Optimisation);
    list(cmbATH, &LameOptions::ATH);
    list(cmbNiveauATH, &LameOptions::NiveauATH);
    list(cmbFrequenceEchantillon, &LameOptions::FrequenceEchantillon);

    // A check box writes its state, then its enabled-state rule (if any) follows; a greyed
    // box, which only a load can give, changes no enabled state.
    const auto box = [this](QCheckBox* b, qint32 LameOptions::*field,
                            std::function<void(int)> rule = {}) {
        connect(b, &QCheckBox::stateChanged, this, [this, b, field, rule] {
            const int state = BoxState(b);
            if (state != 2)
                b->setTristate(false); // a user click never makes a box greyed
            m_options.*field = state;
            if (rule && state != 2)
                rule(state);
            RefreshPreview();
        });
    };
    box(chkCrc, &LameOptions::Crc);
    box(chkCopie, &LameOptions::Copie);
    box(chkCopyright, &LameOptions::Copyright);
    box(chkAppliquerBitrateMini, &LameOptions::AppliquerBitrateMini);
    box(chkDesactiveEcritureTag, &LameOptions::DesactiveEcritureTag);
    box(chkAutoriserBlocDiferer, &LameOptions::AutoriserBlocDiferer);
    box(chkDesactiveFiltrage, &LameOptions::DesactiveFiltrage);
    box(chkDesactiveBitReservoir, &LameOptions::DesactiveBitReservoir);
    box(chkDesactiveBlocCourt, &LameOptions::DesactiveBlocCourt);
    box(chkISO, &LameOptions::ISO);
    box(chkActiveVBR, &LameOptions::ActiveVBR, [this](int s) { applyVbrRule(s); });
    box(chkABR, &LameOptions::ABR, [this](int s) { applyAbrRule(s); });
    box(chkFiltrerHighpass, &LameOptions::FiltrerHighpass, [this](int s) {
        applyFilterRule(s, txtHighpass, upHighpass, chkLargeurFiltreHighpass, txtLargeurHighpass,
                        upLargeurHighpass);
    });
    box(chkLargeurFiltreHighpass, &LameOptions::LargeurFiltreHighpass,
        [this](int s) { applyWidthRule(s, txtLargeurHighpass, upLargeurHighpass); });
    box(chkFiltrerLowpass, &LameOptions::FiltrerLowpass, [this](int s) {
        applyFilterRule(s, txtLowpass, upLowpass, chkLargeurFiltreLowpass, txtLargeurLowpass,
                        upLargeurLowpass);
    });
    box(chkLargeurFiltreLowpass, &LameOptions::LargeurFiltreLowpass,
        [this](int s) { applyWidthRule(s, txtLargeurLowpass, upLargeurLowpass); });
    // chkSupp has no reaction: it is read when a run starts.

    // Sliders follow every user action (drag, click on the groove, keys, wheel), and only
    // those: a position set from code leaves the record and the label alone.
    for (int i = 0; i < 2; ++i)
        connect(sldBitrate[i], &QAbstractSlider::actionTriggered, this,
                [this, i] { sliderChanged(i); });
    connect(sldBitrateABR, &QAbstractSlider::actionTriggered, this,
            &frmOptionLame::sldBitrateABR_Change);

    const auto frequency = [this](UpDown* up, QLineEdit* text, double LameOptions::*field) {
        connect(up, &UpDown::changed, this, [this, text, field] {
            m_options.*field = ReadBoxNumber(text->text());
            RefreshPreview();
        });
    };
    frequency(upHighpass, txtHighpass, &LameOptions::Highpass);
    frequency(upLargeurHighpass, txtLargeurHighpass, &LameOptions::LargeurHighpass);
    frequency(upLowpass, txtLowpass, &LameOptions::Lowpass);
    frequency(upLargeurLowpass, txtLargeurLowpass, &LameOptions::LargeurLowpass);

    connect(txtQualite, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_options.Qualite = ReadBoxWholeNumber(text);
        RefreshPreview();
    });

    connect(optMemeDossier, &QRadioButton::toggled, this, [this](bool selected) {
        if (!selected)
            return;
        txtDossierSortie->clear();
        txtDossierSortie->setEnabled(false);
        cmdDossier->setEnabled(false);
    });
    connect(optChoixDossier, &QRadioButton::toggled, this, [this](bool selected) {
        if (!selected)
            return;
        txtDossierSortie->setEnabled(true);
        cmdDossier->setEnabled(true);
    });

    connect(cmdOK, &QPushButton::clicked, this, &frmOptionLame::cmdOK_Click);
    connect(cmdAnnuler, &QPushButton::clicked, this, &frmOptionLame::cmdAnnuler_Click);
    connect(cmdOuvrir, &QPushButton::clicked, this, &frmOptionLame::cmdOuvrir_Click);
    connect(cmdSauver, &QPushButton::clicked, this, &frmOptionLame::cmdSauver_Click);
    connect(cmdDossier, &QPushButton::clicked, this, &frmOptionLame::cmdDossier_Click);
}

void frmOptionLame::sliderChanged(int index)
{
    // The action has moved the position already; the value follows right after.
    const qint32 kbps = IndexToKbps(sldBitrate[index]->sliderPosition());
    (index == 0 ? m_options.Bitrate : m_options.BitrateVBR) = kbps;
    (index == 0 ? lblBitrateActuel : lblVBRActuel)->setText(kbpsText(kbps));
    RefreshPreview();
}

void frmOptionLame::sldBitrateABR_Change()
{
    m_options.BitrateABR = sldBitrateABR->sliderPosition();
    lblABRActuel->setText(kbpsText(m_options.BitrateABR));
    RefreshPreview();
}

void frmOptionLame::applyVbrRule(int state)
{
    const bool on = state == 1;
    for (QWidget* control : {static_cast<QWidget*>(frmVBR), static_cast<QWidget*>(frmQualite),
                             static_cast<QWidget*>(chkDesactiveEcritureTag),
                             static_cast<QWidget*>(chkAppliquerBitrateMini),
                             static_cast<QWidget*>(chkABR), static_cast<QWidget*>(frmABR)})
        control->setEnabled(on);
}

void frmOptionLame::applyAbrRule(int state)
{
    frmABR->setEnabled(state == 1);
}

void frmOptionLame::applyFilterRule(int state, QWidget* box, UpDown* up, QCheckBox* widthBox,
                                    QWidget* widthText, UpDown* widthUp)
{
    const bool on = state == 1;
    box->setEnabled(on);
    up->setEnabled(on);
    widthBox->setEnabled(on);
    // Ticking the filter again leaves the width as its own box says.
    if (!on)
        applyWidthRule(0, widthText, widthUp);
}

void frmOptionLame::applyWidthRule(int state, QWidget* widthText, UpDown* widthUp)
{
    widthText->setEnabled(state == 1);
    widthUp->setEnabled(state == 1);
}

int frmOptionLame::BoxState(const QCheckBox* box)
{
    switch (box->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

bool frmOptionLame::SetBoxState(QCheckBox* box, int state)
{
    switch (state) {
    case 0:
        box->setCheckState(Qt::Unchecked);
        return true;
    case 1:
        box->setCheckState(Qt::Checked);
        return true;
    case 2:
        box->setTristate(true);
        box->setCheckState(Qt::PartiallyChecked);
        return true;
    default:
        return false;
    }
}

void frmOptionLame::RefreshPreview()
{
    m_commandeLame = BuildLameCommand(m_options);
    txtOption->clear();
    txtOption->setText(m_commandeLame + QLatin1Char(' '));
}

void frmOptionLame::ShowBitrateLabels()
{
    lblBitrateActuel->setText(kbpsText(IndexToKbps(sldBitrate[0]->value())));
    lblVBRActuel->setText(kbpsText(IndexToKbps(sldBitrate[1]->value())));
}

void frmOptionLame::ShowAbrLabel()
{
    lblABRActuel->setText(kbpsText(sldBitrateABR->value()));
}

QString frmOptionLame::outputFolderText() const
{
    return txtDossierSortie->text();
}

void frmOptionLame::setOutputFolderText(const QString& folder)
{
    txtDossierSortie->setText(folder);
}

bool frmOptionLame::deleteSourcesAfterEncoding() const
{
    return BoxState(chkSupp) == 1;
}

void frmOptionLame::cmdOK_Click()
{
    if (optChoixDossier->isChecked() && !QFileInfo(txtDossierSortie->text()).isDir())
        m_desktop.showMessage(
            this,
            MessageText(m_language, QStringLiteral("optLame"), QStringLiteral("msgErrFolder")),
            QStringLiteral("Quenzal"), Desktop::Icon::Warning);

    if (BoxState(chkABR) == 1 &&
        (m_options.BitrateABR < m_options.Bitrate || m_options.BitrateABR > m_options.BitrateVBR)) {
        m_desktop.showMessage(
            this,
            MessageText(m_language, QStringLiteral("optLame"), QStringLiteral("msgErrBitrate")),
            QStringLiteral("Quenzal"), Desktop::Icon::Critical);
        return;
    }

    const QString switches = txtOption->text();
    if (!lameAccepts(switches))
        return;

    Q_EMIT confirmed(switches);
    accept();
    SaveLameOptions(*this);
    RefreshPreview();
}

bool frmOptionLame::lameAccepts(const QString& switches)
{
    std::optional<QString> refusal;
    {
        const WaitCursor wait;
        refusal = CheckLameSwitches(m_programFolder + QStringLiteral("/lame"), switches);
    }
    if (!refusal)
        return true;
    const QString text =
        MessageText(m_language, QStringLiteral("OptLame"), QStringLiteral("msgLameRefused")) +
        QStringLiteral("\n\n") + *refusal + QStringLiteral("\n\n") +
        MessageText(m_language, QStringLiteral("OptLame"), QStringLiteral("msgLameKeep"));
    return m_desktop.ask(this, text, QStringLiteral("Quenzal"));
}

void frmOptionLame::cmdAnnuler_Click()
{
    const LameLoadResult loaded = LoadLameOptions(*this, m_options);
    if (!loaded.complete())
        return;
    ShowBitrateLabels();
    ShowAbrLabel();
    RefreshPreview();
}

void frmOptionLame::reject()
{
    cmdAnnuler_Click();
    QDialog::reject();
}

QString frmOptionLame::presetFolder() const
{
    const QString folder = m_programFolder + QStringLiteral("/Preset/");
    return QFileInfo(folder).isDir() ? folder : m_programFolder;
}

void frmOptionLame::setUserPresetFolder(const QString& folder)
{
    m_userPresetFolder = folder;
}

QString frmOptionLame::ownPresetFolder() const
{
    if (m_userPresetFolder.isEmpty() || FolderTakesWrites(presetFolder()))
        return {};
    return m_userPresetFolder.endsWith(QLatin1Char('/')) ? m_userPresetFolder
                                                         : m_userPresetFolder + QLatin1Char('/');
}

void frmOptionLame::cmdOuvrir_Click()
{
    // The user's own presets are the ones most often wanted back; the shipped ones stay a
    // click away.
    const QString own = ownPresetFolder();
    QStringList places{presetFolder()};
    if (!m_userPresetFolder.isEmpty())
        places << m_userPresetFolder;
    const QString path = m_desktop.openFileName(
        this, MessageText(m_language, QStringLiteral("OptLame"), QStringLiteral("dlgOpenPreset")),
        !own.isEmpty() && QFileInfo(own).isDir() ? own : presetFolder(), kPresetFilter, places);
    if (path.isEmpty())
        return;
    if (!ReadPresetIntoWindow(*this, path).ok)
        return;
    if (!ReadPresetIntoOptions(m_options, path).ok)
        return;
    ShowAbrLabel();
    RefreshPreview();
    ShowBitrateLabels();
}

void frmOptionLame::cmdSauver_Click()
{
    QString folder = ownPresetFolder();
    if (folder.isEmpty() || !QDir().mkpath(folder))
        folder = presetFolder();
    const QString path = m_desktop.saveFileName(
        this, MessageText(m_language, QStringLiteral("OptLame"), QStringLiteral("dlgSavePreset")),
        folder, kPresetFilter);
    if (path.isEmpty())
        return;
    WritePresetFile(*this, path);
}

void frmOptionLame::cmdDossier_Click()
{
    const QString folder = BrowseForFolder(
        m_desktop, this,
        MessageText(m_language, QStringLiteral("OptLame"), QStringLiteral("dlgFolder")));
    if (!folder.isEmpty())
        txtDossierSortie->setText(folder);
}

bool frmOptionLame::eventFilter(QObject* watched, QEvent* event)
{
    // Only keys meant for this window: a list's open popup keeps its own Enter and Escape.
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            cmdOK_Click();
            return true;
        }
        if (key == Qt::Key_Escape) {
            reject();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmOptionLame::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        cmdOK_Click();
    else if (key == Qt::Key_Escape)
        reject();
    else
        QDialog::keyPressEvent(event);
}
