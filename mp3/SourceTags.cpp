#include "mp3/SourceTags.h"

#include <QFile>
#include <QFileInfo>

#include <taglib/aifffile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tpropertymap.h>
#include <taglib/wavfile.h>

#include <memory>

namespace {

QString fromTagLib(const TagLib::String& text)
{
    return QString::fromStdString(text.to8Bit(true)).trimmed();
}

QString first(const TagLib::PropertyMap& map, const char* key)
{
    const auto found = map.find(key);
    return found == map.end() || found->second.isEmpty() ? QString()
                                                         : fromTagLib(found->second.front());
}

QString leadingDigits(const QString& text)
{
    qsizetype n = 0;
    while (n < text.size() && text.at(n).isDigit())
        ++n;
    return text.left(n);
}

SourceTags fromProperties(const TagLib::PropertyMap& map)
{
    SourceTags tags;
    tags.title = first(map, "TITLE");
    tags.artist = first(map, "ARTIST");
    tags.album = first(map, "ALBUM");
    tags.year = leadingDigits(first(map, "DATE")).left(4);
    tags.genre = first(map, "GENRE");
    tags.comment = first(map, "COMMENT");
    // "3", "3/11", or junk: only whole numbers above 0 reach lame.
    const QStringList track = first(map, "TRACKNUMBER").split(QLatin1Char('/'));
    const QString number = leadingDigits(track.value(0).trimmed());
    if (number.toInt() > 0) {
        tags.track = QString::number(number.toInt());
        const QString total = leadingDigits(track.value(1).trimmed());
        if (total.toInt() > 0)
            tags.track += QLatin1Char('/') + QString::number(total.toInt());
    }
    return tags;
}

// TagLib parses an AIFF file's chunks but keeps its text chunks to itself: this opens them.
class AiffChunks : public TagLib::RIFF::AIFF::File {
public:
    using TagLib::RIFF::AIFF::File::File;

    QString text(const char* name)
    {
        for (unsigned int i = 0; i < chunkCount(); ++i) {
            if (chunkName(i) == name) {
                const TagLib::ByteVector data = chunkData(i);
                // Text chunks are plain 8-bit text, padded with a NUL.
                QByteArray bytes(data.data(), qsizetype(data.size()));
                const qsizetype nul = bytes.indexOf('\0');
                if (nul >= 0)
                    bytes.truncate(nul);
                return QString::fromLatin1(bytes).trimmed();
            }
        }
        return {};
    }
};

enum class Kind { None, Mp3, Wav, Aiff };

Kind kindOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Kind::None;
    const QByteArray head = file.read(12);
    if (head.startsWith("RIFF") && head.mid(8, 4) == "WAVE")
        return Kind::Wav;
    if (head.startsWith("FORM") && (head.mid(8, 4) == "AIFF" || head.mid(8, 4) == "AIFC"))
        return Kind::Aiff;
    if (head.startsWith("ID3") ||
        (head.size() >= 2 && quint8(head[0]) == 0xFF && (quint8(head[1]) & 0xE0) == 0xE0))
        return Kind::Mp3;
    return Kind::None;
}

} // namespace

bool SourceTags::isEmpty() const
{
    return title.isEmpty() && artist.isEmpty() && album.isEmpty() && year.isEmpty() &&
           track.isEmpty() && genre.isEmpty() && comment.isEmpty();
}

SourceTags ReadSourceTags(const QString& path)
{
    // A FIFO or a device would block or never end.
    if (!QFileInfo(path).isFile())
        return {};
    const QByteArray name = QFile::encodeName(path);
    switch (kindOf(path)) {
    case Kind::Mp3: {
        TagLib::MPEG::File file(name.constData(), false);
        return file.isValid() ? fromProperties(file.properties()) : SourceTags();
    }
    case Kind::Wav: {
        TagLib::RIFF::WAV::File file(name.constData(), false);
        return file.isValid() ? fromProperties(file.properties()) : SourceTags();
    }
    case Kind::Aiff: {
        AiffChunks file(name.constData(), false);
        if (!file.isValid())
            return {};
        if (file.hasID3v2Tag() && !file.tag()->isEmpty())
            return fromProperties(file.properties());
        SourceTags tags;
        tags.title = file.text("NAME");
        tags.artist = file.text("AUTH");
        tags.comment = file.text("ANNO");
        return tags;
    }
    case Kind::None:
        break;
    }
    return {};
}

QStringList TagSwitches(const SourceTags& tags, const QStringList& typed)
{
    const std::pair<const char*, const QString*> fields[] = {
        {"--tt", &tags.title},   {"--ta", &tags.artist}, {"--tl", &tags.album},
        {"--ty", &tags.year},    {"--tn", &tags.track},  {"--tg", &tags.genre},
        {"--tc", &tags.comment},
    };
    QStringList switches;
    bool beyondAscii = false;
    for (const auto& [name, value] : fields) {
        const QString flag = QLatin1String(name);
        if (value->isEmpty() || typed.contains(flag))
            continue;
        switches << flag << *value;
        for (const QChar c : *value)
            beyondAscii = beyondAscii || c.unicode() > 0x7F;
    }
    if (beyondAscii && !typed.contains(QLatin1String("--id3v2-utf16")))
        switches.prepend(QStringLiteral("--id3v2-utf16"));
    return switches;
}
