#include "app/Program.h"

#include "app/frmDossier.h"
#include "app/frmMain.h"
#include "conversion/frmConsole.h"
#include "lame/LamePersistence.h"
#include "lame/frmOptionLame.h"
#include "mp3/frmTag.h"
#include "settings/BuiltInTexts.h"
#include "settings/QtDesktop.h"
#include "settings/frmInfo.h"
#include "settings/frmOption.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QLibraryInfo>
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
    if (!m_main) {
        m_main = new frmMain(*this);
        dress(m_main);
    }
    return m_main;
}

frmOptionLame* Program::optionLameWindow()
{
    if (!m_optionLame) {
        const KeptOptions kept = LoadKeptOptions();
        m_values.options = kept.options;
        m_optionLame = new frmOptionLame(mainWindow(), kept, *m_desktop, m_values.language,
                                         m_values.programFolder, m_values.userPresetFolder());
        QObject::connect(m_optionLame, &frmOptionLame::confirmed, m_main,
                         [this](const KeptOptions& confirmed) {
                             m_values.options = confirmed.options;
                             m_values.CommandeLame = confirmed.switches;
                             m_main->lblRegistre->setText(confirmed.switches);
                         });
        dress(m_optionLame);
    }
    return m_optionLame;
}

frmOption* Program::optionWindow()
{
    if (!m_option) {
        m_option = new frmOption(mainWindow(), *m_desktop, m_values.language,
                                 m_values.langueFolder(), m_values.fontName);
        QObject::connect(m_option, &frmOption::languageChosen, m_main,
                         [this](const QString& path) { setLanguage(path); });
        QObject::connect(m_option, &frmOption::fontChosen, m_main,
                         [this](const QString& face) { setFontName(face); });
        dress(m_option);
    }
    return m_option;
}

frmDossier* Program::folderWindow()
{
    if (!m_dossier) {
        m_dossier = new frmDossier(mainWindow(), *m_desktop, m_values.language);
        dress(m_dossier);
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
        dress(m_tag);
    }
    return m_tag;
}

frmInfo* Program::infoWindow()
{
    if (!m_info) {
        m_info = new frmInfo(mainWindow());
        dress(m_info);
    }
    return m_info;
}

frmConsole* Program::consoleWindow()
{
    if (!m_console) {
        m_console = new frmConsole(mainWindow());
        applyConsoleTexts();
    }
    return m_console;
}

void Program::LoadLameOptions()
{
    const KeptOptions kept = LoadKeptOptions();
    m_values.options = kept.options;
    m_values.CommandeLame = kept.switches;
    optionLameWindow()->setKept(kept);
}

void Program::showOptionLameWindow()
{
    // Escape puts the kept options back itself: the window stays as it is.
    optionLameWindow()->exec();
    ApplyFont();
}

void Program::showOptionWindow()
{
    if (optionWindow()->exec() == QDialog::Rejected) {
        delete m_option.data();
        m_values.fontName.clear();
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

QString Program::outputFolderText()
{
    return optionLameWindow()->kept().outputFolder;
}

void Program::setOutputFolderText(const QString& folder)
{
    KeptOptions kept = optionLameWindow()->kept();
    kept.outputFolder = folder;
    m_optionLame->setKept(kept);
}

bool Program::deleteSourcesAfterEncoding()
{
    return optionLameWindow()->kept().deleteSources;
}

QString Program::text(const QString& section, const QString& key) const
{
    return MessageText(m_values.language, section, key);
}

std::vector<Program::Dressing> Program::windows() const
{
    std::vector<Dressing> list;
    if (m_main)
        list.push_back({m_main, frmMain::captionTable(), frmMain::fontControls()});
    if (m_info)
        list.push_back({m_info, frmInfo::captionTable(), {}});
    if (m_dossier)
        list.push_back({m_dossier, frmDossier::captionTable(), frmDossier::fontControls()});
    if (m_option)
        list.push_back({m_option, frmOption::captionTable(), frmOption::fontControls()});
    if (m_tag)
        list.push_back({m_tag, frmTag::captionTable(), {}});
    if (m_optionLame)
        list.push_back(
            {m_optionLame, frmOptionLame::captionTable(), frmOptionLame::fontControls()});
    return list;
}

void Program::dress(QWidget* window) const
{
    for (const Dressing& d : windows()) {
        if (d.window != window)
            continue;
        if (!m_values.language.path().isEmpty())
            ApplyCaptions(window, m_values.language, d.captions);
        if (!d.fontControls.empty())
            ApplyFontFace(window, d.fontControls, m_values.fontName);
        if (window == m_main)
            m_main->showHints();
        NameControls(window);
    }
}

void Program::setLanguage(const QString& pathWithoutLng)
{
    m_values.language.setPath(pathWithoutLng);
    loadQtTranslation();
    ApplyLanguage();
}

void Program::ApplyLanguage()
{
    // No language chosen: the built-in captions stay (every lookup would give empty text).
    if (m_values.language.path().isEmpty())
        return;
    for (const Dressing& d : windows()) {
        ApplyCaptions(d.window, m_values.language, d.captions);
        NameControls(d.window);
    }
    if (m_main)
        m_main->showHints();
    applyConsoleTexts();
}

void Program::applyConsoleTexts()
{
    if (m_console)
        m_console->setTexts(ConsoleTexts::fromLanguage(m_values.language));
}

void Program::setFontName(const QString& face)
{
    m_values.fontName = face;
    ApplyFont();
}

void Program::ApplyFont()
{
    for (const Dressing& d : windows()) {
        if (!d.fontControls.empty())
            ApplyFontFace(d.window, d.fontControls, m_values.fontName);
    }
}

void Program::loadQtTranslation()
{
    // Qt's own dialogs and buttons speak the language of the captions: French when no
    // language file is chosen, as the built-in captions are.
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
