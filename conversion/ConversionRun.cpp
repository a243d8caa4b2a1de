#include "conversion/ConversionRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

constexpr char kBeginMarker[] = "QUENZAL:begin ";
constexpr char kDoneMarker[] = "QUENZAL:done ";

// How long an encoder has to end after SIGTERM before its whole process group gets SIGKILL.
constexpr int kGraceMs = 3000;

// SIGTERM to a script's process group now, SIGKILL after the grace period: an encoder that
// ignores SIGTERM, or goes on writing for a moment, cannot outlive the run. The group outlives
// its leader (the shell), so the escalation does not wait for the leader's end.
void endGroup(qint64 pid)
{
    if (pid <= 0)
        return;
    ::kill(-static_cast<pid_t>(pid), SIGTERM);
    QTimer::singleShot(kGraceMs, QCoreApplication::instance(),
                       [pid] { ::kill(-static_cast<pid_t>(pid), SIGKILL); });
}

} // namespace

RunOutputParser::Event RunOutputParser::parseLine(const QByteArray& line)
{
    Event event;
    if (line.startsWith(kBeginMarker)) {
        event.kind = Event::Begin;
        event.line = line.mid(sizeof(kBeginMarker) - 1).trimmed().toInt();
    } else if (line.startsWith(kDoneMarker)) {
        const QList<QByteArray> fields = line.mid(sizeof(kDoneMarker) - 1).trimmed().split(' ');
        if (fields.size() == 3) {
            event.kind = Event::Done;
            event.line = fields[0].toInt();
            event.exitCode = fields[1].toInt();
            event.written = fields[2] == "1";
        }
    }
    if (event.kind == Event::Output)
        event.bytes = line;
    return event;
}

QList<RunOutputParser::Event> RunOutputParser::feed(const QByteArray& bytes)
{
    m_pending += bytes;
    QList<Event> events;
    qsizetype start = 0, end;
    while ((end = m_pending.indexOf('\n', start)) >= 0) {
        Event event = parseLine(m_pending.mid(start, end + 1 - start));
        start = end + 1;
        // lame has nothing to say on its standard output, but whatever comes is shown.
        if (event.kind == Event::Output && !events.isEmpty() && events.last().kind == Event::Output)
            events.last().bytes += event.bytes;
        else
            events.append(std::move(event));
    }
    m_pending.remove(0, start);
    return events;
}

QList<RunOutputParser::Event> RunOutputParser::finish()
{
    QList<Event> events = feed("");
    if (!m_pending.isEmpty()) {
        Event rest;
        rest.bytes = std::exchange(m_pending, {});
        events.append(rest);
    }
    return events;
}

ConversionRun::ConversionRun(ConversionPlan plan, int jobs, QObject* parent)
    : QObject(parent)
    , m_plan(std::move(plan))
    , m_jobCount(std::max(jobs, 1))
{
    m_done.fill(false, m_plan.lines.size());
    for (int i = 0; i < m_plan.lines.size(); ++i)
        m_done[i] = m_plan.lines.at(i).upToDate; // nothing to run
}

ConversionRun::~ConversionRun()
{
    // Nothing waits for the scripts here: each is ended as a stop ends it and reaped once it
    // has, by the application.
    for (const auto& job : m_jobs) {
        QProcess* process = job->process;
        disconnect(process, nullptr, this, nullptr);
        endGroup(process->processId());
        process->setParent(QCoreApplication::instance());
        if (process->state() == QProcess::NotRunning)
            process->deleteLater();
        else
            connect(process, &QProcess::finished, process, &QObject::deleteLater);
    }
}

void ConversionRun::start()
{
    if (m_jobCount == 1) {
        startJob({QStringLiteral("-s")}, -1);
        return;
    }
    startMoreLines();
    if (m_jobs.empty()) // nothing to run at all
        Q_EMIT finished(m_result);
}

void ConversionRun::startMoreLines()
{
    while (!m_result.stopped && int(m_jobs.size()) < m_jobCount &&
           m_nextLine < m_plan.lines.size()) {
        const int index = static_cast<int>(m_nextLine++);
        if (m_plan.lines.at(index).upToDate)
            continue;
        startJob({QStringLiteral("-c"), ScriptText({m_plan.lines.at(index)})}, index);
    }
}

