#pragma once

#include "app/FileEntry.h"
#include "settings/Captions.h"

#include <QDialog>
#include <QList>

#include <span>

class Desktop;
class Language;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The folder search window: finds every WAV or every MP3 file of a folder tree. "Ajouter"
// searches and closes the window as accepted; the rows it found are then foundRows(). Shown
// modally and discarded once closed, so every showing starts afresh.
class frmDossier final : public QDialog {
    Q_OBJECT

public:
    frmDossier(QWidget* parent, Desktop& desktop, const Language& language);

    const QList<FileEntry>& foundRows() const { return m_found; }

    static std::span<const CaptionEntry> captionTable();
    static std::span<const char* const> fontControls();

    void cmbExtension_Click(int index);
    void cmdOuvrirDossier_Click();
    void cmdAjouter_Click();

protected:
    // Enter searches and Escape closes, whichever control has the focus.
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Controls, reached by their object names.
    QGroupBox* frmDos = nullptr;
    QLineEdit* txtChemin = nullptr;
    QPushButton* cmdOuvrirDossier = nullptr;
    QGroupBox* frmExt = nullptr;
    QComboBox* cmbExtension = nullptr;
    QLabel* lblExt = nullptr; // the search pattern
    QPushButton* cmdAjouter = nullptr;

    Desktop& m_desktop;
    const Language& m_language;
    QList<FileEntry> m_found;
};
