#pragma once

#include "FakeDesktop.h"

#include "app/Program.h"
#include "app/frmMain.h"

#include <memory>

// A program started as Quenzal starts (the stored values restored, the main window shown),
// with the fake desktop in place. `dataFolder` is the user's own (empty: the default one).
inline std::unique_ptr<Program> StartProgram(const QString& programFolder, FakeDesktop*& desktop,
                                             const QString& dataFolder = QString())
{
    auto program = std::make_unique<Program>(programFolder, dataFolder);
    auto fake = std::make_unique<FakeDesktop>();
    desktop = fake.get();
    program->setDesktop(std::move(fake));
    program->Form_Load();
    program->mainWindow()->show();
    return program;
}
