#include "settings/frmOption.h"

#include "settings/BuiltInTexts.h"
#include "settings/Desktop.h"
#include "settings/Language.h"
#include "settings/ProfileFile.h"
#include "settings/StoredSettings.h"
#include "settings/frmMachines.h"
#include "settings/mdlMain.h"

#include <QApplication>
#include <QCheckBox>
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
    {"Option", "chkCopyTags", "chkCopierTags"},
    {"Option", "chkKeepTree", "chkArborescence"},
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
    // The conversion choices, one a row: files at once, existing outputs, what a library's
    // conversion keeps (its tags; with an output folder, its folders), the machines.
    frmEncodage = new QGroupBox(QStringLiteral("Conversion"), this);
    frmEncodage->setObjectName(QStringLiteral("frmEncodage"));
    const auto named = [](QWidget* widget, const char* name) {
        widget->setObjectName(QLatin1String(name));
        return widget;
    };
    lblEncodages = new QLabel(QStringLiteral("Encodages simultanés :"), frmEncodage);
    cmbEncodages = new QComboBox(frmEncodage);
    lblFichiersExistants = new QLabel(QStringLiteral("Fichiers existants :"), frmEncodage);
    cmbFichiersExistants = new QComboBox(frmEncodage);
    chkCopierTags = new QCheckBox(QStringLiteral("Copier les tags"), frmEncodage);
    chkArborescence = new QCheckBox(QStringLiteral("Garder l'arborescence"), frmEncodage);
    cmdMachines = new QPushButton(QStringLiteral("Machines…"), frmEncodage);
    lblEncodages->setBuddy(cmbEncodages);
    lblFichiersExistants->setBuddy(cmbFichiersExistants);
    chkCopierTags->setChecked(StoredSettings::copyTags());
    chkArborescence->setChecked(StoredSettings::keepTree());
    auto* conversion = new QGridLayout(frmEncodage);
    conversion->addWidget(named(lblEncodages, "lblEncodages"), 0, 0);
    conversion->addWidget(named(cmbEncodages, "cmbEncodages"), 0, 1);
    conversion->addWidget(named(lblFichiersExistants, "lblFichiersExistants"), 1, 0);
    conversion->addWidget(named(cmbFichiersExistants, "cmbFichiersExistants"), 1, 1);
    conversion->addWidget(named(chkCopierTags, "chkCopierTags"), 2, 0, 1, 2);
    conversion->addWidget(named(chkArborescence, "chkArborescence"), 3, 0, 1, 2);
    conversion->addWidget(named(cmdMachines, "cmdMachines"), 4, 0, Qt::AlignLeft);
    conversion->setColumnStretch(1, 1);

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
    // Each is listed by the name it gives itself ("Français"; a file name has no accents to
    // spare), else by its file name.
    const QString stored = QFileInfo(StoredSettings::language()).fileName();
    for (const QFileInfo& file : files) {
        QString name = ProfileFile::readValue(file.absoluteFilePath(), QStringLiteral("Main"),
                                              QStringLiteral("langName"), 64);
        if (name.isEmpty())
            name = StripExtension(file.fileName());
        if (name.isEmpty() || cmbLangue->findText(name) >= 0)
            continue;
        cmbLangue->addItem(name,
                           file.absolutePath() + QLatin1Char('/') + file.fileName().chopped(4));
        if (file.fileName() == stored)
            cmbLangue->setCurrentIndex(cmbLangue->count() - 1);
    }
    if (stored.isEmpty())
        cmbLangue->setCurrentIndex(-1);

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
    // The file's name only: a program folder that moves keeps its language.
    StoredSettings::setLanguage(
        m_language.path().isEmpty()
            ? QString()
            : QFileInfo(m_language.path() + QStringLiteral(".lng")).fileName());
    StoredSettings::setJobs(cmbEncodages->currentData().toString());
    StoredSettings::setExistingFiles(cmbFichiersExistants->currentData().toString());
    StoredSettings::setCopyTags(chkCopierTags->isChecked());
    StoredSettings::setKeepTree(chkArborescence->isChecked());
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
