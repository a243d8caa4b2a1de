#pragma once

#include <QString>

class frmOptionLame;
struct LameOptions;

// The LAME options in the settings store, one named text value per control of the options
// window, in a fixed order. The window's controls, not the record, are what gets stored.

// How far a load got. It stops at the first value that is missing, not a whole number, or one
// its control cannot take: the controls before it keep their new state, nothing after it is
// touched, and the record is not copied from the window.
struct LameLoadResult {
    int applied = 0;     // stored values applied to the window, in order
    QString stoppedAt;   // the value, or record field, at which it stopped; empty when it did not
    bool copied = false; // the window was then copied into the record, every field of it
    bool complete() const { return copied; }
};

// The number of stored values, "Description" to "Commande LAME".
inline constexpr int kLameValueCount = 32;

// Writes every control's value; a value that cannot be written keeps its old content.
void SaveLameOptions(const frmOptionLame& window);

// Sets every control from the store, then copies the window into the record. Setting a check
// box, a list or the quality box runs the window's own reaction; the last value puts the stored
// switches text into the preview.
LameLoadResult LoadLameOptions(frmOptionLame& window, LameOptions& options);
