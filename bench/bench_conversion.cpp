// Two measures of what a run costs beyond lame's own work.
//
// bench_conversion short [files] (default 300): Quenzal's cost per file. That many WAVs of
// 0.3 s, one at a time: `quenzal --encode` (headless) and an Encode through the main window
// (offscreen), each against `sh` running the very script that run wrote. Prints the wall times
// and Quenzal's overhead per file, and how long planning the run takes.
//
// bench_conversion long [rounds] (default 3): encodes 8 songs of 2 minutes (WAV) through Quenzal
// (main window, script, console window, all offscreen): one file at a time, then one per processor
// core ("Auto"), then the very same lines run by `xargs -P <cores>` and the very same script
// run by sh alone, in the same run. Prints the wall times, the speed-up of "Auto", its ratio to
// xargs and to sh, and Quenzal's own CPU time as a share of its wall time (medians).
#include "app/FileListModel.h"
#include "app/Program.h"
#include "app/frmMain.h"
#include "conversion/ConversionScript.h"
#include "settings/StoredSettings.h"

#include "../tests/TestFiles.h"
#include "tests/Control.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <sys/resource.h>

namespace {

// Songs as a library holds them: the cost of a run is measured where it matters.
constexpr int kSongs = 8;
constexpr double kSongSeconds = 120;

double seconds(const timeval& t)
{
    return t.tv_sec + t.tv_usec / 1e6;
}

// CPU time of this process alone (lame and sh are children, not counted).
double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Cost {
    double wall = 0;
    double cpuShare = 0;
};

// One Encode from the main window, until the run has ended.
Cost encode(frmMain* main)
{
    QElapsedTimer t;
    const double cpuBefore = cpuSeconds();
    t.start();
    control<QAction>(main, "mnuEncode")->trigger();
    while (main->isBusy())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double wall = t.nsecsElapsed() / 1e9;
    return {wall, (cpuSeconds() - cpuBefore) / wall};
}

// The settings in a folder of the benchmark's own; a program folder whose lame is the real one,
// and a music folder beside it.
QString programFolder(const QTemporaryDir& settings, const QTemporaryDir& dir)
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    const QString folder = dir.filePath("program");
    QDir().mkpath(folder);
    QFile::link(QStringLiteral(QUENZAL_LAME), folder + "/lame");
    QDir().mkpath(dir.filePath("music"));
    return folder;
}

double runShell(const QString& folder, const QString& command)
{
    QProcess sh;
    sh.setWorkingDirectory(folder);
    sh.setStandardOutputFile(QProcess::nullDevice());
    sh.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    sh.start("/bin/sh", {"-c", command});
    sh.waitForFinished(-1);
    return t.nsecsElapsed() / 1e9;
}

} // namespace

