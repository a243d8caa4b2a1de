#pragma once

#include <QString>
#include <QStringList>

// A switches text cut into the words lame is given: blanks and tabs separate words, double or
// single quotes group them (--tt "My Song" is two words) and are dropped.
QStringList SwitchWords(const QString& text);
