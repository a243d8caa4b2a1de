#pragma once

#include "conversion/ConversionScript.h"

#include <QDateTime>
#include <QObject>
#include <QProcess>

// Runs a written conversion script with /bin/sh and follows it line by line: which file is
// being converted, which ones failed. The script and the lame it starts run in a process group
// of their own, so that a stop ends both.
class ConversionRun : public QObject {
    Q_OBJECT

public:
    ConversionRun(ConversionPlan plan, QString scriptPath, QObject* parent = nullptr);
    ~ConversionRun() override;

    // False when /bin/sh could not be started.
    bool start();
    QProcess& process() { return m_process; }

    // Ends the script and its lame; the interrupted line's unfinished output is removed.
    void stop();
    bool wasStopped() const { return m_stopped; }

    const ConversionPlan& plan() const { return m_plan; }
    // Lines (0-based) that failed: lame ended with an error, or left no output.
    const QList<int>& failedLines() const { return m_failed; }
    int finishedLines() const { return m_finished; }

Q_SIGNALS:
    void output(const QByteArray& bytes);                // what lame and the script print
    void fileStarted(int number, const QString& source); // 1-based line number
    void fileFinished(int number, bool ok);

private:
    void readMarkers();
    void startNextFile();
    void removeInterruptedOutput();

    ConversionPlan m_plan;
    QString m_scriptPath;
    QProcess m_process;
    QByteArray m_pendingStdout;
    QList<int> m_failed;
    int m_finished = 0;
    QDateTime m_lineStarted;
    bool m_stopped = false;
};
