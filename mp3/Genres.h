#pragma once

#include <QString>
#include <QStringList>

// The names of the ID3v1 genre numbers 0 to 147, spelled as Quenzal shows them.

// The name of a genre number; empty text for a number without a name (below 0 or above 147).
QString GenreName(int index);

// All 148 names in number order.
const QStringList& GenreNames();
