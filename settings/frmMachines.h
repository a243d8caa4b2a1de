#pragma once

#include "settings/Captions.h"
#include "settings/MachineCheck.h"

#include <QDialog>

#include <span>

class Language;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

// The machines a run is spread over: one GNU parallel sshlogin a line, how they reach the files
// (shared folders or transfer), and a test that asks each one, without holding up the window,
// whether it answers, its cores and its lame. OK stores the list and the choice.
class frmMachines final : public QDialog {
    Q_OBJECT

public:
    frmMachines(QWidget* parent, const Language& language);

    static std::span<const CaptionEntry> captionTable();

    void cmdTester_Click();
    void cmdOK_Click();

Q_SIGNALS:
    // The test is over and txtResultat tells how each machine answered.
    void tested();

private:
    // Controls, reached by their object names.
    QLabel* lblMachines = nullptr;
    QPlainTextEdit* txtMachines = nullptr;
    QGroupBox* frmAcces = nullptr;
    QRadioButton* optPartage = nullptr;
    QRadioButton* optTransfert = nullptr;
    QPushButton* cmdTester = nullptr;
    QProgressBar* prgTest = nullptr;
    QPlainTextEdit* txtResultat = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdAnnuler = nullptr;

    QStringList logins() const;
    void onTested();

    const Language& m_language;
    MachineCheck m_check;
};
