// The MP3 readers and the ID3v1 writer: byte-built files, files made by the real lame, and
// TagLib (when present) as an independent reader of what Quenzal writes.
#include "TestFiles.h"

#include "mp3/Id3v1.h"
#include "mp3/clsMP3.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <sys/stat.h>
#include <tuple>

#include <taglib/id3v1tag.h>
#include <taglib/mpegfile.h>
#include <taglib/xingheader.h>

using enum TagWriteResult;

namespace {

// The four header bytes of a frame (no CRC, original).
QByteArray frameHeader(int version, int layer, int bitrateIndex, int rateIndex, int mode,
                       bool padding = false)
{
    const quint32 bits = 0xFFE10004u | version << 19 | layer << 17 | bitrateIndex << 12 |
                         rateIndex << 10 | padding << 9 | mode << 6;
    return QByteArray::fromHex(QByteArray::number(bits, 16));
}

// Every property but the name as one text, so that one comparison shows every difference.
QString fields(const clsMP3& m)
{
    return QString::asprintf("%lld bytes, %d frames of %d, %d s, %d bit/s, %d Hz, v%d l%d m%d e%d, "
                             "crc %d c %d o %d p %d, ",
                             m.FileSize(), m.frames(), m.FrameSize(), m.seconds(), m.Bitrate(),
                             m.Frequency(), m.Version(), m.Layer(), m.ChannelMode(), m.Emphasis(),
                             m.CRCProtected(), m.Copyright(), m.original(), m.Padding()) +
           m.VersionText() + u'/' + m.LayerText() + u'/' + m.ChannelModeText() + u'/' +
           m.EmphasisText();
}

bool read(clsMP3& mp3, const QString& path)
{
    mp3.setFileName(path);
    return mp3.refresh();
}

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

class TestMp3 : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void byteBuiltHeaders();
    void id3v2Tags();
    void badInput();
    void lameFiles();
    void tagReadAndWrite();
    void tagRefusedWrites();

private:
    // A file of `size` bytes, zeros but for `bytes` at `offset`.
    QString file(const QByteArray& bytes, qint64 size, qint64 offset = 0)
    {
        QFile out(m_dir.filePath(QStringLiteral("test.mp3")));
        if (!out.open(QIODevice::WriteOnly) || !out.resize(size) || !out.seek(offset) ||
            out.write(bytes) != bytes.size())
            qFatal("cannot write the test file");
        return out.fileName();
    }

    QTemporaryDir m_dir;
    const QString m_file = m_dir.filePath("test.mp3");
    const QByteArray m_mp3 = audio();
};

