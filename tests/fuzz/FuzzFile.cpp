#include "tests/fuzz/FuzzFile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

QByteArray& pathBytes()
{
    static QByteArray path = [] {
        QByteArray pattern = QFile::encodeName(QDir::tempPath()) + "/quenzal-fuzz-XXXXXX";
        const int fd = mkstemp(pattern.data());
        if (fd < 0) {
            std::perror("mkstemp");
            std::abort();
        }
        close(fd);
        std::atexit([] { unlink(pathBytes().constData()); });
        return pattern;
    }();
    return path;
}

} // namespace

const QString& fuzzFilePath()
{
    static const QString path = QFile::decodeName(pathBytes());
    return path;
}

bool writeFuzzFile(const std::uint8_t* data, std::size_t size)
{
    const int fd = open(pathBytes().constData(), O_WRONLY | O_TRUNC);
    if (fd < 0)
        return false;
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = write(fd, data + done, size - done);
        if (n <= 0)
            break;
        done += std::size_t(n);
    }
    close(fd);
    return done == size;
}

QByteArray readFuzzFile()
{
    QFile file(fuzzFilePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
