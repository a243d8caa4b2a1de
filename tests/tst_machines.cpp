// Runs spread over several machines by GNU parallel, against a real sshd on this machine that
// two sshlogins reach as two "machines".
#include "Control.h"
#include "StartProgram.h"
#include "TestEnvironment.h"
#include "TestFiles.h"

#include "conversion/MachineRun.h"
#include "conversion/frmConsole.h"
#include "settings/BuiltInTexts.h"
#include "settings/Language.h"
#include "settings/StoredSettings.h"
#include "settings/frmMachines.h"
#include "settings/frmOption.h"
#include "settings/mdlFichier.h"

#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

namespace {

// A port of 127.0.0.1 nobody listens on right now.
int freePort()
{
    QTcpServer server;
    return server.listen(QHostAddress::LocalHost) ? server.serverPort() : 0;
}

// Whether a lame still runs in `folder` or below (a machine's home), "on a machine".
bool lameRunsIn(const QString& folder)
{
    const QStringList processes = QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    return std::any_of(processes.cbegin(), processes.cend(), [&folder](const QString& pid) {
        return readBytes("/proc/" + pid + "/cmdline").startsWith("lame") &&
               QFileInfo("/proc/" + pid + "/cwd").symLinkTarget().startsWith(folder);
    });
}

struct Outcome {
    RunResult result;
    QMap<int, QByteArray> output; // by line number; 0 for the run's own
};

} // namespace

class tst_machines : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void checkAndWindow();
    void runsInBothModes();
    void stopEndsRemoteLame();
    void fromTheMainWindow();

private:
    QString login(const QString& extra = QString()) const;
    QString home() const { return m_dir.filePath("home"); }
    ConversionRequest request(const QString& outputFolder, const QStringList& sources) const;
    Outcome run(ConversionRun& run);

    TestEnvironment m_env; // the program folder and settings
    QTemporaryDir m_dir;
    QProcess m_sshd;
    int m_port = 0;
    QString m_closed; // a login to a port nobody listens on
    Language m_language;
};

QString tst_machines::login(const QString& extra) const
{
    return QStringLiteral("1/ssh -i %1/userkey -o StrictHostKeyChecking=no "
                          "-o UserKnownHostsFile=/dev/null -o BatchMode=yes -o LogLevel=ERROR %2"
                          "-p %3 127.0.0.1")
        .arg(m_dir.path(), extra)
        .arg(m_port);
}

void tst_machines::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("parallel")).isEmpty())
        QSKIP("GNU parallel is not installed (Debian: parallel): no run over machines tested");
    const QString sshd = QStringLiteral("/usr/sbin/sshd");
    if (!QFileInfo(sshd).isExecutable())
        QSKIP("sshd is not installed (Debian: openssh-server): no run over machines tested");
    QDir(m_dir.path()).mkpath(QStringLiteral("home"));
    for (const char* key : {"hostkey", "userkey"})
        QCOMPARE(QProcess::execute(QStringLiteral("ssh-keygen"),
                                   {"-q", "-t", "ed25519", "-N", "", "-f", m_dir.filePath(key)}),
                 0);
    QVERIFY(QFile::copy(m_dir.filePath("userkey.pub"), m_dir.filePath("authorized_keys")));
    if (::getuid() == 0)
        QDir().mkpath(QStringLiteral("/run/sshd")); // sshd's privilege separation wants it
    m_port = freePort();
    m_closed =
        QStringLiteral("ssh -o BatchMode=yes -o ConnectTimeout=5 -p %1 127.0.0.1").arg(freePort());
    const QByteArray config = "ListenAddress 127.0.0.1\nPort " + QByteArray::number(m_port) +
                              "\nHostKey " + m_dir.filePath("hostkey").toUtf8() +
                              "\nAuthorizedKeysFile " + m_dir.filePath("authorized_keys").toUtf8() +
                              "\nPidFile " + m_dir.filePath("sshd.pid").toUtf8() +
                              "\nStrictModes no\nUsePAM no\nPasswordAuthentication no\n"
                              "PermitRootLogin prohibit-password\nLogLevel ERROR\n"
                              // The machine's home is the test's: what a run leaves there is
                              // seen, and this account's shell startup files are not run.
                              "SetEnv HOME=" +
                              home().toUtf8() +
                              "\nForceCommand cd; eval \"$SSH_ORIGINAL_COMMAND\"\n";
    QVERIFY(touch(m_dir.filePath("sshd_config"), config));
    m_sshd.setProcessChannelMode(QProcess::MergedChannels);
    m_sshd.start(sshd, {"-D", "-e", "-f", m_dir.filePath("sshd_config")});
    if (!m_sshd.waitForStarted())
        QSKIP("sshd could not start: no run over machines tested");
    // sshd writes its pid file once it listens.
    QTRY_VERIFY_WITH_TIMEOUT(
        QFile::exists(m_dir.filePath("sshd.pid")) || m_sshd.state() == QProcess::NotRunning, 10000);
    if (m_sshd.state() == QProcess::NotRunning)
        QSKIP(qPrintable("sshd ended at once, no run over machines tested: " +
                         QString::fromLocal8Bit(m_sshd.readAll())));
}

