#include "app/Program.h"

#include "app/frmDossier.h"
#include "app/frmMain.h"
#include "conversion/QtDesktop.h"
#include "conversion/frmConsole.h"
#include "settings/BuiltInTexts.h"
#include "settings/Captions.h"

#include <QDir>

Program::Program(const QString& programFolder)
    : m_desktop(std::make_unique<QtDesktop>())
{
    m_values.programFolder = QDir::cleanPath(programFolder);
}

Program::~Program()
{
    // The windows go in the order the program closes them, the main window last.
    delete m_dossier.data();
    delete m_main.data();
}

void Program::setDesktop(std::unique_ptr<Desktop> desktop)
{
    m_desktop = std::move(desktop);
}

frmMain* Program::mainWindow()
{
    if (!m_main) {
        m_main = new frmMain(*this);
        dress(m_main);
    }
    return m_main;
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

void Program::discardFolderWindow()
{
    delete m_dossier.data();
}

frmConsole* Program::consoleWindow()
{
    if (!m_console)
        m_console = new frmConsole(mainWindow());
    return m_console;
}

QString Program::text(const QString& section, const QString& key) const
{
    return MessageText(m_values.language, section, key);
}

std::vector<Program::Dressing> Program::windows() const
{
    // In the order the language and font reach them.
    std::vector<Dressing> list;
    if (m_main)
        list.push_back({m_main, frmMain::captionTable(), frmMain::fontControls()});
    if (m_dossier)
        list.push_back({m_dossier, frmDossier::captionTable(), frmDossier::fontControls()});
    return list;
}

void Program::dress(QWidget* window) const
{
    for (const Dressing& d : windows()) {
        if (d.window != window)
            continue;
        if (!m_values.language.path().isEmpty())
            ApplyCaptions(window, m_values.language, d.captions);
        ApplyFontFace(window, d.fontControls, m_values.fontName);
    }
}

void Program::setLanguage(const QString& pathWithoutLng)
{
    m_values.language.setPath(pathWithoutLng);
    ApplyLanguage();
}

void Program::ApplyLanguage()
{
    // No language chosen: the built-in captions stay (every lookup would give empty text).
    if (m_values.language.path().isEmpty())
        return;
    for (const Dressing& d : windows())
        ApplyCaptions(d.window, m_values.language, d.captions);
}

void Program::setFontName(const QString& face)
{
    m_values.fontName = face;
    ApplyFont();
}

void Program::ApplyFont()
{
    for (const Dressing& d : windows())
        ApplyFontFace(d.window, d.fontControls, m_values.fontName);
}
