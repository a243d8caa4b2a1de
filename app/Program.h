#pragma once

#include "app/ProgramValues.h"

#include <QPointer>
#include <QString>

#include <memory>

class Desktop;
class QWidget;

// The one program: its program-wide values, the desktop seam and the windows, each created
// on first use and kept (hidden) until the program ends or the window is discarded.
class Program {
public:
    explicit Program(const QString& programFolder);
    ~Program();

    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    ProgramValues& values() { return m_values; }
    const ProgramValues& values() const { return m_values; }

    Desktop& desktop() { return *m_desktop; }
    // Tests put in a stand-in that records messages and answers dialogs.
    void setDesktop(std::unique_ptr<Desktop> desktop);

    QWidget* mainWindow();

private:
    ProgramValues m_values;
    std::unique_ptr<Desktop> m_desktop;
    QPointer<QWidget> m_main;
};