void tst_machines::cleanupTestCase()
{
    m_sshd.terminate();
    m_sshd.waitForFinished();
}

ConversionRequest tst_machines::request(const QString& outputFolder,
                                        const QStringList& sources) const
{
    QDir().mkpath(outputFolder);
    ConversionRequest request;
    request.sources = sources;
    request.optionsText = QStringLiteral("-b 128");
    request.outputFolder = outputFolder;
    request.programFolder = m_env.programFolder();
    return request;
}

Outcome tst_machines::run(ConversionRun& run)
{
    Outcome outcome;
    connect(&run, &ConversionRun::output, this,
            [&outcome](int number, const QByteArray& bytes) { outcome.output[number] += bytes; });
    QSignalSpy finished(&run, &ConversionRun::finished);
    run.start();
    if (!finished.isEmpty() || finished.wait(240000))
        outcome.result = finished.first().first().value<RunResult>();
    return outcome;
}

// The check names the machine that does not answer and the lame of the one that does; the
// window asks without holding up and stores what OK confirms.
void tst_machines::checkAndWindow()
{
    MachineCheck check;
    QSignalSpy checked(&check, &MachineCheck::finished);
    check.start({login(), m_closed}, m_env.programFolder() + "/lame");
    QVERIFY(checked.wait(60000));
    const QString local = check.localVersion();
    const MachineState &good = check.states().at(0), &closed = check.states().at(1);
    // Another lame, or none, would make other outputs: such a machine is named and left out.
    MachineState other = good, none = good;
    other.lame = QStringLiteral("3.99.5");
    none.lame.clear();
    QCOMPARE((QList<bool>{!local.isEmpty(), good.answered, good.cores > 0, good.lame == local,
                          MachineUsable(good, local, true), closed.answered,
                          closed.error.contains("refused"), MachineUsable(closed, local, false),
                          MachineUsable(other, local, false), MachineUsable(none, local, false),
                          DescribeMachine(m_language, other, local, false).contains("3.99.5")}),
             (QList<bool>{true, true, true, true, true, false, true, false, false, false, true}));

    // The general options window opens the machines' window without waiting for it.
    FakeDesktop desktop;
    frmOption options(nullptr, desktop, m_language, m_dir.path(), QString());
    options.findChild<QPushButton*>("cmdMachines")->click();
    QVERIFY(options.findChild<frmMachines*>("frmMachines"));

    frmMachines window(nullptr, m_language);
    window.findChild<QPlainTextEdit*>("txtMachines")
        ->setPlainText(login() + "\n\n# off for now\n" + m_closed);
    QSignalSpy tested(&window, &frmMachines::tested);
    window.findChild<QPushButton*>("cmdTester")->click();
    QVERIFY(!window.findChild<QPushButton*>("cmdTester")->isEnabled()); // asked, not waited for
    QVERIFY(tested.wait(60000));
    const QStringList said =
        window.findChild<QPlainTextEdit*>("txtResultat")->toPlainText().split('\n');
    QVERIFY2(said.size() == 2 && said[0].contains(local) && said[1].contains("refused"),
             qPrintable(said.join('\n')));
    window.findChild<QPushButton*>("cmdOK")->click();
    QCOMPARE(StoredSettings::machines(), QStringList({login(), m_closed}));
    QVERIFY(!StoredSettings::transferFiles());
}

