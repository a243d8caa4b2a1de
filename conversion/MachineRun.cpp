#include "conversion/MachineRun.h"

#include "settings/BuiltInTexts.h"
#include "settings/mdlFichier.h"
#include "settings/mdlMain.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <csignal>
#include <filesystem>
#include <sys/prctl.h>
#include <system_error>
#include <unistd.h>

namespace {

// How long parallel has to end its jobs after SIGTERM before its process group gets SIGKILL.
constexpr int kGraceMs = 3000;

// Put before each line's script on the machine that runs it: it tells Quenzal which machine took
// the line (and which shell there). The line's shell ends well once it has said how its file
// went, so that parallel moves to another machine only a line whose machine dropped out, never a
// file that lame refuses.
// A line renames its file over the output only while the way back to Quenzal holds: should
// Quenzal be gone, parallel and its ssh with it, the write fails and nothing is renamed (another
// machine's lame does not hear of it otherwise before it ends).
const char kRemotePrologue[] = R"sh(printf 'QUENZAL:machine %s %s\n' "$$" "${PARALLEL_SSHLOGIN:-:}"
mv() { printf 'QUENZAL:alive\n' && command mv "$@"; }
)sh";

const QByteArray kMachineMarker = "QUENZAL:machine ";
const QByteArray kAliveMarker = "QUENZAL:alive";

// lame reads an argument that starts with "-" as an option.
QString asArgument(const QString& path)
{
    return path.startsWith(QLatin1Char('/')) ? path : QStringLiteral("./") + path;
}

// A source's extension as lame needs it to know MP3 input, only when it is plain.
QString plainExtension(const QString& source)
{
    static const QRegularExpression plain(QStringLiteral("^\\.[a-z0-9]{1,5}$"));
    const QString extension = SplitPath(source, DottedExtension).toLower();
    return plain.match(extension).hasMatch() ? extension : QString();
}

// Renames over `target` at once (one file system), or copies beside it first: the output
// appears whole or not at all.
bool moveInto(const QString& from, const QString& target, const QString& besideTarget)
{
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(from).constData(),
                            QFile::encodeName(target).constData(), error);
    if (!error)
        return true;
    QFile::remove(besideTarget);
    if (!QFile::copy(from, besideTarget))
        return false;
    std::filesystem::rename(QFile::encodeName(besideTarget).constData(),
                            QFile::encodeName(target).constData(), error);
    if (error)
        QFile::remove(besideTarget);
    return !error;
}

} // namespace

QString MachineRun::RemoteCommand(int number, Direction direction, const QString& optionsText,
                                  const QString& source, const QString& output, qint64 owner)
{
    const QString middle = direction == Direction::Encode
                               ? QLatin1Char(' ') + ShellOptions(optionsText) + QLatin1Char(' ')
                               : QStringLiteral(" --decode ");
    const QString quotedOutput = ShellQuote(asArgument(output));
    // The temporary file is named after this Quenzal and the line, then the shell of the try:
    // parallel forgets what a try that dropped out printed, and its file is still found.
    return QStringLiteral("quenzal_begin %1 ").arg(number) + quotedOutput +
           QStringLiteral("; tmp=\"${tmp%/*}/") +
           TemporaryOutput(QString(), owner, number)
               .replace(QLatin1String(".part"), QLatin1String("-$$.part")) +
           QStringLiteral("\"; lame") + middle + ShellQuote(asArgument(source)) +
           QStringLiteral(" \"$tmp\" </dev/null 2>&1; quenzal_done $? %1 ").arg(number) +
           quotedOutput;
}

MachineRun::MachineRun(ConversionPlan plan, const ConversionRequest& request,
                       const Language& language, QObject* parent)
    : ConversionRun(std::move(plan), 1, parent)
    , m_request(request)
    , m_language(language)
{
    m_finished.fill(false, this->plan().lines.size());
    for (int i = 0; i < this->plan().lines.size(); ++i)
        m_finished[i] = this->plan().lines.at(i).upToDate;
    m_outputExtension =
        request.direction == Direction::Encode ? QStringLiteral(".mp3") : QStringLiteral(".wav");
    connect(&m_check, &MachineCheck::finished, this, &MachineRun::onChecked);
}

MachineRun::~MachineRun()
{
    if (m_parallel && m_parallel->state() != QProcess::NotRunning) {
        // Ended as a stop ends it, and reaped by the application once it has.
        disconnect(m_parallel, nullptr, this, nullptr);
        ::kill(pid_t(m_parallel->processId()), SIGTERM);
        m_parallel->setParent(QCoreApplication::instance());
        connect(m_parallel, &QProcess::finished, m_parallel, &QObject::deleteLater);
    }
}

