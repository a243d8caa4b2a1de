// The same 40 short WAV files through a local run, through one machine and through two
// sshlogins of one core each, all on this computer by a throw-away sshd: what the ssh route
// costs a file, and what a second machine brings. The machine's account is this one, with a
// home of its own (no startup files, as a plain account has) and, once, with this account's own
// home: what its shell's startup files cost every ssh session.
#include "../tests/TestFiles.h"

#include "conversion/ConversionRun.h"
#include "conversion/MachineRun.h"
#include "settings/Language.h"
#include "settings/MachineCheck.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace {

int freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

double timed(ConversionRun& run, int& failed)
{
    QEventLoop loop;
    QObject::connect(&run, &ConversionRun::finished, &loop, [&](const RunResult& result) {
        failed = int(result.failedLines.size() + result.unfinishedLines.size());
        loop.quit();
    });
    QElapsedTimer clock;
    clock.start();
    run.start();
    loop.exec();
    return clock.elapsed() / 1000.0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("program");
    QFile::link(QStringLiteral(QUENZAL_LAME), dir.filePath("program/lame"));
    for (const char* key : {"hostkey", "userkey"})
        QProcess::execute("ssh-keygen", {"-q", "-t", "ed25519", "-N", "", "-f", dir.filePath(key)});
    QFile::copy(dir.filePath("userkey.pub"), dir.filePath("authorized_keys"));
    if (::getuid() == 0)
        QDir().mkpath("/run/sshd");
    const int ownPort = freePort(), port = freePort();
    QDir(dir.path()).mkpath("home");
    touch(dir.filePath("sshd_config"),
          "Port " + QByteArray::number(ownPort) + "\nPort " + QByteArray::number(port) +
              "\nListenAddress 127.0.0.1\nHostKey " + dir.filePath("hostkey").toUtf8() +
              "\nAuthorizedKeysFile " + dir.filePath("authorized_keys").toUtf8() + "\nPidFile " +
              dir.filePath("sshd.pid").toUtf8() +
              "\nStrictModes no\nUsePAM no\nPasswordAuthentication no\n"
              "PermitRootLogin prohibit-password\nLogLevel ERROR\nMatch LocalPort " +
              QByteArray::number(port) + "\n    SetEnv HOME=" + dir.filePath("home").toUtf8() +
              "\n");
    QProcess sshd;
    sshd.start("/usr/sbin/sshd", {"-D", "-e", "-f", dir.filePath("sshd_config")});
    if (!sshd.waitForStarted()) {
        out << "sshd could not start\n";
        return 1;
    }
    const auto login = [&](const QString& extra, int to) {
        return QStringLiteral("1/ssh -i %1/userkey -o StrictHostKeyChecking=no "
                              "-o UserKnownHostsFile=/dev/null -o BatchMode=yes "
                              "-o LogLevel=ERROR %2-p %3 127.0.0.1")
            .arg(dir.path(), extra)
            .arg(to);
    };

    QStringList sources;
    for (int i = 0; i < 40; ++i) {
        sources << dir.filePath(QStringLiteral("wav/%1.wav").arg(i));
        WriteSineWav(sources.last(), 2.0);
    }
    ConversionRequest request;
    request.sources = sources;
    request.optionsText = "-b 128";
    request.programFolder = dir.filePath("program");
    Language language;

    int failed = 0;
    request.outputFolder = dir.filePath("local");
    QDir().mkpath(request.outputFolder);
    ConversionRun local(PlanConversion(request), 1);
    const double localTime = timed(local, failed);
    out << QString("local, one at a time: %1 s (%2 failed)\n")
               .arg(localTime, 0, 'f', 2)
               .arg(failed);

    MachineCheck check;
    QEventLoop wait;
    QObject::connect(&check, &MachineCheck::finished, &wait, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    check.start({login("", port)}, request.programFolder + "/lame");
    wait.exec();
    const double checkTime = clock.elapsed() / 1000.0;
    out << QString("the check of one machine: %1 s\n").arg(checkTime, 0, 'f', 2);

    // One machine, two, one with transfer; one with this account's startup files, also with
    // transfer.
    const QStringList cases = {"1 machine of one core", "2 machines of one core each",
                               "1 machine, files sent", "1 machine, this account's own home",
                               "1 machine, files sent, this account's own home"};
    double times[5] = {};
    for (int i = 0; i < cases.size(); ++i) {
        request.outputFolder = dir.filePath(QString("machines%1").arg(i));
        QDir().mkpath(request.outputFolder);
        request.machines = {login("", i >= 3 ? ownPort : port)};
        if (i == 1)
            request.machines << login("-o ServerAliveInterval=30 ", port);
        request.transferFiles = i == 2 || i == 4;
        MachineRun remote(PlanConversion(request), request, language);
        times[i] = timed(remote, failed);
        out << QString("%1: %2 s (%3 failed)\n").arg(cases[i]).arg(times[i], 0, 'f', 2).arg(failed);
    }
    const auto perFile = [&](double time) {
        return QString::number((time - checkTime - localTime) / 40, 'f', 3);
    };
    out << "ssh route per file, the check and lame's own time apart: " << perFile(times[0])
        << " s; files sent: " << perFile(times[2])
        << " s; with this account's startup files: " << perFile(times[3]) << " s, files sent "
        << perFile(times[4]) << " s\n";
    out << QString("speed-up of two machines over one: %1x\n").arg(times[0] / times[1], 0, 'f', 2);
    sshd.terminate();
    sshd.waitForFinished();
    return 0;
}
