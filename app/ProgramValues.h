#pragma once

#include "settings/Language.h"

#include <QString>

// The program-wide values that live for the whole run. One instance, held by Program.
struct ProgramValues {
    QString programFolder; // holds lame, Quenzal.sh, Langue/ and Preset/
    // The user's own folder, for what an installed program folder cannot take: Quenzal.sh and
    // the user's presets (in Preset/).
    QString dataFolder;
    Language language; // the current language file
    QString fontName;  // the face of the controls that follow the font choice; empty: default

    QString langueFolder() const { return programFolder + QStringLiteral("/Langue"); }
    QString userPresetFolder() const { return dataFolder + QStringLiteral("/Preset"); }
    // Quenzal.sh in the program folder when Quenzal may write there, otherwise in the data
    // folder, which is made when missing (a folder that cannot be made gives a path the run
    // then fails to write, and names).
    QString scriptPath() const;
};
