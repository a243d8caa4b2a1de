#include "settings/mdlMain.h"

#include "settings/Desktop.h"

#include <QDir>

void OpenDocument(Desktop& desktop, const QString& target)
{
    desktop.openDocument(target);
}

QString BrowseForFolder(Desktop& desktop, QObject* owner, const QString& title)
{
    QString folder = desktop.pickFolder(owner, title);
    if (folder.isEmpty())
        return {};
    folder = QDir::cleanPath(folder);
    return folder;
}

QString StripExtension(const QString& text)
{
    const qsizetype dot = text.indexOf(QLatin1Char('.'));
    return dot < 0 ? text : text.left(dot);
}

QString LamePath(const QString& programFolder)
{
    return programFolder + QStringLiteral("/lame");
}

QString CutAtNull(const QString& text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

QString GetExtension(const QString& path)
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : path.mid(dot + 1);
}
