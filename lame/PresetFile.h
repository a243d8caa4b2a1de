#pragma once

#include <QString>

class frmOptionLame;
struct LameOptions;

// Preset files (*.qzo): a set of LAME options in an INI-style profile file, Windows-1252, in
// sections General, Option, Marque, VBR, Expert and Audio. The key names are the presets' own
// and differ from the settings store's. Other sections and keys of a file are kept.

// How far a preset write or read got. Reads stop at the first key that is missing or not a
// whole number where one is needed, or whose list index or check-box state the option cannot
// take: everything before it is applied, nothing after it.
struct PresetResult {
    bool ok = false;
    int applied = 0;   // keys written or applied before the end or the stop
    QString stoppedAt; // the key at which it stopped; empty when it did not stop at a key
};

// A preset is a couple of kilobytes: a larger file is no preset and is not read at all.
inline constexpr qint64 kPresetMaxBytes = 1 << 20;

// Writes the 31 keys from the window's controls. The file is replaced whole or not at all:
// a failed write leaves the old file as it was.
PresetResult WritePresetFile(const frmOptionLame& window, const QString& path);

// Sets the window's controls from the file. Setting a check box, a list or the quality box runs
// the window's reaction to it; sliders and frequency boxes are set without one.
PresetResult ReadPresetIntoWindow(frmOptionLame& window, const QString& path);

// Sets the record's fields straight from the file; bit rates are taken as they stand, also
// when off the sliders' scale.
PresetResult ReadPresetIntoOptions(LameOptions& options, const QString& path);
