// libFuzzer target: the ID3v1 reader on arbitrary file content, and the writer on what the
// reader returns.
#include "mp3/Id3v1.h"
#include "tests/fuzz/FuzzFile.h"

#include <QByteArray>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!writeFuzzFile(data, size))
        return 0;
    const QByteArray input =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const bool hasTag = size >= 128 && input.sliced(qsizetype(size) - 128).startsWith("TAG");
    const std::optional<Id3v1Tag> tag = ReadId3v1(fuzzFilePath());
    if (tag.has_value() != hasTag)
        std::abort();

    if (tag) {
        // Writing back what was read must leave every byte as it was.
        if (WriteId3v1(fuzzFilePath(), *tag) != TagWriteResult::Written || readFuzzFile() != input)
            std::abort();
        return 0;
    }
    // Without a tag, the input's text becomes one: the audio stays and the tag reads back.
    Id3v1Tag made;
    made.title = QString::fromUtf8(input.left(40));
    made.comment = QString::fromLatin1(input.right(40));
    made.genre = size > 0 ? data[0] : 300;
    const TagWriteResult result = WriteId3v1(fuzzFilePath(), made);
    if (size < 128) {
        if (result != TagWriteResult::TooShort || readFuzzFile() != input)
            std::abort();
        return 0;
    }
    const QByteArray written = readFuzzFile();
    const std::optional<Id3v1Tag> back = ReadId3v1(fuzzFilePath());
    if (result != TagWriteResult::Written || written.size() != input.size() + 128 ||
        !written.startsWith(input) || !back || back->genre != data[0])
        std::abort();
    return 0;
}
