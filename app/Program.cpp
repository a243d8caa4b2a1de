#include "app/Program.h"

#include "app/FileListModel.h"
#include "app/RunController.h"
#include "app/frmDossier.h"
#include "app/frmMain.h"
#include "conversion/frmConsole.h"
#include "lame/LamePersistence.h"
#include "lame/frmOptionLame.h"
#include "mp3/frmTag.h"
#include "settings/BuiltInTexts.h"
#include "settings/QtDesktop.h"
#include "settings/StoredSettings.h"
#include "settings/frmInfo.h"
#include "settings/frmOption.h"
#include "settings/mdlMain.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTranslator>

Program::Program(const QString& programFolder, const QString& dataFolder)
    : m_desktop(std::make_unique<QtDesktop>())
{
    m_values.programFolder = QDir::cleanPath(programFolder);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quenzal.svg")));
    m_values.dataFolder = QDir::cleanPath(
        dataFolder.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                             : dataFolder);
    loadQtTranslation();
}

Program::~Program()
{
    unloadWindows();
    delete m_main.data();
    if (m_qtTranslation)
        QCoreApplication::removeTranslator(m_qtTranslation.get());
}

void Program::setDesktop(std::unique_ptr<Desktop> desktop)
{
    m_desktop = std::move(desktop);
}

void Program::Form_Load()
{
    m_kept = LoadKeptOptions();
    // The stored switches are what runs use, also when the options stored before them stopped
    // the load (a store written by hand, or by an older Quenzal).
    if (const QString command = StoredSettings::lameCommand(); !command.isEmpty())
        m_kept.switches = command;

    // A font that is no longer installed is not applied: Qt would stand another one in.
    const QString font = StoredSettings::fontName();
    if (!font.isEmpty() && QFontDatabase::families().contains(font))
        setFontName(font);

    if (const QString langue = StoredLanguage(m_values.langueFolder()); !langue.isEmpty())
        setLanguage(langue);
}

QString Program::StoredLanguage(const QString& langueFolder)
{
    QString langue = StoredSettings::language();
    if (langue.isEmpty())
        return {};
    // Kept as the file's name in Langue/; a whole path (kept by an older Quenzal) whose
    // program folder moved is found by name too. A language file that is gone is not applied
    // at all.
    if (!langue.startsWith(QLatin1Char('/')) || !QFileInfo::exists(langue)) {
        const QString inFolder = langueFolder + QLatin1Char('/') + QFileInfo(langue).fileName();
        langue = QFileInfo::exists(inFolder) ? inFolder : QString();
    }
    if (langue.endsWith(QLatin1String(".lng")))
        langue.chop(4);
    return langue;
}

void Program::unloadWindows()
{
    delete m_dossier.data();
    delete m_info.data();
    delete m_option.data();
    delete m_optionLame.data();
    delete m_tag.data();
}

frmMain* Program::mainWindow()
{
    if (m_main)
        return m_main;
    m_main = new frmMain(*m_desktop, m_values.language);
    m_runs = new RunController(*m_desktop, m_values.language, m_main, m_main);
    connect(m_main, &frmMain::runRequested, this, [this](Direction d) { startRun(d); });
    connect(m_main, &frmMain::folderSearchRequested, this, &Program::showFolderWindow);
    connect(m_main, &frmMain::tagRequested, this, &Program::showTagWindow);
    connect(m_main, &frmMain::optionLameRequested, this, &Program::showOptionLameWindow);
    connect(m_main, &frmMain::optionRequested, this, &Program::showOptionWindow);
    connect(m_main, &frmMain::infoRequested, this, &Program::showInfoWindow);
    connect(m_main, &frmMain::manualRequested, this,
            [this] { OpenDocument(*m_desktop, manualPath()); });
    connect(m_main, &frmMain::closeWhileBusyRequested, m_runs, &RunController::closeWhileBusy);
    connect(m_main, &frmMain::closing, this, [this] {
        if (m_console) // a notice still to come goes with the window
            m_console->hide();
        unloadWindows();
    });
    connect(m_runs, &RunController::busyChanged, m_main, &frmMain::setBusy);
    connect(m_runs, &RunController::quitRequested, m_main, &QWidget::close, Qt::QueuedConnection);
    dress(m_main, frmMain::captionTable(), frmMain::fontControls());
    connect(this, &Program::appearanceChanged, m_main, [this](Change change) {
        if (change == Change::Language)
            m_main->showHints();
    });
    m_main->showHints();
    return m_main;
}

RunController& Program::runs()
{
    mainWindow();
    return *m_runs;
}

void Program::startRun(Direction direction, const std::optional<QString>& outputFolder)
{
    ConversionRequest request;
    request.sources = m_main->fileList().paths();
    request.optionsText = m_kept.switches;
    request.outputFolder = NormaliseOutputFolder(outputFolder.value_or(m_kept.outputFolder));
    request.programFolder = m_values.programFolder;
    request.direction = direction;
    request.deleteSources = direction == Direction::Encode && m_kept.deleteSources;
    request.jobs = StoredSettings::jobCount();
    const QString existing = StoredSettings::existingFiles();
    request.existing = existing == QLatin1String("Passer")            ? ExistingFiles::Skip
                       : existing == QLatin1String("Garder les deux") ? ExistingFiles::KeepBoth
                                                                      : ExistingFiles::Replace;
    request.copyTags = StoredSettings::copyTags();
    request.keepTree = StoredSettings::keepTree();
    request.machines = StoredSettings::machines();
    request.transferFiles = StoredSettings::transferFiles();
    m_runs->start(request, m_values.scriptPath(), *consoleWindow());
}

