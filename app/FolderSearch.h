#pragma once

#include "app/FileEntry.h"

#include <QList>
#include <QString>

// Searches the folder Path and all its sub-folders for files whose names match SearchStr
// ("*.wav"; without regard to letter case) and appends one row per file to `rows`.
// Depth first: a folder's own files (sorted by name) come before its sub-folders' files, and
// each sub-folder's whole tree before the next sub-folder. Adds "/" to Path when it lacks one.
// Folders that cannot be read are skipped; a folder reached twice (through a symbolic link) is
// searched once only, so links can never lead into a loop. Folders whose names match the
// pattern are not files and are not listed. Names that are not valid UTF-8 are skipped: they
// could not be handed to the encoder unchanged.
void FindFilesAPI(QString& Path, const QString& SearchStr, QList<FileEntry>& rows);
