#pragma once

#include <QString>

struct KeptOptions;

// The kept LAME options in the settings store, one named text value per row of the option
// table ("Description" to "Commande LAME"), as OptionText writes them.

// How far a load got. It stops at the first value that is missing or that its option cannot
// take: the values before it are set, nothing after it.
struct LameLoadResult {
    int applied = 0;   // stored values set, in table order
    QString stoppedAt; // the value at which it stopped; empty when it did not
    bool complete() const { return stoppedAt.isEmpty(); }
};

// Sets `kept` from the store, row by row (the output folder is not stored and stays).
LameLoadResult LoadKeptOptions(KeptOptions& kept);
// The kept options of the last session: the first-start values, then the store's as far as
// the load got (`howFar`, when given, says how far). Without stored switches, the switches
// are those of the options.
KeptOptions LoadKeptOptions(LameLoadResult* howFar = nullptr);

// Writes every stored value at once, in one write of the settings file. False when the file
// could not be written; it then keeps its old content whole.
bool SaveKeptOptions(const KeptOptions& kept);