// Quenzal's cost per short file, headless and through the window, against sh.
int shortFiles(int count)
{
    QTemporaryDir settings, dir;
    const QString folder = programFolder(settings, dir);
    // The program itself runs from the build folder, its program folder, where it writes its
    // script.
    const QString built = QDir::cleanPath(QCoreApplication::applicationDirPath() + "/..");
    const QString music = dir.filePath("music/");
    std::printf("writing %d WAVs of 0.3 s...\n", count);
    QStringList files;
    const QByteArray wav = SineWav(0.3);
    for (int i = 0; i < count; ++i) {
        files << music + QString("short %1.wav").arg(i, 4, 10, QChar('0'));
        writeBytes(files.last(), wav);
    }
    // Planning looks into every source (its kind, its tags) under a wait cursor.
    ConversionRequest request;
    request.sources = files;
    request.programFolder = folder;
    request.copyTags = true;
    request.existing = ExistingFiles::Skip;
    QElapsedTimer planning;
    planning.start();
    const qsizetype planned = PlanConversion(request).lines.size();
    std::printf("planning %lld lines with their tags: %.1f ms (%.1f us a file)\n",
                qlonglong(planned), planning.nsecsElapsed() / 1e6,
                planning.nsecsElapsed() / 1e3 / count);
    const auto sh = [&](const QString& script) {
        QFile::copy(script, folder + "/copy.sh");
        const double seconds = runShell(folder, "sh copy.sh");
        QFile::remove(folder + "/copy.sh");
        return seconds;
    };

    // Headless, as a script calls it.
    QProcess quenzal;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(name);
    environment.insert("XDG_CONFIG_HOME", settings.filePath("xdg"));
    quenzal.setProcessEnvironment(environment);
    quenzal.setStandardOutputFile(QProcess::nullDevice());
    quenzal.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    quenzal.start(built + "/quenzal", QStringList{"--encode"} + files);
    quenzal.waitForFinished(-1);
    const double headless = t.nsecsElapsed() / 1e9;
    const double headlessSh = sh(built + "/Quenzal.sh");

    // Through the window, one file at a time.
    StoredSettings::setJobs("1");
    Program program(folder);
    frmMain* main = program.mainWindow();
    program.Form_Load();
    main->show();
    main->DropPaths(files);
    QCoreApplication::processEvents();
    const Cost window = encode(main);
    const double windowSh = sh(folder + "/Quenzal.sh");

    std::printf("%d files of 0.3 s, one at a time\n", count);
    std::printf("quenzal --encode: %.2f s; sh on its script: %.2f s; %.2f ms more per file "
                "(%+.1f%%)\n",
                headless, headlessSh, 1000 * (headless - headlessSh) / count,
                100 * (headless / headlessSh - 1));
    std::printf("through the window: %.2f s; sh on its script: %.2f s; %.2f ms more per file "
                "(%+.1f%%); Quenzal's own CPU %.1f%% of the wall time\n",
                window.wall, windowSh, 1000 * (window.wall - windowSh) / count,
                100 * (window.wall / windowSh - 1), 100 * window.cpuShare);
    return 0;
}

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray("short");
    if (mode == "short")
        return shortFiles(argc > 2 ? std::max(1, atoi(argv[2])) : 300);
    const int rounds = argc > 2 ? std::max(1, atoi(argv[2])) : 3;
    const int cores = std::max(1, QThread::idealThreadCount());

    QTemporaryDir settings, dir;
    const QString folder = programFolder(settings, dir);
    const QString music = dir.filePath("music/");
    std::printf("writing %d WAVs of %.0f s...\n", kSongs, kSongSeconds);
    for (int i = 0; i < kSongs; ++i)
        WriteSineWav(music + QString("track %1.wav").arg(i, 2, 10, QChar('0')), kSongSeconds);

    StoredSettings::setLameCommand("-b 128 -m j -q 3 ");
    Program program(folder);
    frmMain* main = program.mainWindow();
    program.Form_Load();
    main->show();
    for (int i = 0; i < kSongs; ++i)
        main->AddFile(music + QString("track %1.wav").arg(i, 2, 10, QChar('0')));
    QCoreApplication::processEvents(); // the list is on screen before Encode is chosen

    // The script's lines one per line, for xargs, and its shared part, which each line needs.
    const QString script = folder + "/Quenzal.sh";
    std::vector<double> one, oneCpu, autoWall, autoCpu, xargs, sh;
    for (int round = 0; round < rounds; ++round) {
        StoredSettings::setJobs("1");
        const Cost sequential = encode(main);
        one.push_back(sequential.wall);
        oneCpu.push_back(sequential.cpuShare);
        StoredSettings::setJobs("Auto");
        const Cost parallel = encode(main);
        autoWall.push_back(parallel.wall);
        autoCpu.push_back(parallel.cpuShare);

        QFile file(script);
        file.open(QIODevice::ReadOnly);
        QStringList prologue, lines;
        for (const QString& line : QString::fromUtf8(file.readAll()).split('\n')) {
            if (line.startsWith("quenzal_begin "))
                lines << line;
            else if (!line.startsWith("exit "))
                prologue << line;
        }
        writeBytes(folder + "/prologue.sh", prologue.join('\n').toUtf8() + '\n');
        writeBytes(folder + "/lines.txt", lines.join('\n').toUtf8() + '\n');
        xargs.push_back(runShell(folder, QString("xargs -d '\\n' -P %1 -I{} sh -c "
                                                 "'. ./prologue.sh; {}' < lines.txt")
                                             .arg(cores)));
        sh.push_back(runShell(folder, "sh Quenzal.sh"));
    }
    std::printf("%d cores; medians of %d rounds\n", cores, rounds);
    std::printf("Quenzal, 1 file at a time: %.2f s (sh alone: %.2f s)\n", median(one), median(sh));
    std::printf("Quenzal, Auto (%d at a time): %.2f s; xargs -P %d: %.2f s\n", cores,
                median(autoWall), cores, median(xargs));
    std::printf("speed-up of Auto: %.2f (%.2f x the cores); Auto / xargs: %.3f\n",
                median(one) / median(autoWall), median(one) / median(autoWall) / cores,
                median(autoWall) / median(xargs));
    std::printf("Quenzal's own CPU time: %.2f%% of its wall time with 1 file at a time, %.2f%% "
                "with Auto\n",
                100 * median(oneCpu), 100 * median(autoCpu));
    return 0;
}
