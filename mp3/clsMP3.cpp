#include "mp3/clsMP3.h"

#include "settings/NumberText.h"

#include <QFile>
#include <QFileInfo>

#include <array>
#include <cmath>
#include <limits>
#include <optional>

namespace {

constexpr qsizetype kWindowSize = 4096;
// The encoder's frame (Xing, Info or VBRI, with lame's own fields) lies within this many bytes
// of the first frame's start, which may be near the end of the window.
constexpr qsizetype kEncoderFrameReach = 256;
constexpr qint32 kReservedRate = 99999;

// kbit/s by bit-rate index (row) and column (Version AND 1) * 4 OR Layer. Columns 1-3 are
// MPEG-2 and MPEG-2.5 Layer III, II, I; 5-7 are MPEG-1 Layer III, II, I; 0 and 4 belong to the
// reserved layer code. Rows 0 (free format) and 15 (forbidden) stay 0 so that such headers
// are rejected.
constexpr std::array<std::array<qint16, 8>, 16> kBitrates = {{
    {0, 0, 0, 0, 0, 0, 0, 0},
    {0, 8, 8, 32, 0, 32, 32, 32},
    {0, 16, 16, 48, 0, 40, 48, 64},
    {0, 24, 24, 56, 0, 48, 56, 96},
    {0, 32, 32, 64, 0, 56, 64, 128},
    {0, 40, 40, 80, 0, 64, 80, 160},
    {0, 48, 48, 96, 0, 80, 96, 192},
    {0, 56, 56, 112, 0, 96, 112, 224},
    {0, 64, 64, 128, 0, 112, 128, 256},
    {0, 80, 80, 144, 0, 128, 160, 288},
    {0, 96, 96, 160, 0, 160, 192, 320},
    {0, 112, 112, 176, 0, 192, 224, 352},
    {0, 128, 128, 192, 0, 224, 256, 384},
    {0, 144, 144, 224, 0, 256, 320, 416},
    {0, 160, 160, 256, 0, 320, 384, 448},
    {0, 0, 0, 0, 0, 0, 0, 0},
}};

// Hz by Version code (MPEG-2.5, reserved, MPEG-2, MPEG-1) and sample-rate index.
constexpr std::array<std::array<qint32, 4>, 4> kSampleRates = {{
    {11025, 12000, 8000, kReservedRate},
    {0, 0, 0, 0},
    {22050, 24000, 16000, kReservedRate},
    {44100, 48000, 32000, kReservedRate},
}};

std::optional<qint32> toInt32(double value)
{
    if (!std::isfinite(value) || value < std::numeric_limits<qint32>::min() ||
        value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return static_cast<qint32>(value);
}

quint8 byteAt(const QByteArray& bytes, qsizetype index)
{
    return static_cast<quint8>(bytes.at(index));
}

// The length of an ID3v2 tag at the start of a file (header, body and footer), or 0 when the
// first ten bytes are not an ID3v2 header. Text in the tag (a UTF-16 byte-order mark, for
// one) can look like a frame sync, and a large tag would push the audio out of the window, so
// the search must begin after it.
qint64 id3v2Length(const QByteArray& head)
{
    constexpr qint64 kHeaderSize = 10;
    constexpr quint8 kFooterFlag = 0x10;
    if (head.size() < kHeaderSize || !head.startsWith("ID3") || byteAt(head, 3) == 0xFF ||
        byteAt(head, 4) == 0xFF)
        return 0;
    // Seven bits of each size byte count; a byte with its top bit set means this is no tag.
    qint64 size = 0;
    for (qsizetype i = 6; i < kHeaderSize; ++i) {
        if (byteAt(head, i) & 0x80)
            return 0;
        size = size << 7 | byteAt(head, i);
    }
    return kHeaderSize + size + ((byteAt(head, 5) & kFooterFlag) ? kHeaderSize : 0);
}

qint64 bigEndian32(const QByteArray& bytes, qsizetype at)
{
    if (at < 0 || at + 4 > bytes.size())
        return 0;
    return qint64(byteAt(bytes, at)) << 24 | byteAt(bytes, at + 1) << 16 |
           byteAt(bytes, at + 2) << 8 | byteAt(bytes, at + 3);
}

qint64 littleEndian32(const QByteArray& bytes, qsizetype at)
{
    return qint64(byteAt(bytes, at + 3)) << 24 | byteAt(bytes, at + 2) << 16 |
           byteAt(bytes, at + 1) << 8 | byteAt(bytes, at);
}

// Where the audio ends: before an ID3v1 tag and an APE tag, which players put at the end.
qint64 audioEnd(QFile& file, qint64 size)
{
    constexpr qint64 kId3v1Size = 128, kApeFooterSize = 32;
    qint64 end = size;
    if (size >= kId3v1Size && file.seek(size - kId3v1Size) && file.read(3) == "TAG")
        end -= kId3v1Size;
    if (end >= kApeFooterSize && file.seek(end - kApeFooterSize)) {
        const QByteArray footer = file.read(kApeFooterSize);
        if (footer.size() == kApeFooterSize && footer.startsWith("APETAGEX")) {
            // The size counts the items and the footer; a header, when there is one, comes
            // on top.
            const qint64 length =
                littleEndian32(footer, 12) + (byteAt(footer, 23) & 0x80 ? kApeFooterSize : 0);
            if (length <= end)
                end -= length;
        }
    }
    return end;
}

} // namespace

void clsMP3::setFileName(const QString& fileName)
{
    reset();
    m_fileName = fileName;
}

void clsMP3::reset()
{
    // Every field but the name back to its initial value.
    m_bitrate = 0;
    m_crcProtected = false;
    m_frames = 0;
    m_frameSize = 0;
    m_seconds = 0;
    m_frequency = 0;
    m_fileSize = 0;
    m_version = 0;
    m_versionText.clear();
    m_layer = 0;
    m_layerText.clear();
    m_padding = false;
    m_privateBit = false;
    m_channelMode = 0;
    m_channelModeText.clear();
    m_channelModeExtention = 0;
    m_copyright = false;
    m_original = false;
    m_emphasis = 0;
    m_emphasisText.clear();
    m_sampleRateIndex = 0;
    m_headerFound = false;
    m_vbr = false;
    m_averageBitrate = 0;
    m_duration = 0;
    m_tagFrames = 0;
    m_tagBytes = 0;
    m_trimmedSamples = 0;
}

bool clsMP3::refresh()
{
    reset();
    // Opening a pipe or a device could block or never end; only regular files are read.
    QFile file(m_fileName);
    if (m_fileName.isEmpty() || !QFileInfo(m_fileName).isFile() ||
        !file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        return false;
    }
    m_fileSize = file.size();
    // The window starts after an ID3v2 tag; a tag that claims more than the file leaves
    // nothing to search.
    const qint64 start = id3v2Length(file.read(10));
    QByteArray window;
    if (start < m_fileSize && file.seek(start))
        window = file.read(kWindowSize + kEncoderFrameReach);
    const qint64 end = audioEnd(file, m_fileSize);
    file.close();

    const qsizetype frame = searchWindow(window.left(kWindowSize));
    if (frame >= 0 && m_frameSize > 0) {
        readEncoderFrame(window.mid(frame));
        deriveLength(std::max<qint64>(0, end - start - frame));
    }

    return m_frequency != kReservedRate && m_bitrate != 0 && m_frequency != 0 && m_fileSize != 0 &&
           m_seconds != 0 && m_frameSize != 0;
}

// A short file is searched as far as it goes: a few frames are still an MP3.
qsizetype clsMP3::searchWindow(const QByteArray& window)
{
    const qsizetype size = window.size();
    qsizetype p = 0;
    while (p + 1 < size) {
        const quint8 sync = byteAt(window, p);
        const quint8 next = byteAt(window, p + 1);
        qsizetype first = -1; // index of the header byte after the sync
        if (sync == 0xFF && (next & 0xE0) == 0xE0) {
            first = p + 1;
        } else if (p + 2 < size) {
            // A sync that starts in the low half of a byte.
            const int x = ((sync & 0x0F) << 4) | (next >> 4);
            const int y = ((next & 0x0F) << 4) | (byteAt(window, p + 2) >> 4);
            if (x == 0xFF && (y & 0xE0) == 0xE0)
                first = p + 2;
        }
        if (first < 0) {
            ++p;
            continue;
        }
        // A header cut off by the end of the bytes read is no header.
        if (first + 2 < size && tryCandidate(byteAt(window, first), byteAt(window, first + 1),
                                             byteAt(window, first + 2))) {
            m_headerFound = m_frequency != 0;
            m_alignedFrame = first == p + 1;
            return p;
        }
        p += 5;
    }
    return -1;
}

bool clsMP3::tryCandidate(quint8 b1, quint8 b2, quint8 b3)
{
    m_version = (b1 & 0x18) >> 3;
    m_layer = (b1 & 0x06) >> 1;
    m_crcProtected = (b1 & 0x01) == 0;
    const int column = ((m_version & 1) << 2) | m_layer;
    m_bitrate = kBitrates[(b2 & 0xF0) >> 4][column] * 1000;
    m_sampleRateIndex = (b2 & 0x0C) >> 2;
    m_frequency = kSampleRates[m_version][m_sampleRateIndex];
    if (m_frequency == kReservedRate || m_bitrate == 0)
        return false;
    decodeAccepted(b2, b3);
    return true;
}

void clsMP3::decodeAccepted(quint8 b2, quint8 b3)
{
    m_padding = (b2 & 0x02) != 0;
    m_privateBit = (b2 & 0x01) != 0;
    m_channelMode = (b3 & 0xC0) >> 6;
    m_channelModeExtention = (b3 & 0x30) >> 4;
    m_copyright = (b3 & 0x08) != 0;
    m_original = (b3 & 0x04) != 0;
    m_emphasis = b3 & 0x03;

    static const std::array<QString, 4> versionTexts = {QStringLiteral("MPEG-2.5"), QString(),
                                                        QStringLiteral("MPEG-2.0"),
                                                        QStringLiteral("MPEG-1.0")};
    static const std::array<QString, 4> layerTexts = {QString(), QStringLiteral("Layer III"),
                                                      QStringLiteral("Layer II"),
                                                      QStringLiteral("Layer I")};
    static const std::array<QString, 4> modeTexts = {
        QStringLiteral("Stereo"), QStringLiteral("Joint Stereo"), QStringLiteral("Dual Channel"),
        QStringLiteral("Single Channel")};
    static const std::array<QString, 4> emphasisTexts = {
        QStringLiteral("None"), QStringLiteral("50/15 ms"), QStringLiteral("reserved"),
        QStringLiteral("CIT J.17")};
    m_versionText = versionTexts[m_version];
    m_layerText = layerTexts[m_layer];
    m_channelModeText = modeTexts[m_channelMode];
    m_emphasisText = emphasisTexts[m_emphasis];

    // The reserved version code has no sample rate, so nothing can be derived from it.
    if (m_frequency == 0)
        return;
    // Computed in this order so that the truncations below give the sizes Quenzal has always
    // shown. Layer II and III sizes leave the padding byte out.
    const double ratio = static_cast<double>(m_bitrate) / m_frequency;
    double frameSize = m_layer == 3 ? (ratio * 12 + (m_padding ? 1 : 0)) * 4 : ratio * 144;
    frameSize = halvedFrameSize(frameSize);

    m_frameSize = static_cast<qint32>(std::trunc(frameSize));
}

// Encoders put a frame without audio first that tells the length: lame a Xing frame (an
// Info frame at a constant bit rate) after the side information of Layer III, with its own
// fields after it (the encoder delay and padding among them); others a VBRI frame 32 bytes
// after the header.
void clsMP3::readEncoderFrame(const QByteArray& frame)
{
    if (!m_alignedFrame)
        return; // a sync in the middle of a byte is no frame an encoder wrote
    qint64 frames = 0, bytes = 0;
    bool vbr = false;
    const bool mono = m_channelMode == 3;
    // lame leaves the CRC out of the offset; the format counts it: both places are looked at.
    qsizetype at = 4 + (m_version == 3 ? (mono ? 17 : 32) : (mono ? 9 : 17));
    QByteArray id = frame.mid(at, 4);
    if (m_crcProtected && id != "Xing" && id != "Info")
        id = frame.mid(at += 2, 4);
    if (m_layer == 1 && (id == "Xing" || id == "Info")) {
        const qint64 flags = bigEndian32(frame, at + 4);
        at += 8;
        if (flags & 1) {
            frames = bigEndian32(frame, at);
            at += 4;
        }
        if (flags & 2) {
            bytes = bigEndian32(frame, at);
            at += 4;
        }
        at += (flags & 4 ? 100 : 0) + (flags & 8 ? 4 : 0);
        const QByteArray encoder = frame.mid(at, 4);
        if ((encoder == "LAME" || encoder == "Lavf" || encoder == "Lavc") &&
            at + 24 <= frame.size()) {
            const int delay = byteAt(frame, at + 21) << 4 | byteAt(frame, at + 22) >> 4;
            const int padding = (byteAt(frame, at + 22) & 0x0F) << 8 | byteAt(frame, at + 23);
            m_trimmedSamples = delay + padding;
        }
        vbr = id == "Xing";
    } else if (frame.mid(36, 4) == "VBRI") {
        bytes = bigEndian32(frame, 46);
        frames = bigEndian32(frame, 50);
        vbr = true;
    }
    // A count of nothing, or of more frames than Quenzal can show, says nothing: the length is
    // then worked out from the bytes.
    if (frames <= 0 || frames > std::numeric_limits<qint32>::max()) {
        m_trimmedSamples = 0;
        return;
    }
    m_tagFrames = frames;
    m_tagBytes = bytes;
    m_vbr = vbr;
}

// Samples per frame: 384 in Layer I, 1152 in Layer II and in MPEG-1 Layer III, 576 in the
// Layer III of MPEG-2 and MPEG-2.5.
void clsMP3::deriveLength(qint64 audioBytes)
{
    const int samples = m_layer == 3 ? 384 : (m_layer == 1 && m_version != 3 ? 576 : 1152);
    double frames = 0, untrimmed = 0;
    if (m_tagFrames > 0) {
        frames = double(m_tagFrames);
        untrimmed = frames * samples / m_frequency;
        const double trimmed = frames * samples - double(m_trimmedSamples);
        m_duration = (trimmed > 0 ? trimmed : frames * samples) / m_frequency;
        const qint64 bytes = m_tagBytes > 0 ? m_tagBytes : audioBytes;
        if (const auto average = toInt32(RoundHalfEven(bytes * 8 / untrimmed)); m_vbr && average)
            m_averageBitrate = *average;
    } else {
        // A constant rate: the audio bytes tell the time exactly.
        m_duration = double(audioBytes) * 8 / m_bitrate;
        frames = RoundHalfEven(m_duration * m_frequency / samples);
    }
    if (!m_vbr)
        m_averageBitrate = m_bitrate;
    if (const auto count = toInt32(frames))
        m_frames = *count;
    if (const auto seconds = toInt32(RoundHalfEven(m_duration)))
        m_seconds = *seconds;
}

// MPEG-2 and MPEG-2.5 carry half the samples per frame of MPEG-1; Quenzal accounts for that
// through the channel mode: joint stereo and single channel halve the size, and MPEG-2.5
// joint stereo halves it once more. Stereo and dual channel are never halved.
double clsMP3::halvedFrameSize(double frameSize) const
{
    if (m_version >= 3)
        return frameSize;
    if (m_channelMode == 1) {
        frameSize = std::trunc(frameSize) / 2;
        if (m_version == 0)
            frameSize = std::trunc(frameSize) / 2;
    } else if (m_channelMode == 3) {
        frameSize = std::trunc(frameSize) / 2;
    }
    return frameSize;
}
