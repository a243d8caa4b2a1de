#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// File helpers: path splitting, text cleaning, existence tests, one-level folder
// listings and whole-or-nothing file writes.

// Selector of SplitPath.
enum PathPart {
    NameWithExtension = 1,
    BaseName = 2,  // the name without its last extension
    Extension = 3, // without the dot
    DottedExtension = 4,
};

// One part of a path (folders end at "/"); a name ending in a dot has an empty extension and part 4
// is "." then. Any other part number gives empty text.
QString SplitPath(const QString& path, int part);

// Blanks around the text dropped, then line feeds, carriage returns and NULs at both ends,
// then blanks again. Control characters inside the text stay.
QString CleanString(const QString& text);

// Both given: a file (not a folder) at folder + file, simple concatenation.
// Only the file: a file (not a folder) at that path. Only the folder: anything at that path;
// a text ending in a separator names an existing folder. An empty text given is never found.
bool Exists(const std::optional<QString>& file, const std::optional<QString>& folder = {});

// A file name pattern with * and ? matched without regard to letter case; "*.*" matches
// every name, with or without a dot.
class WildcardPattern {
public:
    explicit WildcardPattern(const QString& pattern);
    bool matches(const QString& name) const;

private:
    QString m_pattern;
    bool m_everything = false;
};

// Lists the entries of one folder (never its sub-folders' contents) matching the patterns,
// separated by ";", sorted by name. The listing ends with one empty element, so a listing
// that found nothing (or a missing folder) is one empty element; its old content is always
// dropped. Folders are listed as "$DIR$" + name when
// includeFolders is true and left out otherwise. Devices, pipes and sockets are never listed.
void ListFiles(const QString& folder, const QString& patterns, QStringList& listing,
               bool includeFolders);

// Writes text as UTF-8, replacing the file (append false) or adding to its end (append true).
// The file on disk is always either the old one or the complete new one.
bool WriteTextFile(const QString& text, const QString& path, bool append);

// Writes bytes as the whole new content of a file, through a temporary file that replaces
// the old one only once it is complete. Fails, leaving the old file, when the file or its
// folder is read-only (no owner-write bit, whoever runs the program), when the folder is
// missing, or when the disk refuses the write.
bool writeFileWhole(const QString& path, const QByteArray& bytes);

// True when Quenzal may create files in the folder: it exists, its owner-write bit is on (as
// writeFileWhole demands, whoever runs the program) and this user may write into it (a folder
// of another owner is refused even with its owner-write bit on).
bool FolderTakesWrites(const QString& folder);
