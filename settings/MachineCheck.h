#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class Language;
class QProcess;
class QTemporaryDir;

// What one machine of the "Machines" setting answered.
struct MachineState {
    QString login; // the sshlogin as the setting has it
    bool answered = false;
    int cores = 0;
    QString lame; // lame's version there ("3.100"); empty: no lame
    bool rsync = false;
    QString error; // the last thing ssh or parallel said, when it did not answer
};

// The sshlogin without its job count ("4/user@host" is "user@host"): the machine's name in
// texts and in GNU parallel's job log.
QString MachineName(const QString& login);

// The login with `ssh` for the ssh command it names ("4/ssh -p 2222 host" with `ssh` "ssh -o X"
// is "4/ssh -o X -p 2222 host"); a login that names none gets `ssh` through parallel's --ssh.
QString WithSsh(const QString& login, const QString& ssh);

// lame's version in what `lame --version` printed first ("LAME 64bits version 3.100 (…)" gives
// "3.100"); empty when there is none.
QString LameVersion(const QString& firstLine);

// A machine converts files only when it answered and has the same lame as this computer, so
// that every output is the one a local run makes; sending files also needs rsync there.
bool MachineUsable(const MachineState& state, const QString& localLame, bool transfer);

// One line about the machine for the user: answered with its cores and lame, or why it cannot
// convert.
QString DescribeMachine(const Language& language, const MachineState& state,
                        const QString& localLame, bool transfer);

// Asks every machine at once, through `parallel --nonall`, whether it answers, how many cores
// it has, which lame and whether rsync is there; and the local lame for its version. Nothing
// waits: `finished` follows once every machine has answered, failed or timed out.
class MachineCheck final : public QObject {
    Q_OBJECT

public:
    explicit MachineCheck(QObject* parent = nullptr);
    ~MachineCheck() override;

    // `localLame` is the lame a local run uses; `ssh`, when given, is the ssh command for every
    // machine (see WithSsh). A check under way is ended first.
    void start(const QStringList& logins, const QString& localLame, const QString& ssh = QString());
    // Ends every question still open; `finished` does not follow.
    void stop();
    bool isRunning() const { return m_pending > 0; }

    const QList<MachineState>& states() const { return m_states; }
    // The local lame's version; empty when it did not answer.
    const QString& localVersion() const { return m_localVersion; }

    // How long a machine has to answer, in seconds (ssh may wait long for a host that is off).
    static constexpr int kTimeoutSeconds = 30;

Q_SIGNALS:
    void finished();

private:
    void ask(int index);
    void onEnded(QProcess* process, int index);

    QList<MachineState> m_states;
    QList<QProcess*> m_processes;
    QString m_localVersion;
    QString m_ssh;
    std::unique_ptr<QTemporaryDir> m_folder;
    int m_pending = 0;
};
