#pragma once

#include "lame/LameOptions.h"
#include "settings/Language.h"

#include <QString>

// The program-wide values that live for the whole run. One instance, held by Program.
struct ProgramValues {
    QString programFolder; // holds lame, Quenzal.sh, Langue/ and Preset/
    LameOptions options;   // the one option record, zero-filled at start
    QString CommandeLame;  // the switches last built from `options`
    Language language;     // the current language file
    QString fontName;      // the face of the controls that follow the font choice; empty: default

    QString lamePath() const { return programFolder + QStringLiteral("/lame"); }
    QString langueFolder() const { return programFolder + QStringLiteral("/Langue"); }
    QString presetFolder() const { return programFolder + QStringLiteral("/Preset"); }
    QString scriptPath() const { return programFolder + QStringLiteral("/Quenzal.sh"); }
};
