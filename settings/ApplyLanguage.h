#pragma once

class Language;
class Program;
class QWidget;

// Sets every caption that follows the language, in every window, from the current language
// file. Windows that do not exist yet are created hidden, so their captions are right when
// they are shown. A text missing from the file gives an empty caption.
void ApplyLanguage(Program& program);

// The same for one window, as soon as it is created: a window made anew keeps the language
// the user chose instead of falling back to the built-in captions.
void ApplyLanguageToWindow(QWidget* window, const Language& language);
