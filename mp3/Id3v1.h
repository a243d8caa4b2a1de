#pragma once

#include <QString>

#include <optional>

// The 128-byte ID3v1 tag at the end of an MP3 file: "TAG", title (30 bytes), artist (30),
// album (30), year (4), comment (30) and the genre byte. Text is Windows-1252, one byte per
// character, padded with spaces.

struct Id3v1Tag {
    QString title;
    QString artist;
    QString album;
    QString year;
    QString comment;
    int genre = 12; // "Other"
};

// The tag of a file, its text fields without trailing spaces (NUL padding is kept) and the
// genre byte as it stands (0..255). Nothing when the last 128 bytes do not start with "TAG"
// (case counts), when the file is shorter than 128 bytes, or when it cannot be read.
std::optional<Id3v1Tag> ReadId3v1(const QString& path);

enum class TagWriteResult {
    Written,
    // The file cannot be opened for writing: it lacks the owner-write permission bit (whoever
    // runs Quenzal, root included), it is missing, or it is not a regular file. Nothing was
    // written; the user should be told.
    ReadOnly,
    // Opened, but the write did not go through; the file was put back as it was.
    Failed,
    // No tag to replace and too short (under 128 bytes) to be an MP3: nothing was written.
    TooShort,
    // No MPEG audio header: the file is no MP3, and nothing was written (see WriteTags).
    NotMp3,
};

// Writes the tag: over the existing one when the last 128 bytes start with "TAG", otherwise
// after the last byte (the file grows by 128 bytes). No other byte of the file is touched.
// Text longer than a field is cut to its width; characters Windows-1252 cannot hold become
// "?". A genre outside 0..255 is written as 255 (no genre).
TagWriteResult WriteId3v1(const QString& path, const Id3v1Tag& tag);
