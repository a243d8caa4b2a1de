#pragma once

#include <QString>

// Reads the first MPEG audio frame header of a file and derives a frame size, a frame count
// and a duration from it and the file length. Set FileName, call refresh, then read the
// properties; reading a property never touches the file, and the file is never written.
//
// Only 4096 bytes are searched (fewer when the file is shorter): the first ones, or those
// right after an ID3v2 tag when the file starts with one. Frame count and
// duration are estimates: every byte of the file counts as audio, and the duration uses
// Quenzal's fixed frames-per-second divisors.
class clsMP3 {
public:
    QString FileName() const { return m_fileName; }
    // Clears every result of the previous file before storing the new name.
    void setFileName(const QString& fileName);

    // True when a complete, plausible header was found and a duration of at least one second
    // (after rounding) could be derived.
    bool refresh();

    qint32 Bitrate() const { return m_bitrate; } // bits per second
    bool CRCProtected() const { return m_crcProtected; }
    qint32 frames() const { return m_frames; }
    qint32 FrameSize() const { return m_frameSize; } // bytes
    qint32 seconds() const { return m_seconds; }
    qint32 Frequency() const { return m_frequency; } // Hz; 99999 marks the reserved rate
    qint64 FileSize() const { return m_fileSize; }
    quint8 Version() const { return m_version; } // raw code: 0 = 2.5, 1 = reserved, 2, 3 = 1
    QString VersionText() const { return m_versionText; }
    quint8 Layer() const { return m_layer; } // raw code: 1 = III, 2 = II, 3 = I, 0 = reserved
    QString LayerText() const { return m_layerText; }
    bool Padding() const { return m_padding; }
    bool PrivateBit() const { return m_privateBit; }
    quint8 ChannelMode() const { return m_channelMode; }
    QString ChannelModeText() const { return m_channelModeText; }
    quint8 ChannelModeExtention() const { return m_channelModeExtention; }
    bool Copyright() const { return m_copyright; }
    bool original() const { return m_original; }
    quint8 Emphasis() const { return m_emphasis; }
    QString EmphasisText() const { return m_emphasisText; }

private:
    void reset();
    void searchWindow(const QByteArray& window);
    // Decodes the fields every candidate sets; false when the candidate is rejected.
    bool tryCandidate(quint8 b1, quint8 b2, quint8 b3);
    void decodeAccepted(quint8 b2, quint8 b3);
    double halvedFrameSize(double frameSize) const;

    QString m_fileName;
    qint32 m_bitrate = 0;
    bool m_crcProtected = false;
    qint32 m_frames = 0;
    qint32 m_frameSize = 0;
    qint32 m_seconds = 0;
    qint32 m_frequency = 0;
    qint64 m_fileSize = 0;
    quint8 m_version = 0;
    QString m_versionText;
    quint8 m_layer = 0;
    QString m_layerText;
    bool m_padding = false;
    bool m_privateBit = false;
    quint8 m_channelMode = 0;
    QString m_channelModeText;
    quint8 m_channelModeExtention = 0;
    bool m_copyright = false;
    bool m_original = false;
    quint8 m_emphasis = 0;
    QString m_emphasisText;
    int m_sampleRateIndex = 0;
};
