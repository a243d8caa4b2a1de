#include "settings/MachineCheck.h"

#include "settings/BuiltInTexts.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

// Run by each machine's /bin/sh, whatever its login shell is: no single quote inside.
const char kQuestion[] = "echo QUENZAL:cores $(nproc 2>/dev/null || getconf _NPROCESSORS_ONLN); "
                         "echo QUENZAL:lame $(lame --version 2>/dev/null | head -n 1); "
                         "command -v rsync >/dev/null && echo QUENZAL:rsync; true";

QString text(const Language& language, const char* key)
{
    return MessageText(language, QStringLiteral("Machines"), QLatin1String(key));
}

} // namespace

QString MachineName(const QString& login)
{
    static const QRegularExpression count(QStringLiteral("^\\s*\\d+\\s*/\\s*"));
    return login.trimmed().remove(count);
}

QString WithSsh(const QString& login, const QString& ssh)
{
    static const QRegularExpression command(QStringLiteral("^(\\s*(?:\\d+\\s*/)?\\s*)ssh\\s"));
    const QRegularExpressionMatch match = command.match(login);
    return match.hasMatch()
               ? match.captured(1) + ssh + QLatin1Char(' ') + login.mid(match.capturedEnd())
               : login;
}

QString LameVersion(const QString& firstLine)
{
    static const QRegularExpression version(QStringLiteral("version\\s+(\\S+)"));
    return version.match(firstLine).captured(1);
}

bool MachineUsable(const MachineState& state, const QString& localLame, bool transfer)
{
    return state.answered && !state.lame.isEmpty() && state.lame == localLame &&
           (state.rsync || !transfer || MachineName(state.login) == QLatin1String(":"));
}

QString DescribeMachine(const Language& language, const MachineState& state,
                        const QString& localLame, bool transfer)
{
    const QString name = MachineName(state.login);
    if (!state.answered)
        return text(language, "msgNoAnswer")
            .arg(name, state.error.isEmpty() ? text(language, "msgNoReply") : state.error);
    if (state.lame.isEmpty())
        return text(language, "msgNoLame").arg(name);
    if (state.lame != localLame)
        return text(language, "msgOtherLame").arg(name, state.lame, localLame);
    if (!MachineUsable(state, localLame, transfer))
        return text(language, "msgNoRsync").arg(name);
    return text(language, "msgReady").arg(name).arg(state.cores).arg(state.lame);
}

MachineCheck::MachineCheck(QObject* parent)
    : QObject(parent)
{}

MachineCheck::~MachineCheck()
{
    stop();
}

void MachineCheck::stop()
{
    for (QProcess* process : std::exchange(m_processes, {})) {
        disconnect(process, nullptr, this, nullptr);
        // SIGTERM: parallel ends its ssh itself. Reaped by the application once it has ended.
        process->setParent(QCoreApplication::instance());
        connect(process, &QProcess::finished, process, &QObject::deleteLater);
        process->terminate();
    }
    m_pending = 0;
}

void MachineCheck::start(const QStringList& logins, const QString& localLame, const QString& ssh)
{
    stop();
    m_ssh = ssh;
    m_states.clear();
    m_localVersion.clear();
    m_folder = std::make_unique<QTemporaryDir>();
    for (const QString& login : logins)
        m_states.append(MachineState{login, false, 0, {}, false, {}});
    m_pending = static_cast<int>(m_states.size()) + 1;

    auto* local = new QProcess(this);
    m_processes.append(local);
    connect(local, &QProcess::finished, this, [this, local] { onEnded(local, -1); });
    connect(local, &QProcess::errorOccurred, this, [this, local](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            onEnded(local, -1);
    });
    local->start(localLame, {QStringLiteral("--version")});
    for (int i = 0; i < m_states.size(); ++i)
        ask(i);
}

void MachineCheck::ask(int index)
{
    // A file of its own for each machine: on a command line a comma would split the login.
    const QString loginFile = m_folder->filePath(QString::number(index));
    QFile file(loginFile);
    if (file.open(QIODevice::WriteOnly))
        file.write(
            (m_ssh.isEmpty() ? m_states.at(index).login : WithSsh(m_states.at(index).login, m_ssh))
                .toUtf8() +
            '\n');
    file.close();

    auto* process = new QProcess(this);
    m_processes.append(process);
    connect(process, &QProcess::finished, this,
            [this, process, index] { onEnded(process, index); });
    connect(process, &QProcess::errorOccurred, this,
            [this, process, index](QProcess::ProcessError error) {
                if (error == QProcess::FailedToStart) {
                    m_states[index].error = QStringLiteral("parallel: ") + process->errorString();
                    onEnded(process, index);
                }
            });
    QStringList arguments = {QStringLiteral("--will-cite"),    QStringLiteral("--nonall"),
                             QStringLiteral("--timeout"),      QString::number(kTimeoutSeconds),
                             QStringLiteral("--sshloginfile"), loginFile};
    if (!m_ssh.isEmpty())
        arguments << QStringLiteral("--ssh") << m_ssh;
    process->start(QStringLiteral("parallel"), arguments << QStringLiteral("/bin/sh -c '") +
                                                                QLatin1String(kQuestion) +
                                                                QLatin1Char('\''));
}

void MachineCheck::onEnded(QProcess* process, int index)
{
    if (!m_processes.removeOne(process))
        return;
    const QString said = QString::fromLocal8Bit(process->readAllStandardOutput());
    if (index < 0) {
        m_localVersion = LameVersion(said.section(QLatin1Char('\n'), 0, 0));
    } else {
        MachineState& state = m_states[index];
        for (const QString& line : said.split(QLatin1Char('\n'))) {
            if (line.startsWith(QLatin1String("QUENZAL:cores "))) {
                state.answered = true;
                state.cores = line.mid(14).trimmed().toInt();
            } else if (line.startsWith(QLatin1String("QUENZAL:lame "))) {
                state.lame = LameVersion(line);
            } else if (line == QLatin1String("QUENZAL:rsync")) {
                state.rsync = true;
            }
        }
        const QStringList complaints =
            QString::fromLocal8Bit(process->readAllStandardError())
                .split(QRegularExpression(QStringLiteral("[\r\n]+")), Qt::SkipEmptyParts);
        if (!state.answered && !complaints.isEmpty())
            state.error = complaints.last().trimmed();
    }
    process->deleteLater();
    if (--m_pending == 0)
        Q_EMIT finished();
}
