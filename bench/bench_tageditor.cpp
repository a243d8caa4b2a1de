// The tag editor window: how long it takes to open, to show a folder of 10,000 MP3 files
// (copies of one small file made by lame) in its file list, read in the background, and to
// show one file (header and tag) as a click on it does. Run it with QT_QPA_PLATFORM=offscreen.
//
// usage: bench_tageditor [FILE_COUNT [LANGUAGE_FILE_WITHOUT_LNG]]
#include "app/ScriptDesktop.h"
#include "mp3/frmTag.h"
#include "settings/Language.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileSystemModel>
#include <QLabel>
#include <QListView>
#include <QProcess>
#include <QTemporaryDir>
#include <QTreeView>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>
#include <vector>

namespace {

// Nobody answers, as for a start by a script; the messages it would show are counted.
class SilentDesktop final : public ScriptDesktop {
public:
    int messages = 0;
    void showMessage(QObject*, const QString&, const QString&, Icon) override { ++messages; }
};

// One second of a 440 Hz tone, 16-bit stereo.
QByteArray makeWav()
{
    const quint32 frames = 44100;
    QByteArray data(frames * 4, '\0');
    auto* samples = reinterpret_cast<qint16*>(data.data());
    for (quint32 i = 0; i < frames; ++i)
        samples[2 * i] = samples[2 * i + 1] =
            qint16(8000 * std::sin(2 * std::numbers::pi * 440 * i / 44100.0));
    auto le32 = [](quint32 v) {
        return QByteArray(reinterpret_cast<const char*>(&v), 4);
    };
    QByteArray wav = "RIFF" + le32(36 + data.size()) + "WAVEfmt " + le32(16);
    wav += QByteArray::fromHex("01000200") + le32(44100) + le32(44100 * 4);
    wav += QByteArray::fromHex("04001000") + "data" + le32(data.size()) + data;
    return wav;
}

// Milliseconds of each run of `work`, sorted; `prepare` runs before each, untimed.
std::vector<double> timeRuns(int runs, const std::function<void()>& work,
                             const std::function<void()>& prepare = {})
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        if (prepare)
            prepare();
        QElapsedTimer timer;
        timer.start();
        work();
        ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms;
}

void report(const char* what, const std::vector<double>& ms)
{
    std::printf("%-46s median %8.2f ms, best %8.2f ms, worst %8.2f ms (%zu runs)\n", what,
                ms[ms.size() / 2], ms.front(), ms.back(), ms.size());
}

// Runs the event loop until the file list has read its folder, all `count` rows listed.
void waitForListing(QListView* list, int count)
{
    auto* model = qobject_cast<QFileSystemModel*>(list->model());
    while (model->rowCount(list->rootIndex()) < count) {
        QEventLoop loop;
        QObject::connect(model, &QFileSystemModel::directoryLoaded, &loop, &QEventLoop::quit);
        QObject::connect(model, &QFileSystemModel::rowsInserted, &loop, &QEventLoop::quit);
        loop.exec();
    }
    QApplication::processEvents(); // the sort that follows the listing
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 10'000;
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("in.wav")),
                  mp3 = dir.filePath(QStringLiteral("in.mp3"));
    QFile wavFile(wav);
    if (!wavFile.open(QIODevice::WriteOnly) || wavFile.write(makeWav()) < 0)
        return 1;
    wavFile.close();
    if (QProcess::execute(QStringLiteral(QUENZAL_LAME),
                          {"--quiet", "-b", "128", "--add-id3v2", "--tt", "Sample", "--ta",
                           "Quenzal", wav, mp3}) != 0) {
        std::fprintf(stderr, "cannot make the sample file with %s\n", QUENZAL_LAME);
        return 1;
    }
    QFile sampleFile(mp3);
    if (!sampleFile.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray sample = sampleFile.readAll();
    const QString folder = dir.filePath(QStringLiteral("many"));
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i) {
        QFile file(folder + QStringLiteral("/track %1.mp3").arg(i, 5, 10, QChar(u'0')));
        if (!file.open(QIODevice::WriteOnly) || file.write(sample) != sample.size())
            return 1;
    }

    SilentDesktop desktop;
    Language language; // the built-in texts, unless a language file is named
    if (argc > 2)
        language.setPath(QString::fromLocal8Bit(argv[2]));
    report("open the window (home folder)", timeRuns(20, [&] {
               frmTag w(nullptr, desktop, language);
               w.show();
               QApplication::processEvents();
           }));

    frmTag w(nullptr, desktop, language);
    w.show();
    w.showFile(dir.filePath(QStringLiteral("in.mp3")));
    QApplication::processEvents();
    auto* tree = w.findChild<QTreeView*>(QStringLiteral("dirDur"));
    auto* list = w.findChild<QListView*>(QStringLiteral("fleDur"));
    auto* folders = qobject_cast<QFileSystemModel*>(tree->model());
    const QModelIndex parent = folders->index(dir.path()), many = folders->index(folder);
    // Choosing the folder in the tree, up to every file listed, sorted and painted.
    report(qPrintable(QStringLiteral("show a folder of %1 MP3 files").arg(count)),
           timeRuns(
               10,
               [&] {
                   tree->setCurrentIndex(many);
                   waitForListing(list, count);
                   list->repaint();
               },
               [&] {
                   tree->setCurrentIndex(parent);
                   waitForListing(list, 1);
               }));
    const int listed = list->model()->rowCount(list->rootIndex());

    // A click on a file: header, tag, every line, the window grown (warm file cache).
    int row = 0;
    const auto next = [&] {
        row = (row + 7919) % listed;
        list->setCurrentIndex(list->model()->index(row, 0, list->rootIndex()));
    };
    report("show one file (click)", timeRuns(1000, next));
    report("show one file (click) and paint", timeRuns(200, [&] {
               next();
               w.repaint();
           }));
    std::printf("files listed: %d; last file shown: %s (%s)\n", listed,
                qPrintable(w.findChild<QLabel*>(QStringLiteral("lblChemin"))->text()),
                qPrintable(w.findChild<QLabel*>(QStringLiteral("lblBitFrame"))->text()));
    return listed == count && desktop.messages == 0 ? 0 : 1;
}
