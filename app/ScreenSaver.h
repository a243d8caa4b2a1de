#pragma once

#include <QObject>

class QDBusPendingCallWatcher;

// Keeps the desktop's screen saver from starting while `inhibited` is set, through the
// org.freedesktop.ScreenSaver service on the session bus. Without such a service nothing
// happens, silently. Calls never block the window.
class ScreenSaverInhibitor : public QObject {
    Q_OBJECT

public:
    explicit ScreenSaverInhibitor(QObject* parent = nullptr);
    ~ScreenSaverInhibitor() override;

    // `why` is what the desktop shows beside the inhibition, in the user's language.
    void setInhibited(bool inhibited, const QString& why = QString());

private:
    void sendInhibit();

    QString m_why;
    void onInhibitReply(QDBusPendingCallWatcher* watcher);
    void release(uint cookie);

    bool m_wanted = false;
    bool m_pending = false;    // an Inhibit call has not answered yet
    bool m_askedAgain = false; // asked again while a request was on its way
    bool m_haveCookie = false;
    uint m_cookie = 0;
};
