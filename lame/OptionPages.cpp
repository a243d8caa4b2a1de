#include "lame/OptionPages.h"

#include "lame/LameOptions.h"
#include "lame/UpDown.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabBar>
#include <QVBoxLayout>

namespace {

// The filter boxes in kHz: up to the highest frequency any output rate carries, below the 50
// that lame would take as Hz.
constexpr double kFilterMaximumKHz = 24.0;
constexpr double kFilterStepKHz = 0.5;

template <class Control> Control* named(Control* control, const char* name)
{
    control->setObjectName(QLatin1String(name));
    return control;
}

QString text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QCheckBox* checkBox(QWidget* parent, const char* name, const char* caption)
{
    return named(new QCheckBox(text(caption), parent), name);
}

QGroupBox* frame(QWidget* parent, const char* name, const char* caption)
{
    return named(new QGroupBox(text(caption), parent), name);
}

QLabel* label(QWidget* parent, const char* name, const char* caption = "")
{
    return named(new QLabel(text(caption), parent), name);
}

QComboBox* list(QWidget* parent, const char* name, std::initializer_list<const char*> entries)
{
    auto* combo = named(new QComboBox(parent), name);
    for (const char* entry : entries)
        combo->addItem(text(entry));
    return combo;
}

QSlider* slider(QWidget* parent, const char* name, int minimum, int maximum)
{
    auto* s = named(new QSlider(Qt::Horizontal, parent), name);
    s->setRange(minimum, maximum);
    s->setSingleStep(1);
    s->setPageStep(5);
    s->setMinimumWidth(300);
    return s;
}

QLineEdit* numberBox(QWidget* parent, const char* name)
{
    auto* box = named(new QLineEdit(parent), name);
    box->setMaximumWidth(90);
    return box;
}

// A slider with its end labels under it and the current rate between them.
QGroupBox* sliderFrame(QWidget* page, const char* name, const char* caption, QSlider*& s,
                       const char* sliderName, int minimum, int maximum,
                       std::array<const char*, 3> labels, QLabel*& current, const char* low,
                       const char* high)
{
    QGroupBox* box = frame(page, name, caption);
    s = slider(box, sliderName, minimum, maximum);
    current = label(box, labels[2]);
    auto* grid = new QGridLayout(box);
    grid->addWidget(s, 0, 0, 1, 3);
    grid->addWidget(label(box, labels[0], low), 1, 0, Qt::AlignLeft);
    grid->addWidget(current, 1, 1, Qt::AlignHCenter);
    grid->addWidget(label(box, labels[1], high), 1, 2, Qt::AlignRight);
    return box;
}

// A filter frame: the filter's box and frequency, then its width's.
QGroupBox* filterFrame(QWidget* page, const char* name, const char* caption,
                       std::array<const char*, 6> names, const char* filterCaption,
                       const char* widthCaption)
{
    QGroupBox* box = frame(page, name, caption);
    auto* grid = new QGridLayout(box);
    for (int row = 0; row < 2; ++row) {
        QLineEdit* number = numberBox(box, names[row * 3 + 1]);
        grid->addWidget(checkBox(box, names[row * 3], row == 0 ? filterCaption : widthCaption), row,
                        0);
        grid->addWidget(number, row, 1);
        grid->addWidget(named(new UpDown(number, 0, kFilterMaximumKHz, kFilterStepKHz, box),
                              names[row * 3 + 2]),
                        row, 2);
    }
    grid->setColumnStretch(3, 1);
    return box;
}

} // namespace

