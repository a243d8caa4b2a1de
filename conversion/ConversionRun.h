#pragma once

#include "conversion/ConversionScript.h"

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QObject>
#include <QProcess>

#include <memory>
#include <optional>
#include <vector>

// Splits what a conversion script prints on its standard output into Quenzal's markers and
// everything else, whatever the pipe cuts the bytes into.
class RunOutputParser {
public:
    struct Event {
        enum Kind { Begin, Done, Output } kind = Output;
        int line = 0;         // 1-based, Begin and Done
        int exitCode = 0;     // Done: lame's exit code
        bool written = false; // Done: the output exists, is not empty and is this line's work
        QByteArray bytes;     // Output
    };

    QList<Event> feed(const QByteArray& bytes);
    // One whole line (with its line feed, if any): a marker, or output when it is none.
    static Event parseLine(const QByteArray& line);
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

// Runs a conversion plan's script and follows it line by line: which file is being converted
// and which ones failed. With one job /bin/sh reads the whole script from a pipe, line by line;
// with more, Quenzal runs the script's lines itself, each through /bin/sh -c with the same
// prologue, at most `jobs` at a time, starting them in list order. Either way the run executes
// exactly its own lines: no file that someone else could change in between is run. Every
// /bin/sh and the lame it starts run in a session of their own, so that a stop ends both.
// A source to delete is removed by Quenzal once the line's end said its output is in place.
// Everything is reported by signals; nothing waits.
class ConversionRun : public QObject {
    Q_OBJECT

public:
    explicit ConversionRun(ConversionPlan plan, int jobs = 1, QObject* parent = nullptr);
    ~ConversionRun() override;

    // Starts the run; `finished` follows in every case, also when /bin/sh cannot start.
    virtual void start();
    // Ends the scripts and their lame (SIGTERM, then SIGKILL after a grace period). Only an
    // interrupted line's temporary file goes: no output and no source is ever touched.
    virtual void stop();
    virtual bool isRunning() const { return !m_jobs.empty(); }

    const ConversionPlan& plan() const { return m_plan; }

Q_SIGNALS:
    // What lame and the script print; `number` is the line it belongs to, or 0.
    void output(int number, const QByteArray& bytes);
    void fileStarted(int number, const QString& source); // 1-based line number
    // `exitCode` is lame's.
    void fileFinished(int number, bool ok, int exitCode);
    void finished(const RunResult& result);

private:
    struct Job {
        QProcess* process = nullptr;
        RunOutputParser parser;
        int line = -1;    // the one line it runs, when lines run on their own
        qint64 pid = 0;   // the shell's, which names the temporary files
        int current = -1; // 0-based line that began and has not ended
        // A line run on its own reports its end once its process has ended, when all that lame
        // wrote on the other pipe has been read too.
        std::optional<RunOutputParser::Event> done;
    };

    void startJob(const QStringList& arguments, int line);
    void startMoreLines();
    void handle(Job& job, const QList<RunOutputParser::Event>& events);
    // What lame said, for the line it belongs to. Markers that came first on the other pipe
    // are read first, so that a line's start is known before its output.
    void readStandardError(Job& job, bool markersFirst);
    void onJobEnded(QProcess* process, bool failedToStart);
    void removeInterruptedOutput(Job& job);

    ConversionPlan m_plan;
    int m_jobCount = 1;
    std::vector<std::unique_ptr<Job>> m_jobs;
    qsizetype m_nextLine = 0; // the next line to start, when the lines run on their own
    RunResult m_result;
    QList<bool> m_done; // per line: its end was reported
};
