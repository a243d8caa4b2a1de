#pragma once

#include "lame/LameOptions.h"

#include <QString>

// What the LAME options window last kept (at start from the settings store, then at every OK):
// the option record, the switches built from it (or typed into the store by hand), and the
// choices kept beside them. The program holds one; runs read it, never the window's controls.
struct KeptOptions {
    LameOptions options;
    QString switches;     // "Commande LAME"
    QString outputFolder; // empty: beside each source
    bool deleteSources = false;
    QString description; // the user's own name for the set, kept with it

    bool operator==(const KeptOptions&) const = default;
};
