#include "conversion/mdlWait.h"

#include <QEventLoop>
#include <QProcess>

int WaitProcess(QProcess& process)
{
    if (process.state() != QProcess::NotRunning) {
        QEventLoop loop;
        QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        QObject::connect(&process, &QProcess::errorOccurred, &loop, [&] {
            if (process.state() == QProcess::NotRunning)
                loop.quit();
        });
        loop.exec();
    }
    if (process.error() == QProcess::FailedToStart)
        return 0;
    if (process.exitStatus() == QProcess::CrashExit)
        return -1;
    return process.exitCode();
}