QString MachineRun::jobLogPath() const
{
    return m_folder ? m_folder->filePath(QStringLiteral("joblog")) : QString();
}

bool MachineRun::isRunning() const
{
    return m_running;
}

void MachineRun::say(const char* key, const QString& a1, const QString& a2)
{
    QString text = MessageText(m_language, QStringLiteral("Machines"), QLatin1String(key));
    if (!a1.isNull())
        text = text.arg(a1);
    if (!a2.isNull())
        text = text.arg(a2);
    Q_EMIT output(0, (text + QLatin1Char('\n')).toUtf8());
}

void MachineRun::start()
{
    m_running = true;
    say("msgChecking");
    // One ssh connection to each machine, shared by all its lines: a new connection for every
    // file would cost more than encoding a short one. The check opens it, so that the first
    // lines of a machine do not race each other to open it (the losers open their own).
    m_folder = std::make_unique<QTemporaryDir>();
    m_sharing = QStringLiteral("ssh -o ControlMaster=auto -o ControlPath=%1/%C "
                               "-o ControlPersist=10")
                    .arg(m_folder->path());
    m_check.start(m_request.machines, LamePath(m_request.programFolder), m_sharing);
}

void MachineRun::onChecked()
{
    QStringList logins;
    for (const MachineState& state : m_check.states()) {
        Q_EMIT output(0, (DescribeMachine(m_language, state, m_check.localVersion(),
                                          m_request.transferFiles) +
                          QLatin1Char('\n'))
                             .toUtf8());
        if (!MachineUsable(state, m_check.localVersion(), m_request.transferFiles))
            continue;
        // The cores it has, unless the setting says how many files it takes: parallel need not
        // ask again.
        static const QRegularExpression count(QStringLiteral("^\\s*\\d+\\s*/"));
        logins << (count.match(state.login).hasMatch()
                       ? state.login.trimmed()
                       : QStringLiteral("%1/%2").arg(std::max(1, state.cores)).arg(state.login));
    }
    if (m_result.stopped) {
        onParallelEnded(true);
        return;
    }
    if (logins.isEmpty()) {
        say("msgNoMachine");
        m_result.exitCode = 1;
        onParallelEnded(true);
        return;
    }
    startParallel(logins);
}

