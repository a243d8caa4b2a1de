#pragma once

#include <QString>

class Program;
class QWidget;

// Sets the font face (size, weight and style stay) of the controls that follow the font
// choice, in every window, creating the windows that do not exist yet (hidden). Buttons,
// labels of values and the tag editor keep their own font.
void ApplyFontFace(Program& program, const QString& face);

// The same for one window, as soon as it is created.
void ApplyFontToWindow(QWidget* window, const QString& face);
