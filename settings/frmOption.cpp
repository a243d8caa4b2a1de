#include "settings/frmOption.h"

#include "settings/BuiltInTexts.h"
#include "settings/Desktop.h"
#include "settings/Language.h"
#include "settings/StoredSettings.h"
#include "settings/frmMachines.h"
#include "settings/mdlMain.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

namespace {

const CaptionEntry kCaptions[] = {
    {"Option", "frmFonts", "frmPolice"},
    {"Option", "frmLanguage", "frmLangue"},
    {"Option", "lblLanguage", "lblLangue"},
    {"Option", "lblFonts", "lblPolice"},
    {"Main", "cmdCancel", "cmdAnnuler"},
    {"Option", "frmJobs", "frmEncodage"},
    {"Option", "lblJobs", "lblEncodages"},
    {"Option", "cmbJobsAuto", "cmbEncodages", CaptionKind::ListEntry, 0},
    {"Option", "lblExisting", "lblFichiersExistants"},
    {"Option", "cmbExistingReplace", "cmbFichiersExistants", CaptionKind::ListEntry, 0},
    {"Option", "cmbExistingSkip", "cmbFichiersExistants", CaptionKind::ListEntry, 1},
    {"Option", "cmbExistingKeepBoth", "cmbFichiersExistants", CaptionKind::ListEntry, 2},
    {"Option", "cmdMachines", "cmdMachines"},
};

const char* const kFontControls[] = {"frmLangue", "frmPolice", "lblPolice", "lblLangue",
                                     "cmbLangue"};

const QString kAuto = QStringLiteral("Auto");

} // namespace

std::span<const CaptionEntry> frmOption::captionTable()
{
    return kCaptions;
}

std::span<const char* const> frmOption::fontControls()
{
    return kFontControls;
}

frmOption::frmOption(QWidget* parent, Desktop& desktop, const Language& language,
                     const QString& langueFolder, const QString& currentFace)
    : QDialog(parent)
    , m_desktop(desktop)
    , m_language(language)
    , m_langueFolder(langueFolder)
{
    setObjectName(QStringLiteral("frmOption"));
    setWindowTitle(QStringLiteral("Quenzal"));

    const auto box = [this](QGroupBox*& frame, const char* name, const QString& caption,
                            QLabel*& label, const char* labelName, const QString& labelText,
                            QComboBox*& list, const char* listName) {
        frame = new QGroupBox(caption, this);
        frame->setObjectName(QLatin1String(name));
        label = new QLabel(labelText, frame);
        label->setObjectName(QLatin1String(labelName));
        list = new QComboBox(frame);
        list->setObjectName(QLatin1String(listName));
        list->setMinimumWidth(220);
        label->setBuddy(list);
        auto* row = new QHBoxLayout(frame);
        row->addWidget(label);
        row->addWidget(list, 1);
    };
    box(frmLangue, "frmLangue", QStringLiteral("Langue"), lblLangue, "lblLangue",
        QStringLiteral("Langue :"), cmbLangue, "cmbLangue");
    box(frmPolice, "frmPolice", QStringLiteral("Police d'écriture"), lblPolice, "lblPolice",
        QStringLiteral("Police :"), cmbPolice, "cmbPolice");
    box(frmEncodage, "frmEncodage", QStringLiteral("Conversion"), lblEncodages, "lblEncodages",
        QStringLiteral("Encodages simultanés :"), cmbEncodages, "cmbEncodages");

    lblFichiersExistants = new QLabel(QStringLiteral("Fichiers existants :"), frmEncodage);
    lblFichiersExistants->setObjectName(QStringLiteral("lblFichiersExistants"));
    cmbFichiersExistants = new QComboBox(frmEncodage);
    cmbFichiersExistants->setObjectName(QStringLiteral("cmbFichiersExistants"));
    lblFichiersExistants->setBuddy(cmbFichiersExistants);
    frmEncodage->layout()->addWidget(lblFichiersExistants);
    frmEncodage->layout()->addWidget(cmbFichiersExistants);
    // The machines a run is spread over, in a window of their own.
    cmdMachines = new QPushButton(QStringLiteral("Machines…"), frmEncodage);
    cmdMachines->setObjectName(QStringLiteral("cmdMachines"));
    frmEncodage->layout()->addWidget(cmdMachines);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdAnnuler = new QPushButton(QStringLiteral("Annuler"), this);
    cmdAnnuler->setObjectName(QStringLiteral("cmdAnnuler"));
    cmdOK->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdAnnuler);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frmLangue);
    layout->addWidget(frmPolice);
    layout->addWidget(frmEncodage);
    layout->addLayout(buttons);

    Form_Load(currentFace);

    connect(cmbLangue, &QComboBox::activated, this, &frmOption::cmbLangue_Click);
    connect(cmbPolice, &QComboBox::activated, this, &frmOption::cmbPolice_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmOption::cmdOK_Click);
    connect(cmdMachines, &QPushButton::clicked, this, [this] {
        auto* machines = new frmMachines(this, m_language);
        machines->setAttribute(Qt::WA_DeleteOnClose);
        machines->open();
    });
    connect(cmdAnnuler, &QPushButton::clicked, this, &QDialog::reject);
}

