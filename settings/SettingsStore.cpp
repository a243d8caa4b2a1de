#include "settings/SettingsStore.h"

#include "settings/mdlMain.h"

#include "settings/mdlFichier.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSettings>
#include <QTemporaryDir>
#include <QtEndian>

#include <unistd.h>

namespace {

bool isQuenzalKey(QString keyPath)
{
    keyPath.replace(QLatin1Char('/'), QLatin1Char('\\'));
    while (keyPath.endsWith(QLatin1Char('\\')))
        keyPath.chop(1);
    return keyPath.compare(kQuenzalKey, Qt::CaseInsensitive) == 0;
}

QString settingsFolder()
{
    // Asked of a name that has no files: Quenzal's own would be read on the way.
    const QSettings probe(QStringLiteral("Quenzal-store-probe"), QStringLiteral("probe"));
    return QFileInfo(QFileInfo(probe.fileName()).absolutePath()).absolutePath();
}

// QSettings reads its files whole, in the thread that asks: a pipe in the place of one (nobody
// writing into it) would hang Quenzal for good, a device would feed it without end. Such a
// store is left alone: every value reads as missing and nothing is written (a save says so).
bool isPlainStore()
{
    const QString folder = settingsFolder();
    for (const char* name : {"/Orvanel/Quenzal.conf", "/Orvanel.conf"}) {
        const QFileInfo file(folder + QLatin1String(name));
        if (file.exists() && !file.isFile())
            return false;
    }
    return true;
}

} // namespace

QString ReadRegistryValue(RegistryRoot, const QString& keyPath, const QString& valueName)
{
    if (!isQuenzalKey(keyPath) || valueName.isEmpty() || !isPlainStore())
        return {};
    const QSettings settings(QStringLiteral("Orvanel"), QStringLiteral("Quenzal"));
    const QVariant value = settings.value(valueName);
    switch (value.typeId()) {
    case QMetaType::QString:
        return CutAtNull(value.toString());
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        if (bytes.size() < 2)
            return {};
        return QString::number(qFromLittleEndian<qint16>(bytes.constData()));
    }
    default:
        return {};
    }
}

void WriteRegistryValue(RegistryRoot, const QString& keyPath, const QString& valueName,
                        const QString& value)
{
    if (!isQuenzalKey(keyPath) || valueName.isEmpty() || !isPlainStore())
        return;
    QSettings settings(QStringLiteral("Orvanel"), QStringLiteral("Quenzal"));
    settings.setValue(valueName, value);
}

bool WriteRegistryValues(RegistryRoot, const QString& keyPath,
                         const QList<std::pair<QString, QString>>& values)
{
    if (!isQuenzalKey(keyPath) || !isPlainStore())
        return false;
    // QSettings reports a good sync over a file a full disk cut short: the new file is made
    // aside, read back, and only then put in place of the old one, whole.
    const QSettings stored(QStringLiteral("Orvanel"), QStringLiteral("Quenzal"));
    const QTemporaryDir work;
    const QString copy = work.filePath(QStringLiteral("Quenzal.conf"));
    const QString check = work.filePath(QStringLiteral("check.conf"));
    QMap<QString, QVariant> wanted;
    for (const QString& key : stored.allKeys())
        wanted.insert(key, stored.value(key));
    for (const auto& [name, value] : values) {
        if (!name.isEmpty())
            wanted.insert(name, value);
    }
    {
        QSettings aside(copy, QSettings::NativeFormat);
        for (auto it = wanted.cbegin(); it != wanted.cend(); ++it)
            aside.setValue(it.key(), it.value());
        aside.sync();
        if (!work.isValid() || aside.status() != QSettings::NoError)
            return false;
    }
    // Another name for the same file, so that it is read from the disk, not from Qt's cache.
    if (::link(QFile::encodeName(copy).constData(), QFile::encodeName(check).constData()) != 0)
        return false;
    const QSettings readBack(check, QSettings::NativeFormat);
    if (readBack.status() != QSettings::NoError || readBack.allKeys().size() != wanted.size())
        return false;
    for (auto it = wanted.cbegin(); it != wanted.cend(); ++it) {
        const QVariant back = readBack.value(it.key());
        if (back != it.value() && back.toString() != it.value().toString())
            return false;
    }
    QFile made(copy);
    return made.open(QIODevice::ReadOnly) &&
           QDir().mkpath(QFileInfo(stored.fileName()).absolutePath()) &&
           writeFileWhole(stored.fileName(), made.readAll());
}

QString SettingsFilePath()
{
    return settingsFolder() + QStringLiteral("/Orvanel/Quenzal.conf");
}
