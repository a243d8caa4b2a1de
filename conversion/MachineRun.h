#pragma once

#include "conversion/ConversionRun.h"
#include "settings/MachineCheck.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <map>
#include <memory>

class Language;
class QFileSystemWatcher;
class QProcess;
class QTemporaryDir;

// A run spread over the machines of the "Machines" setting by GNU parallel over ssh. First every
// machine is asked (MachineCheck): one that does not answer, lacks lame or has another lame than
// this computer is named and left out. Then the planned lines go to one `parallel`, each line
// still through /bin/sh -c with the script's prologue, quoting and markers, on whichever machine
// has a free slot; a line whose machine drops out is tried on another (--retries), and the
// temporary file of the try that dropped goes at the end. With shared folders every machine
// works on the same paths; with transfer each source is sent under a plain name, its output
// brought back and moved into place here, and the machine's copies removed.
// Stop is parallel's own: SIGTERM ends every job, remote ones included, then SIGKILL after a
// grace period; an interrupted line's temporary file goes, as in a local run. With transfer, the
// stopped run's work folders on every machine go afterwards, without anybody waiting for it.
class MachineRun final : public ConversionRun {
    Q_OBJECT

public:
    MachineRun(ConversionPlan plan, const ConversionRequest& request, const Language& language,
               QObject* parent = nullptr);
    ~MachineRun() override;

    void start() override;
    void stop() override;
    bool isRunning() const override;

    // parallel's job log (sequence, machine, times, exit code): there until the run goes (after a
    // stopped transfer run, until its clean-up is done).
    QString jobLogPath() const;
    // The remote command of one line (how it reaches lame on another machine); `owner` is the
    // Quenzal that runs it, whose number names the temporary files.
    static QString RemoteCommand(int number, Direction direction, const QString& optionsText,
                                 const QString& source, const QString& output, qint64 owner);

private:
    struct Job {
        int index = -1;  // 0-based line of the plan
        QString machine; // where it runs now
        bool begun = false;
        std::optional<RunOutputParser::Event> done; // transfer: until the output is back
        bool returned = false; // transfer: parallel's job log says the try ended well
    };

    void onChecked();
    void startParallel(const QStringList& logins);
    void readChannel(QByteArray& pending, const QByteArray& bytes);
    void handleLine(const QByteArray& line);
    void handleJobLine(int seq, QByteArray content);
    void finishLine(Job& job, const RunOutputParser::Event& done);
    void readJobLog();
    void onParallelEnded(bool failedToStart);
    void removeInterrupted();
    void removeWorkFolders();
    void say(const char* key, const QString& a1 = QString(), const QString& a2 = QString());

    ConversionRequest m_request;
    const Language& m_language;
    MachineCheck m_check;
    std::unique_ptr<QTemporaryDir> m_folder;
    QProcess* m_parallel = nullptr;
    qint64 m_parallelPid = 0; // names its work folders on the machines
    QFileSystemWatcher* m_jobLogWatcher = nullptr;
    qint64 m_jobLogRead = 0;
    std::map<int, Job> m_jobs; // by parallel's sequence number
    QByteArray m_stdout, m_stderr;
    QList<bool> m_finished; // per line: its end was reported
    RunResult m_result;
    bool m_running = false;
    QString m_outputExtension;
    QString m_sharing; // the ssh command that shares one connection to each machine
};
