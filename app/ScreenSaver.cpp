#include "app/ScreenSaver.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString kService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString kInterface = QStringLiteral("org.freedesktop.ScreenSaver");

QDBusMessage screenSaverCall(const QString& method)
{
    return QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
}

void releaseCookie(uint cookie)
{
    QDBusMessage call = screenSaverCall(QStringLiteral("UnInhibit"));
    call << cookie;
    QDBusConnection::sessionBus().call(call, QDBus::NoBlock);
}

} // namespace

ScreenSaverInhibitor::ScreenSaverInhibitor(QObject* parent)
    : QObject(parent)
{}

ScreenSaverInhibitor::~ScreenSaverInhibitor()
{
    if (m_haveCookie)
        release(m_cookie);
    // A request still on its way outlives the switch: the inhibition it brings back is
    // released as soon as it comes, or it would last as long as the desktop session.
    for (QDBusPendingCallWatcher* watcher : findChildren<QDBusPendingCallWatcher*>()) {
        disconnect(watcher, nullptr, this, nullptr);
        watcher->setParent(QCoreApplication::instance());
        connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                [](QDBusPendingCallWatcher* call) {
                    call->deleteLater();
                    const QDBusPendingReply<uint> reply = *call;
                    if (!reply.isError())
                        releaseCookie(reply.value());
                });
    }
}

void ScreenSaverInhibitor::setInhibited(bool inhibited, const QString& why)
{
    if (!why.isEmpty())
        m_why = why;
    if (inhibited == m_wanted)
        return;
    m_wanted = inhibited;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    if (inhibited) {
        if (m_haveCookie)
            return;
        if (m_pending) {
            m_askedAgain = true; // answered when the request on its way comes back
            return;
        }
        sendInhibit();
    } else if (m_haveCookie) {
        m_haveCookie = false;
        release(m_cookie);
    }
    // A request still on its way is released when its answer comes.
}

void ScreenSaverInhibitor::sendInhibit()
{
    QDBusMessage call = screenSaverCall(QStringLiteral("Inhibit"));
    call << QStringLiteral("Quenzal") << m_why;
    auto* watcher =
        new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    m_pending = true;
    m_askedAgain = false;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            &ScreenSaverInhibitor::onInhibitReply);
}

void ScreenSaverInhibitor::onInhibitReply(QDBusPendingCallWatcher* watcher)
{
    watcher->deleteLater();
    m_pending = false;
    const QDBusPendingReply<uint> reply = *watcher;
    if (reply.isError()) {
        // No screen saver service, or not yet: a later request of the user tries again.
        if (m_wanted && m_askedAgain)
            sendInhibit();
        return;
    }
    if (m_wanted) {
        m_cookie = reply.value();
        m_haveCookie = true;
    } else {
        release(reply.value());
    }
}

void ScreenSaverInhibitor::release(uint cookie)
{
    releaseCookie(cookie);
}
