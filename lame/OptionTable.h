#pragma once

#include "lame/KeptOptions.h"

#include <QString>

#include <span>
#include <variant>

// Every option the LAME options window edits, once: where its value lives, the control that
// shows it, its value at a first start, its name in the settings store and in preset files,
// and which controls its check box governs. Loading, saving, presets and the window all walk
// this one table; adding an option is one row plus its control.

enum class OptionKind {
    Text,      // a text as typed
    Rate,      // a bit rate on the sliders' scale, kept as kbps
    Position,  // the ABR rate, whose slider position is the kbps
    List,      // the index of a list entry
    Box,       // a check-box state: 0 cleared, 1 ticked, 2 greyed
    Quality,   // a whole number typed into a box; an empty box is 0
    Frequency, // a filter frequency in kHz, typed into a box; an empty box is 0
};

using OptionField = std::variant<QString KeptOptions::*, bool KeptOptions::*, qint32 LameOptions::*,
                                 double LameOptions::*>;

struct OptionRow {
    const char* control; // the objectName of the control that shows it
    OptionKind kind;
    OptionField field;
    double firstStart = 0;               // the value before anything was kept
    const char* storeName = nullptr;     // nullptr: not in the settings store
    const char* presetSection = nullptr; // nullptr: not in preset files
    const char* presetKey = nullptr;
    int entries = 0;                // List: the number of entries
    const char* enables = nullptr;  // Box: the controls a tick enables, blank-separated
    const char* disables = nullptr; // Box: the controls a clear disables
    const char* label = nullptr;    // Rate, Position: the label that shows the rate
};

// In the order preset files get their keys; loads stop at the first bad value in this order.
std::span<const OptionRow> OptionTable();

// The options as they are before anything was kept.
KeptOptions FirstStartOptions();

// A row's value as the settings store and preset files keep it.
QString OptionText(const KeptOptions& kept, const OptionRow& row);
// Sets a row's value from a kept text. False, with the value unchanged, when the text is not
// what the row can take: no number where one is needed, a list index or check-box state out of
// range. A bit rate off the scale becomes the nearest rate on it, an ABR rate outside 4..310
// the nearest end, so that what the window shows is what lame is given.
bool SetOptionText(KeptOptions& kept, const OptionRow& row, const QString& text);

// The switches some lame versions take but ignore, with the control value that writes each:
// the window asks the installed lame which of them it ignores and says so.
struct DoubtfulSwitch {
    const char* control;
    int value; // the box state or list index that writes the switch
    const char* word;
};
std::span<const DoubtfulSwitch> DoubtfulSwitches();
