#include "app/ProgramValues.h"

#include "settings/mdlFichier.h"

#include <QDir>

QString ProgramValues::scriptPath() const
{
    static const QString name = QStringLiteral("/Quenzal.sh");
    // Checked at every run: a program folder may be made read-only (or writable) meanwhile.
    if (FolderTakesWrites(programFolder) || dataFolder.isEmpty())
        return programFolder + name;
    QDir().mkpath(dataFolder);
    return dataFolder + name;
}
