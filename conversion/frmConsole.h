#pragma once

#include "conversion/ConsoleRows.h"
#include "conversion/ConsoleScreen.h"
#include "conversion/ConsoleTexts.h"

#include <QByteArrayView>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;
class QTreeView;

// The console window of a conversion run: the script's output live, the encoder's progress
// redrawn in place, the list of the run's files with the state of each, a progress bar for the
// current file and one for the run with the time left, and a Stop button. When files run side
// by side, the output shown is Quenzal's own (notes, failures, the summary); each file's own
// output opens from its row. It is a window of its own, not modal, and stays usable while the
// main window is disabled for the run.
class frmConsole : public QWidget {
    Q_OBJECT

public:
    explicit frmConsole(QWidget* parent = nullptr);

    void setTexts(const ConsoleTexts& texts);
    const ConsoleTexts& texts() const { return m_texts; }

    // Clears the window, lists the files, shows it and writes the notes first. `jobs` is how
    // many files are converted at once.
    void beginRun(const QStringList& fileNames, const QStringList& notes, int jobs = 1);
    // Output as it comes: of the file numbered `number` (from 1), or of the run (0).
    void appendOutput(int number, QByteArrayView bytes);
    void startFile(int number);
    void finishFile(int number, bool ok, int exitCode = 0);
    // "Passer": the file's output was already there.
    void markUpToDate(int number);
    // A clean end (0, no failed file, not stopped) closes the window. Otherwise it stays open
    // with a summary naming the failed files or saying the run was stopped, until the user
    // closes it.
    void endRun(int exitCode, const QStringList& failedNames, bool stopped);
    // A file's own output in a window of its own (a double click on its row does it).
    void openFileOutput(int number);
    bool isRunning() const { return m_outcome == Outcome::Running; }
    // What the row of the file numbered `number` says (its state, its error line).
    QString rowState(int number) const;
    // Stops the run as cmdStop does.
    void requestStop();

Q_SIGNALS:
    // The user asked to stop: cmdStop.
    void stopRequested();
    // The user closed the window during the run: the run's owner asks whether to stop it.
    void closeDuringRun();
    // The user asked to run the files that were not converted again.
    void retryRequested();
    // The window was closed, by the user or by a clean end of the run.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QTreeView* lstFichiers = nullptr;
    QPlainTextEdit* txtSortie = nullptr;
    QProgressBar* prgFichier = nullptr;
    QProgressBar* prgTotal = nullptr;
    QLabel* lblFichier = nullptr;
    QLabel* lblReste = nullptr; // the time left
    QPushButton* cmdStop = nullptr;
    QPushButton* cmdFermer = nullptr;
    QPushButton* cmdReprendre = nullptr; // runs the files that were not converted again

    enum class Outcome { Idle, Running, Succeeded, Stopped, Failed };

    void cmdStop_Click();
    void scheduleRedraw();
    // Brings the text up to date with the screen, redrawing only the lines that changed.
    void redraw();
    void showLinesFrom(int first);
    void dropShownTopLines();
    void applyTexts();
    void showTitle();

    bool sideBySide() const { return m_jobs > 1; }
    void closeFileOutputs();
    void showTimeLeft();

    ConsoleTexts m_texts;
    ConsoleScreen m_screen;
    ConsoleRows* m_rows = nullptr;
    int m_jobs = 1;
    QElapsedTimer m_clock;
    QTimer* m_redrawTimer = nullptr; // runs only while output waits to be shown
    qint64 m_shownDropped = 0;
    int m_fileCount = 0;
    int m_filesDone = 0;
    int m_currentFile = 0;
    // Shown at the next redraw: a file of a fast run may start and end between two frames,
    // and every change shown at once would repaint the window once more.
    QString m_currentName;
    int m_fileProgress = 0;
    Outcome m_outcome = Outcome::Idle;
    bool m_placed = false; // put over the window it belongs to, once
    bool m_stopRequested = false;
};
