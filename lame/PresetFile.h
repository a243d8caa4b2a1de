#pragma once

#include <QString>

struct KeptOptions;

// Preset files (*.qzo): a set of LAME options in an INI-style profile file, Windows-1252, in
// sections General, Option, Marque, VBR, Expert and Audio, keyed as the option table says
// (the presets' own names, which differ from the settings store's). Other sections and keys
// of a file are kept.

// How far a preset write or read got.
struct PresetResult {
    bool ok = false;
    int applied = 0;   // keys written or read before the end or the stop
    QString stoppedAt; // the key at which it stopped; empty when it did not stop at a key
};

// A preset is a couple of kilobytes: a larger file is no preset and is not read at all.
inline constexpr qint64 kPresetMaxBytes = 1 << 20;

// The preset extension; a name given without it gets it.
inline constexpr char kPresetSuffix[] = ".qzo";

// Writes the preset keys of `kept`. The file is replaced whole or not at all: a failed write
// leaves the old file as it was.
PresetResult WritePresetFile(const KeptOptions& kept, const QString& path);

// Reads the whole preset into a copy of `kept` and puts it into `kept` only when every key was
// read; a read that stops at a key (missing, not a number, an index or state out of range)
// changes nothing and names that key. The switches, output folder and other values a preset
// does not hold stay as they were.
PresetResult ReadPresetFile(const QString& path, KeptOptions& kept);
