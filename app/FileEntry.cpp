#include "app/FileEntry.h"

#include "settings/mdlMain.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QMimeDatabase>

QString FileEntry::text(int column) const
{
    switch (column) {
    case NameColumn:
        return name;
    case FolderColumn:
        return folder;
    case SizeColumn:
        return QString::number(size);
    case DateColumn:
        if (dateText.isEmpty()) {
            const QDateTime when = QDateTime::fromMSecsSinceEpoch(modifiedMs).toLocalTime();
            const QLocale locale;
            dateText = when.time() == QTime(0, 0)
                           ? locale.toString(when.date(), QLocale::ShortFormat)
                           : locale.toString(when, QLocale::ShortFormat);
        }
        return dateText;
    case TypeColumn:
        return type;
    default:
        return {};
    }
}

bool IsAdmittedFile(const QString& path)
{
    // In any case: SONG.WAV is as much a WAV file as song.wav (and the folder search takes it).
    const QString extension = GetExtension(path).toLower();
    return extension == QLatin1String("wav") || extension == QLatin1String("mp3") ||
           extension.startsWith(QLatin1String("aif"));
}

QString FileTypeName(const QString& fileName)
{
    // One database look-up per extension: a folder of thousands of WAV files asks once.
    static QHash<QString, QString> cache;
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot < 0 ? QString() : fileName.mid(dot);
    const auto it = cache.constFind(extension);
    if (it != cache.constEnd())
        return *it;
    static const QMimeDatabase database;
    const QString comment =
        CutAtNull(database.mimeTypeForFile(fileName, QMimeDatabase::MatchExtension).comment());
    cache.insert(extension, comment);
    return comment;
}

std::optional<FileEntry> MakeFileEntry(const QString& path)
{
    if (!IsAdmittedFile(path))
        return std::nullopt;
    const QFileInfo info(path);
    if (!info.isFile())
        return std::nullopt;
    FileEntry entry;
    entry.name = info.fileName();
    entry.folder = info.absolutePath();
    if (!entry.folder.endsWith(QLatin1Char('/')))
        entry.folder += QLatin1Char('/');
    entry.size = info.size();
    entry.modifiedMs = info.lastModified().toMSecsSinceEpoch();
    entry.type = FileTypeName(entry.name);
    return entry;
}
