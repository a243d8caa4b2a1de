#pragma once

#include <QString>
#include <QStringList>

// The tags a source file carries, as text, ready to become lame's tag switches for its output.
struct SourceTags {
    QString title;
    QString artist;
    QString album;
    QString year;  // the year's digits only ("2004" of "2004-05-01")
    QString track; // "3", or "3/11" with the total
    QString genre;
    QString comment;

    bool isEmpty() const;
    bool operator==(const SourceTags&) const = default;
};

// Reads the tags of an MP3 (its ID3v2 tag, else its ID3v1 tag), a WAV (its "id3 " chunk, else
// its LIST/INFO chunk) or an AIFF file (its ID3 chunk, else its NAME, AUTH and ANNO chunks),
// told apart by their content, not their name. Anything else, and a file that is not a regular
// file (a FIFO would block), reads as no tags.
SourceTags ReadSourceTags(const QString& path);

// lame's tag switches for the tags, a switch and its value as two arguments, so that no
// quoting can break a value. A field is left out when `typed` (the switch words the user
// chose) already sets it: what the user typed wins. Text beyond ASCII adds --id3v2-utf16, so
// that it is kept whole.
QStringList TagSwitches(const SourceTags& tags, const QStringList& typed);
