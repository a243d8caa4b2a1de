#pragma once

#include <QString>
#include <QStringList>

// Keeping a library's folder tree under the output folder: /music/A/x.wav and /music/B/C/y.wav
// into OUT/ give OUT/A/x.mp3 and OUT/B/C/y.mp3.

// The deepest folder that holds every one of the absolute paths, with its trailing "/" ("/" at
// worst); a single file's own folder. Compared as written (no link is followed), component by
// component, so /music/ab is not inside /music/a.
QString DeepestCommonFolder(const QStringList& sourcePaths);

// The output folder of one source: `outputFolder` (ending in "/") followed by the source's
// folder relative to `commonFolder`, ending in "/". A source outside `commonFolder` goes into
// the output folder itself.
QString TreeOutputFolder(const QString& outputFolder, const QString& commonFolder,
                         const QString& sourcePath);
