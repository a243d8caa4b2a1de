#include "settings/Language.h"

#include "settings/ProfileFile.h"

QString Language::GetLangText(const QString& section, const QString& key, int size) const
{
    if (m_path.isEmpty())
        return {};
    return ProfileFile::readValue(m_path + QStringLiteral(".lng"), section, key, size).trimmed();
}

QString Language::locale() const
{
    if (m_path.isEmpty())
        return QStringLiteral("fr");
    const QString locale = GetLangText(QStringLiteral("Main"), QStringLiteral("qtLocale"));
    return locale.isEmpty() ? QStringLiteral("en") : locale;
}
