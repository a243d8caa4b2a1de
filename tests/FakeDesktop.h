#pragma once

#include "app/Program.h"
#include "app/frmMain.h"
#include "conversion/Desktop.h"

#include <QList>
#include <QStringList>

#include <memory>

// Stands in for the desktop in window tests: records what would have been shown and answers
// the dialogs from queues the test fills.
class FakeDesktop : public Desktop {
public:
    struct Message {
        QString text;
        QString title;
        Icon icon;
    };

    QList<Message> messages;
    QStringList opened;             // documents and links
    QList<QStringList> fileAnswers; // answers of the open-files dialog, in turn
    QStringList folderAnswers;      // answers of the folder picker, in turn
    QStringList filters;            // the filter of every file dialog shown

    void showMessage(QObject*, const QString& text, const QString& title, Icon icon) override
    {
        messages.append({text, title, icon});
    }
    QStringList openFileNames(QObject*, const QString&, const QString&,
                              const QString& filter) override
    {
        filters << filter;
        return fileAnswers.isEmpty() ? QStringList() : fileAnswers.takeFirst();
    }
    QString openFileName(QObject*, const QString&, const QString&, const QString&) override
    {
        return {};
    }
    QString saveFileName(QObject*, const QString&, const QString&, const QString&) override
    {
        return {};
    }
    QString pickFolder(QObject*, const QString&) override
    {
        return folderAnswers.isEmpty() ? QString() : folderAnswers.takeFirst();
    }
    bool openDocument(const QString& target) override
    {
        opened << target;
        return true;
    }
};

// A program started as Quenzal starts (the stored values restored, the main window shown),
// with the fake desktop in place.
inline std::unique_ptr<Program> StartProgram(const QString& programFolder, FakeDesktop*& desktop)
{
    auto program = std::make_unique<Program>(programFolder);
    auto fake = std::make_unique<FakeDesktop>();
    desktop = fake.get();
    program->setDesktop(std::move(fake));
    program->mainWindow()->Form_Load();
    program->mainWindow()->show();
    return program;
}