// Every file converted over two machines as a local run converts it, with shared folders and
// with transfer; names that a shell would read, a failing file named, both machines used, the
// machine that does not answer left out and the files of one that drops out converted by others.
void tst_machines::runsInBothModes()
{
    const QStringList names = {"plain.wav",      "it's \"$HOME\" `id` $(id) a  b.wav",
                               "-lead.wav",      "new\nline.wav",
                               "tab\tand\\.wav", "refused.wav"};
    QStringList paths;
    for (const QString& name : names) {
        paths << m_dir.filePath("sources/") + name;
        QVERIFY(name == "refused.wav" ? WriteRefusedWav(paths.last())
                                      : WriteSineWav(paths.last(), 1.5 + paths.size() * 0.1));
    }
    ConversionRun local(PlanConversion(request(m_dir.filePath("local"), paths)), 1);
    QCOMPARE(run(local).result.failedLines, QList<int>({5}));
    // A machine that fails once lame works on it: the line dies at once, then the connection.
    const QString dropping = m_dir.filePath("dropping");
    QVERIFY(touch(dropping, "#!/bin/sh\ncase \"$*\" in *rsync\\ --server*) exec ssh \"$@\"; esac\n"
                            "ssh \"$@\" | while IFS= read -r line; do printf '%s\\n' \"$line\"\n"
                            "case $line in QUENZAL:machine*) set -- $line;; *\"Encoding as\"*)\n"
                            "kill -9 -$(cut -d\" \" -f5 /proc/$2/stat); : >\"$0.cut\"; exit 255\n"
                            "esac; done\n") &&
            QFile::setPermissions(dropping, QFile::ReadOwner | QFile::ExeOwner));

    for (const bool transfer : {false, true}) {
        const QString out = m_dir.filePath(transfer ? "transfer" : "shared");
        ConversionRequest machines = request(out, paths);
        machines.machines = {login(), login("-o ServerAliveInterval=30 "), m_closed, ":",
                             login("-o Compression=no ").replace("1/ssh ", "1/" + dropping + ' ')};
        machines.transferFiles = transfer;
        QFile::remove(dropping + ".cut");
        MachineRun remote(PlanConversion(machines), machines, m_language);
        const Outcome outcome = run(remote);
        QVERIFY2(outcome.result.started && outcome.result.failedLines == QList<int>({5}) &&
                     outcome.result.unfinishedLines.isEmpty() &&
                     outcome.output[6].contains("Unsupported"),
                 outcome.output[0] + outcome.output[6]);
        for (int i = 0; i < 5; ++i) { // the local run made each of them
            const QString name = SplitPath(names.at(i), BaseName) + ".mp3";
            QCOMPARE(readBytes(out + '/' + name), readBytes(m_dir.filePath("local/") + name));
        }
        // No .part left, nor the machines' copies.
        QVERIFY(QDir(out).entryList(QDir::Files | QDir::Hidden).size() == 5 &&
                QDir(home() + "/.parallel/tmp").isEmpty());
        // Both logins converted files; the closed port was named and given none; the first lines
        // shared the machine's one connection.
        const QByteArray log = readBytes(remote.jobLogPath());
        QCOMPARE((QList<bool>{
                     log.contains("ServerAliveInterval=30 -p"), log.contains("LogLevel=ERROR -p"),
                     log.contains("ConnectTimeout"), outcome.output[0].contains("refused"),
                     QFile::exists(dropping + ".cut"), outcome.output[0].contains("multiplexing")}),
                 (QList<bool>{true, true, false, true, true, false}));
    }

    // No machine that can convert: the run says so and converts nothing.
    ConversionRequest none = request(m_dir.filePath("none"), paths);
    none.machines = {m_closed};
    MachineRun nowhere(PlanConversion(none), none, m_language);
    const Outcome outcome = run(nowhere);
    QVERIFY(
        outcome.result.unfinishedLines.size() == paths.size() && !outcome.result.succeeded() &&
        outcome.output[0].contains(MessageText(m_language, "Machines", "msgNoMachine").toUtf8()));
}

