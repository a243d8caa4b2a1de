#pragma once

#include "mp3/Id3v1.h"

#include <QString>

#include <optional>

// The tags of an MP3 file as the tag editor shows and writes them: the ID3v1 tag at the end
// (Id3v1.h) and, read and written through TagLib, the ID3v2 tag at the start, which players
// show first.

// The text fields of an ID3v2 tag, whole (no length limit).
struct Id3v2Text {
    QString title;
    QString artist;
    QString album;
    QString year;
    QString comment; // the comment without a description
    QString genre;   // as a name: TagLib turns a genre number into its name
};

// The ID3v2 tag of a file; nothing when the file has none, is no regular file or cannot be
// read.
std::optional<Id3v2Text> ReadId3v2(const QString& path);

// The ID3v2 fields to change; a field left out keeps its frame (and every other frame, the
// pictures included, is kept too). An empty text removes the field's frame.
struct Id3v2Changes {
    std::optional<QString> title;
    std::optional<QString> artist;
    std::optional<QString> album;
    std::optional<QString> year;
    std::optional<QString> comment;
    std::optional<QString> genre;
    bool isEmpty() const { return !title && !artist && !album && !year && !comment && !genre; }
};

// Writes the ID3v1 tag (WriteId3v1's rules), and the changes into the ID3v2 tag when the file
// has one (a file without one gets none). A file without an MPEG audio header is no MP3 and
// is left alone (NotMp3), as is a read-only one (ReadOnly). The audio bytes stay as they are,
// and a write that fails leaves the file as it was: the ID3v2 tag is written into a copy in
// the same folder that replaces the file only when complete and its audio bytes compare equal.
TagWriteResult WriteTags(const QString& path, const Id3v1Tag& id3v1, const Id3v2Changes& id3v2);
