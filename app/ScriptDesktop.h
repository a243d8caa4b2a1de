#pragma once

#include "settings/Desktop.h"

#include <QString>
#include <QStringList>

#include <cstdio>

// The desktop of a start for scripts: nobody is there to answer, so messages go to standard
// error, questions are answered No and dialogs are cancelled.
class ScriptDesktop : public Desktop {
public:
    void showMessage(QObject*, const QString& text, const QString&, Icon) override
    {
        std::fputs(
            (QStringLiteral("quenzal: ") + text + QLatin1Char('\n')).toLocal8Bit().constData(),
            stderr);
        std::fflush(stderr);
    }
    QStringList openFileNames(QObject*, const QString&, const QString&, const QString&) override
    {
        return {};
    }
    QString openFileName(QObject*, const QString&, const QString&, const QString&,
                         const QStringList&) override
    {
        return {};
    }
    QString saveFileName(QObject*, const QString&, const QString&, const QString&) override
    {
        return {};
    }
    bool ask(QObject*, const QString&, const QString&) override { return false; }
    QString pickFolder(QObject*, const QString&) override { return {}; }
    bool openDocument(const QString&) override { return false; }
};
