#pragma once

#include "settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

// A value of Quenzal's settings store, as the program reads and writes it.
inline void Store(const QString& name, const QString& value, const QString& key = kQuenzalKey)
{
    WriteRegistryValue(RegistryRoot::CurrentUser, key, name, value);
}

inline QString Stored(const QString& name, const QString& key = kQuenzalKey)
{
    return ReadRegistryValue(RegistryRoot::CurrentUser, key, name);
}

// A program folder and a settings store of the test's own, so that tests never touch the
// user's settings. The program folder gets the real language files and a link to lame.
class TestEnvironment {
public:
    TestEnvironment()
    {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
        QDir().mkpath(programFolder() + "/Langue");
        QDir().mkpath(programFolder() + "/Preset");
        const QString built = QStringLiteral(QUENZAL_BUILD_DIR);
        for (const QString& name : QDir(built + "/Langue").entryList(QDir::Files))
            QFile::copy(built + "/Langue/" + name, programFolder() + "/Langue/" + name);
        QFile::link(QFileInfo(built + "/lame").symLinkTarget(), programFolder() + "/lame");
        for (const char* manual : {"/Quenzal-fr.html", "/Quenzal-en.html"})
            QFile::copy(built + manual, programFolder() + manual);
    }

    QString programFolder() const { return m_program.path(); }
    // The user's own data folder (where the script and presets go when the program folder
    // may not be written).
    QString dataFolder() const { return m_data.path(); }
    QString settingsFile() const { return m_settings.path() + "/Orvanel/Quenzal.conf"; }
    // Forgets every stored value.
    void clearSettings() const { QSettings("Orvanel", "Quenzal").clear(); }

private:
    QTemporaryDir m_program;
    QTemporaryDir m_settings;
    QTemporaryDir m_data;
};
