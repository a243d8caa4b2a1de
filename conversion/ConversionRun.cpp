#include "conversion/ConversionRun.h"

#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kBeginMarker[] = "QUENZAL:begin ";
constexpr char kDoneMarker[] = "QUENZAL:done ";

} // namespace

QList<RunOutputParser::Event> RunOutputParser::feed(const QByteArray& bytes)
{
    m_pending += bytes;
    QList<Event> events;
    qsizetype start = 0, end;
    while ((end = m_pending.indexOf('\n', start)) >= 0) {
        const QByteArray line = m_pending.mid(start, end + 1 - start);
        start = end + 1;
        Event event;
        if (line.startsWith(kBeginMarker)) {
            const QByteArray rest = line.mid(sizeof(kBeginMarker) - 1).trimmed();
            const qsizetype blank = rest.indexOf(' ');
            event.kind = Event::Begin;
            event.line = rest.left(blank).toInt();
            event.before = blank < 0 ? QByteArray() : rest.mid(blank + 1);
        } else if (line.startsWith(kDoneMarker)) {
            const QList<QByteArray> fields = line.mid(sizeof(kDoneMarker) - 1).trimmed().split(' ');
            if (fields.size() == 3) {
                event.kind = Event::Done;
                event.line = fields[0].toInt();
                event.exitCode = fields[1].toInt();
                event.written = fields[2] == "1";
            }
        }
        if (event.kind == Event::Output) {
            // lame has nothing to say on its standard output, but whatever comes is shown.
            if (!events.isEmpty() && events.last().kind == Event::Output)
                events.last().bytes += line;
            else
                event.bytes = line;
        }
        if (event.kind != Event::Output || !event.bytes.isEmpty())
            events.append(event);
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

QByteArray FileState(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return "none";
    return QByteArray::number(quint64(st.st_ino)) + ' ' + QByteArray::number(qint64(st.st_size)) +
           ' ' + QByteArray::number(qint64(st.st_mtim.tv_sec)) + '.' +
           QByteArray::number(qint64(st.st_mtim.tv_nsec)).rightJustified(9, '0');
}

ConversionRun::ConversionRun(ConversionPlan plan, QString scriptPath, QObject* parent)
    : QObject(parent)
    , m_plan(std::move(plan))
    , m_scriptPath(std::move(scriptPath))
{
    m_done.fill(false, m_plan.lines.size());
    connect(&m_process, &QProcess::readyReadStandardError, this,
            [this] { Q_EMIT output(m_process.readAllStandardError()); });
    connect(&m_process, &QProcess::readyReadStandardOutput, this,
            [this] { handle(m_parser.feed(m_process.readAllStandardOutput())); });
    connect(&m_process, &QProcess::finished, this, &ConversionRun::onFinished);
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            Q_EMIT finished(m_result); // never started: nothing ran, nothing was converted
    });
}

ConversionRun::~ConversionRun()
{
    if (isRunning()) {
        disconnect(&m_process, nullptr, this, nullptr);
        stop();
        m_process.waitForFinished(5000);
    }
}

void ConversionRun::start()
{
    // A session of its own: the stop reaches lame too, and a terminal's signals do not.
    m_process.setChildProcessModifier([] { ::setsid(); });
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TERM"), QStringLiteral("dumb"));
    m_process.setProcessEnvironment(environment);
    m_process.setWorkingDirectory(QFileInfo(m_scriptPath).absolutePath());
    m_process.start(QStringLiteral("/bin/sh"), {m_scriptPath});
}

void ConversionRun::stop()
{
    if (!isRunning() || m_result.stopped)
        return;
    m_result.stopped = true;
    const qint64 pid = m_process.processId();
    if (pid > 0)
        ::kill(-static_cast<pid_t>(pid), SIGTERM);
}

void ConversionRun::handle(const QList<RunOutputParser::Event>& events)
{
    for (const RunOutputParser::Event& event : events) {
        const int index = event.line - 1;
        switch (event.kind) {
        case RunOutputParser::Event::Output:
            Q_EMIT output(event.bytes);
            break;
        case RunOutputParser::Event::Begin:
            if (index < 0 || index >= m_plan.lines.size() || m_done[index])
                break; // not ours
            m_current = index;
            m_before = event.before;
            Q_EMIT fileStarted(event.line, m_plan.lines.at(index).source);
            break;
        case RunOutputParser::Event::Done: {
            if (index < 0 || index >= m_plan.lines.size() || m_done[index])
                break;
            m_done[index] = true;
            if (m_current == index)
                m_current = -1;
            const bool ok = event.exitCode == 0 && event.written;
            if (!ok)
                m_result.failedLines.append(index);
            Q_EMIT fileFinished(event.line, ok);
            break;
        }
        }
    }
}

void ConversionRun::onFinished()
{
    handle(m_parser.feed(m_process.readAllStandardOutput()));
    handle(m_parser.finish());
    if (m_result.stopped)
        removeInterruptedOutput();
    m_result.started = true;
    m_result.exitCode = m_process.exitStatus() == QProcess::CrashExit ? -1 : m_process.exitCode();
    for (int i = 0; i < m_done.size(); ++i) {
        if (!m_done[i])
            m_result.unfinishedLines.append(i);
    }
    Q_EMIT finished(m_result);
}

void ConversionRun::removeInterruptedOutput()
{
    if (m_current < 0)
        return;
    const QString output = m_plan.lines.at(m_current).output;
    // Only what this line wrote: a file that is as it was before the line is someone's.
    if (FileState(output) != m_before && QFileInfo(output).isFile())
        QFile::remove(output);
    m_current = -1;
}
