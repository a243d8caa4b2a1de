// Encode 20 WAVs of 10 s through Quenzal (main window, script, console window, all headless)
// and the very same script run directly with sh, in the same run.
// Prints the ratio of wall times and Quenzal's own CPU time as a share of its wall time.
#include "app/FileListModel.h"
#include "app/Program.h"
#include "app/frmMain.h"

#include "../tests/TestFiles.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <sys/resource.h>

namespace {

double seconds(const timeval& t)
{
    return t.tv_sec + t.tv_usec / 1e6;
}

// User and system CPU time of this process alone (lame and sh are children, not counted).
std::pair<double, double> cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return {seconds(usage.ru_utime), seconds(usage.ru_stime)};
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 3;

    QTemporaryDir dir;
    const QString folder = dir.filePath("program");
    QDir().mkpath(folder);
    QFile::link(QStringLiteral(QUENZAL_LAME), folder + "/lame");
    const QString music = dir.filePath("music/");
    QDir().mkpath(music);
    std::printf("writing 20 WAVs of 10 s...\n");
    for (int i = 0; i < 20; ++i)
        WriteSineWav(music + QString("track %1.wav").arg(i, 2, 10, QChar('0')), 10.0);

    Program program(folder);
    frmMain* main = program.mainWindow();
    main->show();
    for (int i = 0; i < 20; ++i)
        main->AddFile(music + QString("track %1.wav").arg(i, 2, 10, QChar('0')));
    main->lblRegistre->setText("-b 128 -m j -q 3 ");

    main->show();
    QCoreApplication::processEvents(); // the list is on screen before Encode is chosen
    std::vector<double> quenzalWall, shWall, cpuShare, userShare;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer t;
        const auto [userBefore, systemBefore] = cpuSeconds();
        t.start();
        main->mnuEncode_Click();
        const double wall = t.nsecsElapsed() / 1e9;
        const auto [userAfter, systemAfter] = cpuSeconds();
        cpuShare.push_back((userAfter - userBefore + systemAfter - systemBefore) / wall);
        userShare.push_back((userAfter - userBefore) / wall);
        quenzalWall.push_back(wall);

        QProcess sh;
        sh.setStandardOutputFile(QProcess::nullDevice());
        sh.setStandardErrorFile(QProcess::nullDevice());
        t.start();
        sh.start("/bin/sh", {folder + "/Quenzal.sh"});
        sh.waitForFinished(-1);
        shWall.push_back(t.nsecsElapsed() / 1e9);
        if (sh.exitCode() != 0)
            std::printf("warning: the script ended with %d\n", sh.exitCode());
    }
    std::printf("Quenzal: %.2f s, sh alone: %.2f s (medians of %d)\n", median(quenzalWall),
                median(shWall), rounds);
    std::printf("ratio of wall times: %.3f\n", median(quenzalWall) / median(shWall));
    std::printf("Quenzal's own CPU time: %.2f%% of its wall time (user %.2f%%)\n",
                100 * median(cpuShare), 100 * median(userShare));
    return 0;
}
