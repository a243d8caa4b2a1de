#pragma once

#include <array>

class QCheckBox;
class QComboBox;
class QDialog;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QTabBar;
class QWidget;
class UpDown;

// The controls of the LAME options window on their five pages, laid out, with their built-in
// captions and list entries; no behaviour. The window owns one and keeps it to itself.
// Every control carries the objectName the settings, presets, language files and fonts know.
struct OptionPages {
    explicit OptionPages(QDialog* window);

    // Shows one page, 0 to 4, and hides the others.
    void showPage(int page);

    QTabBar* TabOption = nullptr;
    QFrame* TabHaut = nullptr;
    QFrame* tabBas = nullptr;
    QFrame* imgBack = nullptr;
    QLineEdit* txtdescription = nullptr;
    QPushButton* cmdOuvrir = nullptr;
    QPushButton* cmdSauver = nullptr;
    QLineEdit* txtOption = nullptr;
    QLabel* lblAvis = nullptr; // what lame will not do as the controls say
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdAnnuler = nullptr;

    // Général
    QGroupBox* frmBitrate = nullptr;
    std::array<QSlider*, 2> sldBitrate{}; // 0: the rate (VBR minimum), 1: the VBR maximum
    QLabel* lblBitrateActuel = nullptr;
    QGroupBox* frmMode = nullptr;
    QComboBox* cmbMode = nullptr;
    QGroupBox* frmDossierSorti = nullptr;
    QLineEdit* txtDossierSortie = nullptr;
    QRadioButton* optMemeDossier = nullptr;
    QRadioButton* optChoixDossier = nullptr;
    QPushButton* cmdDossier = nullptr;

    // Avancé
    QGroupBox* frmOptimisation = nullptr;
    QComboBox* cmbOptimisation = nullptr;
    QGroupBox* frmCrc = nullptr;
    QGroupBox* frmMarque = nullptr;
    QGroupBox* frmSuppression = nullptr;

    // VBR
    QCheckBox* chkActiveVBR = nullptr;
    QGroupBox* frmVBR = nullptr;
    QLabel* lblVBRActuel = nullptr;
    QGroupBox* frmQualite = nullptr;
    QLineEdit* txtQualite = nullptr;
    UpDown* upQualite = nullptr;
    QGroupBox* frmABR = nullptr;
    QSlider* sldBitrateABR = nullptr;
    QLabel* lblABRActuel = nullptr;
    QCheckBox* chkABR = nullptr;
    QCheckBox* chkAppliquerBitrateMini = nullptr;
    QCheckBox* chkDesactiveEcritureTag = nullptr;

    // Expert
    QGroupBox* frmControleATH = nullptr;
    QComboBox* cmbATH = nullptr;
    QLabel* lblNiveauATH = nullptr;
    QComboBox* cmbNiveauATH = nullptr;

    // Audio
    QGroupBox* frmFrequenceEchantillon = nullptr;
    QGroupBox* frmFiltreHighpass = nullptr;
    QGroupBox* frmFiltreLowpass = nullptr;

    std::array<QWidget*, 5> pages{};
};
