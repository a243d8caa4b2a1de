#include "mp3/clsMP3.h"

#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <numbers>
#include <sys/stat.h>

#ifdef QUENZAL_HAVE_TAGLIB
#include <taglib/mpegfile.h>
#include <taglib/mpegproperties.h>
#endif

namespace {

// The four header bytes of a frame.
QByteArray frameHeader(int version, int layer, int bitrateIndex, int rateIndex, int mode,
                       bool padding = false)
{
    QByteArray bytes(4, '\0');
    bytes[0] = char(0xFF);
    bytes[1] = char(0xE0 | version << 3 | layer << 1 | 1);
    bytes[2] = char(bitrateIndex << 4 | rateIndex << 2 | (padding ? 2 : 0));
    bytes[3] = char(mode << 6 | 0x04);
    return bytes;
}

// A file of `size` bytes, zeros but for `bytes` at `offset`.
QString writeFile(const QTemporaryDir& dir, const QByteArray& bytes, qint64 size, qint64 offset = 0)
{
    const QString path = dir.filePath(QStringLiteral("test.mp3"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || !file.resize(size) ||
        !file.seek(offset) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

struct Read {
    bool ok;
    bool signalled; // ReadComplete came once, with the result
};

Read readFile(clsMP3& mp3, const QString& path)
{
    QSignalSpy spy(&mp3, &clsMP3::ReadComplete);
    mp3.setFileName(path);
    const bool ok = mp3.refresh();
    return {ok, spy.size() == 1 && spy.at(0).at(0).toBool() == ok};
}

void verifyReset(const clsMP3& mp3)
{
    QCOMPARE(mp3.Bitrate(), 0);
    QCOMPARE(mp3.Frequency(), 0);
    QCOMPARE(mp3.FrameSize(), 0);
    QCOMPARE(mp3.frames(), 0);
    QCOMPARE(mp3.seconds(), 0);
    QCOMPARE(mp3.FileSize(), 0);
    QCOMPARE(mp3.Version(), 0);
    QCOMPARE(mp3.Layer(), 0);
    QVERIFY(!mp3.CRCProtected() && !mp3.original() && !mp3.Copyright() && !mp3.Padding());
    QVERIFY(mp3.VersionText().isEmpty() && mp3.LayerText().isEmpty());
    QVERIFY(mp3.ChannelModeText().isEmpty() && mp3.EmphasisText().isEmpty());
}

} // namespace

class TestMp3 : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void workedExample();
    void tables();
    void halving_data();
    void halving();
    void halfByteSync();
    void rejectionAndResume();
    void shortFiles();
    void badInput();
    void lameFiles_data();
    void lameFiles();

private:
    QTemporaryDir m_dir;
};

void TestMp3::workedExample()
{
    QVERIFY(m_dir.isValid());
    clsMP3 mp3;
    // MPEG-1 Layer III, 128 kbit/s, 44100 Hz, joint stereo, original, somewhere after junk.
    for (const qint64 offset : {0, 1000}) {
        const QString path = writeFile(m_dir, frameHeader(3, 1, 9, 0, 1), 4'000'000, offset);
        const Read read = readFile(mp3, path);
        QVERIFY(read.ok);
        QVERIFY(read.signalled);
        QCOMPARE(mp3.FileName(), path);
        QCOMPARE(mp3.FileSize(), 4'000'000);
        QCOMPARE(mp3.FrameSize(), 417);
        QCOMPARE(mp3.frames(), 9592);
        QCOMPARE(mp3.seconds(), 249);
        QCOMPARE(mp3.Bitrate(), 128000);
        QCOMPARE(mp3.Frequency(), 44100);
        QCOMPARE(mp3.Version(), 3);
        QCOMPARE(mp3.Layer(), 1);
        QCOMPARE(mp3.VersionText(), QStringLiteral("MPEG-1.0"));
        QCOMPARE(mp3.LayerText(), QStringLiteral("Layer III"));
        QCOMPARE(mp3.ChannelMode(), 1);
        QCOMPARE(mp3.ChannelModeText(), QStringLiteral("Joint Stereo"));
        QCOMPARE(mp3.EmphasisText(), QStringLiteral("None"));
        QVERIFY(!mp3.CRCProtected());
        QVERIFY(mp3.original());
        QCOMPARE(mp3.Time(), 249 * 1.15740740740741e-5);
        QVERIFY(std::abs(mp3.ConvertSeconds(43200) - 0.5) < 1e-9);
    }
    // A new name clears the old results before anything is read.
    mp3.setFileName(QStringLiteral("other.mp3"));
    verifyReset(mp3);
}

void TestMp3::tables()
{
    // kbit/s by bit-rate index 1..14: MPEG-1 Layer I, II, III, then MPEG-2/2.5 I, II, III.
    const int rates[6][14] = {
        {32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
        {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
        {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
        {32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
        {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
        {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
    };
    const int sampleRates[4][3] = {
        {11025, 12000, 8000}, {}, {22050, 24000, 16000}, {44100, 48000, 32000}};
    clsMP3 mp3;
    for (const int version : {0, 2, 3}) {
        for (int layer = 0; layer <= 3; ++layer) {
            for (int index = 0; index <= 15; ++index) {
                for (int rate = 0; rate <= 3; ++rate) {
                    const QByteArray header = frameHeader(version, layer, index, rate, 0);
                    const bool ok = readFile(mp3, writeFile(m_dir, header, 200'000)).ok;
                    const bool valid = layer != 0 && index != 0 && index != 15 && rate != 3;
                    const int kbps = layer == 0 || index == 0 || index == 15
                                         ? 0
                                         : rates[(version == 3 ? 0 : 3) + 3 - layer][index - 1];
                    QCOMPARE(ok, valid);
                    // A rejected candidate leaves its bit rate and sample rate behind.
                    QCOMPARE(mp3.Bitrate(), kbps * 1000);
                    QCOMPARE(mp3.Frequency(), rate == 3 ? 99999 : sampleRates[version][rate]);
                    QCOMPARE(mp3.FrameSize() > 0, valid);
                    QCOMPARE(mp3.LayerText().isEmpty(), !valid);
                }
            }
        }
    }
    // The reserved version code: accepted, but with no sample rate nothing can be derived.
    QVERIFY(!readFile(mp3, writeFile(m_dir, frameHeader(1, 1, 9, 0, 1), 200'000)).ok);
    QCOMPARE(mp3.Bitrate(), 128000);
    QCOMPARE(mp3.Frequency(), 0);
    QCOMPARE(mp3.LayerText(), QStringLiteral("Layer III"));
    QVERIFY(mp3.VersionText().isEmpty());
    QCOMPARE(mp3.FrameSize(), 0);
    QCOMPARE(mp3.seconds(), 0);

    // Frames per second: 38.5, 32.5 and 27.8 as they stand, not 44100 / 1152 and so on.
    QVERIFY(readFile(mp3, writeFile(m_dir, frameHeader(3, 1, 9, 1, 0), 384 * 100)).ok);
    QCOMPARE(mp3.FrameSize(), 384);
    QCOMPARE(mp3.seconds(), 3); // 100 / 32.5; 100 / 41.67 would give 2
    QVERIFY(readFile(mp3, writeFile(m_dir, frameHeader(3, 1, 9, 2, 0), 576 * 2792)).ok);
    QCOMPARE(mp3.seconds(), 100); // 2792 / 27.8; 2792 / 27.78 would give 101
    // The frame count rounds halves to the even neighbour.
    QVERIFY(readFile(mp3, writeFile(m_dir, frameHeader(3, 1, 9, 1, 0), 384 * 100 + 192)).ok);
    QCOMPARE(mp3.frames(), 100);
    QVERIFY(readFile(mp3, writeFile(m_dir, frameHeader(3, 1, 9, 1, 0), 384 * 101 + 192)).ok);
    QCOMPARE(mp3.frames(), 102);
}

void TestMp3::halving_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<int>("frameSize");
    QTest::newRow("MPEG-1 III joint") << frameHeader(3, 1, 9, 0, 1) << 417;
    QTest::newRow("MPEG-1 III single") << frameHeader(3, 1, 9, 0, 3) << 417;
    QTest::newRow("MPEG-2 III joint") << frameHeader(2, 1, 8, 0, 1) << 208;
    QTest::newRow("MPEG-2 III stereo") << frameHeader(2, 1, 8, 0, 0) << 417;
    QTest::newRow("MPEG-2 III dual") << frameHeader(2, 1, 8, 0, 2) << 417;
    QTest::newRow("MPEG-2 III single") << frameHeader(2, 1, 8, 0, 3) << 208;
    QTest::newRow("MPEG-2.5 III joint") << frameHeader(0, 1, 4, 0, 1) << 104;
    QTest::newRow("MPEG-2.5 III single") << frameHeader(0, 1, 4, 0, 3) << 208;
    QTest::newRow("MPEG-2.5 III stereo") << frameHeader(0, 1, 4, 0, 0) << 417;
    QTest::newRow("MPEG-1 I padded") << frameHeader(3, 3, 9, 0, 0, true) << 317;
    QTest::newRow("MPEG-1 I") << frameHeader(3, 3, 9, 0, 0) << 313;
    QTest::newRow("MPEG-2 I joint") << frameHeader(2, 3, 9, 0, 1) << 156;
    QTest::newRow("MPEG-1 II padded") << frameHeader(3, 2, 9, 1, 0, true) << 480;
}

void TestMp3::halving()
{
    QFETCH(QByteArray, header);
    QFETCH(int, frameSize);
    clsMP3 mp3;
    QVERIFY(readFile(mp3, writeFile(m_dir, header, 1'000'000)).ok);
    QCOMPARE(mp3.FrameSize(), frameSize);
    QCOMPARE(mp3.frames(), qRound(1'000'000.0 / frameSize));
}

void TestMp3::halfByteSync()
{
    // The sync starts in the low half of 0xAF; the header is read from the whole bytes two
    // positions on (0x3B 0x90 0x44: MPEG-1 Layer III, 128 kbit/s, 44100 Hz, joint stereo).
    clsMP3 mp3;
    const QByteArray bytes = QByteArray::fromHex("affe3b9044") + frameHeader(2, 1, 8, 0, 1);
    QVERIFY(readFile(mp3, writeFile(m_dir, bytes, 100'000, 50)).ok);
    QCOMPARE(mp3.Version(), 3);
    QCOMPARE(mp3.Bitrate(), 128000);
    QCOMPARE(mp3.ChannelMode(), 1);
    QVERIFY(mp3.original());
}

void TestMp3::rejectionAndResume()
{
    clsMP3 mp3;
    const QByteArray noBitrate = QByteArray::fromHex("fffb000000");
    const QByteArray mpeg2 = frameHeader(2, 1, 8, 0, 1);
    // The search goes on exactly five positions after a rejected sync...
    QVERIFY(readFile(mp3, writeFile(m_dir, noBitrate + mpeg2, 10'000, 7)).ok);
    QCOMPARE(mp3.Version(), 2);
    // ...so a header starting within those five bytes is passed over.
    // (a 44100 Hz header right after one with the reserved sample rate)
    QByteArray bytes = QByteArray::fromHex("fffb9c44fffb9044") + QByteArray(20, '\0') + mpeg2;
    QVERIFY(readFile(mp3, writeFile(m_dir, bytes, 10'000)).ok);
    QCOMPARE(mp3.Version(), 2);
    // A rejected half-byte candidate resumes the same way.
    bytes = QByteArray::fromHex("affe3bff") + frameHeader(3, 1, 9, 0, 1) + mpeg2;
    QVERIFY(readFile(mp3, writeFile(m_dir, bytes, 10'000)).ok);
    QCOMPARE(mp3.Version(), 2);
    // Nothing acceptable: the last candidate's rates stay, everything else is reset.
    QVERIFY(!readFile(mp3, writeFile(m_dir, QByteArray::fromHex("fffb9c44"), 10'000)).ok);
    QCOMPARE(mp3.Bitrate(), 128000);
    QCOMPARE(mp3.Frequency(), 99999);
    QCOMPARE(mp3.Version(), 3);
    QCOMPARE(mp3.FileSize(), 10'000);
    QVERIFY(mp3.ChannelModeText().isEmpty());
    QCOMPARE(mp3.FrameSize(), 0);
    // Only the first 4096 bytes are searched.
    QVERIFY(!readFile(mp3, writeFile(m_dir, mpeg2, 10'000, 4095)).ok);
    QVERIFY(readFile(mp3, writeFile(m_dir, mpeg2, 10'000, 4092)).ok);
}

void TestMp3::shortFiles()
{
    clsMP3 mp3;
    // 3000 bytes of MPEG-2.5, 8 kbit/s, 8000 Hz, single channel: about two seconds.
    QVERIFY(readFile(mp3, writeFile(m_dir, frameHeader(0, 1, 1, 2, 3), 3000)).ok);
    QCOMPARE(mp3.FrameSize(), 72);
    QCOMPARE(mp3.frames(), 42);
    QCOMPARE(mp3.seconds(), 2);
    // Under half a second: decoded, but without a duration it is not reported as readable.
    QVERIFY(!readFile(mp3, writeFile(m_dir, frameHeader(3, 1, 9, 0, 1), 1000)).ok);
    QCOMPARE(mp3.Bitrate(), 128000);
    QCOMPARE(mp3.FrameSize(), 417);
    QCOMPARE(mp3.frames(), 2);
    // A header cut off by the end of the file is not decoded.
    for (const int kept : {2, 3}) {
        const QByteArray header = frameHeader(3, 1, 9, 0, 1).left(kept);
        QVERIFY(!readFile(mp3, writeFile(m_dir, header, 3000, 3000 - kept)).ok);
        QCOMPARE(mp3.Bitrate(), 0);
        QCOMPARE(mp3.FileSize(), 3000);
    }
    QVERIFY(!readFile(mp3, writeFile(m_dir, QByteArray::fromHex("affe3b90"), 3000, 2996)).ok);
    QCOMPARE(mp3.Bitrate(), 0);
}

void TestMp3::badInput()
{
    clsMP3 mp3;
    // Sizes around the tag length, all zeros or all 0xFF: never acceptable.
    for (const qint64 size : {0, 1, 127, 128, 129, 5000}) {
        QVERIFY(!readFile(mp3, writeFile(m_dir, {}, size)).ok);
        QCOMPARE(mp3.FileSize(), size);
        QVERIFY(!readFile(mp3, writeFile(m_dir, QByteArray(size, char(0xFF)), size)).ok);
        QCOMPARE(mp3.FrameSize(), 0);
    }
    // Paths that cannot be read: every field stays reset, and a pipe must not block.
    const QString fifo = m_dir.filePath(QStringLiteral("pipe.mp3"));
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    const QStringList unreadable = {QString(), m_dir.path(),
                                    m_dir.filePath(QStringLiteral("missing.mp3")), fifo};
    for (const QString& path : unreadable) {
        QVERIFY(readFile(mp3, writeFile(m_dir, frameHeader(3, 1, 9, 0, 1), 100'000)).ok);
        const Read read = readFile(mp3, path);
        QVERIFY(!read.ok);
        QVERIFY(read.signalled);
        verifyReset(mp3);
    }
    // Random bytes: whatever is found must hang together.
    QRandomGenerator random(20240611);
    for (int round = 0; round < 200; ++round) {
        QByteArray bytes(random.bounded(1, 8192), '\0');
        for (char& byte : bytes)
            byte = char(random.bounded(256));
        if (readFile(mp3, writeFile(m_dir, bytes, bytes.size())).ok) {
            QVERIFY(mp3.FrameSize() > 0 && mp3.frames() > 0 && mp3.seconds() > 0);
            QVERIFY(!mp3.LayerText().isEmpty() && !mp3.VersionText().isEmpty());
        }
    }
}

void TestMp3::lameFiles_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("kbps");
    QTest::addColumn<int>("frequency");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("frameSize");
    QTest::addColumn<QString>("flags"); // p: CRC, c: copyright, o: not original
    QTest::addColumn<int>("emphasis");

    const auto row = [](const char* name, const char* args, int version, int kbps, int frequency,
                        int mode, int frameSize, const char* flags = "", int emphasis = 0) {
        QTest::newRow(name) << QString::fromLatin1(args).split(u' ') << version << kbps << frequency
                            << mode << frameSize << QString::fromLatin1(flags) << emphasis;
    };
    row("MPEG-1 joint", "-b 128 -m j", 3, 128, 44100, 1, 417);
    row("MPEG-1 stereo", "-b 128 -m s", 3, 128, 44100, 0, 417);
    row("MPEG-1 mono", "-b 64 -m m", 3, 64, 44100, 3, 208);
    row("MPEG-1 dual", "-b 128 -m d", 3, 128, 44100, 2, 417);
    row("MPEG-2 joint", "-b 64 --resample 22.05 -m j", 2, 64, 22050, 1, 208);
    row("MPEG-2 stereo", "-b 64 --resample 22.05 -m s", 2, 64, 22050, 0, 417);
    row("MPEG-2.5 joint", "-b 16 --resample 8 -m j", 0, 16, 8000, 1, 72);
    row("MPEG-2.5 mono", "-b 8 --resample 8 -m m", 0, 8, 8000, 3, 72);
    row("CRC", "-b 128 -m j -p", 3, 128, 44100, 1, 417, "p");
    row("copyright", "-b 128 -m j -c", 3, 128, 44100, 1, 417, "c");
    row("not original", "-b 128 -m j -o", 3, 128, 44100, 1, 417, "o");
    row("emphasis 50/15", "-b 128 -m j -e 5", 3, 128, 44100, 1, 417, "", 1);
    row("emphasis CCITT", "-b 128 -m j -e c", 3, 128, 44100, 1, 417, "", 3);
}

void TestMp3::lameFiles()
{
    QFETCH(QStringList, args);
    QFETCH(int, version);
    QFETCH(int, kbps);
    QFETCH(int, frequency);
    QFETCH(int, mode);
    QFETCH(int, frameSize);
    QFETCH(QString, flags);
    QFETCH(int, emphasis);

    // Three seconds of a 440 Hz / 660 Hz stereo tone, 16-bit, 44100 Hz.
    const QString wav = m_dir.filePath(QStringLiteral("tone.wav"));
    if (!QFile::exists(wav)) {
        const qint32 samples = 3 * 44100;
        QByteArray data;
        QDataStream out(&data, QIODevice::WriteOnly);
        out.setByteOrder(QDataStream::LittleEndian);
        out.writeRawData("RIFF", 4);
        out << quint32(36 + samples * 4);
        out.writeRawData("WAVEfmt ", 8);
        out << quint32(16) << quint16(1) << quint16(2) << quint32(44100) << quint32(44100 * 4)
            << quint16(4) << quint16(16);
        out.writeRawData("data", 4);
        out << quint32(samples * 4);
        for (int i = 0; i < samples; ++i)
            out << qint16(8000 * std::sin(2 * std::numbers::pi * 440 * i / 44100.0))
                << qint16(8000 * std::sin(2 * std::numbers::pi * 660 * i / 44100.0));
        QFile file(wav);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(data) == data.size());
    }
    const QString mp3Path = m_dir.filePath(QStringLiteral("lame.mp3"));
    QProcess lame;
    lame.start(QStringLiteral(QUENZAL_LAME),
               QStringList{QStringLiteral("--quiet")} + args + QStringList{wav, mp3Path});
    QVERIFY(lame.waitForFinished(120'000));
    QCOMPARE(lame.exitCode(), 0);

    clsMP3 mp3;
    QVERIFY(readFile(mp3, mp3Path).ok);
    QCOMPARE(mp3.Version(), version);
    QCOMPARE(mp3.Layer(), 1);
    QCOMPARE(mp3.LayerText(), QStringLiteral("Layer III"));
    QCOMPARE(mp3.VersionText(), QStringList({"MPEG-2.5", "", "MPEG-2.0", "MPEG-1.0"})[version]);
    QCOMPARE(mp3.Bitrate(), kbps * 1000);
    QCOMPARE(mp3.Frequency(), frequency);
    QCOMPARE(mp3.ChannelMode(), mode);
    QCOMPARE(mp3.ChannelModeText(),
             QStringList({"Stereo", "Joint Stereo", "Dual Channel", "Single Channel"})[mode]);
    QCOMPARE(mp3.FrameSize(), frameSize);
    QCOMPARE(mp3.FileSize(), QFileInfo(mp3Path).size());
    QCOMPARE(mp3.CRCProtected(), flags.contains(u'p'));
    QCOMPARE(mp3.Copyright(), flags.contains(u'c'));
    QCOMPARE(mp3.original(), !flags.contains(u'o'));
    QCOMPARE(mp3.Emphasis(), emphasis);
    QCOMPARE(mp3.EmphasisText(),
             QStringList({"None", "50/15 ms", "reserved", "CIT J.17"})[emphasis]);
    // Where the frame size matches the real one, the estimate lands on the tone's length.
    if (mode == 1 || version == 3)
        QCOMPARE(mp3.seconds(), 3);

#ifdef QUENZAL_HAVE_TAGLIB
    // An independent reader must agree on what the first frame says.
    TagLib::MPEG::File file(QFile::encodeName(mp3Path).constData());
    const TagLib::MPEG::Properties* props = file.audioProperties();
    QVERIFY(props);
    QCOMPARE(props->sampleRate(), mp3.Frequency());
    QCOMPARE(int(props->channelMode()), int(mp3.ChannelMode()));
    QCOMPARE(props->layer(), 4 - mp3.Layer());
    QCOMPARE(int(props->version()), QList<int>({2, -1, 1, 0})[mp3.Version()]);
    QCOMPARE(props->protectionEnabled(), mp3.CRCProtected());
    QCOMPARE(props->isCopyrighted(), mp3.Copyright());
    QCOMPARE(props->isOriginal(), mp3.original());
#endif
}

QTEST_GUILESS_MAIN(TestMp3)
#include "tst_mp3.moc"
