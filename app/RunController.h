#pragma once

#include "conversion/ConversionScript.h"

#include <QObject>
#include <QPointer>

#include <memory>

class ConversionSession;
class LauncherProgress;
class RunNotification;
class SleepInhibitor;
class Desktop;
class Language;
class QWidget;
class frmConsole;

// The one owner of conversion runs: it takes a plain request, starts the session in the
// console window, keeps the busy state while the run and its end-of-run notice last, and
// decides what closing Quenzal means meanwhile. Windows only hear of it by signals.
class RunController final : public QObject {
    Q_OBJECT

public:
    // `owner` is the window messages belong to.
    RunController(Desktop& desktop, const Language& language, QWidget* owner,
                  QObject* parent = nullptr);
    ~RunController() override;

    // Starts a run unless one is under way. A run refused by its checks (the user was told
    // why) ends at once, unsuccessfully.
    void start(const ConversionRequest& request, const QString& scriptPath, frmConsole& console);
    bool isBusy() const { return m_busy; }
    bool isRunning() const;

    // The user closes Quenzal while busy: during the run Quenzal asks whether to stop it, and
    // quits once it has ended; a notice still to come goes with the window.
    void closeWhileBusy();

Q_SIGNALS:
    // The run and its notice are under way: the main window takes no input meanwhile.
    void busyChanged(bool busy);
    // A run is over: every file converted, or not.
    void ended(bool succeeded);
    // What became of one listed file (`text`: its row's state, or why it was skipped).
    void fileOutcome(const QString& source, bool ok, const QString& text);
    // Quenzal may now close, as the user asked during the run.
    void quitRequested();

private:
    void onSessionEnded(bool succeeded);
    // The desktop hears of the run: sleep kept off, the task bar's progress, and at the end a
    // notification when Quenzal is not the active window.
    void countOutcome(bool ok);
    void tellDesktopTheEnd();
    // The files of the last run that were not converted, again with the same request.
    void retryFailures();
    void showEndNotice();
    void setBusy(bool busy);

    Desktop& m_desktop;
    const Language& m_language;
    QPointer<QWidget> m_owner;
    QPointer<frmConsole> m_console;
    std::unique_ptr<ConversionSession> m_session;
    ConversionRequest m_request; // the last run's
    QString m_scriptPath;
    bool m_busy = false;
    bool m_quitWhenIdle = false;
    SleepInhibitor* m_sleep = nullptr;
    LauncherProgress* m_launcher = nullptr;
    RunNotification* m_notification = nullptr;
    int m_files = 0; // the run's listed files, and what became of them so far
    int m_converted = 0;
    int m_failed = 0;
};