void MachineRun::startParallel(const QStringList& logins)
{
    const QString loginFile = m_folder->filePath(QStringLiteral("machines"));
    const QString argFile = m_folder->filePath(QStringLiteral("lines"));
    const QString stage = m_folder->filePath(QStringLiteral("files"));
    const bool transfer = m_request.transferFiles;

    QByteArray lines;
    int seq = 0;
    for (int i = 0; i < plan().lines.size(); ++i) {
        if (m_finished.at(i))
            continue;
        const ScriptLine& planned = plan().lines.at(i);
        ++seq;
        m_jobs[seq].index = i;
        QString source = planned.source, output = planned.output;
        if (transfer) {
            // A plain name on the way, whatever the file is called: parallel's transfer, rsync
            // and the other machine's shell never see the real name.
            const QString folder = QString::number(seq);
            QDir(stage).mkpath(folder);
            source = folder + QStringLiteral("/in") + plainExtension(planned.source);
            QFile::link(planned.source, stage + QLatin1Char('/') + source);
            output = folder + QStringLiteral("/out") + m_outputExtension;
        }
        ScriptLine line = planned;
        line.command = RemoteCommand(i + 1, m_request.direction, m_request.optionsText, source,
                                     output, QCoreApplication::applicationPid());
        lines += kRemotePrologue;
        // parallel runs this computer's lines in a folder of its own too, where nothing was sent.
        if (transfer)
            lines +=
                "[ \"${PARALLEL_SSHLOGIN:-:}\" = : ] && cd " + ShellQuote(stage).toUtf8() + '\n';
        lines += "(\n" + ScriptText({line}).toUtf8() + ")\nexit 0\n";
        lines += '\0';
    }
    QFile file(argFile);
    bool written = file.open(QIODevice::WriteOnly) && file.write(lines) == lines.size();
    file.close();
    QStringList shared;
    for (const QString& login : logins)
        shared << WithSsh(login, m_sharing);
    QFile machines(loginFile);
    written = written && machines.open(QIODevice::WriteOnly) &&
              machines.write(shared.join(QLatin1Char('\n')).toUtf8() + '\n') > 0;
    machines.close();
    QFile log(jobLogPath());
    written = written && log.open(QIODevice::WriteOnly);
    log.close();
    if (!written) {
        onParallelEnded(true);
        return;
    }

    QStringList arguments = {QStringLiteral("--will-cite"),
                             QStringLiteral("--ssh"),
                             m_sharing,
                             QStringLiteral("--sshloginfile"),
                             loginFile,
                             QStringLiteral("--joblog"),
                             jobLogPath(),
                             QStringLiteral("--line-buffer"),
                             QStringLiteral("--tagstring"),
                             QStringLiteral("{#}"),
                             QStringLiteral("--retries"),
                             QString::number(logins.size() + 1),
                             QStringLiteral("-0"),
                             QStringLiteral("--arg-file"),
                             argFile};
    if (transfer) {
        arguments << QStringLiteral("--workdir") << QStringLiteral("...")
                  << QStringLiteral("--transferfile") << stage + QStringLiteral("/./{#}")
                  << QStringLiteral("--return")
                  << stage + QStringLiteral("/./{#}/out") + m_outputExtension;
    }
    arguments << QStringLiteral("/bin/sh") << QStringLiteral("-c") << QStringLiteral("{}");

    m_parallel = new QProcess(this);
    // A session of its own: a terminal's signals do not reach it, and SIGKILL reaches its ssh.
    // Should Quenzal die, parallel ends every job as a stop does: no line of the run goes on to
    // rename its file over an earlier output.
    m_parallel->setChildProcessModifier([parent = ::getpid()] {
        ::setsid();
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent)
            ::_exit(127);
    });
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TERM"), QStringLiteral("dumb"));
    // rsync follows the links to the sources, and does not compress audio in vain.
    environment.insert(QStringLiteral("PARALLEL_RSYNC_OPTS"), QStringLiteral("-rLDR"));
    m_parallel->setProcessEnvironment(environment);
    // This computer (":") works in the folder the other machines get the files into.
    m_parallel->setWorkingDirectory(transfer ? stage : QDir::homePath());
    connect(m_parallel, &QProcess::readyReadStandardOutput, this,
            [this] { readChannel(m_stdout, m_parallel->readAllStandardOutput()); });
    connect(m_parallel, &QProcess::readyReadStandardError, this,
            [this] { readChannel(m_stderr, m_parallel->readAllStandardError()); });
    connect(m_parallel, &QProcess::finished, this, [this] { onParallelEnded(false); });
    connect(m_parallel, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            Q_EMIT output(0,
                          ("parallel: " + m_parallel->errorString() + QLatin1Char('\n')).toUtf8());
            onParallelEnded(true);
        }
    });
    if (transfer) {
        m_jobLogWatcher = new QFileSystemWatcher({jobLogPath()}, this);
        connect(m_jobLogWatcher, &QFileSystemWatcher::fileChanged, this, &MachineRun::readJobLog);
    }
    m_parallel->start(QStringLiteral("parallel"), arguments);
    m_parallelPid = m_parallel->processId();
}

void MachineRun::readChannel(QByteArray& pending, const QByteArray& bytes)
{
    pending += bytes;
    qsizetype start = 0;
    // parallel passes on, and tags, also the lines that lame ends with a carriage return to
    // redraw its progress: a file's progress is seen live.
    for (qsizetype i = 0; i < pending.size(); ++i) {
        if (pending.at(i) == '\n' || pending.at(i) == '\r') {
            handleLine(pending.mid(start, i + 1 - start));
            start = i + 1;
        }
    }
    pending.remove(0, start);
}

void MachineRun::handleLine(const QByteArray& line)
{
    // A job's line comes as "sequence TAB what it printed"; anything else is parallel's own.
    const qsizetype tab = line.indexOf('\t');
    bool ok = false;
    const int seq = tab > 0 ? line.left(tab).toInt(&ok) : 0;
    if (!ok || !m_jobs.contains(seq)) {
        Q_EMIT output(0, line);
        return;
    }
    handleJobLine(seq, line.mid(tab + 1));
}

