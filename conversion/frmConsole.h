#pragma once

#include "conversion/ConsoleScreen.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QWidget>

class Language;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;

// Every text the console window shows of its own, in one place, so that the language files
// can replace them. The built-in texts are French.
struct ConsoleTexts {
    QString title;          // before the first file
    QString titleFile;      // %1 the file's number, %2 the number of files
    QString titleStopped;   // the run was stopped
    QString titleFailed;    // the run ended with errors
    QString stop;           // cmdStop
    QString close;          // cmdFermer
    QString stopped;        // summary: the run was stopped
    QString failedCount;    // %1 how many files were not converted
    QString failedList;     // heads the names of the failed files
    QString failedExitCode; // %1 the exit code, when no file is named
    static ConsoleTexts builtIn();
    // The texts of section "Console" of a language file; a text the file lacks is the
    // built-in one.
    static ConsoleTexts fromLanguage(const Language& language);
};

// The console window of a conversion run: the script's output live, the encoder's progress
// redrawn in place, a progress bar for the current file and one for the run, and a Stop
// button. It is a window of its own, not modal, and stays usable while the main window is
// disabled for the run.
class frmConsole : public QWidget {
    Q_OBJECT

public:
    explicit frmConsole(QWidget* parent = nullptr);

    void setTexts(const ConsoleTexts& texts);

    // Clears the window, shows it and writes the notes first.
    void beginRun(int fileCount, const QStringList& notes);
    // The script's output, stdout and stderr alike, as it comes.
    void appendOutput(QByteArrayView bytes);
    // `number` counts from 1.
    void startFile(int number, const QString& name);
    void finishFile(int number, bool ok);
    // A clean end (0, no failed file, not stopped) closes the window. Otherwise it stays open
    // with a summary naming the failed files or saying the run was stopped, until the user
    // closes it.
    void endRun(int exitCode, const QStringList& failedNames, bool stopped);
    bool isRunning() const { return m_outcome == Outcome::Running; }

    QPlainTextEdit* txtSortie = nullptr;
    QProgressBar* prgFichier = nullptr;
    QProgressBar* prgTotal = nullptr;
    QLabel* lblFichier = nullptr;
    QPushButton* cmdStop = nullptr;
    QPushButton* cmdFermer = nullptr;

Q_SIGNALS:
    // The user asked to stop: cmdStop, or closing the window during the run.
    void stopRequested();
    // The window was closed, by the user or by a clean end of the run.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    enum class Outcome { Idle, Running, Succeeded, Stopped, Failed };

    void cmdStop_Click();
    void requestStop();
    void scheduleRedraw();
    // Brings the text up to date with the screen, redrawing only the lines that changed.
    void redraw();
    void showLinesFrom(int first);
    void dropShownTopLines();
    void applyTexts();

    ConsoleTexts m_texts;
    ConsoleScreen m_screen;
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
    bool m_stopRequested = false;
};