// Stop ends the lame on every machine and leaves no partial output where outputs go; with
// transfer, nothing of the run is left in the machines' work folders either.
void tst_machines::stopEndsRemoteLame()
{
    QStringList paths;
    for (const char* name : {"long1.wav", "long2.wav", "long3.wav"}) {
        paths << m_dir.filePath(QStringLiteral("long/") + name);
        QVERIFY(WriteSineWav(paths.last(), 240));
    }
    for (const bool transfer : {false, true}) {
        const QString out = m_dir.filePath(transfer ? "stopped-sent" : "stopped");
        ConversionRequest machines = request(out, paths);
        machines.machines = {login(), login("-o ServerAliveInterval=30 ")};
        machines.transferFiles = transfer;
        auto remote = std::make_unique<MachineRun>(PlanConversion(machines), machines, m_language);
        QMap<int, QByteArray> output;
        connect(remote.get(), &ConversionRun::output, this,
                [&output](int number, const QByteArray& bytes) { output[number] += bytes; });
        QSignalSpy finished(remote.get(), &ConversionRun::finished);
        remote->start();
        // lame's progress is seen live, while it encodes on the other side of ssh.
        QTRY_VERIFY_WITH_TIMEOUT(output.value(1).count('\r') + output.value(2).count('\r') > 2,
                                 120000);
        QVERIFY(lameRunsIn(home()));
        remote->stop();
        QVERIFY(finished.wait(30000));
        const RunResult result = finished.first().first().value<RunResult>();
        QVERIFY(result.stopped && !result.succeeded() && QFileInfo::exists(paths[0]) &&
                QFileInfo::exists(paths[1]));
        remote.reset(); // as when Quenzal is closed during a run: the clean-up goes on
        QTRY_VERIFY_WITH_TIMEOUT(!lameRunsIn(home()) &&
                                     QDir(out).entryList(QDir::Files | QDir::Hidden).isEmpty() &&
                                     QDir(home() + "/.parallel/tmp").isEmpty(),
                                 15000);
    }
}

// An Encode from the main window with the "Machines" setting: the console's rows follow the files.
void tst_machines::fromTheMainWindow()
{
    Store("Machines", login() + '\n' + login("-o ServerAliveInterval=30 "));
    FakeDesktop* desktop = nullptr;
    const auto program = StartProgram(m_env.programFolder(), desktop, m_env.dataFolder());
    for (int i = 0; i < 3; ++i) {
        QVERIFY(WriteSineWav(m_dir.filePath(QString("window/%1.wav").arg(i)), 1.0));
        program->mainWindow()->AddFile(m_dir.filePath(QString("window/%1.wav").arg(i)));
    }
    control<QAction>(program->mainWindow(), "mnuEncode")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!program->mainWindow()->isBusy(), 120000);
    const auto* rows = control<QTreeView>(program->consoleWindow(), "lstFichiers")->model();
    for (int i = 0; i < 3; ++i)
        QVERIFY(rows->index(i, 1).data() == MessageText(m_language, "Console", "stateDone") &&
                QFileInfo(m_dir.filePath(QString("window/Mp3/%1.mp3").arg(i))).size() > 0);
    QVERIFY(desktop->messages.isEmpty() &&
            control<QPlainTextEdit>(program->consoleWindow(), "txtSortie")
                ->toPlainText()
                .contains(" : sur ssh -i")); // which machine took each file

    // Quenzal killed in a re-run over a machine, with a lame that prints nothing: the earlier
    // output stays byte for byte.
    Store("Commande LAME", "-b 128 --quiet");
    QVERIFY(touch(m_dir.filePath("window/Mp3/long.mp3"), "earlier") &&
            WriteSineWav(m_dir.filePath("window/long.wav"), 240));
    QProcess killed;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", QFileInfo(m_env.settingsFile()).path() + "/..");
    killed.setProcessEnvironment(environment);
    killed.start(QUENZAL_BUILD_DIR "/quenzal", {"--encode", m_dir.filePath("window/long.wav")});
    QTRY_VERIFY_WITH_TIMEOUT(lameRunsIn(home()), 60000);
    ::kill(pid_t(killed.processId()), SIGKILL);
    QTRY_VERIFY_WITH_TIMEOUT(ProcessesNaming(m_dir.filePath("window/Mp3")) == 0, 60000);
    QCOMPARE(readBytes(m_dir.filePath("window/Mp3/long.mp3")), "earlier");
}

QTEST_MAIN(tst_machines)
#include "tst_machines.moc"