OptionPages::OptionPages(QDialog* window)
{
    TabHaut = named(new QFrame(window), "TabHaut");
    TabHaut->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    txtdescription = named(new QLineEdit(TabHaut), "txtdescription");
    cmdOuvrir = named(new QPushButton(text("Ouvrir"), TabHaut), "cmdOuvrir");
    cmdSauver = named(new QPushButton(text("Sauver"), TabHaut), "cmdSauver");
    auto* top = new QHBoxLayout(TabHaut);
    top->addWidget(txtdescription, 1);
    top->addWidget(cmdOuvrir);
    top->addWidget(cmdSauver);

    TabOption = named(new QTabBar(window), "TabOption");
    for (const char* tab : {"Général", "Avancé", "VBR", "Expert", "Audio"})
        TabOption->addTab(text(tab));
    TabOption->setExpanding(false);
    TabOption->setDrawBase(false);
    imgBack = named(new QFrame(window), "imgBack");
    imgBack->setFrameStyle(QFrame::StyledPanel | QFrame::Plain);
    // Every page in the same place; a hidden page keeps its size so that switching pages
    // never resizes the window.
    auto* area = new QGridLayout(imgBack);
    for (QWidget*& page : pages) {
        page = new QWidget(imgBack);
        QSizePolicy policy = page->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        page->setSizePolicy(policy);
        area->addWidget(page, 0, 0);
    }

    tabBas = named(new QFrame(window), "tabBas");
    tabBas->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    txtOption = named(new QLineEdit(tabBas), "txtOption");
    txtOption->setReadOnly(true);
    lblAvis = label(tabBas, "lblAvis");
    lblAvis->setWordWrap(true);
    auto* bottom = new QVBoxLayout(tabBas);
    bottom->addWidget(txtOption);
    bottom->addWidget(lblAvis);

    cmdOK = named(new QPushButton(text("OK"), window), "cmdOK");
    cmdAnnuler = named(new QPushButton(text("Annuler"), window), "cmdAnnuler");
    cmdOK->setDefault(true);

    // Général
    QWidget* p = pages[0];
    frmBitrate = sliderFrame(p, "frmBitrate", "Bitrate", sldBitrate[0], "sldBitrate_0", 0,
                             kBitrateScaleSize - 1, {"lbl8kbps", "lbl320kbps", "lblBitrateActuel"},
                             lblBitrateActuel, "8 kbps", "320 kbps");
    frmMode = frame(p, "frmMode", "Mode");
    cmbMode = list(frmMode, "cmbMode",
                   {"Stereo", "Joint Stereo", "Forced Joint Stereo", "Mono", "Defaut"});
    (new QVBoxLayout(frmMode))->addWidget(cmbMode);
    frmDossierSorti = frame(p, "frmDossierSorti", "Répertoire de sortie");
    txtDossierSortie = named(new QLineEdit(frmDossierSorti), "txtDossierSortie");
    optMemeDossier =
        named(new QRadioButton(text("Même répertoire"), frmDossierSorti), "optMemeDossier");
    optChoixDossier =
        named(new QRadioButton(text("Choisir un répertoire"), frmDossierSorti), "optChoixDossier");
    optMemeDossier->setChecked(true);
    cmdDossier = named(new QPushButton(text("..."), frmDossierSorti), "cmdDossier");
    cmdDossier->setMaximumWidth(40);
    auto* folder = new QGridLayout(frmDossierSorti);
    folder->addWidget(optMemeDossier, 0, 0, 1, 2);
    folder->addWidget(optChoixDossier, 1, 0, 1, 2);
    folder->addWidget(txtDossierSortie, 2, 0);
    folder->addWidget(cmdDossier, 2, 1);
    auto* general = new QGridLayout(p);
    general->addWidget(frmBitrate, 0, 0, 1, 2);
    general->addWidget(frmMode, 1, 0, Qt::AlignTop);
    general->addWidget(frmDossierSorti, 1, 1);
    general->setColumnStretch(1, 1);
    general->setRowStretch(2, 1);

    // Avancé
    p = pages[1];
    frmOptimisation = frame(p, "frmOptimisation", "Optimisation");
    cmbOptimisation = list(frmOptimisation, "cmbOptimisation", {"Aucune", "Vitesse", "Qualité"});
    (new QVBoxLayout(frmOptimisation))->addWidget(cmbOptimisation);
    frmCrc = frame(p, "frmCrc", "Option");
    (new QVBoxLayout(frmCrc))->addWidget(checkBox(frmCrc, "chkCrc", "Inclure CRC-checksums"));
    frmMarque = frame(p, "frmMarque", "Marque");
    auto* marks = new QVBoxLayout(frmMarque);
    marks->addWidget(checkBox(frmMarque, "chkCopyright", "Copyright"));
    marks->addWidget(checkBox(frmMarque, "chkCopie", "Copie"));
    frmSuppression = frame(p, "frmSuppression", "Suppression");
    (new QVBoxLayout(frmSuppression))
        ->addWidget(checkBox(frmSuppression, "chkSupp", "Supprimer les fichiers après encodages"));
    auto* advanced = new QGridLayout(p);
    advanced->addWidget(frmOptimisation, 0, 0);
    advanced->addWidget(frmCrc, 0, 1);
    advanced->addWidget(frmMarque, 1, 0);
    advanced->addWidget(frmSuppression, 1, 1);
    advanced->setRowStretch(2, 1);

    // VBR: the tag and minimum boxes sit just right of the quality frame.
    p = pages[2];
    chkActiveVBR = checkBox(p, "chkActiveVBR", "Activer le Variable Bitrate");
    frmVBR = sliderFrame(p, "frmVBR", "Maximum VBR", sldBitrate[1], "sldBitrate_1", 0,
                         kBitrateScaleSize - 1, {"lblVBR8kbps", "lblVBR320kbps", "lblVBRActuel"},
                         lblVBRActuel, "8 kbps", "320 kbps");
    frmQualite = frame(p, "frmQualite", "Qualité");
    txtQualite = numberBox(frmQualite, "txtQualite");
    txtQualite->setAlignment(Qt::AlignCenter);
    txtQualite->setMaximumWidth(50);
    upQualite = named(new UpDown(txtQualite, 0, 9, 1, frmQualite), "upQualite");
    auto* quality = new QHBoxLayout(frmQualite);
    quality->addWidget(txtQualite);
    quality->addWidget(upQualite);
    quality->addStretch();
    frmABR = sliderFrame(p, "frmABR", "Average Bitrate", sldBitrateABR, "sldBitrateABR",
                         kAbrMinimum, kAbrMaximum, {"lblABR4kbps", "lblABRkbps", "lblABRActuel"},
                         lblABRActuel, "4 kbps", "310 kbps");
    chkABR = checkBox(p, "chkABR", "Utiliser ABR à la place de VBR");
    chkAppliquerBitrateMini =
        checkBox(p, "chkAppliquerBitrateMini", "Appliquer le Bitrate minimum");
    chkDesactiveEcritureTag =
        checkBox(p, "chkDesactiveEcritureTag", "Désactiver l'écriture des Tags en VBR");
    auto* besideQuality = new QVBoxLayout;
    besideQuality->addWidget(chkDesactiveEcritureTag);
    besideQuality->addWidget(chkAppliquerBitrateMini);
    auto* vbr = new QGridLayout(p);
    vbr->addWidget(chkActiveVBR, 0, 0, 1, 2);
    vbr->addWidget(frmVBR, 1, 0, 1, 2);
    vbr->addWidget(frmQualite, 2, 0);
    vbr->addLayout(besideQuality, 2, 1);
    vbr->addWidget(chkABR, 3, 0, 1, 2);
    vbr->addWidget(frmABR, 4, 0, 1, 2);
    vbr->setColumnStretch(1, 1);
    vbr->setRowStretch(5, 1);

    // Expert
    p = pages[3];
    frmControleATH = frame(p, "frmControleATH", "Controle ATH");
    cmbATH =
        list(frmControleATH, "cmbATH", {"Défaut", "Seul", "Désactiver", "Juste pour blocs court"});
    lblNiveauATH = label(frmControleATH, "lblNiveauATH", "Niveau de qualité (-q) :");
    cmbNiveauATH = list(frmControleATH, "cmbNiveauATH",
                        {"Défaut", "0", "1", "2", "3", "4", "5", "6", "7", "8", "9"});
    auto* ath = new QGridLayout(frmControleATH);
    ath->addWidget(label(frmControleATH, "lblATH", "Mode de controle :"), 0, 0);
    ath->addWidget(cmbATH, 0, 1);
    ath->addWidget(lblNiveauATH, 1, 0);
    ath->addWidget(cmbNiveauATH, 1, 1);
    ath->setColumnStretch(2, 1);
    auto* expert = new QVBoxLayout(p);
    expert->addWidget(frmControleATH);
    expert->addWidget(
        checkBox(p, "chkAutoriserBlocDiferer", "Autoriser les blocs différés entre 2 canaux"));
    expert->addWidget(checkBox(p, "chkDesactiveFiltrage", "Désactiver les filtrages"));
    expert->addWidget(checkBox(p, "chkDesactiveBlocCourt", "Désactiver les blocs court"));
    expert->addWidget(checkBox(p, "chkDesactiveBitReservoir", "Désactive le bit réservoir"));
    expert->addWidget(checkBox(p, "chkISO", "Doit être conforme à la norme ISO-MPEG"));
    expert->addStretch();

    // Audio
    p = pages[4];
    frmFrequenceEchantillon = frame(p, "frmFrequenceEchantillon", "Fréquence d'échantillonnage");
    auto* rate = new QHBoxLayout(frmFrequenceEchantillon);
    rate->addWidget(list(frmFrequenceEchantillon, "cmbFrequenceEchantillon",
                         {"Défaut", "8kHz", "11,025kHz", "12kHz", "16kHz", "22,050kHz", "24kHz",
                          "32kHz", "44,1kHz", "48kHz"}));
    rate->addStretch();
    frmFiltreHighpass =
        filterFrame(p, "frmFiltreHighpass", "Filtre Highpass",
                    {"chkFiltrerHighpass", "txtHighpass", "upHighpass", "chkLargeurFiltreHighpass",
                     "txtLargeurHighpass", "upLargeurHighpass"},
                    "Filtrer la fréquence Highpass (kHz) :", "Largeur du filtre Highpass (kHz) :");
    frmFiltreLowpass =
        filterFrame(p, "frmFiltreLowpass", "Filtre Lowpass",
                    {"chkFiltrerLowpass", "txtLowpass", "upLowpass", "chkLargeurFiltreLowpass",
                     "txtLargeurLowpass", "upLargeurLowpass"},
                    "Filtrer la fréquence Lowpass (kHz) :", "Largeur du filtre Lowpass (kHz) :");
    auto* audio = new QVBoxLayout(p);
    audio->addWidget(frmFrequenceEchantillon);
    audio->addWidget(frmFiltreHighpass);
    audio->addWidget(frmFiltreLowpass);
    audio->addStretch();

    auto* layout = new QVBoxLayout(window);
    layout->addWidget(TabHaut);
    auto* tabs = new QVBoxLayout;
    tabs->setSpacing(0);
    tabs->addWidget(TabOption);
    tabs->addWidget(imgBack, 1);
    layout->addLayout(tabs, 1);
    layout->addWidget(tabBas);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdAnnuler);
    layout->addLayout(buttons);
    showPage(0);
}

void OptionPages::showPage(int page)
{
    for (int i = 0; i < int(pages.size()); ++i)
        pages[i]->setVisible(i == page);
}
