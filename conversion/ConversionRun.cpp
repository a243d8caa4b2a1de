#include "conversion/ConversionRun.h"

#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <unistd.h>

ConversionRun::ConversionRun(ConversionPlan plan, QString scriptPath, QObject* parent)
    : QObject(parent)
    , m_plan(std::move(plan))
    , m_scriptPath(std::move(scriptPath))
{
    connect(&m_process, &QProcess::readyReadStandardError, this,
            [this] { Q_EMIT output(m_process.readAllStandardError()); });
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &ConversionRun::readMarkers);
    connect(&m_process, &QProcess::finished, this, [this] {
        readMarkers();
        if (!m_pendingStdout.isEmpty())
            Q_EMIT output(std::exchange(m_pendingStdout, {}));
        if (m_stopped)
            removeInterruptedOutput();
    });
}

ConversionRun::~ConversionRun()
{
    if (m_process.state() != QProcess::NotRunning) {
        stop();
        m_process.waitForFinished(5000);
    }
}

bool ConversionRun::start()
{
    // A session of its own: the stop reaches lame too, and a terminal's signals do not.
    m_process.setChildProcessModifier([] { ::setsid(); });
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TERM"), QStringLiteral("dumb"));
    m_process.setProcessEnvironment(environment);
    m_process.setWorkingDirectory(QFileInfo(m_scriptPath).absolutePath());
    m_process.start(QStringLiteral("/bin/sh"), {m_scriptPath});
    if (!m_process.waitForStarted())
        return false;
    startNextFile();
    return true;
}

void ConversionRun::stop()
{
    if (m_process.state() == QProcess::NotRunning || m_stopped)
        return;
    m_stopped = true;
    const qint64 pid = m_process.processId();
    if (pid > 0)
        ::kill(-static_cast<pid_t>(pid), SIGTERM);
}

void ConversionRun::startNextFile()
{
    if (m_finished >= m_plan.lines.size())
        return;
    m_lineStarted = QDateTime::currentDateTimeUtc();
    Q_EMIT fileStarted(m_finished + 1, m_plan.lines.at(m_finished).source);
}

void ConversionRun::readMarkers()
{
    m_pendingStdout += m_process.readAllStandardOutput();
    qsizetype end;
    while ((end = m_pendingStdout.indexOf('\n')) >= 0) {
        const QByteArray line = m_pendingStdout.left(end + 1);
        m_pendingStdout.remove(0, end + 1);
        if (!line.startsWith(kDoneMarker)) {
            Q_EMIT output(line); // lame has nothing to say on its standard output, but still
            continue;
        }
        const QList<QByteArray> fields = line.mid(sizeof(kDoneMarker) - 1).trimmed().split(' ');
        if (fields.size() != 3)
            continue;
        const int number = fields[0].toInt();
        const bool ok = fields[1] == "0" && fields[2] == "1";
        if (number != m_finished + 1)
            continue; // not ours
        if (!ok)
            m_failed.append(number - 1);
        m_finished = number;
        Q_EMIT fileFinished(number, ok);
        startNextFile();
    }
}

void ConversionRun::removeInterruptedOutput()
{
    if (m_finished >= m_plan.lines.size())
        return;
    // Only what this line wrote: an output older than the line is someone's finished file.
    const QString output = m_plan.lines.at(m_finished).output;
    const QFileInfo info(output);
    if (info.isFile() && info.lastModified().toUTC() >= m_lineStarted.addSecs(-1))
        QFile::remove(output);
}
