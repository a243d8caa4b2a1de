#include "settings/TextCodec.h"

#include <array>

namespace {

// Code points of the bytes 0x80 to 0x9F; 0 marks a byte that Windows-1252 leaves undefined.
constexpr std::array<char16_t, 32> kHighTable = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

} // namespace

namespace TextCodec {

QString fromWindows1252(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        char16_t code = b;
        if (b >= 0x80 && b <= 0x9F && kHighTable[b - 0x80] != 0)
            code = kHighTable[b - 0x80];
        *out++ = QChar(code);
    }
    return text;
}

QByteArray toWindows1252(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t code = text.at(i).unicode();
        if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
            bytes.append(static_cast<char>(code));
            continue;
        }
        char byte = '?';
        for (int k = 0; k < 32; ++k) {
            const bool undefinedKept = kHighTable[k] == 0 && code == 0x80 + k;
            if (kHighTable[k] == code || undefinedKept) {
                byte = static_cast<char>(0x80 + k);
                break;
            }
        }
        // A character outside the basic plane is one character to the user: one "?".
        if (QChar::isHighSurrogate(code) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text.at(i + 1).unicode()))
            ++i;
        bytes.append(byte);
    }
    return bytes;
}

} // namespace TextCodec
