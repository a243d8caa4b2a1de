#include "app/frmDossier.h"

#include "app/FolderSearch.h"
#include "settings/BuiltInTexts.h"
#include "settings/Desktop.h"
#include "settings/WaitCursor.h"
#include "settings/mdlMain.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const CaptionEntry kCaptions[] = {
    {"Folder", "frmSearch", "frmDos"},
    {"Folder", "frmExtension", "frmExt"},
    {"Folder", "cmdAddList", "cmdAjouter"},
};

const char* const kFontControls[] = {"frmDos", "frmExt", "txtChemin", "cmbExtension"};

} // namespace

std::span<const CaptionEntry> frmDossier::captionTable()
{
    return kCaptions;
}

std::span<const char* const> frmDossier::fontControls()
{
    return kFontControls;
}

frmDossier::frmDossier(QWidget* parent, Desktop& desktop, const Language& language)
    : QDialog(parent)
    , m_desktop(desktop)
    , m_language(language)
{
    setObjectName(QStringLiteral("frmDossier"));
    setWindowTitle(QStringLiteral("Quenzal"));

    frmDos = new QGroupBox(QStringLiteral("Dossier de recherche"), this);
    frmDos->setObjectName(QStringLiteral("frmDos"));
    txtChemin = new QLineEdit(frmDos);
    txtChemin->setObjectName(QStringLiteral("txtChemin"));
    txtChemin->setReadOnly(true);
    txtChemin->setMinimumWidth(320);
    cmdOuvrirDossier = new QPushButton(QStringLiteral("..."), frmDos);
    cmdOuvrirDossier->setObjectName(QStringLiteral("cmdOuvrirDossier"));
    cmdOuvrirDossier->setAutoDefault(false);
    auto* folderRow = new QHBoxLayout(frmDos);
    folderRow->addWidget(txtChemin, 1);
    folderRow->addWidget(cmdOuvrirDossier);

    frmExt = new QGroupBox(QStringLiteral("Extension"), this);
    frmExt->setObjectName(QStringLiteral("frmExt"));
    cmbExtension = new QComboBox(frmExt);
    cmbExtension->setObjectName(QStringLiteral("cmbExtension"));
    lblExt = new QLabel(frmExt);
    lblExt->setObjectName(QStringLiteral("lblExt"));
    lblExt->hide();
    auto* typeRow = new QHBoxLayout(frmExt);
    typeRow->addWidget(cmbExtension, 1);

    cmdAjouter = new QPushButton(QStringLiteral("Ajouter"), this);
    cmdAjouter->setObjectName(QStringLiteral("cmdAjouter"));
    cmdAjouter->setAutoDefault(false);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(frmExt, 1);
    bottom->addWidget(cmdAjouter, 0, Qt::AlignBottom);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frmDos);
    layout->addLayout(bottom);

    connect(cmbExtension, &QComboBox::currentIndexChanged, this, &frmDossier::cmbExtension_Click);
    connect(cmdOuvrirDossier, &QPushButton::clicked, this, &frmDossier::cmdOuvrirDossier_Click);
    connect(cmdAjouter, &QPushButton::clicked, this, &frmDossier::cmdAjouter_Click);

    cmbExtension->addItems({QStringLiteral(" WAV (*.wav)"), QStringLiteral(" MP3 (*.mp3)")});
    cmbExtension->setCurrentIndex(0);
    cmbExtension_Click(0);
}

void frmDossier::cmbExtension_Click(int index)
{
    lblExt->setText(index == 1 ? QStringLiteral("*.mp3") : QStringLiteral("*.wav"));
}

void frmDossier::cmdOuvrirDossier_Click()
{
    const QString folder =
        BrowseForFolder(m_desktop, this, MessageText(m_language, "Folder", "dlgFolder"));
    if (!folder.isEmpty())
        txtChemin->setText(folder);
}

void frmDossier::cmdAjouter_Click()
{
    if (txtChemin->text().isEmpty()) {
        m_desktop.showMessage(this, MessageText(m_language, "Folder", "msgErrFolder"),
                              QStringLiteral("Quenzal"), Desktop::Icon::Warning);
        return;
    }
    {
        const WaitCursor wait;
        QString path = txtChemin->text();
        m_found.clear();
        FindFilesAPI(path, lblExt->text(), m_found);
    }
    accept();
}

void frmDossier::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        cmdAjouter_Click();
        return;
    case Qt::Key_Escape:
        reject();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}