void TestMp3::byteBuiltHeaders()
{
    clsMP3 mp3;
    // MPEG-1 Layer III, 128 kbit/s, 44100 Hz, joint stereo, at the start and after junk.
    // Bytes before the first frame are no audio.
    const QByteArray at44k = frameHeader(3, 1, 9, 0, 1);
    for (const auto& [offset, frames] : {std::pair(0, 9570), {1000, 9568}}) {
        QVERIFY(read(mp3, file(at44k, 4'000'000, offset)));
        QCOMPARE(fields(mp3), QString("4000000 bytes, %1 frames of 417, 250 s, 128000 bit/s, "
                                      "44100 Hz, v3 l1 m1 e0, crc 0 c 0 o 1 p 0, "
                                      "MPEG-1.0/Layer III/Joint Stereo/None")
                                  .arg(frames));
    }
    // A new name clears the old results before anything is read.
    mp3.setFileName(QStringLiteral("other.mp3"));
    QCOMPARE(fields(mp3), fields(clsMP3()));

    // {version, layer, bit-rate index, rate index, kbit/s, Hz}: every column and sample rate,
    // rejected codes (leaving their rates behind), the reserved version (accepted, but no Hz).
    const std::array<int, 6> tables[] = {
        {3, 3, 14, 0, 448, 44100}, {3, 2, 14, 1, 384, 48000}, {3, 1, 14, 2, 320, 32000},
        {2, 3, 9, 0, 144, 22050},  {2, 2, 9, 1, 80, 24000},   {2, 1, 9, 2, 80, 16000},
        {0, 3, 1, 0, 32, 11025},   {0, 2, 1, 1, 8, 12000},    {0, 1, 14, 2, 160, 8000},
        {3, 0, 9, 0, 0, 44100},    {3, 1, 0, 0, 0, 44100},    {2, 1, 15, 0, 0, 22050},
        {0, 1, 9, 3, 80, 99999},   {1, 1, 9, 0, 128, 0}};
    for (const auto& [v, l, b, r, kbps, hz] : tables)
        QCOMPARE(QList<int>({read(mp3, file(frameHeader(v, l, b, r, 0), 200'000)), mp3.Bitrate(),
                             mp3.Frequency(), mp3.LayerText().isEmpty()}),
                 QList<int>({kbps && hz && hz != 99999, kbps * 1000, hz, !kbps || hz == 99999}));
    // The texts the worked example leaves out, emphasis in the last byte's low bits.
    for (const auto& [hex, texts] : {std::pair("ffe59005", "MPEG-2.5/Layer II/Stereo/50/15 ms"),
                                     {"fff79086", "MPEG-2.0/Layer I/Dual Channel/reserved"},
                                     {"fffb90c7", "MPEG-1.0/Layer III/Single Channel/CIT J.17"}})
        QCOMPARE(read(mp3, file(QByteArray::fromHex(hex), 200'000)) ? fields(mp3).section(", ", -1)
                                                                    : "unread",
                 texts);

    // Halving by mode and version (more in lameFiles); only Layer I counts its padding.
    const std::pair<QByteArray, int> sizes[] = {
        {frameHeader(2, 1, 8, 0, 3), 208}, {frameHeader(2, 1, 8, 0, 2), 417},
        {frameHeader(0, 1, 4, 0, 1), 104}, {frameHeader(0, 1, 4, 0, 0), 417},
        {frameHeader(3, 3, 9, 0, 0), 313}, {frameHeader(3, 3, 9, 0, 0, true), 317},
        {frameHeader(2, 3, 9, 0, 1), 156}, {frameHeader(3, 2, 9, 1, 0, true), 480}};
    for (const auto& [header, frameSize] : sizes)
        QCOMPARE(read(mp3, file(header, 1'000'000)) ? mp3.FrameSize() : -1, frameSize);
    // {header, size, frames, seconds}: without an encoder's frame the audio bytes at the
    // header's rate give the time, frames of 1152 samples (576 in MPEG-2.5 Layer III), halves
    // to even; a file under 4096 bytes is still searched, one under half a second decoded but
    // not readable.
    const QByteArray at48k = frameHeader(3, 1, 9, 1, 0), at32k = frameHeader(3, 1, 9, 2, 0),
                     at8k = frameHeader(0, 1, 1, 2, 3);
    const std::tuple<QByteArray, int, int, int> durations[] = {
        {at32k, 1608192, 2792, 101}, {at48k, 38400, 100, 2}, {at48k, 38592, 100, 2},
        {at48k, 38976, 102, 2},      {at8k, 3000, 42, 3},    {at44k, 1000, 2, 0}};
    for (const auto& [header, size, frames, seconds] : durations)
        QCOMPARE(QList<int>({read(mp3, file(header, size)), mp3.frames(), mp3.seconds(), mp3.Vbr(),
                             mp3.AverageBitrate() - mp3.Bitrate()}),
                 QList<int>({seconds > 0, frames, seconds, 0, 0}));
    // An APE tag (with its header) and an ID3v1 tag at the end are no audio either.
    const QByteArray apeFooter =
        "APETAGEX" + QByteArray::fromHex("d0070000300000000100000000000080") + QByteArray(8, '\0');
    QVERIFY(writeBytes(m_file,
                       at48k + QByteArray(38396 + 48, '\0') + apeFooter + record("TAG", ' ', 1)));
    QVERIFY(read(mp3, m_file) && mp3.frames() == 100 && mp3.Duration() == 2.4);
    // A VBRI frame (32 bytes after the header) gives the frame count and the stream's bytes.
    QVERIFY(read(mp3, file(at44k + QByteArray(32, '\0') + "VBRI" +
                               QByteArray::fromHex("000100000000 00030d40 000001f4"),
                           100'000)));
    QVERIFY(mp3.Vbr() && mp3.frames() == 500 && mp3.seconds() == 13);
    QCOMPARE(mp3.AverageBitrate(), qRound(200'000 * 8 / (500 * 1152 / 44100.0)));

    // {bytes, offset, version or 0}: a sync in the low half of 0xAF is read from the whole bytes
    // two on (0x3B: MPEG-1); a rejected sync resumes five on; only the first 4096 bytes count.
    const QByteArray mpeg2 = frameHeader(2, 1, 8, 0, 1);
    const std::tuple<QByteArray, int, int> searches[] = {
        {QByteArray::fromHex("affe3b9044") + mpeg2, 50, 3},
        {QByteArray::fromHex("fffb000000") + mpeg2, 7, 2},
        {QByteArray::fromHex("fffb9c44fffb9044") + QByteArray(20, '\0') + mpeg2, 0, 2},
        {QByteArray::fromHex("affe3bff") + at44k + mpeg2, 0, 2},
        {mpeg2, 4092, 2},
        {mpeg2, 4095, 0}};
    for (const auto& [bytes, offset, version] : searches)
        QCOMPARE(QList<int>({read(mp3, file(bytes, 10'000, offset)), mp3.Version()}),
                 QList<int>({version != 0, version}));
}

void TestMp3::id3v2Tags()
{
    // An ID3v2.3 header with its sync-safe body size, then `body`.
    const auto id3v2 = [](quint32 size, char flags, const QByteArray& body) {
        QByteArray tag = QByteArray("ID3\x03\x00", 5) + flags;
        for (const int shift : {21, 14, 7, 0})
            tag += char(size >> shift & 0x7F);
        return tag + body;
    };
    // A UTF-16 byte-order mark followed by bytes that would make an MPEG-1 Layer I header.
    const QByteArray falseSync = QByteArray::fromHex("fffe7000") + QByteArray(16, 't');
    const QByteArray big = id3v2(8000, 0, falseSync), frame = frameHeader(3, 1, 9, 0, 1);
    // {bytes at the start, offset of the frame, found}: the search starts after the tag (its
    // footer included) and covers 4096 bytes from there; a header that is not a tag (a size
    // byte over 0x7F, version 0xFF) is searched like any other bytes; a size beyond the end
    // of the file leaves nothing to search.
    const std::tuple<QByteArray, int, bool> cases[] = {
        {id3v2(20, 0, falseSync), 30, true},
        {id3v2(20, 0x10, falseSync) + "3DI" + falseSync.left(7), 40, true},
        {big, 8010, true},
        {big, 8010 + 4092, true},
        {big, 8010 + 4095, false},
        {id3v2(0x0FFFFFFF, 0, {}), 10, false},
        {QByteArray::fromHex("4944330300007f7f7f80"), 10, true},
        {QByteArray::fromHex("494433ff0000007f7f7f"), 20, true},
    };
    clsMP3 mp3;
    for (const auto& [head, offset, found] : cases) {
        QCOMPARE(read(mp3, file(head.leftJustified(offset, '\0') + frame, 100'000)), found);
        QCOMPARE(mp3.FileSize(), 100'000);
        QCOMPARE(mp3.LayerText(), found ? "Layer III" : "");
    }
    // A file that is all tag, or ends inside its footer.
    for (const QByteArray& bytes : {id3v2(96, 0, {}), id3v2(96, 0x10, {})})
        QVERIFY(!read(mp3, file(bytes, 106)) && mp3.FileSize() == 106 && mp3.Bitrate() == 0);
}

void TestMp3::badInput()
{
    clsMP3 mp3;
    // {bytes at the end, size}: headers (direct and half-byte) cut off by the end of the file,
    // and sizes around the tag length, all zeros or all 0xFF. None is readable or decoded.
    QList<std::pair<QByteArray, int>> bad = {{QByteArray::fromHex("fffb"), 3000},
                                             {QByteArray::fromHex("fffb90"), 3000},
                                             {QByteArray::fromHex("affe3b90"), 3000}};
    for (const int size : {0, 1, 127, 128, 129, 5000})
        bad << std::pair(QByteArray(), size) << std::pair(QByteArray(size, '\xFF'), size);
    for (const auto& [bytes, size] : bad)
        QVERIFY(!read(mp3, file(bytes, size, size - bytes.size())) && mp3.FileSize() == size &&
                mp3.Bitrate() == 0 && mp3.FrameSize() == 0);
    // Paths that cannot be read leave every field reset, hold no tag and take none; a pipe must
    // not block, and nothing is created.
    const QString fifo = m_dir.filePath(QStringLiteral("pipe.mp3"));
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    for (const QString& path : {QString(), m_dir.path(), m_dir.filePath("missing.mp3"), fifo}) {
        QVERIFY(read(mp3, file(frameHeader(3, 1, 9, 0, 1), 100'000)) && !read(mp3, path));
        QCOMPARE(fields(mp3), fields(clsMP3()));
        QVERIFY(!ReadId3v1(path) && WriteId3v1(path, {}) == ReadOnly);
    }
    QVERIFY(!QFileInfo::exists(m_dir.filePath("missing.mp3")));
}

void TestMp3::lameFiles()
{
    const QString wav = m_dir.filePath("tone.wav"), out = m_dir.filePath("lame.mp3");
    QVERIFY(WriteSineWav(wav, 3));
    // lame's switches; version, kbit/s, Hz, mode, frame size, emphasis, CRC, copyright, original,
    // layer. An ID3v2 tag in front padded beyond 4 KiB changes nothing (lame's UTF-16 tag and
    // its picture tag: in tst_tageditor). Then the frame count lame wrote in its Info frame (read
    // by TagLib) and the time it gives, VBR and ABR as VBR; without that frame (-t) the count of
    // the file before, within a frame.
    qint64 lameFrames = 0;
    const std::pair<QString, QList<int>> runs[] = {
        {"-b 128 -m j", {3, 128, 44100, 1, 417, 0, 0, 0, 1, 1}},
        {"-b 128 -m s -p", {3, 128, 44100, 0, 417, 0, 1, 0, 1, 1}},
        {"-b 64 -m m -c", {3, 64, 44100, 3, 208, 0, 0, 1, 1, 1}},
        {"-b 128 -m d -o", {3, 128, 44100, 2, 417, 0, 0, 0, 0, 1}},
        {"-b 64 --resample 22.05 -m j -e 5", {2, 64, 22050, 1, 208, 1, 0, 0, 1, 1}},
        {"-b 64 --resample 22.05 -m s -e c", {2, 64, 22050, 0, 417, 3, 0, 0, 1, 1}},
        {"-b 32 --resample 8 -m j", {0, 32, 8000, 1, 144, 0, 0, 0, 1, 1}},
        {"-b 8 --resample 8 -m m", {0, 8, 8000, 3, 72, 0, 0, 0, 1, 1}},
        {"-b 128 --pad-id3v2-size 8000 --tt \"large v2\"", {3, 128, 44100, 1, 417, 0, 0, 0, 1, 1}},
        {"-t -b 128 --pad-id3v2-size 8000 --tt \"large v2\"",
         {3, 128, 44100, 1, 417, 0, 0, 0, 1, 1}},
        {"-V 2 -m j", {3, 128, 44100, 1, 417, 0, 0, 0, 1, 1, 1}},
        {"--abr 128 -m j", {3, 128, 44100, 1, 417, 0, 0, 0, 1, 1, 1}},
        {"-b 64 --resample 16 -m m", {2, 64, 16000, 3, 288, 0, 0, 0, 1, 1}}};
    for (const auto& [args, expected] : runs) {
        QProcess lame;
        lame.start(QUENZAL_LAME,
                   QStringList{"--quiet"} + QProcess::splitCommand(args) + QStringList{wav, out});
        QVERIFY(lame.waitForFinished(120'000) && lame.exitCode() == 0);
        clsMP3 mp3;
        QVERIFY(read(mp3, out));
        QCOMPARE(QList<int>({mp3.Version(), mp3.Bitrate() / 1000, mp3.Frequency(),
                             mp3.ChannelMode(), mp3.FrameSize(), mp3.Emphasis(), mp3.CRCProtected(),
                             mp3.Copyright(), mp3.original(), mp3.Layer()}),
                 expected.first(10));
        TagLib::MPEG::File taglib(QFile::encodeName(out).constData());
        const TagLib::MPEG::XingHeader* info = taglib.audioProperties()->xingHeader();
        if (info)
            lameFrames = info->totalFrames();
        else if (!args.startsWith("-t"))
            lameFrames = 0; // TagLib reads no Info frame of MPEG-2.5
        // No shorter than the 3 s of the source, no longer than the frames hold.
        const double lameSeconds =
            lameFrames * (mp3.Version() == 3 ? 1152 : 576) / double(mp3.Frequency());
        QVERIFY2(
            !lameFrames || (qAbs(mp3.frames() - lameFrames) <= (info ? 0 : 1) &&
                            mp3.Duration() > 2.95 && mp3.Duration() < lameSeconds + 0.05),
            qPrintable(
                QString("%1: %2 frames, %3 s").arg(args).arg(mp3.frames()).arg(mp3.Duration())));
        QCOMPARE(mp3.Vbr(), expected.size() > 10);
        if (mp3.Vbr())
            QVERIFY(qAbs(mp3.AverageBitrate() / 1000 - taglib.audioProperties()->bitrate()) <= 2);
    }
}

void TestMp3::tagReadAndWrite()
{
    // Unencodable characters become "?", long text is cut; only trailing spaces are trimmed.
    const Id3v1Tag tag{"Déjà vu — œuvre €", "日本 🎵", "  Mass", "99", QString(40, u'c'), 32};
    QVERIFY(writeBytes(m_file, m_mp3) && WriteId3v1(m_file, tag) == Written);
    QCOMPARE(tagOf(m_file), "Déjà vu — œuvre €|?? ?|  Mass|99|" + QString(30, u'c') + "|32");
    // An independent reader, which takes the text as Latin-1: the title agrees up to "—".
    TagLib::MPEG::File mpeg(QFile::encodeName(m_file).constData(), false);
    const TagLib::ID3v1::Tag* t = mpeg.ID3v1Tag();
    QVERIFY(t && t->artist() == "?? ?" && t->album() == "Mass" && t->year() == 99 &&
            t->genreNumber() == 32 && t->title().startsWith("D\xE9j\xE0 vu ") &&
            t->comment() == std::string(30, 'c').c_str());
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

void TestMp3::tagRefusedWrites()
{
    const QByteArray tagged = m_mp3 + record("TAGold", ' ', 3);
    // No owner-write bit is read-only even when others may write, and even for root.
    for (const auto& [mode, before] : {std::pair(0444, m_mp3), {0466, tagged}, {0000, tagged}}) {
        QVERIFY(writeBytes(m_file, before) && chmod(qPrintable(m_file), mode) == 0);
        QCOMPARE(WriteId3v1(m_file, {}), ReadOnly);
        QVERIFY(readBytes(m_file) == before && !(QFile::permissions(m_file) & QFile::WriteOwner));
    }
    // A file-size limit fails writes as a full disk would: the file is put back as it was,
    // whether the tag was appended or rewritten half way.
    for (const auto& [before, limit] :
         {std::pair(m_mp3, m_mp3.size() + 50), std::pair(tagged, tagged.size() - 64)}) {
        QVERIFY(writeBytes(m_file, before));
        const FileSizeLimit full{rlim_t(limit)}; // till the next write
        QVERIFY(WriteId3v1(m_file, {}) == Failed && readBytes(m_file) == before);
    }
}

QTEST_GUILESS_MAIN(TestMp3)
#include "tst_mp3.moc"
