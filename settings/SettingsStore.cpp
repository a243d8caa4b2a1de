#include "settings/SettingsStore.h"

#include <QSettings>
#include <QtEndian>

namespace {

bool isQuenzalKey(QString keyPath)
{
    keyPath.replace(QLatin1Char('/'), QLatin1Char('\\'));
    while (keyPath.endsWith(QLatin1Char('\\')))
        keyPath.chop(1);
    return keyPath.compare(kQuenzalKey, Qt::CaseInsensitive) == 0;
}

} // namespace

QString ReadRegistryValue(RegistryRoot, const QString& keyPath, const QString& valueName)
{
    if (!isQuenzalKey(keyPath) || valueName.isEmpty())
        return {};
    const QSettings settings(QStringLiteral("Orvanel"), QStringLiteral("Quenzal"));
    const QVariant value = settings.value(valueName);
    switch (value.typeId()) {
    case QMetaType::QString: {
        const QString text = value.toString();
        const qsizetype nul = text.indexOf(QChar(0));
        return nul < 0 ? text : text.left(nul);
    }
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
    if (!isQuenzalKey(keyPath) || valueName.isEmpty())
        return;
    QSettings settings(QStringLiteral("Orvanel"), QStringLiteral("Quenzal"));
    settings.setValue(valueName, value);
}
