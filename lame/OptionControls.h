#pragma once

#include <QString>

class frmOptionLame;

// How the settings store and preset files see a control of the options window, which they
// reach by name: the text they keep for it and how that text goes back in.
enum class ControlKind {
    Text,     // a text box, as typed
    Rate,     // a bit-rate slider, kept as kbps and set back through the bit-rate scale
    Position, // the ABR slider, whose position is the kbps
    List,     // a drop-down list, kept as the selected index
    Box,      // a check box, kept as its state 0, 1 or 2
};

QString ControlValue(const frmOptionLame& window, const char* control, ControlKind kind);

// Sets the control from a kept text. False, with the control unchanged, when the text is not
// a whole number where one is needed, or a list index or check-box state the control cannot
// take. A rate off the scale sets position 0; an ABR rate outside the slider's range is
// brought to its nearest end.
bool ApplyControlValue(frmOptionLame& window, const char* control, ControlKind kind,
                       const QString& text);
