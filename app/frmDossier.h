#pragma once

#include <QDialog>

class Program;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The folder search window: adds every WAV or every MP3 file of a folder tree to the main
// list. Shown modally and discarded once closed, so every showing starts afresh.
class frmDossier : public QDialog {
    Q_OBJECT

public:
    frmDossier(Program& program, QWidget* parent);

    void cmbExtension_Click(int index);
    void cmdOuvrirDossier_Click();
    void cmdAjouter_Click();

    QGroupBox* frmDos = nullptr;
    QLineEdit* txtChemin = nullptr;
    QPushButton* cmdOuvrirDossier = nullptr;
    QGroupBox* frmExt = nullptr;
    QComboBox* cmbExtension = nullptr;
    QLabel* lblExt = nullptr; // the search pattern
    QPushButton* cmdAjouter = nullptr;

protected:
    // Enter searches and Escape closes, whichever control has the focus.
    void keyPressEvent(QKeyEvent* event) override;

private:
    Program& m_program;
};
