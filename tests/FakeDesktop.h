#pragma once

#include "settings/Desktop.h"

#include <QList>
#include <QStringList>

// Stands in for the desktop in window tests: records what would have been shown and answers
// the dialogs from queues the test fills. An empty queue answers as a cancelled dialog (or
// "No" to a question).
class FakeDesktop : public Desktop {
public:
    struct Message {
        QString text;
        QString title;
        Icon icon;
    };
    struct Dialog {
        QString title;
        QString folder;
        QString filter;
        QStringList places; // offered beside the usual places (open-one-file dialog)
    };

    QList<Message> messages;
    QStringList questions;          // the text of every question asked
    QStringList opened;             // documents and links
    QList<Dialog> dialogs;          // every file dialog shown
    QList<QStringList> fileAnswers; // answers of the open-files dialog, in turn
    QStringList openAnswers;        // answers of the open-one-file dialog
    QStringList saveAnswers;        // answers of the save dialog
    QStringList folderAnswers;      // answers of the folder picker
    QList<bool> askAnswers;         // answers to questions

    void showMessage(QObject*, const QString& text, const QString& title, Icon icon) override
    {
        messages.append({text, title, icon});
    }
    QStringList openFileNames(QObject*, const QString& title, const QString& folder,
                              const QString& filter) override
    {
        dialogs.append({title, folder, filter, {}});
        return fileAnswers.isEmpty() ? QStringList() : fileAnswers.takeFirst();
    }
    QString openFileName(QObject*, const QString& title, const QString& folder,
                         const QString& filter, const QStringList& places) override
    {
        dialogs.append({title, folder, filter, places});
        return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
    }
    QString saveFileName(QObject*, const QString& title, const QString& folder,
                         const QString& filter) override
    {
        dialogs.append({title, folder, filter, {}});
        return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
    }
    bool ask(QObject*, const QString& text, const QString&) override
    {
        questions << text;
        return !askAnswers.isEmpty() && askAnswers.takeFirst();
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
