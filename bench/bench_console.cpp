// What the console window costs during a run: WAVs encoded with VBR switches (the encoder's
// busiest output, histogram included) by a /bin/sh script, once with the output thrown away
// and once shown live in the console window. Two runs: 20 files of 10 s (short files, where
// each file's start-up output weighs most) and 3 files of 2 min (songs, the steady state).
// Prints the wall times, their ratio, the program's own CPU time (the window, the terminal
// model, reading the pipe; lame and sh are other processes) as a share of the wall time, and
// the terminal model's speed. Run headless with QT_QPA_PLATFORM=offscreen, or on a desktop to
// include real painting.
#include "conversion/ConsoleScreen.h"
#include "conversion/frmConsole.h"

#include "../tests/TestFiles.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>

namespace {

constexpr int kRounds = 2;

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct RunCost {
    double wall = 0;
    double cpu = 0;
    QByteArray output;
};

// Runs the script; with a console, every byte goes to it as the run hands it over.
RunCost runScript(const QString& folder, int files, frmConsole* console)
{
    QProcess shell;
    shell.setWorkingDirectory(folder);
    RunCost cost;
    if (console) {
        shell.setProcessChannelMode(QProcess::MergedChannels);
        QObject::connect(&shell, &QProcess::readyReadStandardOutput, [&] {
            const QByteArray bytes = shell.readAllStandardOutput();
            cost.output += bytes;
            console->appendOutput(1, bytes);
        });
        QStringList names;
        for (int i = 0; i < files; ++i)
            names << QStringLiteral("file %1").arg(i);
        console->beginRun(names, {QStringLiteral("bench")});
        console->startFile(1);
    } else {
        shell.setStandardOutputFile(QProcess::nullDevice());
        shell.setStandardErrorFile(QProcess::nullDevice());
    }
    QEventLoop loop;
    QObject::connect(&shell, &QProcess::finished, &loop, &QEventLoop::quit);
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("Quenzal.sh")});
    if (shell.waitForStarted())
        loop.exec();
    if (console)
        console->endRun(shell.exitCode(), {}, false);
    cost.wall = double(wall.nsecsElapsed()) / 1e9;
    cost.cpu = cpuSeconds() - cpuBefore;
    return cost;
}

// Writes the files and the script into `folder`; false when something could not be written.
bool prepare(const QString& folder, int files, int seconds)
{
    QByteArray script = "#!/bin/sh\n";
    for (int i = 0; i < files; ++i) {
        const QByteArray name = "in" + QByteArray::number(i);
        if (!WriteSineWav(folder + QLatin1Char('/') + QString::fromLatin1(name + ".wav"), seconds))
            return false;
        script += "\"" QUENZAL_LAME "\" -V 2 \"" + name + ".wav\" \"" + name + ".mp3\"\n";
    }
    QFile file(folder + QStringLiteral("/Quenzal.sh"));
    return file.open(QIODevice::WriteOnly) && file.write(script) == script.size();
}

// Returns the output of the best run shown live, for the terminal model's figure.
QByteArray measure(frmConsole& console, int files, int seconds)
{
    QTemporaryDir folder;
    if (!prepare(folder.path(), files, seconds)) {
        std::fprintf(stderr, "cannot write the WAV files or the script\n");
        return {};
    }
    RunCost direct{1e9, 0, {}};
    RunCost shown{1e9, 0, {}};
    for (int round = 0; round < kRounds; ++round) {
        const RunCost plain = runScript(folder.path(), files, nullptr);
        const RunCost live = runScript(folder.path(), files, &console);
        if (plain.wall < direct.wall)
            direct = plain;
        if (live.wall < shown.wall)
            shown = live;
    }
    std::printf("%d files of %d s, lame -V 2, best of %d rounds\n", files, seconds, kRounds);
    std::printf("  script alone:          %.2f s wall\n", direct.wall);
    std::printf("  shown in the console:  %.2f s wall, %.3f s own CPU (%.2f %% of the wall "
                "time), %lld bytes of output\n",
                shown.wall, shown.cpu, 100 * shown.cpu / shown.wall,
                static_cast<long long>(shown.output.size()));
    std::printf("  wall-time ratio:       %.3f\n", shown.wall / direct.wall);
    return shown.output;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    frmConsole console;
    const QByteArray output = measure(console, 20, 10);
    measure(console, 3, 120);
    if (output.isEmpty())
        return 1;

    // The terminal model alone, on the bytes of the short files, many times over.
    constexpr int kRepeats = 50;
    QElapsedTimer model;
    model.start();
    qsizetype lines = 0;
    for (int i = 0; i < kRepeats; ++i) {
        ConsoleScreen screen;
        screen.feed(output);
        lines += screen.lines().size();
    }
    const double seconds = double(model.nsecsElapsed()) / 1e9;
    const double megabytes = double(output.size()) * kRepeats / 1e6;
    std::printf("terminal model: %.1f MB/s (%.1f ns a byte; %lld lines kept)\n",
                megabytes / seconds, seconds * 1e9 / (megabytes * 1e6),
                static_cast<long long>(lines / kRepeats));
    return 0;
}
