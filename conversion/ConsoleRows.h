#pragma once

#include "conversion/ConsoleScreen.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <map>

// The files of a conversion run as the console window lists them: one row per file with its
// name and its state (waiting, running with its percentage, done, failed with lame's exit code
// and its last error line). A running or failed file keeps the end of its own output, so that a
// failed file's output can be opened; a file that went well drops it.
class ConsoleRows : public QAbstractTableModel {
    Q_OBJECT

public:
    enum class State { Waiting, Running, Done, Failed, UpToDate, Stopped, NotStarted };
    enum Column { NameColumn, StateColumn, ColumnCount };

    // The texts of the states and columns; %1 is the percentage, the exit code, or the exit
    // code then the error line.
    struct Texts {
        QString file, state, waiting, running, done, failed, failedLine, upToDate, stopped,
            notStarted;
    };

    explicit ConsoleRows(QObject* parent = nullptr);

    void setTexts(const Texts& texts);
    // A new run. With `ownProgress` each running file's progress is read from its own output
    // (files run side by side); otherwise the caller reports it (setProgress).
    void reset(const QStringList& names, bool ownProgress);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Rows count from 0; a row out of range is ignored.
    void start(int row);
    void appendOutput(int row, QByteArrayView bytes);
    void setProgress(int row, int percent);
    void finish(int row, bool ok, int exitCode);
    // "Passer": the file's output was already there; it counts as done.
    void markUpToDate(int row);
    // After a stop: a running file was stopped, a waiting one never started.
    void markStopped();
    // Reads the progress every running file showed since the last call (ownProgress only),
    // and tells the view about every row that changed.
    void refresh();

    // The file's own output as a terminal shows it (the end of it, for a long one).
    QString outputText(int row) const;
    bool hasOutput(int row) const { return !m_rows.at(row).tail.isEmpty(); }
    int runningCount() const { return m_running; }
    int doneCount() const { return m_done; }
    // How much of the run is done, 0 to 1, counting the running files' progress.
    double doneFraction() const;

    static constexpr qsizetype kTailBytes = 32 * 1024;

private:
    struct Row {
        QString name;
        State state = State::Waiting;
        int percent = 0;
        int exitCode = 0;
        QString lastLine;
        QByteArray tail;
        qint64 received = 0; // every byte of output so far, also those dropped from the tail
    };
    QString stateText(const Row& row) const;
    void findLastLine(Row& r, int row);
    void changed(int row);

    Texts m_texts;
    QList<Row> m_rows;
    bool m_ownProgress = false;
    // Running files that show their own progress, with how much of their output was looked at.
    std::map<int, qsizetype> m_scanned;
    int m_firstChanged = -1, m_lastChanged = -1;
    int m_running = 0, m_done = 0;
};
