#include "app/ProgramValues.h"

#include "settings/ProfileFile.h"

void ProgramValues::BuildLameCommand()
{
    CommandeLame = ::BuildLameCommand(options);
}

QString ProgramValues::ReadIniValue(const QString& section, const QString& key, int size) const
{
    return ProfileFile::readValue(openPresetPath, section, key, size).trimmed();
}

QString ProgramValues::WriteIniValue(const QString& section, const QString& key,
                                     const QString& value) const
{
    return ProfileFile::writeValue(savePresetPath, section, key, value) ? QStringLiteral("1")
                                                                        : QStringLiteral("0");
}
