#include "tests/fuzz/FuzzFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <cstdlib>

const QString& fuzzFilePath()
{
    // A static owner: the file goes when the fuzzer exits.
    static QTemporaryFile file(QDir::tempPath() + "/quenzal-fuzz-XXXXXX");
    static const QString path = file.open() ? file.fileName() : (std::abort(), QString());
    return path;
}

bool writeFuzzFile(const std::uint8_t* data, std::size_t size)
{
    QFile file(fuzzFilePath());
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size) &&
           file.flush();
}

QByteArray readFuzzFile()
{
    QFile file(fuzzFilePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
