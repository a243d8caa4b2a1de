#include "app/RunDesktop.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace {

const QString kDesktopEntry = QStringLiteral("org.orvanel.Quenzal");

} // namespace

SleepInhibitor::SleepInhibitor(QObject* parent)
    : QObject(parent)
{}

void SleepInhibitor::hold(const QString& why)
{
    if (m_wanted)
        return;
    m_wanted = true;
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep") << QStringLiteral("Quenzal") << why << QStringLiteral("block");
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, &SleepInhibitor::onReply);
}

void SleepInhibitor::onReply(QDBusPendingCallWatcher* watcher)
{
    watcher->deleteLater();
    const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *watcher;
    // A lock that comes back after the run ended is dropped at once, with the reply.
    if (!reply.isError() && m_wanted)
        m_lock = reply.value();
}

void SleepInhibitor::release()
{
    m_wanted = false;
    m_lock = QDBusUnixFileDescriptor(); // closes the descriptor: logind lets go
}

LauncherProgress::LauncherProgress(QObject* parent)
    : QObject(parent)
{}

namespace {

void sendLauncherUpdate(const QVariantMap& properties)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(
        QStringLiteral("/org/orvanel/Quenzal"), QStringLiteral("com.canonical.Unity.LauncherEntry"),
        QStringLiteral("Update"));
    signal << QStringLiteral("application://") + kDesktopEntry + QStringLiteral(".desktop")
           << properties;
    bus.send(signal);
}

} // namespace

void LauncherProgress::show(double fraction)
{
    sendLauncherUpdate({{QStringLiteral("progress"), qBound(0.0, fraction, 1.0)},
                        {QStringLiteral("progress-visible"), true}});
}

void LauncherProgress::hide()
{
    sendLauncherUpdate({{QStringLiteral("progress-visible"), false}});
}

RunNotification::RunNotification(QObject* parent)
    : QObject(parent)
{
    QDBusConnection::sessionBus().connect(
        QString(), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("ActionInvoked"), this,
        SLOT(onActionInvoked(uint, QString)));
}

void RunNotification::notify(const QString& summary, const QString& body)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    // "default" is the action of a click on the notification itself.
    call << QStringLiteral("Quenzal") << m_id << QStringLiteral("quenzal") << summary << body
         << QStringList{QStringLiteral("default"), summary}
         << QVariantMap{{QStringLiteral("desktop-entry"), kDesktopEntry}} << -1;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<uint> reply = *w;
        if (!reply.isError())
            m_id = reply.value();
    });
}

void RunNotification::onActionInvoked(uint id, const QString& action)
{
    if (id == m_id && m_id != 0 && action == QLatin1String("default"))
        Q_EMIT clicked();
}
