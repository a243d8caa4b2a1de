// Reads the header and the ID3v1 tag of 10,000 MP3 files (copies of a few made by the real
// encoder) with a warm file cache, and prints the time per file and the peak memory.
//
// usage: bench_mp3 [FILE_COUNT]
#include "mp3/Id3v1.h"
#include "mp3/clsMP3.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {

// Two seconds of 16-bit stereo silence with a click every 1000 samples.
QByteArray makeWav()
{
    const quint32 frames = 2 * 44100;
    QByteArray data(frames * 4, '\0');
    for (quint32 i = 0; i < frames; i += 1000)
        data[i * 4 + 1] = 0x40;
    auto le32 = [](quint32 v) {
        return QByteArray(reinterpret_cast<const char*>(&v), 4);
    };
    QByteArray wav = "RIFF" + le32(36 + data.size()) + "WAVEfmt " + le32(16);
    wav += QByteArray::fromHex("01000200") + le32(44100) + le32(44100 * 4);
    wav += QByteArray::fromHex("04001000") + "data" + le32(data.size()) + data;
    return wav;
}

// A few real files: MPEG-1, MPEG-2 and MPEG-2.5, with and without a tag.
QList<QByteArray> makeSamples(const QTemporaryDir& dir)
{
    const QString wav = dir.filePath(QStringLiteral("in.wav"));
    QFile out(wav);
    if (!out.open(QIODevice::WriteOnly) || out.write(makeWav()) < 0)
        return {};
    out.close();
    const QList<QStringList> settings = {
        {QStringLiteral("-b"), QStringLiteral("128")},
        {QStringLiteral("-b"), QStringLiteral("64"), QStringLiteral("--resample"),
         QStringLiteral("22.05")},
        {QStringLiteral("-b"), QStringLiteral("16"), QStringLiteral("--resample"),
         QStringLiteral("8")},
    };
    QList<QByteArray> samples;
    for (const QStringList& args : settings) {
        const QString mp3 = dir.filePath(QStringLiteral("sample.mp3"));
        if (QProcess::execute(QStringLiteral(QUENZAL_LAME), QStringList{QStringLiteral("--quiet")} +
                                                                args + QStringList{wav, mp3}) != 0)
            return {};
        QFile file(mp3);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        samples.append(file.readAll());
        file.close();
        Id3v1Tag tag;
        tag.title = QStringLiteral("Sample");
        tag.artist = QStringLiteral("Quenzal");
        if (WriteId3v1(mp3, tag) != TagWriteResult::Written || !file.open(QIODevice::ReadOnly))
            return {};
        samples.append(file.readAll());
    }
    return samples;
}

long peakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 10'000;
    QTemporaryDir dir;
    const QList<QByteArray> samples = makeSamples(dir);
    if (!dir.isValid() || samples.isEmpty()) {
        std::fprintf(stderr, "cannot make the sample files with %s\n", QUENZAL_LAME);
        return 1;
    }
    QStringList paths;
    qint64 bytes = 0;
    for (int i = 0; i < count; ++i) {
        const QByteArray& sample = samples.at(i % samples.size());
        const QString path = dir.filePath(QStringLiteral("f%1.mp3").arg(i, 5, 10, QChar(u'0')));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(sample) != sample.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        bytes += sample.size();
        paths.append(path);
    }
    const long beforeKiB = peakKiB();

    // One reader for every file, as the tag editor does. The first pass warms the cache.
    clsMP3 mp3;
    int found = 0;
    std::vector<double> passes;
    for (int pass = 0; pass < 6; ++pass) {
        QElapsedTimer timer;
        timer.start();
        found = 0;
        for (const QString& path : paths) {
            mp3.setFileName(path);
            if (mp3.refresh() && ReadId3v1(path))
                ++found;
        }
        const double usPerFile = timer.nsecsElapsed() / 1000.0 / count;
        if (pass > 0)
            passes.push_back(usPerFile);
    }
    std::sort(passes.begin(), passes.end());
    std::printf("files: %d (%d sample files, %.1f MB in all), read with header and tag: %d\n",
                count, int(samples.size()), bytes / 1e6, found);
    std::printf("time per file, warm cache: median %.1f us, best %.1f us (%zu passes)\n",
                passes[passes.size() / 2], passes.front(), passes.size());
    std::printf("peak memory: %ld KiB (%ld KiB before reading)\n", peakKiB(), beforeKiB);
    // Every other copy carries a tag.
    return found == count / 2 ? 0 : 1;
}
