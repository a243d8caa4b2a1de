#pragma once

#include "conversion/ConversionScript.h"

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QObject>
#include <QProcess>

// Splits what a conversion script prints on its standard output into Quenzal's markers and
// everything else, whatever the pipe cuts the bytes into.
class RunOutputParser {
public:
    struct Event {
        enum Kind { Begin, Done, Output } kind = Output;
        int line = 0;         // 1-based, Begin and Done
        QByteArray before;    // Begin: the output's state before the line ("none": missing)
        int exitCode = 0;     // Done: lame's exit code
        bool written = false; // Done: the output exists, is not empty and is this line's work
        QByteArray bytes;     // Output
    };

    QList<Event> feed(const QByteArray& bytes);
    // The end of the stream: a last line without its line feed is output too.
    QList<Event> finish();

private:
    QByteArray m_pending;
};

// How a run ended. A run succeeded only when the script ended with 0, every planned line
// reported its end, every line was good and nobody stopped it.
struct RunResult {
    bool started = false;
    int exitCode = 0; // the script's; -1 when it ended by a signal
    bool stopped = false;
    QList<int> failedLines;     // 0-based lines whose file was not converted
    QList<int> unfinishedLines; // 0-based lines that never reported their end
    bool succeeded() const
    {
        return started && exitCode == 0 && !stopped && failedLines.isEmpty() &&
               unfinishedLines.isEmpty();
    }
};

Q_DECLARE_METATYPE(RunResult)

// Runs a written conversion script with /bin/sh and follows it line by line: which file is
// being converted and which ones failed. The script and the lame it starts run in a session
// of their own, so that a stop ends both. Everything is reported by signals; nothing waits.
class ConversionRun : public QObject {
    Q_OBJECT

public:
    ConversionRun(ConversionPlan plan, QString scriptPath, QObject* parent = nullptr);
    ~ConversionRun() override;

    // Starts the script; `finished` follows in every case, also when /bin/sh cannot start.
    void start();
    // Ends the script and its lame. The interrupted line's output is removed only when that
    // line wrote it: a file that was there before the line is never touched.
    void stop();
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }

    const ConversionPlan& plan() const { return m_plan; }

Q_SIGNALS:
    void output(const QByteArray& bytes);                // what lame and the script print
    void fileStarted(int number, const QString& source); // 1-based line number
    void fileFinished(int number, bool ok);
    void finished(const RunResult& result);

private:
    void handle(const QList<RunOutputParser::Event>& events);
    void onFinished();
    void removeInterruptedOutput();

    ConversionPlan m_plan;
    QString m_scriptPath;
    QProcess m_process;
    RunOutputParser m_parser;
    RunResult m_result;
    QList<bool> m_done;  // per line: its end was reported
    int m_current = -1;  // 0-based line that began and has not ended
    QByteArray m_before; // its output's state before it began
};

// The state of a file as the script's quenzal_state writes it: "inode size mtime", or "none".
QByteArray FileState(const QString& path);
