#pragma once

#include "settings/Captions.h"

#include <QDialog>
#include <QString>

#include <span>

class Desktop;
class Language;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

// The general options window: the language of the captions, the font of the windows' text
// controls, how many files are encoded at once and what a run does with existing outputs. A choice
// of language or font takes effect at once, through the signals; OK stores the three choices for
// the next start and hides the window (the program keeps it). Annuler and Escape end the window as
// rejected: the program discards it, keeps the language chosen meanwhile and goes back to the
// default font.
class frmOption final : public QDialog {
    Q_OBJECT

public:
    // `langueFolder` holds the language files; `currentFace` is the face last applied (empty:
    // the default face), which the font list shows selected.
    frmOption(QWidget* parent, Desktop& desktop, const Language& language,
              const QString& langueFolder, const QString& currentFace);

    static std::span<const CaptionEntry> captionTable();
    static std::span<const char* const> fontControls();

    void cmbLangue_Click();
    void cmbPolice_Click();
    void cmdOK_Click();

Q_SIGNALS:
    // The path of the chosen language file without ".lng".
    void languageChosen(const QString& pathWithoutLng);
    void fontChosen(const QString& face);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Controls, reached by their object names.
    QGroupBox* frmLangue = nullptr;
    QLabel* lblLangue = nullptr;
    QComboBox* cmbLangue = nullptr;
    QGroupBox* frmPolice = nullptr;
    QLabel* lblPolice = nullptr;
    QComboBox* cmbPolice = nullptr;
    QGroupBox* frmEncodage = nullptr;
    QLabel* lblEncodages = nullptr;
    QComboBox* cmbEncodages = nullptr;
    QLabel* lblFichiersExistants = nullptr;
    QComboBox* cmbFichiersExistants = nullptr;
    QCheckBox* chkCopierTags = nullptr;
    QCheckBox* chkArborescence = nullptr;
    QPushButton* cmdMachines = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdAnnuler = nullptr;

    void Form_Load(const QString& currentFace);

    Desktop& m_desktop;
    const Language& m_language;
    QString m_langueFolder;
};
