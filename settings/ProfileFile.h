#pragma once

#include <QString>

// INI-style profile files (preset files, language files), read and written with the
// rules users know from the Windows profile calls:
// - sections and keys are matched without regard to letter case; the first section of a
//   name and the first key of a name in it win;
// - blanks around section names, keys and values are dropped, and so is one pair of
//   enclosing quotes (' or ") around a value;
// - a value is cut at a NUL character and to size - 1 characters;
// - a missing file, section or key reads as the empty text;
// - writing replaces a key in place and keeps every other line byte for byte; a missing
//   key, section or file is created;
// - files are Windows-1252 on disk; a file that starts with the UTF-8 byte-order mark is
//   read and written as UTF-8. CR LF and LF line ends are both read; a file keeps its own
//   line ends and new files get CR LF.
namespace ProfileFile {

QString readValue(const QString& path, const QString& section, const QString& key, int size);

// Returns false when nothing was written: the key is empty, the file could not be read or
// written, or it is read-only. The file on disk is then the old one, never a half-written one.
// Line breaks inside the section, key or value are written as blanks so that a value can
// never add lines of its own to the file; each text ends at its first NUL character.
bool writeValue(const QString& path, const QString& section, const QString& key,
                const QString& value);

} // namespace ProfileFile
