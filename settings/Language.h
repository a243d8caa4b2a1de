#pragma once

#include <QString>

// The current language: the path of a language file without its ".lng" ending.
// Language files are profile files in the program folder's Langue/ folder; each lookup reads
// the file afresh, so a file edited while Quenzal runs is seen at once.
class Language {
public:
    QString path() const { return m_path; }
    void setPath(const QString& pathWithoutLng) { m_path = pathWithoutLng; }

    // The text of a key, at most size - 1 characters, without blanks or one pair of quotes
    // around it; the empty text when there is no current language or the file, section or key
    // is missing.
    QString GetLangText(const QString& section, const QString& key, int size = 255) const;

    // The locale of the current language ("fr", "en"), as its file gives it under "Main",
    // "qtLocale": it picks Qt's own translations and the manual. French when no language is
    // chosen (the built-in captions are French); English for a file that does not say.
    QString locale() const;

private:
    QString m_path;
};
