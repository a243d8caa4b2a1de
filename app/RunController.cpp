#include "app/RunController.h"

#include "app/RunDesktop.h"
#include "conversion/ConversionSession.h"
#include "conversion/frmConsole.h"
#include "settings/BuiltInTexts.h"
#include "settings/Desktop.h"

#include <QApplication>

RunController::RunController(Desktop& desktop, const Language& language, QWidget* owner,
                             QObject* parent)
    : QObject(parent)
    , m_desktop(desktop)
    , m_language(language)
    , m_owner(owner)
    , m_sleep(new SleepInhibitor(this))
    , m_launcher(new LauncherProgress(this))
    , m_notification(new RunNotification(this))
{
    connect(m_notification, &RunNotification::clicked, this, [this] {
        QWidget* front = m_console && m_console->isVisible() ? m_console.data() : m_owner.data();
        if (!front)
            return;
        if (front->isMinimized())
            front->showNormal();
        front->raise();
        front->activateWindow();
    });
}

RunController::~RunController() = default;

bool RunController::isRunning() const
{
    return m_session && m_session->isRunning();
}

void RunController::start(const ConversionRequest& request, const QString& scriptPath,
                          frmConsole& console)
{
    if (m_busy)
        return; // one run at a time, however it was asked for
    if (m_console != &console) {
        m_console = &console;
        connect(&console, &frmConsole::retryRequested, this, &RunController::retryFailures);
    }
    m_request = request;
    m_scriptPath = scriptPath;
    m_session = std::make_unique<ConversionSession>(m_desktop, m_language, console, m_owner);
    connect(m_session.get(), &ConversionSession::ended, this, &RunController::onSessionEnded);
    connect(m_session.get(), &ConversionSession::fileOutcome, this, &RunController::fileOutcome);
    connect(m_session.get(), &ConversionSession::fileOutcome, this,
            [this](const QString&, bool ok) { countOutcome(ok); });
    setBusy(true);
    m_files = static_cast<int>(request.sources.size());
    m_converted = m_failed = 0;
    m_sleep->hold(MessageText(m_language, "Main", "msgSleepOff"));
    m_launcher->show(0);
    if (!m_session->start(request, scriptPath)) {
        m_sleep->release();
        m_launcher->hide();
        setBusy(false);
        Q_EMIT ended(false);
    }
}

void RunController::closeWhileBusy()
{
    if (isRunning()) {
        if (m_quitWhenIdle)
            return; // already asked: the run is stopping
        if (m_desktop.ask(m_owner, MessageText(m_language, "Main", "msgQuitRunning"),
                          QStringLiteral("Quenzal"))) {
            m_quitWhenIdle = true;
            m_session->stop();
        }
        return;
    }
    // Only the notice of a failed run is still to come: it goes with the window.
    if (m_console)
        disconnect(m_console, &frmConsole::closed, this, &RunController::showEndNotice);
    setBusy(false);
    Q_EMIT quitRequested();
}

void RunController::countOutcome(bool ok)
{
    ++(ok ? m_converted : m_failed);
    if (m_files > 0)
        m_launcher->show(double(m_converted + m_failed) / m_files);
}

void RunController::tellDesktopTheEnd()
{
    m_sleep->release();
    m_launcher->hide();
    // Somebody looking at Quenzal sees the end already.
    if (QApplication::activeWindow())
        return;
    m_notification->notify(
        MessageText(m_language, "Main", "msgRunOverTitle"),
        MessageText(m_language, "Main", "msgRunOverBody").arg(m_converted).arg(m_failed));
}

void RunController::onSessionEnded(bool succeeded)
{
    tellDesktopTheEnd();
    if (succeeded || m_quitWhenIdle) {
        setBusy(false);
        Q_EMIT ended(succeeded);
        if (std::exchange(m_quitWhenIdle, false))
            Q_EMIT quitRequested();
        return;
    }
    Q_EMIT ended(false);
    // The console window stays open on the failure; the notice follows once it is closed.
    if (!m_console || !m_console->isVisible()) {
        showEndNotice();
        return;
    }
    connect(m_console, &frmConsole::closed, this, &RunController::showEndNotice,
            Qt::SingleShotConnection);
}

void RunController::retryFailures()
{
    if (!m_session || isRunning() || m_session->notConverted().isEmpty())
        return;
    // The notice of the failed run is not needed any more: a new run takes its place.
    disconnect(m_console, &frmConsole::closed, this, &RunController::showEndNotice);
    setBusy(false);
    ConversionRequest again = m_request;
    again.sources = m_session->notConverted();
    start(again, m_scriptPath, *m_console);
}

void RunController::showEndNotice()
{
    m_desktop.showMessage(m_owner,
                          MessageText(m_language, "Main", "msgTimeA") + QLatin1Char('\n') +
                              MessageText(m_language, "Main", "msgTimeB"),
                          QStringLiteral("Quenzal"), Desktop::Icon::Information);
    setBusy(false);
}

void RunController::setBusy(bool busy)
{
    m_busy = busy;
    Q_EMIT busyChanged(busy);
}
