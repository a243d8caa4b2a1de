// Times language-text lookups as the windows do them when a language is applied: about a
// hundred lookups, each reading the whole language file again (there is no cache).
//
// Usage: bench_langtext [rounds]   (default 31)
// Prints the median and the spread of the time for 100 lookups on a 300-key file, then one
// lookup in two hostile files: a 10 MB line before the key, and 400,000 lines without "=".

#include "settings/Language.h"
#include "settings/ProfileFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const char* const kSections[] = {"Main", "Folder", "Option", "Tag", "OptLame", "Info"};
constexpr int kKeysPerSection = 50; // 6 sections x 50 = 300 keys
constexpr int kLookups = 100;

struct Entry {
    QString section;
    QString key;
};

// A Windows-1252 language file shaped like the shipped ones: CR LF, a comment, accents.
std::vector<Entry> writeLanguageFile(const QString& path)
{
    std::vector<Entry> entries;
    QByteArray bytes = "; Quenzal language file (generated for the benchmark)\r\n";
    for (const char* section : kSections) {
        bytes += QByteArray("\r\n[") + section + "]\r\n";
        for (int k = 0; k < kKeysPerSection; ++k) {
            const QByteArray key = QByteArray("cmdBouton_") + QByteArray::number(k);
            bytes += key + "=  Libell\xE9 num\xE9ro " + QByteArray::number(k) + " de la section " +
                     section + ", assez long pour ressembler aux vrais  \r\n";
            entries.push_back({QString::fromLatin1(section), QString::fromLatin1(key)});
        }
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return entries;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 31;

    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("Francais"));
    const std::vector<Entry> entries = writeLanguageFile(base + QStringLiteral(".lng"));
    if (!dir.isValid() || entries.empty()) {
        std::fprintf(stderr, "cannot write the language file in %s\n", qPrintable(dir.path()));
        return 1;
    }

    // Keys spread evenly over the whole file, first section to last, as a language change
    // visits every window.
    std::vector<Entry> lookups;
    for (int i = 0; i < kLookups; ++i)
        lookups.push_back(entries[std::size_t(i) * entries.size() / kLookups]);

    Language language;
    language.setPath(base);
    std::vector<double> times;
    qsizetype found = 0;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer timer;
        timer.start();
        for (const Entry& e : lookups)
            found += language.GetLangText(e.section, e.key, 255).isEmpty() ? 0 : 1;
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    if (found != qsizetype(rounds) * kLookups) {
        std::fprintf(stderr, "only %lld of %lld lookups found their text\n",
                     static_cast<long long>(found), static_cast<long long>(rounds) * kLookups);
        return 1;
    }

    std::sort(times.begin(), times.end());
    std::printf("language file: %d keys in %zu sections, %lld bytes\n",
                kKeysPerSection * int(std::size(kSections)), std::size(kSections),
                static_cast<long long>(QFile(base + QStringLiteral(".lng")).size()));
    std::printf("%d lookups, no cache: median %.3f ms, fastest %.3f ms, slowest %.3f ms "
                "(%d rounds)\n",
                kLookups, times[times.size() / 2], times.front(), times.back(), rounds);

    // Files no language file should be, read all the same: each lookup stays a single pass.
    const QString hostile = dir.filePath(QStringLiteral("hostile.lng"));
    const QList<std::pair<const char*, QByteArray>> files = {
        {"a 10 MB line before the key",
         "[Main]\r\n" + QByteArray(10 * 1024 * 1024, 'z') + "\r\nk=found\r\n"},
        {"400,000 lines without \"=\"",
         "[Main]\n" + QByteArray("word\n").repeated(400000) + "k=found\n"},
    };
    for (const auto& [what, bytes] : files) {
        QFile file(hostile);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return 1;
        file.close();
        QElapsedTimer timer;
        timer.start();
        const QString value =
            ProfileFile::readValue(hostile, QStringLiteral("Main"), QStringLiteral("k"), 255);
        std::printf("one lookup in a file with %s: %.1f ms%s\n", what, timer.nsecsElapsed() / 1e6,
                    value == QLatin1String("found") ? "" : " (NOT FOUND)");
    }
    return 0;
}