void MachineRun::handleJobLine(int seq, QByteArray content)
{
    Job& job = m_jobs[seq];
    const int number = job.index + 1;
    if (content.startsWith(kMachineMarker)) { // a new try of the line, maybe on another machine
        job.begun = false;
        const QByteArray rest = content.mid(kMachineMarker.size()).trimmed();
        job.machine =
            MachineName(QString::fromUtf8(rest.mid(rest.indexOf(' ') + 1))
                            .replace(m_sharing + QLatin1Char(' '), QStringLiteral("ssh ")));
        job.done.reset();
        job.returned = false;
        return;
    }
    if (content.startsWith(kAliveMarker))
        return;
    const RunOutputParser::Event event = RunOutputParser::parseLine(content);
    if (event.kind == RunOutputParser::Event::Output) {
        if (m_finished.at(job.index))
            return; // a machine that dropped out after the line was done elsewhere
        // ssh's complaints end in a carriage return of their own, which comes as a line.
        if (!job.begun && content.endsWith('\r'))
            content.back() = '\n';
        else if (!job.begun && content == "\n")
            return;
        Q_EMIT output(job.begun ? number : 0, content);
        return;
    }
    if (event.line != number || m_finished.at(job.index))
        return;
    if (event.kind == RunOutputParser::Event::Begin) {
        job.begun = true;
        const QString& source = plan().lines.at(job.index).source;
        Q_EMIT fileStarted(number, source);
        say("msgFileOn", SplitPath(source, NameWithExtension), job.machine);
    } else if (m_request.transferFiles && !job.returned) {
        job.done = event; // once its output is back
    } else {
        finishLine(job, event);
    }
}

void MachineRun::finishLine(Job& job, const RunOutputParser::Event& done)
{
    const int index = job.index;
    if (m_finished.at(index))
        return;
    const ScriptLine& line = plan().lines.at(index);
    bool ok = done.exitCode == 0 && done.written;
    if (ok && m_request.transferFiles) {
        const auto seq = std::find_if(m_jobs.begin(), m_jobs.end(), [&job](const auto& entry) {
                             return &entry.second == &job;
                         })->first;
        const QString back =
            m_folder->filePath(QStringLiteral("files/%1/out").arg(seq)) + m_outputExtension;
        ok = QFileInfo(back).size() > 0 &&
             moveInto(back, line.output,
                      TemporaryOutput(line.output, QCoreApplication::applicationPid(), index + 1));
        if (!ok)
            say("msgNotReturned", job.machine);
    }
    m_finished[index] = true;
    job.begun = false;
    if (!ok)
        m_result.failedLines.append(index);
    else if (line.deleteSource && !SameFile(line.output, line.source))
        QFile::remove(line.source); // its output is whole and in place
    Q_EMIT fileFinished(index + 1, ok, done.exitCode);
}

void MachineRun::readJobLog()
{
    QFile log(jobLogPath());
    if (!log.open(QIODevice::ReadOnly) || !log.seek(m_jobLogRead))
        return;
    const QByteArray bytes = log.readAll();
    const qsizetype end = bytes.lastIndexOf('\n');
    if (end < 0)
        return;
    m_jobLogRead += end + 1;
    // Sequence, machine, start, run time, sent, received, exit code, signal, command. Only a
    // try that ended well has brought its output back; a failed one goes to another machine.
    for (const QByteArray& entry : bytes.left(end).split('\n')) {
        const QList<QByteArray> fields = entry.split('\t');
        bool ok = false;
        const int seq = fields.value(0).toInt(&ok);
        if (!ok || fields.size() < 7 || fields.at(6) != "0" || !m_jobs.contains(seq))
            continue;
        Job& job = m_jobs[seq];
        job.returned = true; // the line's end may still be on its way through the other pipe
        if (const auto done = std::exchange(job.done, {}))
            finishLine(job, *done);
    }
}

void MachineRun::onParallelEnded(bool failedToStart)
{
    if (!m_running)
        return;
    if (m_parallel && !failedToStart) {
        m_result.started = true;
        readChannel(m_stdout, m_parallel->readAllStandardOutput());
        readChannel(m_stderr, m_parallel->readAllStandardError());
        for (QByteArray* rest : {&m_stdout, &m_stderr}) {
            if (!rest->isEmpty())
                handleLine(std::exchange(*rest, {}) + '\n');
        }
        if (m_request.transferFiles) {
            readJobLog();
            for (auto& [seq, job] : m_jobs) {
                if (const auto done = std::exchange(job.done, {}))
                    finishLine(job, *done); // its output is back, or it failed
            }
        }
        m_result.exitCode =
            m_parallel->exitStatus() == QProcess::CrashExit ? -1 : m_parallel->exitCode();
    } else if (m_parallel) {
        m_result.started = false;
    } else {
        m_result.started = true; // the machines were asked: the check said why nothing ran
    }
    removeInterrupted();
    if (m_result.stopped)
        removeWorkFolders();
    bool anyBegun = false;
    for (const auto& [seq, job] : m_jobs)
        anyBegun = anyBegun || job.begun || m_finished.at(job.index);
    for (int i = 0; i < m_finished.size(); ++i) {
        if (!m_finished.at(i))
            m_result.unfinishedLines.append(i);
    }
    if (m_parallel && !m_result.stopped && !anyBegun && !m_result.unfinishedLines.isEmpty())
        say("msgNoneWorked");
    if (m_result.exitCode == 0 && !m_result.unfinishedLines.isEmpty())
        m_result.exitCode = 1;
    m_running = false;
    Q_EMIT finished(m_result);
}

