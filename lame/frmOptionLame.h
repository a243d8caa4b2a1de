#pragma once

#include "settings/Captions.h"

#include <QDialog>
#include <QString>

#include <array>
#include <span>

class Desktop;
class Language;
class QCheckBox;
class QComboBox;
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
struct LameOptions;

// The LAME options window: every encoding option on five pages, the live preview of the
// switches, presets, and the output folder of conversion runs. It edits the program's one
// option record: each change of a control writes its field at once and rebuilds the preview.
// Made hidden at program start and shown modally; OK hands the switches over through
// `confirmed` and hides it, Escape reverts to the stored options and ends it (the program
// then discards it and makes a fresh one).
class frmOptionLame final : public QDialog {
    Q_OBJECT

public:
    // `options` and `commandeLame` are the program's and outlive the window. `programFolder`
    // holds `lame` and the preset folder `Preset/`.
    frmOptionLame(QWidget* parent, LameOptions& options, QString& commandeLame, Desktop& desktop,
                  const Language& language, const QString& programFolder);
    ~frmOptionLame() override;

    // The captions that follow the language and the controls that follow the chosen font;
    // the program applies them.
    static std::span<const CaptionEntry> captionTable();
    static std::span<const char* const> fontControls();

    // Builds the switches from the record into the program's switches text and shows them,
    // followed by one blank.
    void RefreshPreview();
    // Puts every page into the shared page area and the two VBR boxes beside the quality.
    void ArrangePages();
    // Shows or hides the controls of one page, 1 to 5.
    void ShowPage(int page, bool visible);

    // The user's own preset folder. When Quenzal may not write into the program's Preset/
    // folder (an installed program), Sauver saves there (making it when needed) and Ouvrir
    // starts there once it exists; Ouvrir always offers both folders. Empty: none.
    void setUserPresetFolder(const QString& folder);

    void cmdOK_Click();
    void cmdAnnuler_Click();
    void cmdOuvrir_Click();
    void cmdSauver_Click();
    void cmdDossier_Click();

    // The three current-rate labels, from the slider positions.
    void ShowBitrateLabels();
    void ShowAbrLabel();

    // What conversion runs read: the output folder (empty: beside each source) and whether
    // sources go once encoded.
    QString outputFolderText() const;
    void setOutputFolderText(const QString& folder);
    bool deleteSourcesAfterEncoding() const;

    // A check box as the options keep it: 0 cleared, 1 ticked, 2 greyed.
    static int BoxState(const QCheckBox* box);
    // False, with the box unchanged, for any other state.
    static bool SetBoxState(QCheckBox* box, int state);

    // Controls, named as the settings, preset files, language files and fonts know them.
    QTabBar* TabOption = nullptr;
    QFrame* TabHaut = nullptr;
    QFrame* tabBas = nullptr;
    QFrame* imgBack = nullptr;
    QLineEdit* txtdescription = nullptr;
    QPushButton* cmdOuvrir = nullptr;
    QPushButton* cmdSauver = nullptr;
    QLineEdit* txtOption = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdAnnuler = nullptr;

    // Général
    QGroupBox* frmBitrate = nullptr;
    std::array<QSlider*, 2> sldBitrate{}; // 0: the rate (VBR minimum), 1: the VBR maximum
    QLabel* lbl8kbps = nullptr;
    QLabel* lbl320kbps = nullptr;
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
    QCheckBox* chkCrc = nullptr;
    QGroupBox* frmMarque = nullptr;
    QCheckBox* chkCopyright = nullptr;
    QCheckBox* chkCopie = nullptr;
    QGroupBox* frmSuppression = nullptr;
    QCheckBox* chkSupp = nullptr;

    // VBR
    QCheckBox* chkActiveVBR = nullptr;
    QGroupBox* frmVBR = nullptr;
    QLabel* lblVBR8kbps = nullptr;
    QLabel* lblVBR320kbps = nullptr;
    QLabel* lblVBRActuel = nullptr;
    QGroupBox* frmQualite = nullptr;
    QLineEdit* txtQualite = nullptr;
    UpDown* upQualite = nullptr;
    QGroupBox* frmABR = nullptr;
    QSlider* sldBitrateABR = nullptr;
    QLabel* lblABR4kbps = nullptr;
    QLabel* lblABRkbps = nullptr;
    QLabel* lblABRActuel = nullptr;
    QCheckBox* chkABR = nullptr;
    QCheckBox* chkAppliquerBitrateMini = nullptr;
    QCheckBox* chkDesactiveEcritureTag = nullptr;

    // Expert
    QGroupBox* frmControleATH = nullptr;
    QLabel* lblATH = nullptr;
    QComboBox* cmbATH = nullptr;
    QLabel* lblNiveauATH = nullptr;
    QComboBox* cmbNiveauATH = nullptr;
    QCheckBox* chkAutoriserBlocDiferer = nullptr;
    QCheckBox* chkDesactiveFiltrage = nullptr;
    QCheckBox* chkDesactiveBlocCourt = nullptr;
    QCheckBox* chkDesactiveBitReservoir = nullptr;
    QCheckBox* chkISO = nullptr;

    // Audio
    QGroupBox* frmFrequenceEchantillon = nullptr;
    QComboBox* cmbFrequenceEchantillon = nullptr;
    QGroupBox* frmFiltreHighpass = nullptr;
    QCheckBox* chkFiltrerHighpass = nullptr;
    QLineEdit* txtHighpass = nullptr;
    UpDown* upHighpass = nullptr;
    QCheckBox* chkLargeurFiltreHighpass = nullptr;
    QLineEdit* txtLargeurHighpass = nullptr;
    UpDown* upLargeurHighpass = nullptr;
    QGroupBox* frmFiltreLowpass = nullptr;
    QCheckBox* chkFiltrerLowpass = nullptr;
    QLineEdit* txtLowpass = nullptr;
    UpDown* upLowpass = nullptr;
    QCheckBox* chkLargeurFiltreLowpass = nullptr;
    QLineEdit* txtLargeurLowpass = nullptr;
    UpDown* upLargeurLowpass = nullptr;

public Q_SLOTS:
    // Escape and the close box: revert to the stored options, then end the dialog.
    void reject() override;

Q_SIGNALS:
    // OK passed its checks: the switches text to use from now on.
    void confirmed(const QString& switches);

protected:
    // The window sees Enter and Escape before the control that has the focus.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createControls();
    void connectReactions();
    void fillLists();
    // Asks lame whether it takes the switches; false when the user would rather go back.
    bool lameAccepts(const QString& switches);
    // The shipped presets' folder (the program folder when it has no Preset/).
    QString presetFolder() const;
    // The user's own folder when presets cannot go into presetFolder(); empty otherwise.
    QString ownPresetFolder() const;

    void checkBoxClicked(QCheckBox* box, qint32& field);
    void sliderChanged(int index);
    void sldBitrateABR_Change();
    void applyVbrRule(int state);
    void applyAbrRule(int state);
    void applyFilterRule(int state, QWidget* box, UpDown* up, QCheckBox* widthBox,
                         QWidget* widthText, UpDown* widthUp);
    void applyWidthRule(int state, QWidget* widthText, UpDown* widthUp);

    LameOptions& m_options;
    QString& m_commandeLame;
    Desktop& m_desktop;
    const Language& m_language;
    QString m_programFolder;
    QString m_userPresetFolder;
    std::array<QWidget*, 5> m_pages{};
    bool m_arranged = false;
};
