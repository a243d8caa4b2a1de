#include "app/Program.h"

#include "app/frmDossier.h"
#include "app/frmMain.h"
#include "conversion/QtDesktop.h"
#include "conversion/frmConsole.h"
#include "settings/ApplyFont.h"
#include "settings/ApplyLanguage.h"
#include "settings/BuiltInTexts.h"

#include <QDir>

Program::Program(const QString& programFolder)
    : m_desktop(std::make_unique<QtDesktop>())
{
    m_values.programFolder = QDir::cleanPath(programFolder);
}

Program::~Program()
{
    unloadSecondaryWindows();
    delete m_main.data();
}

void Program::setDesktop(std::unique_ptr<Desktop> desktop)
{
    m_desktop = std::move(desktop);
}

frmMain* Program::mainWindow()
{
    if (!m_main)
        m_main = new frmMain(*this);
    return m_main;
}

frmDossier* Program::folderWindow()
{
    if (!m_dossier) {
        m_dossier = new frmDossier(*this, mainWindow());
        dressNewWindow(m_dossier);
    }
    return m_dossier;
}

frmDossier* Program::existingFolderWindow() const
{
    return m_dossier;
}

void Program::showFolderWindow()
{
    folderWindow()->exec();
    delete m_dossier.data();
}

void Program::dressNewWindow(QWidget* window)
{
    if (!m_values.language.path().isEmpty())
        ApplyLanguageToWindow(window, m_values.language);
    ApplyFontToWindow(window, m_fontName);
}

frmConsole* Program::consoleWindow()
{
    if (!m_console)
        m_console = new frmConsole(mainWindow());
    return m_console;
}

bool Program::isConsoleOpen() const
{
    return m_console && m_console->isVisible();
}

QString Program::text(const QString& section, const QString& key) const
{
    return MessageText(m_values.language, section, key);
}

void Program::showMessage(QObject* owner, const QString& section, const QString& key,
                          Desktop::Icon icon, const QString& title)
{
    m_desktop->showMessage(owner, text(section, key),
                           title.isEmpty() ? QStringLiteral("Quenzal") : title, icon);
}

void Program::ApplyFont()
{
    ApplyFontFace(*this, m_fontName);
}

void Program::unloadSecondaryWindows()
{
    delete m_dossier.data();
}
