#pragma once

#include "lame/LameOptions.h"
#include "settings/Language.h"

#include <QString>

// The program-wide values that live for the whole run. One instance, held by Program.
struct ProgramValues {
    QString programFolder;      // holds lame, Quenzal.sh, Langue/ and Preset/
    LameOptions options;        // the one option record, zero-filled at start
    QString CommandeLame;       // the switches last built from `options`
    Language language;          // the current language file
    QString openPresetPath;     // the preset file last chosen for opening: ReadIniValue reads it
    QString savePresetPath;     // the preset file last chosen for saving: WriteIniValue writes it
    QString outputFolder;       // where runs write their files; empty: beside each source
    bool deleteSources = false; // remove each source once its MP3 is safely written

    // Rebuilds CommandeLame from the option record.
    void BuildLameCommand();

    // A value of the open-preset file, without blanks around it, at most size - 1 characters.
    QString ReadIniValue(const QString& section, const QString& key, int size = 255) const;

    // Writes a value into the save-preset file; "1" when written, "0" when not.
    QString WriteIniValue(const QString& section, const QString& key, const QString& value) const;

    QString lamePath() const { return programFolder + QStringLiteral("/lame"); }
    QString langueFolder() const { return programFolder + QStringLiteral("/Langue"); }
    QString presetFolder() const { return programFolder + QStringLiteral("/Preset"); }
};
