#pragma once

#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QString>

class QDBusPendingCallWatcher;

// What the desktop is told about a long run, so that it can be left alone: the machine does
// not fall asleep, the task bar entry shows how far it got, and a notification says when it is
// over. Each part speaks D-Bus and does nothing, silently, where its service is missing.

// Keeps the machine from sleeping while held, through logind's Inhibit("sleep", …) on the
// system bus. The lock is a file descriptor: released when dropped, and by the kernel when
// Quenzal ends in any way, a crash included. Never blocks the window.
class SleepInhibitor final : public QObject {
    Q_OBJECT

public:
    explicit SleepInhibitor(QObject* parent = nullptr);

    // `why` is shown by the desktop beside the inhibitor ("Quenzal: converting files").
    void hold(const QString& why);
    void release();
    bool isHeld() const { return m_lock.isValid(); }

private:
    void onReply(QDBusPendingCallWatcher* watcher);

    bool m_wanted = false;
    QDBusUnixFileDescriptor m_lock;
};

// The run's overall progress on the task bar entry (com.canonical.Unity.LauncherEntry, read by
// KDE Plasma and the common docks), for the desktop entry org.orvanel.Quenzal.
class LauncherProgress final : public QObject {
    Q_OBJECT

public:
    explicit LauncherProgress(QObject* parent = nullptr);

    // 0 to 1; shows the bar.
    void show(double fraction);
    void hide();
};

// A desktop notification (org.freedesktop.Notifications) at the end of a run; a click on it
// emits `clicked`.
class RunNotification final : public QObject {
    Q_OBJECT

public:
    explicit RunNotification(QObject* parent = nullptr);

    void notify(const QString& summary, const QString& body);

Q_SIGNALS:
    void clicked();

private Q_SLOTS:
    void onActionInvoked(uint id, const QString& action);

private:
    uint m_id = 0; // the last notification's, once the service answered
};
