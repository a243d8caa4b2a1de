#include "mp3/Mp3Tags.h"

#include "mp3/clsMP3.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <taglib/commentsframe.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>

#include <array>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using TagLib::ID3v2::CommentsFrame;

QString fromTagLib(const TagLib::String& text)
{
    return QString::fromUtf8(text.toCString(true));
}

TagLib::String toTagLib(const QString& text)
{
    return TagLib::String(text.toUtf8().constData(), TagLib::String::UTF8);
}

// The comment players show: the one without a description (others hold players' own data).
CommentsFrame* plainComment(const TagLib::ID3v2::Tag& tag)
{
    for (TagLib::ID3v2::Frame* frame : tag.frameList("COMM")) {
        auto* comment = dynamic_cast<CommentsFrame*>(frame);
        if (comment && comment->description().isEmpty())
            return comment;
    }
    return nullptr;
}

QString frameText(const TagLib::ID3v2::Tag& tag, const char* id)
{
    const TagLib::ID3v2::FrameList& frames = tag.frameList(id);
    return frames.isEmpty() ? QString() : fromTagLib(frames.front()->toString());
}

void setFrameText(TagLib::ID3v2::Tag& tag, const char* id, const QString& text)
{
    const TagLib::ID3v2::FrameList& frames = tag.frameList(id);
    if (text.isEmpty()) {
        tag.removeFrames(id);
    } else if (!frames.isEmpty()) {
        frames.front()->setText(toTagLib(text));
    } else {
        auto* frame = new TagLib::ID3v2::TextIdentificationFrame(id, TagLib::String::UTF8);
        frame->setText(toTagLib(text));
        tag.addFrame(frame);
    }
}

void setComment(TagLib::ID3v2::Tag& tag, const QString& text)
{
    CommentsFrame* comment = plainComment(tag);
    if (text.isEmpty()) {
        if (comment)
            tag.removeFrame(comment);
        return;
    }
    if (!comment) {
        comment = new CommentsFrame(TagLib::String::UTF8);
        comment->setLanguage("XXX"); // unknown, as the tag's rules write it
        tag.addFrame(comment);
    }
    comment->setText(toTagLib(text));
}

void apply(TagLib::ID3v2::Tag& tag, const Id3v2Changes& changes)
{
    const std::pair<const char*, const std::optional<QString>*> texts[] = {
        {"TIT2", &changes.title},
        {"TPE1", &changes.artist},
        {"TALB", &changes.album},
        {"TDRC", &changes.year},
        {"TCON", &changes.genre}};
    for (const auto& [id, text] : texts) {
        if (*text)
            setFrameText(tag, id, **text);
    }
    if (changes.comment)
        setComment(tag, *changes.comment);
}

// The bytes between the ID3v2 tag at the start and the ID3v1 tag at the end.
struct AudioRange {
    qint64 start = 0;
    qint64 end = 0;
};

AudioRange audioRange(const QString& path, qint64 id3v2Size)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const qint64 size = file.size();
    const bool id3v1 = size >= 128 && file.seek(size - 128) && file.read(3) == "TAG";
    return {id3v2Size, size - (id3v1 ? 128 : 0)};
}

bool sameBytes(const QString& a, AudioRange ra, const QString& b, AudioRange rb)
{
    if (ra.end - ra.start != rb.end - rb.start || ra.end < ra.start)
        return false;
    QFile fa(a), fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly) || !fa.seek(ra.start) ||
        !fb.seek(rb.start))
        return false;
    constexpr qint64 kChunk = 1 << 16;
    for (qint64 left = ra.end - ra.start; left > 0;) {
        const qint64 n = std::min(left, kChunk);
        const QByteArray x = fa.read(n);
        if (x.size() != n || x != fb.read(n))
            return false;
        left -= n;
    }
    return true;
}

bool copyFile(const QString& from, QFile& to)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    std::array<char, 1 << 16> buffer;
    for (qint64 n; (n = source.read(buffer.data(), buffer.size())) != 0;) {
        if (n < 0 || to.write(buffer.data(), n) != n)
            return false;
    }
    return to.flush();
}

bool syncToDisk(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && ::fsync(file.handle()) == 0;
}

