#pragma once

#include "conversion/Desktop.h"

#include <QList>
#include <QStringList>

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
    QStringList fileNameAnswers;    // answers of the single open/save dialogs, in turn
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
    QString openFileName(QObject*, const QString&, const QString&, const QString& filter) override
    {
        filters << filter;
        return fileNameAnswers.isEmpty() ? QString() : fileNameAnswers.takeFirst();
    }
    QString saveFileName(QObject*, const QString&, const QString&, const QString& filter) override
    {
        filters << filter;
        return fileNameAnswers.isEmpty() ? QString() : fileNameAnswers.takeFirst();
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