frmOptionLame* Program::optionLameWindow()
{
    if (!m_optionLame) {
        m_optionLame = new frmOptionLame(mainWindow(), m_kept, *m_desktop, m_values.language,
                                         m_values.programFolder, m_values.userPresetFolder());
        connect(m_optionLame, &frmOptionLame::confirmed, this,
                [this](const KeptOptions& kept) { m_kept = kept; });
        dress(m_optionLame, frmOptionLame::captionTable(), frmOptionLame::fontControls());
    }
    return m_optionLame;
}

frmOption* Program::optionWindow()
{
    if (!m_option) {
        m_option = new frmOption(mainWindow(), *m_desktop, m_values.language,
                                 m_values.langueFolder(), m_values.fontName);
        connect(m_option, &frmOption::languageChosen, this, &Program::setLanguage);
        connect(m_option, &frmOption::fontChosen, this, &Program::setFontName);
        dress(m_option, frmOption::captionTable(), frmOption::fontControls());
    }
    return m_option;
}

frmDossier* Program::folderWindow()
{
    if (!m_dossier) {
        m_dossier = new frmDossier(mainWindow(), *m_desktop, m_values.language);
        dress(m_dossier, frmDossier::captionTable(), frmDossier::fontControls());
    }
    return m_dossier;
}

frmDossier* Program::existingFolderWindow() const
{
    return m_dossier;
}

frmTag* Program::tagWindow()
{
    if (!m_tag) {
        m_tag = new frmTag(mainWindow(), *m_desktop, m_values.language);
        dress(m_tag, frmTag::captionTable(), {});
    }
    return m_tag;
}

frmInfo* Program::infoWindow()
{
    if (!m_info) {
        m_info = new frmInfo(mainWindow());
        dress(m_info, frmInfo::captionTable(), {});
    }
    return m_info;
}

frmConsole* Program::consoleWindow()
{
    if (!m_console) {
        m_console = new frmConsole(mainWindow());
        m_console->setTexts(ConsoleTexts::fromLanguage(m_values.language));
        connect(this, &Program::appearanceChanged, m_console, [this](Change change) {
            if (change == Change::Language)
                m_console->setTexts(ConsoleTexts::fromLanguage(m_values.language));
        });
    }
    return m_console;
}

void Program::showOptionLameWindow()
{
    // Annuler and Escape put the kept options back themselves: the window stays.
    optionLameWindow()->exec();
    ApplyFont();
}

void Program::showOptionWindow()
{
    const QString font = m_values.fontName;
    const QString language = m_values.language.path();
    if (optionWindow()->exec() == QDialog::Rejected) {
        delete m_option.data();
        // Annuler leaves everything as it was when the window opened.
        m_values.fontName = font;
        if (language != m_values.language.path())
            setLanguage(language);
    }
    ApplyFont();
}

void Program::showTagWindow(const QString& file)
{
    frmTag* window = tagWindow();
    if (file.endsWith(QLatin1String(".mp3"), Qt::CaseInsensitive))
        window->showFile(file);
    window->exec();
    delete window;
}

void Program::showInfoWindow()
{
    infoWindow()->exec();
    delete m_info.data();
}

void Program::showFolderWindow()
{
    frmDossier* window = folderWindow();
    if (window->exec() == QDialog::Accepted)
        m_main->addRows(window->foundRows());
    delete window;
    ApplyFont();
}

QString Program::text(const QString& section, const QString& key) const
{
    return MessageText(m_values.language, section, key);
}

void Program::dress(QWidget* window, std::span<const CaptionEntry> captions,
                    std::span<const char* const> fontControls)
{
    const auto apply = [this, window, captions, fontControls](Change change) {
        if (change == Change::Language) {
            // Without a language (or a key) each control keeps its built-in caption.
            ApplyCaptions(window, m_values.language, captions);
            NameControls(window);
        } else if (!fontControls.empty()) {
            ApplyFontFace(window, fontControls, m_values.fontName);
        }
    };
    apply(Change::Language);
    apply(Change::Font);
    connect(this, &Program::appearanceChanged, window, apply);
}

void Program::setLanguage(const QString& pathWithoutLng)
{
    m_values.language.setPath(pathWithoutLng);
    loadQtTranslation();
    ApplyLanguage();
}

void Program::ApplyLanguage()
{
    Q_EMIT appearanceChanged(Change::Language);
}

void Program::setFontName(const QString& face)
{
    m_values.fontName = face;
    ApplyFont();
}

void Program::ApplyFont()
{
    Q_EMIT appearanceChanged(Change::Font);
}

void Program::loadQtTranslation()
{
    // Qt's own dialogs and buttons speak the language of the captions: French when no
    // language file is chosen, as the built-in captions are. Dates and the file types of the
    // list follow it too.
    QLocale::setDefault(QLocale(m_values.language.locale()));
    if (m_qtTranslation) {
        QCoreApplication::removeTranslator(m_qtTranslation.get());
        m_qtTranslation.reset();
    }
    auto translation = std::make_unique<QTranslator>();
    if (translation->load(QStringLiteral("qtbase_") + m_values.language.locale(),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(translation.get()))
        m_qtTranslation = std::move(translation);
}

QString Program::manualPath() const
{
    const QString localised = m_values.programFolder + QStringLiteral("/Quenzal-") +
                              m_values.language.locale() + QStringLiteral(".html");
    return QFileInfo::exists(localised)
               ? localised
               : m_values.programFolder + QStringLiteral("/Quenzal-en.html");
}
