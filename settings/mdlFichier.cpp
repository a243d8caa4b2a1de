#include "settings/mdlFichier.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

QString SplitPath(const QString& path, int part)
{
    // Only "/" separates: a backslash is an ordinary character of a file name here.
    const qsizetype sep = path.lastIndexOf(QLatin1Char('/'));
    const QString name = path.mid(sep + 1);
    if (part == NameWithExtension)
        return name;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot < 0 ? QString() : name.mid(dot + 1);
    const QString base = dot < 0 ? name : name.left(dot);
    switch (part) {
    case BaseName:
        return base;
    case Extension:
        return extension;
    case DottedExtension:
        return QLatin1Char('.') + extension;
    default:
        return {};
    }
}

namespace {

QString trimSpaces(const QString& text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

bool isLineEndOrNul(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar(0);
}

bool hasOwnerWrite(const QFileInfo& info)
{
    return info.permissions().testFlag(QFileDevice::WriteOwner);
}

} // namespace

QString CleanString(const QString& text)
{
    QString s = trimSpaces(text);
    qsizetype begin = 0, end = s.size();
    while (begin < end && isLineEndOrNul(s.at(begin)))
        ++begin;
    while (end > begin && isLineEndOrNul(s.at(end - 1)))
        --end;
    return trimSpaces(s.mid(begin, end - begin));
}

bool Exists(const std::optional<QString>& file, const std::optional<QString>& folder)
{
    if (file) {
        if (file->isEmpty() || (folder && folder->isEmpty()))
            return false;
        const QFileInfo info(folder ? *folder + *file : *file);
        return info.exists() && !info.isDir();
    }
    if (folder) {
        if (folder->isEmpty())
            return false;
        const bool wantsFolder = folder->endsWith(QLatin1Char('/'));
        const QFileInfo info(*folder);
        return info.exists() && (!wantsFolder || info.isDir());
    }
    return false;
}

WildcardPattern::WildcardPattern(const QString& pattern)
    : m_pattern(pattern.toCaseFolded())
    , m_everything(pattern == QLatin1String("*.*") || pattern == QLatin1String("*"))
{}

bool WildcardPattern::matches(const QString& name) const
{
    if (m_everything)
        return true;
    const QString text = name.toCaseFolded();
    // Greedy match with one back-tracking point for the last "*".
    qsizetype p = 0, t = 0, star = -1, mark = 0;
    while (t < text.size()) {
        if (p < m_pattern.size() &&
            (m_pattern.at(p) == QLatin1Char('?') || m_pattern.at(p) == text.at(t))) {
            ++p;
            ++t;
        } else if (p < m_pattern.size() && m_pattern.at(p) == QLatin1Char('*')) {
            star = p++;
            mark = t;
        } else if (star >= 0) {
            p = star + 1;
            t = ++mark;
        } else {
            return false;
        }
    }
    while (p < m_pattern.size() && m_pattern.at(p) == QLatin1Char('*'))
        ++p;
    return p == m_pattern.size();
}

void ListFiles(const QString& folder, const QString& patterns, QStringList& listing,
               bool includeFolders)
{
    // A listing that found nothing is one empty element, never a leftover of an earlier
    // call: a caller reusing its listing would otherwise add a file from another folder.
    listing = QStringList{QString()};
    QString path = folder;
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    if (!Exists(std::nullopt, path))
        return;
    const QFileInfoList entries = QDir(path).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& part : patterns.split(QLatin1Char(';'))) {
        const WildcardPattern pattern(part.trimmed());
        for (const QFileInfo& entry : entries) {
            const QString name = entry.fileName();
            if (!pattern.matches(name))
                continue;
            const bool isFolder =
                entry.isDir() || name.compare(QLatin1String("recycled"), Qt::CaseInsensitive) == 0;
            if (isFolder && !includeFolders)
                continue;
            listing.last() = isFolder ? QStringLiteral("$DIR$") + name : name;
            listing.append(QString());
        }
    }
}

bool writeFileWhole(const QString& path, const QByteArray& bytes)
{
    const QFileInfo target(path);
    if (target.exists() && (target.isDir() || !hasOwnerWrite(target)))
        return false;
    const QFileInfo folder(target.absolutePath());
    if (!folder.isDir() || !hasOwnerWrite(folder))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // QSaveFile::commit() reports success even when its buffered write failed (a full disk
    // leaves an empty or cut file in place of the old one): every write is checked first.
    if (file.write(bytes) != bytes.size() || !file.flush() ||
        file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool WriteTextFile(const QString& text, const QString& path, bool append)
{
    QByteArray bytes;
    if (append && QFileInfo::exists(path)) {
        QFile old(path);
        if (!old.open(QIODevice::ReadOnly))
            return false;
        bytes = old.readAll();
    }
    bytes += text.toUtf8();
    return writeFileWhole(path, bytes);
}

bool FolderTakesWrites(const QString& folder)
{
    const QFileInfo info(folder);
    return info.isDir() && hasOwnerWrite(info) && info.isWritable();
}
