#include "lame/PresetFile.h"

#include "lame/OptionTable.h"
#include "settings/ProfileFile.h"
#include "settings/TextCodec.h"
#include "settings/mdlFichier.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

// The description may be as long as its box holds; the other values are short.
constexpr int kDescriptionSize = 32768;

// Profile files drop one pair of quotes around a value: a text that starts and ends with the
// same quote gets a pair of its own so that it reads back as typed.
QString protectQuotes(const QString& text)
{
    const QString t = text.trimmed();
    const bool quoted = t.size() >= 2 && (t.front() == QLatin1Char('"') || t.front() == '\'') &&
                        t.back() == t.front();
    return quoted ? QLatin1Char('"') + text + QLatin1Char('"') : text;
}

bool fitsWindows1252(const QString& text)
{
    return TextCodec::fromWindows1252(TextCodec::toWindows1252(text)) == text;
}

} // namespace

PresetResult WritePresetFile(const KeptOptions& kept, const QString& path)
{
    PresetResult result;
    QList<std::pair<const OptionRow*, QString>> values;
    bool needsUtf8 = false;
    for (const OptionRow& row : OptionTable()) {
        if (!row.presetKey)
            continue;
        QString value = OptionText(kept, row);
        if (row.kind == OptionKind::Text)
            value = protectQuotes(value);
        needsUtf8 = needsUtf8 || !fitsWindows1252(value);
        values.append({&row, value});
    }

    // The keys go into a copy first: the file itself is replaced once, when every key is in.
    QByteArray old;
    if (QFileInfo::exists(path)) {
        QFile file(path);
        if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
            return result;
        old = file.readAll();
    }
    // A text Windows-1252 cannot hold would become question marks: such a file is kept in
    // UTF-8 with its byte-order mark, which the profile reader knows.
    static const QByteArray bom("\xEF\xBB\xBF");
    if (needsUtf8 && !old.startsWith(bom))
        old = bom + TextCodec::fromWindows1252(old).toUtf8();
    const QTemporaryDir work;
    const QString copy = work.filePath(QStringLiteral("preset.qzo"));
    if (!work.isValid() || !writeFileWhole(copy, old))
        return result;
    for (const auto& [row, value] : values) {
        if (!ProfileFile::writeValue(copy, QString::fromUtf8(row->presetSection),
                                     QString::fromUtf8(row->presetKey), value)) {
            result.stoppedAt = QString::fromUtf8(row->presetKey);
            return result;
        }
        ++result.applied;
    }
    QFile written(copy);
    if (!written.open(QIODevice::ReadOnly) || !writeFileWhole(path, written.readAll())) {
        result.applied = 0;
        return result;
    }
    result.ok = true;
    return result;
}

PresetResult ReadPresetFile(const QString& path, KeptOptions& kept)
{
    PresetResult result;
    const auto rows = OptionTable();
    if (QFileInfo(path).size() > kPresetMaxBytes) {
        result.stoppedAt = QString::fromUtf8(rows.front().presetKey);
        return result;
    }
    KeptOptions read = kept;
    for (const OptionRow& row : rows) {
        if (!row.presetKey)
            continue;
        const QString text = ProfileFile::readValue(
            path, QString::fromUtf8(row.presetSection), QString::fromUtf8(row.presetKey),
            row.field == OptionField(&KeptOptions::description) ? kDescriptionSize : 255);
        if (!SetOptionText(read, row, text)) {
            result.stoppedAt = QString::fromUtf8(row.presetKey);
            return result;
        }
        ++result.applied;
    }
    kept = read;
    result.ok = true;
    return result;
}
