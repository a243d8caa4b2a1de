#include "TestFiles.h"
#include "mp3/Genres.h"

#include "mp3/Id3v1.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#ifdef QUENZAL_HAVE_TAGLIB
#include <taglib/id3v1tag.h>
#include <taglib/mpegfile.h>
#endif

using enum TagWriteResult;

namespace {

// The fields of a file's tag as one text.
QString tagOf(const QString& path)
{
    const Id3v1Tag t = ReadId3v1(path).value_or(Id3v1Tag());
    return QStringList{t.title, t.artist, t.album, t.year, t.comment, QString::number(t.genre)}
        .join(u'|');
}

// A 128-byte record as another program might have written it; `head` starts with the id.
QByteArray record(const QByteArray& head, char pad, quint8 genre)
{
    return head.leftJustified(127, pad) + char(genre);
}

// The tag code never looks at the audio: random bytes that do not end in a tag will do.
QByteArray audio()
{
    QByteArray bytes(4000, '\0');
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(bytes.data()), 1000);
    return bytes.replace("TAG", "tag");
}

} // namespace

class TestMp3Tag : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readAndWrite();
    void refusedWrites();

private:
    QTemporaryDir m_dir;
    const QString m_file = m_dir.filePath("test.mp3");
    const QByteArray m_mp3 = audio();
};

void TestMp3Tag::readAndWrite()
{
    // Unencodable characters become "?", long text is cut; only trailing spaces are trimmed.
    const Id3v1Tag tag{"Déjà vu — œuvre €", "日本 🎵", "  Mass", "99", QString(40, u'c'), 32};
    QVERIFY(writeBytes(m_file, m_mp3) && WriteId3v1(m_file, tag) == Written);
    QCOMPARE(tagOf(m_file), "Déjà vu — œuvre €|?? ?|  Mass|99|" + QString(30, u'c') + "|32");
    QVERIFY(GenreName(32) == "Classical" && GenreNames().size() == 148 && GenreName(255).isEmpty());
#ifdef QUENZAL_HAVE_TAGLIB
    // An independent reader, which takes the text as Latin-1: the title agrees up to "—".
    TagLib::MPEG::File mpeg(QFile::encodeName(m_file).constData(), false);
    const TagLib::ID3v1::Tag* t = mpeg.ID3v1Tag();
    QVERIFY(t && t->artist() == "?? ?" && t->album() == "Mass" && t->year() == 99 &&
            t->genreNumber() == 32 && t->title().startsWith("D\xE9j\xE0 vu ") &&
            t->comment() == std::string(30, 'c').c_str());
#endif
    // NUL padding stays, and genre 255 reads as it stands.
    QVERIFY(writeBytes(m_file, m_mp3 + record(QByteArray("TAGab \0 x", 9), '\0', 255)));
    QCOMPARE(tagOf(m_file).replace(QChar(), u'0'),
             QString("ab 0 x%1|%2|%2|%3|%2|255").arg(QString(24, u'0'), QString(30, u'0'), "0000"));
    // A tag read and written back keeps every byte, even those Windows-1252 leaves undefined.
    const QByteArray foreign = m_mp3 + record("TAG\x81\x8D\x8F\x90\x9D", ' ', 200);
    QVERIFY(writeBytes(m_file, foreign));
    QCOMPARE(WriteId3v1(m_file, ReadId3v1(m_file).value_or(Id3v1Tag())), Written);
    QCOMPARE(readBytes(m_file), foreign);

    // No tag ("tag", 0xFF, random bytes): the default tag is appended; under 128 bytes, nothing.
    for (const QByteArray& before :
         {m_mp3 + record("tag", ' ', 1), QByteArray(300, '\xFF'), QByteArray(), QByteArray(1, 'a'),
          QByteArray(127, 'a'), QByteArray(128, 'a'), QByteArray(129, 'a'), m_mp3}) {
        QVERIFY(writeBytes(m_file, before) && !ReadId3v1(m_file));
        QCOMPARE(WriteId3v1(m_file, {}), before.size() < 128 ? TooShort : Written);
        QCOMPARE(readBytes(m_file), before.size() < 128 ? before : before + record("TAG", ' ', 12));
    }
}

void TestMp3Tag::refusedWrites()
{
    const QByteArray tagged = m_mp3 + record("TAGold", ' ', 3);
    // No owner-write bit is read-only even when others may write, and even for root.
    for (const auto& [mode, before] : {std::pair(0444, m_mp3), {0466, tagged}, {0000, tagged}}) {
        QVERIFY(writeBytes(m_file, before) && chmod(qPrintable(m_file), mode) == 0);
        QCOMPARE(WriteId3v1(m_file, {}), ReadOnly);
        QVERIFY(readBytes(m_file) == before && !(QFile::permissions(m_file) & QFile::WriteOwner));
    }
    // Paths that cannot hold a tag: a pipe must not block, and nothing is created.
    const QString fifo = m_dir.filePath("pipe.mp3");
    QCOMPARE(mkfifo(qPrintable(fifo), 0644), 0);
    for (const QString& bad : {QString(), m_dir.path(), m_dir.filePath("missing.mp3"), fifo})
        QVERIFY(!ReadId3v1(bad) && WriteId3v1(bad, {}) == ReadOnly);
    QVERIFY(!QFileInfo::exists(m_dir.filePath("missing.mp3")));

    // A file-size limit fails writes as a full disk would: the file is put back as it was,
    // whether the tag was appended or rewritten half way.
    for (const auto& [before, limit] :
         {std::pair(m_mp3, m_mp3.size() + 50), std::pair(tagged, tagged.size() - 64)}) {
        QVERIFY(writeBytes(m_file, before));
        TagWriteResult result;
        {
            const FileSizeLimit full{rlim_t(limit)};
            result = WriteId3v1(m_file, {});
        }
        QVERIFY(result == Failed && readBytes(m_file) == before);
    }
}

QTEST_GUILESS_MAIN(TestMp3Tag)
#include "tst_mp3tag.moc"
