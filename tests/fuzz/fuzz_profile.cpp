// libFuzzer target: the profile-file reader and writer on arbitrary files, sections, keys and
// values. A write either reads back as the documented rules make of the value and leaves the
// file's other keys as they were, or reports failure and leaves the file byte for byte.
#include "settings/ProfileFile.h"
#include "settings/TextCodec.h"
#include "tests/fuzz/FuzzFile.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdlib>

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f';
}

// What a value written with `utf8` encoding reads back as with size 255.
QString expectedBack(QString value, bool utf8)
{
    const qsizetype nul = value.indexOf(QChar(0));
    if (nul >= 0)
        value.truncate(nul);
    value.replace(u'\r', u' ').replace(u'\n', u' ');
    if (!utf8)
        value = TextCodec::fromWindows1252(TextCodec::toWindows1252(value));
    qsizetype begin = 0, end = value.size();
    while (begin < end && isBlank(value.at(begin)))
        ++begin;
    while (end > begin && isBlank(value.at(end - 1)))
        --end;
    value = value.mid(begin, end - begin);
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    if (value.size() > 254)
        value.truncate(value.at(253).isHighSurrogate() ? 253 : 254);
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The file, then "\x01"-separated section, key, value, other section and other key.
    const QByteArray input =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const QList<QByteArray> parts = input.split('\x01');
    const QByteArray file = parts.first();
    const auto text = [&](int i) {
        return QString::fromUtf8(parts.value(i));
    };
    const QString section = text(1), key = text(2), value = text(3), otherSection = text(4),
                  otherKey = text(5);
    if (!writeFuzzFile(reinterpret_cast<const std::uint8_t*>(file.constData()),
                       std::size_t(file.size())))
        return 0;

    const QString path = fuzzFilePath();
    for (const int bufferSize : {0, 1, 2, 255}) {
        if (ProfileFile::readValue(path, otherSection, otherKey, bufferSize).size() >
            std::max(0, bufferSize - 1))
            std::abort();
    }
    const QString otherBefore = ProfileFile::readValue(path, otherSection, otherKey, 255);
    const bool written = ProfileFile::writeValue(path, section, key, value);
    if (!written) {
        if (readFuzzFile() != file)
            std::abort();
        return 0;
    }
    const bool utf8 = file.startsWith("\xEF\xBB\xBF");
    if (ProfileFile::readValue(path, section, key, 255) != expectedBack(value, utf8))
        std::abort();
    const bool sameEntry =
        otherSection.trimmed().compare(section.trimmed(), Qt::CaseInsensitive) == 0 &&
        otherKey.trimmed().compare(key.trimmed(), Qt::CaseInsensitive) == 0;
    if (!sameEntry && ProfileFile::readValue(path, otherSection, otherKey, 255) != otherBefore)
        std::abort();
    return 0;
}
