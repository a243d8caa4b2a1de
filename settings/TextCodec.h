#pragma once

#include <QByteArray>
#include <QString>

// Windows-1252, the 8-bit code page of preset files, language files and ID3v1 tags.
// Written by hand (32 special code points) so that the result never depends on
// which converters the Qt build carries.
namespace TextCodec {

// One character per byte. Bytes that Windows-1252 leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) come back as the C1 control of the same value, so decoding
// and encoding again gives the original bytes.
QString fromWindows1252(const QByteArray& bytes);

// One byte per character; characters that Windows-1252 cannot hold become "?".
QByteArray toWindows1252(const QString& text);

} // namespace TextCodec
