#include "settings/Wav.h"

#include <QDataStream>
#include <QIODevice>

QByteArray WavFile(quint16 channels, const QByteArray& samples)
{
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + samples.size());
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << channels << quint32(44100) << quint32(44100 * 2 * channels)
        << quint16(2 * channels) << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(samples.size());
    return data + samples;
}
