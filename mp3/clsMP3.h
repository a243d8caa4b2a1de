#pragma once

#include <QString>

// Reads the first MPEG audio frame header of a file and derives a frame size, a frame count
// and a duration from it. Set FileName, call refresh, then read the properties; reading a
// property never touches the file, and the file is never written.
//
// Only 4096 bytes are searched (fewer when the file is shorter): the first ones, or those
// right after an ID3v2 tag when the file starts with one. The frame count is the one the
// encoder wrote in the first frame (a Xing, Info or VBRI frame), which every lame-made file
// carries; without one it is worked out from the audio bytes (the tags at either end left
// out) and the header's bit rate, which is exact for a constant bit rate.
class clsMP3 {
public:
    QString FileName() const { return m_fileName; }
    // Clears every result of the previous file before storing the new name.
    void setFileName(const QString& fileName);

    // True when a complete, plausible header was found and a duration of at least one second
    // (after rounding) could be derived.
    bool refresh();

    // A frame header was found and accepted: the file holds MPEG audio.
    bool HeaderFound() const { return m_headerFound; }
    // The first frame says the bit rate varies (a Xing or VBRI frame); Bitrate is then the
    // first frame's rate and AverageBitrate the whole file's.
    bool Vbr() const { return m_vbr; }
    qint32 AverageBitrate() const { return m_averageBitrate; } // bits per second
    // The playing time in seconds, encoder delay and padding left out when lame recorded them.
    double Duration() const { return m_duration; }

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
    // The offset in `window` of the accepted frame's first byte, or -1.
    qsizetype searchWindow(const QByteArray& window);
    // The frame count (and more) that the encoder wrote in the first frame, when it did.
    void readEncoderFrame(const QByteArray& frame);
    void deriveLength(qint64 audioBytes);
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
    bool m_headerFound = false;
    bool m_alignedFrame = false; // the accepted sync starts a byte
    bool m_vbr = false;
    qint32 m_averageBitrate = 0;
    double m_duration = 0;
    // From the encoder's first frame: audio frames, stream bytes and the samples to drop.
    qint64 m_tagFrames = 0;
    qint64 m_tagBytes = 0;
    qint64 m_trimmedSamples = 0;
};