void MachineRun::stop()
{
    if (!m_running || m_result.stopped)
        return;
    m_result.stopped = true;
    if (m_check.isRunning()) {
        m_check.stop();
        QTimer::singleShot(0, this, [this] { onParallelEnded(true); });
        return;
    }
    if (!m_parallel || m_parallel->state() == QProcess::NotRunning)
        return;
    // parallel's own end: SIGTERM makes it end every job with its termination sequence, and
    // a machine's jobs end once their ssh has. Then the whole group, should it linger.
    const pid_t pid = pid_t(m_parallel->processId());
    ::kill(pid, SIGTERM);
    QPointer<QProcess> parallel = m_parallel;
    QTimer::singleShot(kGraceMs, m_parallel, [parallel, pid] {
        if (parallel && parallel->state() != QProcess::NotRunning)
            ::kill(-pid, SIGKILL);
    });
}

void MachineRun::removeInterrupted()
{
    if (m_request.transferFiles)
        return; // the machines' copies are in their own folders, this computer's in the run's
    // Every try's temporary file that is left: of a stopped line, or of a machine that dropped
    // out (its shell gone before it could remove it, or still writing behind a lost network).
    QSet<QString> folders;
    for (const ScriptLine& line : plan().lines)
        folders.insert(line.output.left(line.output.lastIndexOf(QLatin1Char('/')) + 1));
    const QString pattern = TemporaryOutput(QString(), QCoreApplication::applicationPid(), 0)
                                .replace(QLatin1String("-0.part"), QLatin1String("-*-*.part"));
    const auto remove = [folders, pattern] {
        for (const QString& folder : folders) {
            for (const QString& name :
                 QDir(folder).entryList({pattern}, QDir::Files | QDir::Hidden | QDir::System))
                QFile::remove(folder + name);
        }
    };
    remove();
    // A machine's lame ends a moment after its ssh: once more when it surely has.
    QTimer::singleShot(kGraceMs, QCoreApplication::instance(), remove);
}

void MachineRun::removeWorkFolders()
{
    // parallel's --cleanup runs only for the jobs that ended: a stopped job leaves its copy of the
    // source and lame's temporary file in its work folder, `.parallel/tmp/HOST-PID-SEQ` under
    // the login's home (this computer's included). Exactly those names go, nothing else.
    static const QRegularExpression plainHost(QStringLiteral("^[A-Za-z0-9._-]+$"));
    QString host = QSysInfo::machineHostName();
    if (host.isEmpty())
        host = QStringLiteral("nohostname"); // parallel's own word then
    if (!m_request.transferFiles || m_parallelPid <= 0 || !plainHost.match(host).hasMatch())
        return;
    const QString prefix = QStringLiteral("%1-%2-").arg(host).arg(m_parallelPid);
    // Run by each machine's /bin/sh, whatever its login shell is: no single quote inside.
    const QString script =
        QStringLiteral("/bin/sh -c 'cd .parallel/tmp 2>/dev/null || exit 0; for d in %1*; do "
                       "n=${d#%1}; case $n in \"\"|*[!0-9]*) ;; *) [ \"$n\" -le %2 ] && "
                       "rm -rf -- \"./$d\";; esac; done; true'")
            .arg(prefix)
            .arg(m_jobs.size());
    // On its own, so that quitting right after the stop (closing Quenzal during a run) does not
    // cut it short; ended after a bounded time should a machine hang. The run's folder holds the
    // shared connections to the machines: it goes last.
    QProcess cleaner;
    cleaner.setProgram(QStringLiteral("/bin/sh"));
    cleaner.setArguments(
        {QStringLiteral("-c"),
         QStringLiteral("timeout -s KILL %1 parallel --will-cite --nonall --timeout %2 "
                        "--ssh \"$2\" --sshloginfile \"$1/machines\" \"$3\"; rm -rf -- \"$1\"")
             .arg(MachineCheck::kTimeoutSeconds + 10)
             .arg(MachineCheck::kTimeoutSeconds),
         QStringLiteral("sh"), m_folder->path(), m_sharing, script});
    cleaner.setWorkingDirectory(QDir::homePath()); // where parallel put this computer's folders
    cleaner.setStandardInputFile(QProcess::nullDevice());
    cleaner.setStandardOutputFile(QProcess::nullDevice());
    cleaner.setStandardErrorFile(QProcess::nullDevice());
    m_folder->setAutoRemove(!cleaner.startDetached());
}
