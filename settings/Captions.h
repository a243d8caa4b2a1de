#pragma once

#include <QString>

#include <span>

class Language;
class QWidget;

// A window's captions that follow the language: each entry names a control of the window by
// its object name and the language-file key that gives its text. Every window keeps its own
// table beside it; the program applies the tables of all its windows.
enum class CaptionKind {
    Caption,      // a menu title, menu item, frame, button, check box, option button or label
    ColumnHeader, // a column of a list view (index: the column)
    ListEntry,    // an entry of a drop-down list (index: the entry)
    Tab,          // a tab of a tab strip (index: the tab)
};

struct CaptionEntry {
    const char* section;
    const char* key;
    const char* control; // object name; the window itself when it is the window's own name
    CaptionKind kind = CaptionKind::Caption;
    int index = 0;
};

// Sets every caption of the table, in order, from the language file. A text the file lacks (or
// a file that is gone) gives back the control's built-in caption, never an empty one; labels
// show their text plain, never as markup. A control the window lacks is passed over.
void ApplyCaptions(QWidget* window, const Language& language, std::span<const CaptionEntry> table);

// Sets the font face of the named controls (size, weight and style stay as they are). An
// empty face gives back the application's default face.
void ApplyFontFace(QWidget* window, std::span<const char* const> controls, const QString& face);

// Gives every control of the window that a user can reach and that has no text of its own an
// accessible name, for screen readers and test tools: the caption of its label, else the
// title of the frame around it, else its tooltip. Run again after the captions change.
void NameControls(QWidget* window);
