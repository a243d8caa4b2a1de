#pragma once

#include "settings/Desktop.h"

#include <QUrl>

// The real desktop: Qt's message boxes and file dialogs, and the desktop's URL handlers.
class QtDesktop : public Desktop {
public:
    void showMessage(QObject* owner, const QString& text, const QString& title, Icon icon) override;
    QStringList openFileNames(QObject* owner, const QString& title, const QString& folder,
                              const QString& filter) override;
    QString openFileName(QObject* owner, const QString& title, const QString& folder,
                         const QString& filter, const QStringList& places) override;
    QString saveFileName(QObject* owner, const QString& title, const QString& folder,
                         const QString& filter) override;
    bool ask(QObject* owner, const QString& text, const QString& title) override;
    QString pickFolder(QObject* owner, const QString& title) override;
    bool openDocument(const QString& target) override;

    // "Text|*.wav|Other|*.mp3" as Qt writes it: "Text (*.wav);;Other (*.mp3)".
    static QString toQtFilter(const QString& filter);
    // A path, a folder, a web address or a mail link as a URL.
    static QUrl toUrl(const QString& target);
};
