#pragma once

#include "settings/Language.h"

#include <QString>

// The text of a message or hint: the current language's text, or, when the language file
// lacks it (or no language is chosen yet, as at a very first start), Quenzal's built-in
// French text, so that no message box is ever empty.
QString MessageText(const Language& language, const QString& section, const QString& key);