void ConversionRun::startJob(const QStringList& arguments, int line)
{
    auto job = std::make_unique<Job>();
    job->line = line;
    auto* process = new QProcess(this);
    job->process = process;
    // A session of its own: the stop reaches lame too, and a terminal's signals do not. Should
    // Quenzal die, the shell goes with it: a line whose end nobody hears renames nothing over
    // an earlier output (its temporary file goes at the next run in that folder).
    process->setChildProcessModifier([parent = ::getpid()] {
        ::setsid();
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(127);
    });
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TERM"), QStringLiteral("dumb"));
    process->setProcessEnvironment(environment);
    process->setWorkingDirectory(QDir::homePath());
    Job& ref = *job;
    connect(process, &QProcess::started, this, [&ref] { ref.pid = ref.process->processId(); });
    connect(process, &QProcess::readyReadStandardError, this,
            [this, &ref] { readStandardError(ref, true); });
    connect(process, &QProcess::readyReadStandardOutput, this,
            [this, &ref] { handle(ref, ref.parser.feed(ref.process->readAllStandardOutput())); });
    connect(process, &QProcess::finished, this, [this, process] { onJobEnded(process, false); });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            onJobEnded(process, true);
    });
    m_jobs.push_back(std::move(job));
    process->start(QStringLiteral("/bin/sh"), arguments);
    if (line < 0) { // the whole script, read by the shell as it goes
        process->write(m_plan.script.toUtf8());
        process->closeWriteChannel();
    }
}

void ConversionRun::stop()
{
    if (!isRunning() || m_result.stopped)
        return;
    m_result.stopped = true;
    for (const auto& job : m_jobs)
        endGroup(job->process->processId());
}

void ConversionRun::readStandardError(Job& job, bool markersFirst)
{
    if (markersFirst)
        handle(job, job.parser.feed(job.process->readAllStandardOutput()));
    const QByteArray bytes = job.process->readAllStandardError();
    if (!bytes.isEmpty())
        Q_EMIT output((job.line >= 0 ? job.line : job.current) + 1, bytes);
}

void ConversionRun::handle(Job& job, const QList<RunOutputParser::Event>& events)
{
    for (const RunOutputParser::Event& event : events) {
        const int index = event.line - 1;
        switch (event.kind) {
        case RunOutputParser::Event::Output:
            Q_EMIT output((job.line >= 0 ? job.line : job.current) + 1, event.bytes);
            break;
        case RunOutputParser::Event::Begin:
            if (index < 0 || index >= m_plan.lines.size() || m_done[index])
                break; // not ours
            job.current = index;
            Q_EMIT fileStarted(event.line, m_plan.lines.at(index).source);
            break;
        case RunOutputParser::Event::Done: {
            if (index < 0 || index >= m_plan.lines.size() || m_done[index])
                break;
            if (job.line >= 0 && job.process->state() != QProcess::NotRunning) {
                job.done = event;
                break;
            }
            // What lame said before it ended belongs to its line, whichever pipe was read first.
            readStandardError(job, false);
            m_done[index] = true;
            if (job.current == index)
                job.current = -1;
            const bool ok = event.exitCode == 0 && event.written;
            if (!ok)
                m_result.failedLines.append(index);
            else if (const ScriptLine& line = m_plan.lines.at(index);
                     line.deleteSource && !SameFile(line.output, line.source))
                QFile::remove(line.source); // its output is whole and in place

            Q_EMIT fileFinished(event.line, ok, event.exitCode);
            break;
        }
        }
    }
}

void ConversionRun::onJobEnded(QProcess* process, bool failedToStart)
{
    const auto it = std::find_if(m_jobs.begin(), m_jobs.end(),
                                 [process](const auto& job) { return job->process == process; });
    if (it == m_jobs.end())
        return;
    Job& job = **it;
    if (!failedToStart) {
        m_result.started = true;
        readStandardError(job, true);
        handle(job, job.parser.feed(process->readAllStandardOutput()));
        handle(job, job.parser.finish());
        if (const std::optional<RunOutputParser::Event> done = std::exchange(job.done, {}))
            handle(job, {*done});
        const int code = process->exitStatus() == QProcess::CrashExit ? -1 : process->exitCode();
        if (m_result.exitCode == 0)
            m_result.exitCode = code;
    }
    if (m_result.stopped)
        removeInterruptedOutput(job);
    disconnect(process, nullptr, this, nullptr);
    process->deleteLater();
    m_jobs.erase(it);

    if (m_jobCount > 1)
        startMoreLines();
    if (!m_jobs.empty())
        return;
    for (int i = 0; i < m_done.size(); ++i) {
        if (!m_done[i])
            m_result.unfinishedLines.append(i);
    }
    Q_EMIT finished(m_result);
}

void ConversionRun::removeInterruptedOutput(Job& job)
{
    if (job.current < 0)
        return;
    QFile::remove(TemporaryOutput(m_plan.lines.at(job.current).output, job.pid, job.current + 1));
    job.current = -1;
}
