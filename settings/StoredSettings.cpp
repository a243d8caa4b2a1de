#include "settings/StoredSettings.h"

#include "settings/SettingsStore.h"

#include <QThread>

#include <algorithm>

namespace {

QString stored(const char* name)
{
    return ReadRegistryValue(RegistryRoot::CurrentUser, kQuenzalKey, QString::fromUtf8(name));
}

void store(const char* name, const QString& value)
{
    WriteRegistryValue(RegistryRoot::CurrentUser, kQuenzalKey, QString::fromUtf8(name), value);
}

const char kAuto[] = "Auto";

} // namespace

namespace StoredSettings {

QString lameCommand()
{
    return stored(kLameCommand);
}

void setLameCommand(const QString& switches)
{
    store(kLameCommand, switches);
}

QString fontName()
{
    return stored("Police");
}

void setFontName(const QString& face)
{
    store("Police", face);
}

QString language()
{
    return stored("Langue");
}

void setLanguage(const QString& pathWithLng)
{
    store("Langue", pathWithLng);
}

QString jobs()
{
    const QString value = stored("Encodages simultanés");
    return value.isEmpty() ? QStringLiteral("1") : value;
}

void setJobs(const QString& jobs)
{
    store("Encodages simultanés", jobs);
}

int jobCount(const QString& value)
{
    if (value == QLatin1String(kAuto))
        return std::max(1, QThread::idealThreadCount());
    bool ok = false;
    const int count = value.toInt(&ok);
    return ok && count >= 1 ? std::min(count, 64) : 1;
}

QString existingFiles()
{
    const QString value = stored("Fichiers existants");
    return value == QLatin1String("Passer") || value == QLatin1String("Garder les deux")
               ? value
               : QStringLiteral("Remplacer");
}

void setExistingFiles(const QString& choice)
{
    store("Fichiers existants", choice);
}

bool copyTags()
{
    return stored("Copier les tags") != QLatin1String("0");
}

void setCopyTags(bool on)
{
    store("Copier les tags", on ? QStringLiteral("1") : QStringLiteral("0"));
}

bool keepTree()
{
    return stored("Garder l'arborescence") == QLatin1String("1");
}

void setKeepTree(bool on)
{
    store("Garder l'arborescence", on ? QStringLiteral("1") : QStringLiteral("0"));
}

QStringList machines()
{
    QStringList logins;
    for (const QString& line : stored("Machines").split(QLatin1Char('\n'))) {
        const QString login = line.trimmed();
        if (!login.isEmpty() && !login.startsWith(QLatin1Char('#')))
            logins << login;
    }
    return logins;
}

void setMachines(const QStringList& logins)
{
    store("Machines", logins.join(QLatin1Char('\n')));
}

bool transferFiles()
{
    return stored("Accès aux fichiers") == QLatin1String("Transfert");
}

void setTransferFiles(bool transfer)
{
    store("Accès aux fichiers",
          transfer ? QStringLiteral("Transfert") : QStringLiteral("Dossiers partagés"));
}

} // namespace StoredSettings
