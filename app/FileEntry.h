#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// One row of the main file list. The five columns the user sees are made from these fields
// when they are shown (Fichier, Dossier, Taille, Date, Type), so that a list of 100,000 rows
// stays small and fast to fill.
struct FileEntry {
    QString name;          // file name with extension, no folder
    QString folder;        // the containing folder, always ending in "/"
    qint64 size = 0;       // bytes; files of 2 GiB and more keep their true size
    qint64 modifiedMs = 0; // last modification, milliseconds since the epoch (UTC)
    QString type;          // the desktop's type name for the extension
    // The date as shown, made the first time the row is painted: formatting a date costs more
    // than painting the row, and a list of 100,000 rows shows only a few of them at a time.
    mutable QString dateText;

    QString fullPath() const { return folder + name; }

    enum Column { NameColumn, FolderColumn, SizeColumn, DateColumn, TypeColumn, ColumnCount };
    // The text of one column; the date follows the user's locale, without a time at midnight.
    QString text(int column) const;
};

// The rule of the file list: the text after the last "." of the whole path is "wav", "mp3" or
// starts with "aif", in any case ("WAV" too).
bool IsAdmittedFile(const QString& path);

// The row for a file given by its path; nothing when the path is not admitted or is not a
// file (folders, missing files, and so names that could not be decoded without loss).
std::optional<FileEntry> MakeFileEntry(const QString& path);

// The desktop's type name for a file name, by its extension only (no content is read).
QString FileTypeName(const QString& fileName);
