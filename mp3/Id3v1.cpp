#include "mp3/Id3v1.h"

#include "settings/TextCodec.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

namespace {

constexpr qint64 kTagSize = 128;
const QByteArray kTagId("TAG");

struct Field {
    int offset;
    int width;
};
constexpr Field kTitle{3, 30};
constexpr Field kArtist{33, 30};
constexpr Field kAlbum{63, 30};
constexpr Field kYear{93, 4};
constexpr Field kComment{97, 30};
constexpr int kGenreOffset = 127;

QString readField(const QByteArray& record, Field field)
{
    QByteArray bytes = record.mid(field.offset, field.width);
    qsizetype end = bytes.size();
    while (end > 0 && bytes.at(end - 1) == ' ')
        --end;
    bytes.truncate(end);
    return TextCodec::fromWindows1252(bytes);
}

void writeField(QByteArray& record, Field field, const QString& text)
{
    const QByteArray bytes = TextCodec::toWindows1252(text).left(field.width);
    record.replace(field.offset, bytes.size(), bytes);
}

QByteArray buildRecord(const Id3v1Tag& tag)
{
    QByteArray record(kTagSize, ' ');
    record.replace(0, kTagId.size(), kTagId);
    writeField(record, kTitle, tag.title);
    writeField(record, kArtist, tag.artist);
    writeField(record, kAlbum, tag.album);
    writeField(record, kYear, tag.year);
    writeField(record, kComment, tag.comment);
    const int genre = tag.genre >= 0 && tag.genre <= 255 ? tag.genre : 255;
    record[kGenreOffset] = static_cast<char>(genre);
    return record;
}

// The last 128 bytes when they hold a tag; empty otherwise.
QByteArray readRecord(QFile& file)
{
    const qint64 size = file.size();
    if (size < kTagSize || !file.seek(size - kTagSize))
        return {};
    QByteArray record = file.read(kTagSize);
    if (record.size() != kTagSize || !record.startsWith(kTagId))
        return {};
    return record;
}

bool writeAt(QFile& file, qint64 offset, const QByteArray& bytes)
{
    return file.seek(offset) && file.write(bytes) == bytes.size() && file.flush();
}

} // namespace

std::optional<Id3v1Tag> ReadId3v1(const QString& path)
{
    // Opening a pipe or a device could block; only regular files can hold a tag.
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return std::nullopt;
    const QByteArray record = readRecord(file);
    if (record.isEmpty())
        return std::nullopt;
    Id3v1Tag tag;
    tag.title = readField(record, kTitle);
    tag.artist = readField(record, kArtist);
    tag.album = readField(record, kAlbum);
    tag.year = readField(record, kYear);
    tag.comment = readField(record, kComment);
    tag.genre = static_cast<quint8>(record.at(kGenreOffset));
    return tag;
}

TagWriteResult WriteId3v1(const QString& path, const Id3v1Tag& tag)
{
    // Root may write to any file, so the permission bit is checked rather than trusting open().
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile() || !(info.permissions() & QFileDevice::WriteOwner))
        return TagWriteResult::ReadOnly;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered))
        return TagWriteResult::ReadOnly;

    const qint64 size = file.size();
    const QByteArray oldRecord = readRecord(file);
    const QByteArray record = buildRecord(tag);
    if (!oldRecord.isEmpty()) {
        if (writeAt(file, size - kTagSize, record))
            return TagWriteResult::Written;
        // Half a new tag is neither tag: put the old bytes back.
        writeAt(file, size - kTagSize, oldRecord);
        return TagWriteResult::Failed;
    }
    // Without a tag the last bytes are audio: the new tag goes after them.
    if (size < kTagSize)
        return TagWriteResult::TooShort;
    if (writeAt(file, size, record))
        return TagWriteResult::Written;
    // Leave no partial tag behind for the reader to mistake for one.
    file.resize(size);
    return TagWriteResult::Failed;
}
