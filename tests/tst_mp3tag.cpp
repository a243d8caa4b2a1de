#include "mp3/Genres.h"
#include "mp3/Id3v1.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

#ifdef QUENZAL_HAVE_TAGLIB
#include <taglib/id3v1tag.h>
#include <taglib/mpegfile.h>
#endif

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, '\0');
    for (char& byte : bytes)
        byte = char(QRandomGenerator::global()->bounded(256));
    return bytes;
}

Id3v1Tag titled(const QString& title)
{
    Id3v1Tag tag;
    tag.title = title;
    return tag;
}

// A 128-byte record as another program might have written it.
QByteArray record(const char* id, const QByteArray& title, char pad, quint8 genre)
{
    QByteArray bytes = QByteArray(id) + title;
    bytes += QByteArray(127 - bytes.size(), pad);
    bytes += char(genre);
    return bytes;
}

} // namespace

class TestMp3Tag : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void genres();
    void roundTrip();
    void foreignTags();
    void appendAndLength();
    void readOnly();
    void failedWriteLeavesFile();
    void badInput();
    void independentReader();

private:
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir m_dir;
    QByteArray m_mp3; // one second of audio from the real encoder, without a tag
};

void TestMp3Tag::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // One second of silence is enough: the tag code never looks at the audio.
    QByteArray wav("RIFF");
    const quint32 dataSize = 44100 * 2;
    auto le32 = [](quint32 v) {
        return QByteArray(reinterpret_cast<const char*>(&v), 4);
    };
    wav += le32(36 + dataSize) + "WAVEfmt " + le32(16);
    wav += QByteArray::fromHex("01000100") + le32(44100) + le32(44100 * 2);
    wav += QByteArray::fromHex("02001000") + "data" + le32(dataSize) + QByteArray(dataSize, 0);
    QVERIFY(writeAll(path("in.wav"), wav));
    QProcess lame;
    lame.start(QStringLiteral(QUENZAL_LAME),
               {QStringLiteral("--quiet"), path("in.wav"), path("lame.mp3")});
    QVERIFY(lame.waitForFinished(60'000));
    QCOMPARE(lame.exitCode(), 0);
    m_mp3 = readAll(path("lame.mp3"));
    QVERIFY(m_mp3.size() > 1000);
    QVERIFY(!ReadId3v1(path("lame.mp3")));
}

void TestMp3Tag::genres()
{
    QCOMPARE(GenreNames().size(), 148);
    QCOMPARE(GenreName(0), QStringLiteral("Blues"));
    QCOMPARE(GenreName(7), QStringLiteral("Hip -Hop"));
    QCOMPARE(GenreName(12), QStringLiteral("Other"));
    QCOMPARE(GenreName(14), QStringLiteral("R&b"));
    QCOMPARE(GenreName(32), QStringLiteral("Classical"));
    QCOMPARE(GenreName(67), QStringLiteral("Psychadelic"));
    QCOMPARE(GenreName(124), QStringLiteral("Euro - House"));
    QCOMPARE(GenreName(136), QStringLiteral("Christian Gangsta Rap"));
    QCOMPARE(GenreName(147), QStringLiteral("Synthpop"));
    for (const int index : {-1, 148, 255, 1000})
        QVERIFY(GenreName(index).isEmpty());
    QCOMPARE(Id3v1Tag().genre, 12);
}

void TestMp3Tag::roundTrip()
{
    const QString file = path("round.mp3");
    QVERIFY(writeAll(file, m_mp3));
    Id3v1Tag tag{QStringLiteral("Café Déjà Vu — œuvre €"),
                 QStringLiteral("日本 🎵"),
                 QStringLiteral("A"),
                 QStringLiteral("99"),
                 QStringLiteral("exactly thirty characters long"),
                 32};
    QCOMPARE(WriteId3v1(file, tag), TagWriteResult::Written);
    const QByteArray bytes = readAll(file);
    QCOMPARE(bytes.size(), m_mp3.size() + 128);
    QVERIFY(bytes.startsWith(m_mp3));
    QCOMPARE(bytes.mid(bytes.size() - 128 + 93, 4), QByteArray("99  "));
    QCOMPARE(bytes.at(bytes.size() - 1), char(32));

    auto read = ReadId3v1(file);
    QVERIFY(read);
    QCOMPARE(read->title, tag.title);
    QCOMPARE(read->artist, QStringLiteral("?? ?")); // one "?" per character it cannot hold
    QCOMPARE(read->album, tag.album);
    QCOMPARE(read->year, tag.year);
    QCOMPARE(read->comment, tag.comment);
    QCOMPARE(read->genre, 32);

    // Rewriting replaces the tag in place; longer text is cut to the field.
    const Id3v1Tag second{QString(35, u'x'),       {},        QStringLiteral("B"),
                          QStringLiteral("20245"), QString(), 255};
    QCOMPARE(WriteId3v1(file, second), TagWriteResult::Written);
    QCOMPARE(QFileInfo(file).size(), m_mp3.size() + 128);
    read = ReadId3v1(file);
    QVERIFY(read);
    QCOMPARE(read->title, QString(30, u'x'));
    QVERIFY(read->artist.isEmpty());
    QCOMPARE(read->year, QStringLiteral("2024"));
    QVERIFY(read->comment.isEmpty());
    QCOMPARE(read->genre, 255);
    QVERIFY(readAll(file).startsWith(m_mp3));
}

void TestMp3Tag::foreignTags()
{
    const QString file = path("foreign.mp3");
    // NUL padding is kept, only trailing spaces go; leading spaces stay.
    QVERIFY(writeAll(file, m_mp3 + record("TAG", "  Title", '\0', 32)));
    auto read = ReadId3v1(file);
    QVERIFY(read);
    QCOMPARE(read->title, QStringLiteral("  Title") + QString(23, QChar(0)));
    QCOMPARE(read->genre, 32);
    QVERIFY(writeAll(file, m_mp3 + record("TAG", QByteArray("ab \0 x", 6), ' ', 0)));
    read = ReadId3v1(file);
    QVERIFY(read);
    QCOMPARE(read->title, QStringLiteral("ab ") + QChar(0) + QStringLiteral(" x"));
    QVERIFY(read->artist.isEmpty());

    // A record that is only a tag is still a tag, and rewriting it keeps the 128 bytes.
    QVERIFY(writeAll(file, record("TAG", "x", ' ', 7)));
    QCOMPARE(ReadId3v1(file).value().genre, 7);
    QCOMPARE(WriteId3v1(file, {}), TagWriteResult::Written);
    QCOMPARE(QFileInfo(file).size(), 128);

    // A tag read and written back keeps its bytes, those Windows-1252 leaves undefined too.
    QByteArray high;
    for (int byte = 0x80; byte < 0x80 + 30; ++byte)
        high += char(byte);
    const QByteArray foreign = m_mp3 + record("TAG", high, ' ', 200);
    QVERIFY(writeAll(file, foreign));
    QCOMPARE(WriteId3v1(file, ReadId3v1(file).value()), TagWriteResult::Written);
    QCOMPARE(readAll(file), foreign);
}

void TestMp3Tag::appendAndLength()
{
    const QString file = path("append.mp3");
    // "tag" in lower case is audio, not a tag: a new tag goes after it.
    const QByteArray lower = m_mp3 + record("tag", "lower", ' ', 1);
    QVERIFY(writeAll(file, lower));
    QVERIFY(!ReadId3v1(file));
    QCOMPARE(WriteId3v1(file, titled(QStringLiteral("new"))), TagWriteResult::Written);
    QByteArray bytes = readAll(file);
    QCOMPARE(bytes.size(), lower.size() + 128);
    QVERIFY(bytes.startsWith(lower));
    QCOMPARE(ReadId3v1(file).value().title, QStringLiteral("new"));
    QCOMPARE(ReadId3v1(file).value().genre, 12);

    // Sizes around the tag length: under 128 bytes nothing is written.
    for (const int size : {0, 1, 127, 128, 129}) {
        const QByteArray audio = randomBytes(size).replace("TAG", "tag");
        QVERIFY(writeAll(file, audio));
        QVERIFY(!ReadId3v1(file));
        const TagWriteResult result = WriteId3v1(file, titled(QStringLiteral("t")));
        QCOMPARE(result, size < 128 ? TagWriteResult::TooShort : TagWriteResult::Written);
        bytes = readAll(file);
        QVERIFY(bytes.startsWith(audio));
        QCOMPARE(bytes.size(), size < 128 ? size : size + 128);
    }
}

void TestMp3Tag::readOnly()
{
    const QString file = path("readonly.mp3");
    // No owner-write bit is read-only even when others may write, and even for root.
    for (const mode_t mode : {0444, 0466, 0000}) {
        for (const bool tagged : {false, true}) {
            const QByteArray before = tagged ? m_mp3 + record("TAG", "old", ' ', 3) : m_mp3;
            QFile::remove(file);
            QVERIFY(writeAll(file, before));
            QCOMPARE(chmod(QFile::encodeName(file).constData(), mode), 0);
            QCOMPARE(WriteId3v1(file, titled(QStringLiteral("new"))), TagWriteResult::ReadOnly);
            QCOMPARE(readAll(file), before);
            struct stat st;
            QCOMPARE(stat(QFile::encodeName(file).constData(), &st), 0);
            QCOMPARE(st.st_mode & 07777, mode);
            QCOMPARE(chmod(QFile::encodeName(file).constData(), 0644), 0);
        }
    }
}

void TestMp3Tag::failedWriteLeavesFile()
{
    // The file-size limit makes the kernel refuse writes past it, as a full disk would.
    const QString file = path("limit.mp3");
    const QByteArray tagged = m_mp3 + record("TAG", "old", ' ', 3);
    struct rlimit saved;
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct Case {
        QByteArray content;
        qint64 limit;
    };
    // Appending past the limit; rewriting a tag whose second half lies past it.
    for (const Case& c : {Case{m_mp3, m_mp3.size() + 50}, Case{tagged, tagged.size() - 64}}) {
        QVERIFY(writeAll(file, c.content));
        struct rlimit limit = saved;
        limit.rlim_cur = rlim_t(c.limit);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
        const TagWriteResult result = WriteId3v1(file, titled(QStringLiteral("new")));
        setrlimit(RLIMIT_FSIZE, &saved);
        QCOMPARE(result, TagWriteResult::Failed);
        QCOMPARE(readAll(file), c.content);
    }
    std::signal(SIGXFSZ, oldHandler);
}

void TestMp3Tag::badInput()
{
    const QString fifo = path("pipe.mp3");
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    const QStringList paths = {QString(), m_dir.path(), path("missing.mp3"), fifo,
                               path("missing/folder.mp3")};
    for (const QString& p : paths) {
        QVERIFY(!ReadId3v1(p));
        QCOMPARE(WriteId3v1(p, titled(QStringLiteral("t"))), TagWriteResult::ReadOnly);
    }
    // Nothing was created in place of a missing file.
    QVERIFY(!QFileInfo::exists(path("missing.mp3")));

    // Random bytes and files of only 0xFF: nothing is found and nothing breaks.
    const QString file = path("random.mp3");
    for (int round = 0; round < 50; ++round) {
        QVERIFY(writeAll(file, randomBytes(QRandomGenerator::global()->bounded(4000))));
        QVERIFY(!ReadId3v1(file));
        QVERIFY(writeAll(file, QByteArray(round * 7, char(0xFF))));
        QVERIFY(!ReadId3v1(file));
    }
}

void TestMp3Tag::independentReader()
{
#ifdef QUENZAL_HAVE_TAGLIB
    const QString file = path("taglib.mp3");
    QVERIFY(writeAll(file, m_mp3));
    const Id3v1Tag tag{QStringLiteral("Élégie"),          QStringLiteral("Fauré"),
                       QStringLiteral("Requiem, op. 48"), QStringLiteral("1888"),
                       QStringLiteral("Ça va"),           32};
    QCOMPARE(WriteId3v1(file, tag), TagWriteResult::Written);
    TagLib::MPEG::File mpeg(QFile::encodeName(file).constData(), false);
    QVERIFY(mpeg.isValid());
    const TagLib::ID3v1::Tag* read = mpeg.ID3v1Tag();
    QVERIFY(read);
    QCOMPARE(QString::fromStdWString(read->title().toWString()), tag.title);
    QCOMPARE(QString::fromStdWString(read->artist().toWString()), tag.artist);
    QCOMPARE(QString::fromStdWString(read->album().toWString()), tag.album);
    // TagLib keeps the comment's padding.
    QCOMPARE(QString::fromStdWString(read->comment().toWString()).trimmed(), tag.comment);
    QCOMPARE(read->year(), 1888u);
    QCOMPARE(read->genreNumber(), 32u);
#else
    QSKIP("TagLib is not installed (Debian: libtag1-dev)");
#endif
}

QTEST_GUILESS_MAIN(TestMp3Tag)
#include "tst_mp3tag.moc"
