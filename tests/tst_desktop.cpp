// What the desktop is told about a run, against stand-in services on the test's private bus:
// logind's sleep inhibitor (the private bus stands in for the system bus), the task bar
// entry's progress and the end-of-run notification.
#include "Control.h"
#include "StartProgram.h"
#include "TestEnvironment.h"
#include "TestFiles.h"

#include "app/RunDesktop.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QSignalSpy>
#include <QTest>
#include <QVariantMap>

#include <poll.h>
#include <unistd.h>

namespace {

// logind's Manager: Inhibit hands out the write end of a pipe and keeps the read end, whose
// hang-up tells that every copy of the lock was closed.
class StandInLogin : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public:
    ~StandInLogin() override
    {
        for (int fd : readEnds)
            ::close(fd);
    }
    QStringList calls;
    QList<int> readEnds;

    bool held(int i) const
    {
        pollfd p{readEnds.at(i), POLLIN, 0};
        return ::poll(&p, 1, 0) == 0; // no hang-up yet
    }

public Q_SLOTS:
    QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString& why,
                                    const QString& mode)
    {
        calls << QStringList{what, who, why, mode}.join('|');
        int ends[2];
        if (::pipe(ends) != 0)
            return {};
        readEnds << ends[0];
        QDBusUnixFileDescriptor lock(ends[1]); // a copy
        ::close(ends[1]);
        return lock;
    }
};

class StandInNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QStringList shown;

public Q_SLOTS:
    uint Notify(const QString& app, uint replaces, const QString& icon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int)
    {
        shown << QStringList({app, QString::number(replaces), icon, summary, body,
                              actions.join(','), hints.value("desktop-entry").toString()})
                     .join('|');
        return 7;
    }
};

class LauncherListener : public QObject {
    Q_OBJECT

public:
    QStringList updates;

public Q_SLOTS:
    void Update(const QString& app, const QVariantMap& properties)
    {
        updates << app + '|' + properties.value("progress").toString() + '|' +
                       properties.value("progress-visible").toString();
    }
    void Invoked(uint id, const QString& action) { updates << QString::number(id) + action; }
};

} // namespace

// The sleep inhibitor asks the system bus: here, the test's own private bus, set before Qt
// first looks at the buses.
const bool systemBusIsPrivate =
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", qgetenv("DBUS_SESSION_BUS_ADDRESS"));

class TestDesktop : public QObject {
    Q_OBJECT

    QDBusConnection bus = QDBusConnection::sessionBus();
    StandInLogin login;
    StandInNotifications notes;

private Q_SLOTS:
    void initTestCase()
    {
        const auto all = QDBusConnection::ExportAllSlots;
        QVERIFY(systemBusIsPrivate && bus.registerObject("/org/freedesktop/login1", &login, all) &&
                bus.registerService("org.freedesktop.login1") &&
                bus.registerObject("/org/freedesktop/Notifications", &notes, all) &&
                bus.registerService("org.freedesktop.Notifications"));
    }

    void sleepIsKeptOffWhileHeld()
    {
        // A run that ends before logind answers takes no lock at all (a whole run: below).
        SleepInhibitor inhibitor;
        inhibitor.hold("short");
        inhibitor.release();
        QTRY_COMPARE(login.calls.size(), 1);
        QTRY_VERIFY(!login.held(0));
        QVERIFY(!inhibitor.isHeld());

        // Quenzal ending (here: the inhibitor going) lets go as well.
        {
            SleepInhibitor gone;
            gone.hold("end");
            QTRY_VERIFY(gone.isHeld());
            QVERIFY(login.held(1)); // the lock is really kept while held
        }
        QTRY_VERIFY(!login.held(1));
    }

    void notificationClicks()
    {
        RunNotification notification;
        QSignalSpy clicked(&notification, &RunNotification::clicked);
        notification.notify("Conversion finished", "3 converted, 1 failed");
        QTRY_COMPARE(notes.shown.size(), 1);
        QCOMPARE(notes.shown.first(), "Quenzal|0|quenzal|Conversion finished|3 converted, 1 "
                                      "failed|default,Conversion finished|org.orvanel.Quenzal");
        // A click on ours brings Quenzal forward (once the service has told its number); a
        // click on another program's notification is not ours.
        const auto invoke = [&](uint id) {
            QDBusMessage signal = QDBusMessage::createSignal(
                "/org/freedesktop/Notifications", "org.freedesktop.Notifications", "ActionInvoked");
            signal << id << QString("default");
            bus.send(signal);
        };
        LauncherListener seen; // what reached this connection, ours included
        QVERIFY(bus.connect(QString(), QString(), "org.freedesktop.Notifications", "ActionInvoked",
                            &seen, SLOT(Invoked(uint, QString))));
        int sent = 0;
        QVERIFY(QTest::qWaitFor([&] {
            invoke(7);
            ++sent;
            return !clicked.isEmpty();
        }));
        QTRY_COMPARE(seen.updates.size(), sent);
        clicked.clear();
        invoke(3);
        QTRY_COMPARE(seen.updates.size(), sent + 1);
        QCOMPARE(clicked.size(), 0);
        invoke(7);
        QTRY_COMPARE(clicked.size(), 1);
    }

    void aRunTellsTheDesktop()
    {
        // A real run: sleep is kept off from its start to its end, the task bar follows it,
        // and the end is notified when no Quenzal window is active.
        login.calls.clear();
        notes.shown.clear();
        LauncherListener launcher;
        QVERIFY(bus.connect(QString(), QString(), "com.canonical.Unity.LauncherEntry", "Update",
                            &launcher, SLOT(Update(QString, QVariantMap))));

        TestEnvironment env;
        QTemporaryDir music;
        QVERIFY(WriteSineWav(music.filePath("a.wav"), 0.5) &&
                WriteSineWav(music.filePath("b.wav"), 0.5));
        FakeDesktop* desktop = nullptr;
        auto program = StartProgram(env.programFolder(), desktop);
        frmMain* main = program->mainWindow();
        main->AddFile(music.filePath("a.wav"));
        main->AddFile(music.filePath("b.wav"));
        main->hide(); // the user went elsewhere
        control<QAction>(main, "mnuEncode")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!main->isBusy(), 60000);
        QCOMPARE(login.calls, QStringList{"sleep|Quenzal|Quenzal convertit des fichiers|block"});
        QTRY_VERIFY(!login.held(2));
        const QString app = "application://org.orvanel.Quenzal.desktop|";
        QTRY_COMPARE(launcher.updates.size(), 4);
        QCOMPARE(launcher.updates,
                 (QStringList{app + "0|true", app + "0.5|true", app + "1|true", app + "|false"}));
        QVERIFY(!QApplication::activeWindow());
        QTRY_COMPARE(notes.shown.size(), 1);
        QVERIFY(notes.shown.first().contains(
            "Conversion terminée|2 fichier(s) converti(s), 0 en échec"));
    }
};

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
