#include "app/Program.h"

#include "conversion/QtDesktop.h"

#include <QDir>
#include <QMainWindow>

Program::Program(const QString& programFolder)
    : m_desktop(std::make_unique<QtDesktop>())
{
    m_values.programFolder = QDir::cleanPath(programFolder);
}

Program::~Program()
{
    delete m_main.data();
}

void Program::setDesktop(std::unique_ptr<Desktop> desktop)
{
    m_desktop = std::move(desktop);
}

QWidget* Program::mainWindow()
{
    if (!m_main) {
        auto* window = new QMainWindow;
        window->setWindowTitle(QStringLiteral("Quenzal"));
        m_main = window;
    }
    return m_main;
}