void frmOption::Form_Load(const QString& currentFace)
{
    QStringList families = QFontDatabase::families();
    families.sort(Qt::CaseInsensitive);
    families.removeDuplicates();
    cmbPolice->addItems(families);
    const QString face = currentFace.isEmpty() ? QApplication::font().family() : currentFace;
    cmbPolice->setCurrentIndex(cmbPolice->findText(face));

    // One entry per language file. Other files in the folder are no languages: choosing one
    // would empty every caption.
    const QFileInfoList files =
        QDir(m_langueFolder)
            .entryInfoList({QStringLiteral("*.lng")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& file : files) {
        const QString name = StripExtension(file.fileName());
        if (!name.isEmpty() && cmbLangue->findText(name) < 0)
            cmbLangue->addItem(name,
                               file.absolutePath() + QLatin1Char('/') + file.fileName().chopped(4));
    }
    const QString langue = QFileInfo(StoredSettings::language()).fileName();
    cmbLangue->setCurrentIndex(langue.isEmpty() ? -1 : cmbLangue->findText(StripExtension(langue)));

    cmbEncodages->addItem(kAuto, kAuto);
    for (int n = 1; n <= 2 * std::max(1, QThread::idealThreadCount()); ++n)
        cmbEncodages->addItem(QString::number(n), QString::number(n));
    const int jobs = cmbEncodages->findData(StoredSettings::jobs());
    cmbEncodages->setCurrentIndex(jobs < 0 ? 1 : jobs);

    // The stored choices are these French words, whatever the language shows.
    for (const char* choice : {"Remplacer", "Passer", "Garder les deux"})
        cmbFichiersExistants->addItem(QString::fromUtf8(choice), QString::fromUtf8(choice));
    cmbFichiersExistants->setCurrentIndex(
        cmbFichiersExistants->findData(StoredSettings::existingFiles()));
}

void frmOption::cmbLangue_Click()
{
    if (cmbLangue->currentIndex() >= 0)
        Q_EMIT languageChosen(cmbLangue->currentData().toString());
}

void frmOption::cmbPolice_Click()
{
    if (cmbPolice->currentIndex() >= 0)
        Q_EMIT fontChosen(cmbPolice->currentText());
}

void frmOption::cmdOK_Click()
{
    StoredSettings::setFontName(cmbPolice->currentText());
    StoredSettings::setLanguage(
        m_language.path().isEmpty() ? QString() : m_language.path() + QStringLiteral(".lng"));
    StoredSettings::setJobs(cmbEncodages->currentData().toString());
    StoredSettings::setExistingFiles(cmbFichiersExistants->currentData().toString());
    m_desktop.showMessage(this, MessageText(m_language, "Option", "msgFonts"),
                          QStringLiteral("Quenzal"), Desktop::Icon::Information);
    accept();
}

void frmOption::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}