// The ID3v2 changes and the ID3v1 tag written into a copy, which then takes the file's place.
TagWriteResult writeThroughCopy(const QString& path, const Id3v1Tag& id3v1,
                                const Id3v2Changes& changes, qint64 oldId3v2Size)
{
    // A link is followed: the file it names is the one replaced.
    const QFileInfo info(path);
    const QString target = info.canonicalFilePath();
    QTemporaryFile copy(QFileInfo(target).absolutePath() + QStringLiteral("/.") + info.fileName() +
                        QStringLiteral(".XXXXXX"));
    if (!copy.open() || !copyFile(target, copy))
        return TagWriteResult::Failed;
    copy.close();
    const QString copyPath = copy.fileName();

    qint64 newId3v2Size = 0;
    {
        TagLib::MPEG::File file(QFile::encodeName(copyPath).constData(), false);
        TagLib::ID3v2::Tag* tag = file.isValid() ? file.ID3v2Tag() : nullptr;
        if (!tag)
            return TagWriteResult::Failed;
        apply(*tag, changes);
        // TagLib writes versions 3 and 4; a 2.3 tag stays 2.3 for the players that read no
        // other.
        const auto version =
            tag->header()->majorVersion() == 3 ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4;
        if (!file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, version,
                       TagLib::File::DoNotDuplicate))
            return TagWriteResult::Failed;
        newId3v2Size = file.ID3v2Tag() ? file.ID3v2Tag()->header()->completeTagSize() : 0;
    }
    if (WriteId3v1(copyPath, id3v1) != TagWriteResult::Written)
        return TagWriteResult::Failed;
    // A tag write touches only the tags: anything else in the copy means it went wrong.
    if (!sameBytes(target, audioRange(target, oldId3v2Size), copyPath,
                   audioRange(copyPath, newId3v2Size)))
        return TagWriteResult::Failed;
    // The copy takes the file's owner where it may (run as root, for one), so that its owner
    // can still write it.
    struct stat original {};
    if (::stat(QFile::encodeName(target).constData(), &original) == 0 &&
        ::chown(QFile::encodeName(copyPath).constData(), original.st_uid, original.st_gid) != 0)
        (void)::chown(QFile::encodeName(copyPath).constData(), uid_t(-1), original.st_gid);
    if (!QFile::setPermissions(copyPath, QFile::permissions(target)) || !syncToDisk(copyPath) ||
        std::rename(QFile::encodeName(copyPath).constData(),
                    QFile::encodeName(target).constData()) != 0)
        return TagWriteResult::Failed;
    copy.setAutoRemove(false);
    return TagWriteResult::Written;
}

} // namespace

std::optional<Id3v2Text> ReadId3v2(const QString& path)
{
    // Opening a pipe or a device could block; only regular files hold tags.
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return std::nullopt;
    TagLib::MPEG::File file(QFile::encodeName(path).constData(), false);
    if (!file.isValid() || !file.hasID3v2Tag())
        return std::nullopt;
    const TagLib::ID3v2::Tag& tag = *file.ID3v2Tag();
    const CommentsFrame* comment = plainComment(tag);
    return Id3v2Text{frameText(tag, "TIT2"),
                     frameText(tag, "TPE1"),
                     frameText(tag, "TALB"),
                     frameText(tag, "TDRC"),
                     comment ? fromTagLib(comment->text()) : QString(),
                     fromTagLib(tag.genre())};
}

TagWriteResult WriteTags(const QString& path, const Id3v1Tag& id3v1, const Id3v2Changes& id3v2)
{
    // Root may write to any file, so the permission bit is checked rather than trusting open().
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile() || !(info.permissions() & QFileDevice::WriteOwner))
        return TagWriteResult::ReadOnly;
    clsMP3 mp3;
    mp3.setFileName(path);
    mp3.refresh();
    if (!mp3.HeaderFound())
        return TagWriteResult::NotMp3;
    qint64 id3v2Size = 0;
    if (!id3v2.isEmpty()) {
        TagLib::MPEG::File file(QFile::encodeName(path).constData(), false);
        if (file.isValid() && file.hasID3v2Tag())
            id3v2Size = file.ID3v2Tag()->header()->completeTagSize();
    }
    // Without ID3v2 changes the ID3v1 tag is written in place, which puts back what it
    // changed when it fails.
    if (id3v2Size == 0)
        return WriteId3v1(path, id3v1);
    return writeThroughCopy(path, id3v1, id3v2, id3v2Size);
}
