#pragma once

#include <QByteArray>
#include <QtGlobal>

// A 16-bit PCM WAV file at 44,100 Hz with `channels` channels: its 44-byte header, then the
// samples as given (little-endian, interleaved). What lame's check, the screenshots and the tests
// hand to lame.
QByteArray WavFile(quint16 channels, const QByteArray& samples);
