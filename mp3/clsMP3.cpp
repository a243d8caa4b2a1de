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

// Frames per second by sample-rate index. Quenzal has always shown durations computed with
// these rounded figures, so they stay as they are rather than being derived from the rate.
constexpr std::array<double, 4> kFramesPerSecond = {38.5, 32.5, 27.8, 0};

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
        window = file.read(kWindowSize);
    file.close();

    searchWindow(window);

    return m_frequency != kReservedRate && m_bitrate != 0 && m_frequency != 0 && m_fileSize != 0 &&
           m_seconds != 0 && m_frameSize != 0;
}

// A short file is searched as far as it goes: a few frames are still an MP3.
void clsMP3::searchWindow(const QByteArray& window)
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
                                             byteAt(window, first + 2)))
            return;
        p += 5;
    }
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
    if (m_frameSize <= 0)
        return;
    const auto frames = toInt32(RoundHalfEven(static_cast<double>(m_fileSize) / m_frameSize));
    if (!frames)
        return;
    m_frames = *frames;
    const double perSecond = kFramesPerSecond[m_sampleRateIndex];
    if (perSecond == 0)
        return;
    if (const auto seconds = toInt32(RoundHalfEven(m_frames / perSecond)))
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
