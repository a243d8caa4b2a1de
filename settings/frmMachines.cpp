#include "settings/frmMachines.h"

#include "settings/BuiltInTexts.h"
#include "settings/StoredSettings.h"
#include "settings/mdlMain.h"

#include <QApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

const CaptionEntry kCaptions[] = {
    {"Machines", "lblMachines", "lblMachines"}, {"Machines", "frmAcces", "frmAcces"},
    {"Machines", "optPartage", "optPartage"},   {"Machines", "optTransfert", "optTransfert"},
    {"Machines", "cmdTester", "cmdTester"},     {"Main", "cmdCancel", "cmdAnnuler"},
};

} // namespace

std::span<const CaptionEntry> frmMachines::captionTable()
{
    return kCaptions;
}

frmMachines::frmMachines(QWidget* parent, const Language& language)
    : QDialog(parent)
    , m_language(language)
{
    setObjectName(QStringLiteral("frmMachines"));
    const auto make = [this]<class T>(T*& widget, const char* name, QWidget* parent) {
        widget = new T(parent);
        widget->setObjectName(QLatin1String(name));
    };
    make(lblMachines, "lblMachines", this);
    lblMachines->setText(QStringLiteral("Machines (une connexion ssh par ligne : "
                                        "4/utilisateur@hôte, « : » pour cet ordinateur) :"));
    lblMachines->setWordWrap(true);
    make(txtMachines, "txtMachines", this);
    lblMachines->setBuddy(txtMachines);
    make(frmAcces, "frmAcces", this);
    frmAcces->setTitle(QStringLiteral("Accès aux fichiers"));
    make(optPartage, "optPartage", frmAcces);
    optPartage->setText(QStringLiteral("Dossiers partagés (mêmes chemins sur chaque machine)"));
    make(optTransfert, "optTransfert", frmAcces);
    optTransfert->setText(
        QStringLiteral("Transfert (chaque fichier est envoyé, le résultat rapporté)"));
    auto* access = new QVBoxLayout(frmAcces);
    access->addWidget(optPartage);
    access->addWidget(optTransfert);
    make(cmdTester, "cmdTester", this);
    cmdTester->setText(QStringLiteral("Tester"));
    make(prgTest, "prgTest", this);
    prgTest->setRange(0, 0); // busy while the machines are asked
    prgTest->setVisible(false);
    make(txtResultat, "txtResultat", this);
    txtResultat->setReadOnly(true);
    make(cmdOK, "cmdOK", this);
    cmdOK->setText(QStringLiteral("OK"));
    cmdOK->setDefault(true);
    make(cmdAnnuler, "cmdAnnuler", this);
    cmdAnnuler->setText(QStringLiteral("Annuler"));

    auto* test = new QHBoxLayout;
    test->addWidget(cmdTester);
    test->addWidget(prgTest, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdAnnuler);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblMachines);
    layout->addWidget(txtMachines, 2);
    layout->addWidget(frmAcces);
    layout->addLayout(test);
    layout->addWidget(txtResultat, 1);
    layout->addLayout(buttons);

    txtMachines->setPlainText(StoredSettings::machines().join(QLatin1Char('\n')));
    (StoredSettings::transferFiles() ? optTransfert : optPartage)->setChecked(true);
    setWindowTitle(MessageText(language, QStringLiteral("Machines"), QStringLiteral("title")));
    ApplyCaptions(this, language, kCaptions);
    NameControls(this);

    connect(cmdTester, &QPushButton::clicked, this, &frmMachines::cmdTester_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmMachines::cmdOK_Click);
    connect(cmdAnnuler, &QPushButton::clicked, this, &QDialog::reject);
    connect(&m_check, &MachineCheck::finished, this, &frmMachines::onTested);
}

QStringList frmMachines::logins() const
{
    QStringList logins;
    for (const QString& line : txtMachines->toPlainText().split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty() && !line.trimmed().startsWith(QLatin1Char('#')))
            logins << line.trimmed();
    }
    return logins;
}

void frmMachines::cmdTester_Click()
{
    const QStringList machines = logins();
    if (machines.isEmpty()) {
        txtResultat->setPlainText(MessageText(m_language, "Machines", "msgNoMachines"));
        Q_EMIT tested();
        return;
    }
    // The lame a local run uses: the program folder's, else the one on the PATH.
    const QString beside = LamePath(QCoreApplication::applicationDirPath());
    const QString lame = QFileInfo(beside).isExecutable() ? beside : QStringLiteral("lame");
    txtResultat->setPlainText(MessageText(m_language, "Machines", "msgTesting"));
    cmdTester->setEnabled(false);
    prgTest->setVisible(true);
    m_check.start(machines, lame);
}

void frmMachines::onTested()
{
    QStringList lines;
    for (const MachineState& state : m_check.states())
        lines << DescribeMachine(m_language, state, m_check.localVersion(),
                                 optTransfert->isChecked());
    txtResultat->setPlainText(lines.join(QLatin1Char('\n')));
    cmdTester->setEnabled(true);
    prgTest->setVisible(false);
    Q_EMIT tested();
}

void frmMachines::cmdOK_Click()
{
    StoredSettings::setMachines(logins());
    StoredSettings::setTransferFiles(optTransfert->isChecked());
    accept();
}
