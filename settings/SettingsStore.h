#pragma once

#include <QList>
#include <QString>

#include <utility>

// The per-user settings store: named text values under one key.
// Here the key "Software\Orvanel\Quenzal" is QSettings("Orvanel", "Quenzal"), that is
// ~/.config/Orvanel/Quenzal.conf. Value names are used exactly as given (accents, blanks).

enum class RegistryRoot { CurrentUser };

inline const QString kQuenzalKey = QStringLiteral("Software\\Orvanel\\Quenzal");

// The text of a value; a missing key or value, or one that is not text, reads as the empty
// text. A raw-bytes value reads as its first two bytes, a little-endian signed 16-bit number.
// The key path is compared without regard to case, with or without a trailing separator;
// another key than Quenzal's reads as empty.
QString ReadRegistryValue(RegistryRoot root, const QString& keyPath, const QString& valueName);

// Stores a text value (the empty text included); another key than Quenzal's is not written.
void WriteRegistryValue(RegistryRoot root, const QString& keyPath, const QString& valueName,
                        const QString& value);

// Stores several values in one write of the settings file, so that a crash never leaves some
// of them old and some new. False when the file could not be written (read-only, disk full);
// it then keeps its old content whole.
bool WriteRegistryValues(RegistryRoot root, const QString& keyPath,
                         const QList<std::pair<QString, QString>>& values);

// The file that holds the settings, to name it in a message.
QString SettingsFilePath();
