#pragma once

#include <QString>

class Desktop;
class QObject;

// Small general helpers shared by the windows.

// Opens a document, folder, web address or mail link with the desktop; a failure is not
// reported, as with any shell open.
void OpenDocument(Desktop& desktop, const QString& target);

// The desktop's folder picker. Empty text when cancelled; otherwise the folder without a
// trailing separator (except for the root folder).
QString BrowseForFolder(Desktop& desktop, QObject* owner, const QString& title);

// The text before its first "." (a language file name fr.ui.lng gives fr).
QString StripExtension(const QString& text);

// The text before its first NUL character, or the whole text.
QString CutAtNull(const QString& text);

// The encoder in a program folder.
QString LamePath(const QString& programFolder);

// The text after the last "." of the whole path (not only of the file name), or empty.
QString GetExtension(const QString& path);
