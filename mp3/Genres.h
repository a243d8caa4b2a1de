#pragma once

#include <QString>
#include <QStringList>

// The names of the ID3v1 genre numbers 0 to 147, spelled as Quenzal shows them.

// All 148 names in number order.
const QStringList& GenreNames();
