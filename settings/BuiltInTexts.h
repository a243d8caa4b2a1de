#pragma once

#include "settings/Language.h"

#include <QString>

#include <span>

// Every message, hint and console text Quenzal looks up in the language files, with its
// built-in French text. Keys Quenzal added to the original set are marked as such.
struct MessageKey {
    const char* section;
    const char* key;
    const char* builtIn;
    bool added; // not one of the original keys: a language file may lack it
};
std::span<const MessageKey> MessageKeys();

// The text of a message or hint in the current language. When no language is chosen (as at a
// very first start), its file is gone or lacks the key, the built-in French text, so that no
// message box or hint is ever empty.
QString MessageText(const Language& language, const QString& section, const QString& key);
