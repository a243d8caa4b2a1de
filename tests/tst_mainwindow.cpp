// The main window, its file list and the folder search window, driven as a user would.
#include "Control.h"
#include "StartProgram.h"
#include "TestEnvironment.h"
#include "TestFiles.h"

#include "app/FileListModel.h"
#include "app/MainLayout.h"
#include "app/SingleInstance.h"
#include "app/frmDossier.h"
#include "conversion/frmConsole.h"
#include "mp3/frmTag.h"

#include <QApplication>
#include <QComboBox>
#include <QDBusConnection>
#include <QLabel>
#include <QLineEdit>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QtEndian>

#include <atomic>
#include <cstring>
#include <functional>
#include <thread>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

// Answers on the session bus in place of the desktop's screen saver.
class StandInScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public:
    QList<uint> active;
    int calls = 0;

public Q_SLOTS:
    uint Inhibit(const QString&, const QString&)
    {
        ++calls;
        active << 40 + uint(active.size());
        return active.last();
    }
    void UnInhibit(uint cookie) { active.removeAll(cookie); }
};

namespace {

// "name,name;name,…": the menu bar's menus and their items, or only the visible ones.
QString items(QMenu* menu, bool visibleOnly = false)
{
    QStringList names;
    for (QAction* action : menu->actions())
        if (!visibleOnly || action->isVisible())
            names << action->objectName();
    return names.join(',');
}

// The visible items of the popup that `open` shows; the popup is closed again.
QString popupItems(const std::function<void()>& open)
{
    QString seen;
    QTimer::singleShot(0, [&seen] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            seen = menu->objectName() + ':' + items(menu, true);
            menu->close();
        }
    });
    open();
    return seen;
}

QStringList names(const FileListModel& list, bool fullPaths = false)
{
    QStringList result;
    for (const FileEntry& e : list.entries())
        result << (fullPaths ? e.fullPath() : e.name);
    return result;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    TestEnvironment env;
    std::unique_ptr<Program> program;
    FakeDesktop* desktop = nullptr;
    frmMain* main = nullptr;

    void start()
    {
        program = StartProgram(env.programFolder(), desktop);
        main = program->mainWindow();
    }
    QString rowCount() const { return control<QLabel>(main, "stbPanel1")->text(); }
    QTreeView* list() const { return control<QTreeView>(main, "lstMain"); }

private Q_SLOTS:
    void init()
    {
        env.clearSettings();
        start();
    }
    void cleanup() { program.reset(); }

    void buttonsLayoutPopupsAndHints()
    {
        for (int i = 0; i < 5; ++i) {
            QToolButton* button = control<QToolButton>(main, QString("cmdBouton_%1").arg(i));
            // The picture is really drawn, not an empty (transparent) one.
            const QImage picture = button->icon().pixmap(button->iconSize()).toImage();
            int painted = 0;
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); ++x)
                    painted += qAlpha(picture.pixel(x, y)) > 0;
            QVERIFY2(painted > picture.width() * picture.height() / 4,
                     qPrintable(button->objectName()));
        }
        QStringList popups;
        for (const char* name : {"cmdBouton_0", "cmdBouton_1", "cmdBouton_2"})
            popups << popupItems([&] { control<QToolButton>(main, name)->click(); });
        // Items are hidden only while the popup is open.
        popups << QString::number(items(control<QMenu>(main, "mnuFichier"), true).count(','))
               << QString::number(items(control<QMenu>(main, "mnuEdition"), true).count(','))
               << QString::number(
                      popupItems([&] {
                          QTest::mousePress(list()->viewport(), Qt::RightButton, {}, {10, 10});
                      }).count(','));
        QCOMPARE(popups,
                 QStringList({"mnuFichier:mnuAjoutFichier,mnuAjoutDossier",
                              "mnuEdition:mnuSupprimer,mnuEffacer",
                              "mnuAction:mnuEncode,mnuEspAction,mnuDecode", "4", "4", "4"}));

        // Hints: the built-in text without a language, then the language's; they stay.
        QTest::mouseMove(control<QToolButton>(main, "cmdBouton_2"));
        QTRY_VERIFY(!control<QLabel>(main, "stbPanel2")->text().isEmpty());
        Store("Langue", env.programFolder() + "/Langue/English.lng");
        start();
        QEvent enter(QEvent::Enter), leave(QEvent::Leave);
        QCoreApplication::sendEvent(control<QToolButton>(main, "cmdBouton_2"), &enter);
        QCoreApplication::sendEvent(control<QToolButton>(main, "cmdBouton_2"), &leave);
        QCOMPARE(control<QLabel>(main, "stbPanel2")->text(),
                 QString("Encode or decode the listed files"));

        // The layout follows the window size.
        const double dpi = main->logicalDpiX();
        // The rule works on the outer size, frame included; pixels may land one off a twip.
        const QSize frame = main->frameGeometry().size() - main->size();
        main->resize(TwipsToPixels(10000, dpi) - frame.width(),
                     TwipsToPixels(7000, dpi) - frame.height());
        const auto near = [dpi](int pixels, int twips) {
            return qAbs(pixels - TwipsToPixels(twips, dpi)) <= 1;
        };
        QTRY_VERIFY(near(list()->width(), 9580));
        QVERIFY(near(list()->height(), 4555) &&
                near(control<QToolButton>(main, "cmdBouton_4")->y(), 4925) &&
                near(control<QToolButton>(main, "cmdBouton_3")->x(), 5400) &&
                near(control<QLabel>(main, "lblBouton")->y(), 4805));

        main->resize(100, 100); // the design size is the smallest
        QVERIFY(main->width() >= TwipsToPixels(kMainMinWidth, dpi));
        const QRect before = list()->geometry();
        main->showMinimized(); // minimised, nothing moves
        main->resize(main->width() + 200, main->height() + 200);
        QCOMPARE(list()->geometry(), before);
        // Closing makes no window that was never shown.
        QVERIFY(main->close() && !main->findChild<frmConsole*>());
    }

    void startRestoresTheSwitchesLinksAndAMovedLanguage()
    {
        // A first start runs with the switches of the options the window shows.
        QCOMPARE(program->keptOptions().switches, QString("-b 128 -m s -f -q 2 "));
        // Links open through the desktop; the manual is French before a language is chosen.
        for (QAction* item : {control<QAction>(main, "mnuAccueil"),
                              control<QAction>(main, "mnuMail"), control<QAction>(main, "mnuDoc")})
            item->trigger();
        program->setLanguage(env.programFolder() + "/Langue/English");
        control<QAction>(main, "mnuDoc")->trigger();
        QCOMPARE(
            desktop->opened,
            QStringList({frmMain::kHomePage, "mailto:" + frmMain::kMailAddress + "?Subject=Quenzal",
                         env.programFolder() + "/Quenzal-fr.html",
                         env.programFolder() + "/Quenzal-en.html"}));

        // A program folder that moved finds its language file again by name.
        Store("Commande LAME", "-b 192 -m j ");
        Store("Langue", "/nowhere/old/Langue/English.lng");
        start();
        QCOMPARE(program->keptOptions().switches, QString("-b 192 -m j "));
        QCOMPARE(control<QAction>(main, "mnuEffacer")->text(), QString("Clear List"));
    }

    void screenSaverSwitchTalksToTheSessionBus()
    {
        QAction* veile = control<QAction>(main, "mnuVeile");
        veile->trigger(); // no service on the bus: only the tick changes
        veile->trigger();
        QVERIFY(!veile->isChecked());

        QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "saver");
        if (!bus.isConnected())
            QSKIP("no session bus: run the tests inside dbus-run-session");
        StandInScreenSaver saver;
        QVERIFY(bus.registerObject("/org/freedesktop/ScreenSaver", &saver,
                                   QDBusConnection::ExportAllSlots));
        QVERIFY(bus.registerService("org.freedesktop.ScreenSaver"));
        for (int active : {1, 0}) {
            veile->trigger();
            QTRY_COMPARE(saver.active.size(), active);
        }
        for (int i = 0; i < 3; ++i) // quick toggles settle on the last state
            veile->trigger();
        QTRY_COMPARE(saver.active.size(), 1);
        program.reset(); // leaving releases the screen saver
        QTRY_COMPARE(saver.active.size(), 0);
        // Also when Quenzal ends while its request is still on its way.
        start();
        const int calls = saver.calls;
        control<QAction>(main, "mnuVeile")->trigger();
        program.reset();
        QTRY_COMPARE(saver.calls, calls + 1);
        QTRY_COMPARE(saver.active.size(), 0);
        bus.unregisterService("org.freedesktop.ScreenSaver");
        QDBusConnection::disconnectFromBus("saver");
    }

    void filesComeFromTheDialogAndFromDrops()
    {
        QTemporaryDir dir;
        for (const char* name : {"a.wav", "b.mp3", "c.txt", "two.aiff", "three.WAV", "album/x.mp3",
                                 "album/y.txt", "album/inner/z.wav"})
            QVERIFY(touch(dir.filePath(name)));
        // All audio offered first; capitals go in; the next dialog opens where files were taken.
        desktop->fileAnswers << QStringList{dir.filePath("a.wav"), dir.filePath("c.txt"),
                                            dir.filePath("b.mp3"), dir.filePath("gone.wav"),
                                            dir.filePath("three.WAV")};
        control<QAction>(main, "mnuAjoutFichier")->trigger();
        QCOMPARE(desktop->dialogs.last().title, "Ajouter des fichiers"); // dialogs have titles
        QVERIFY(desktop->dialogs.last().filter.startsWith(
            "Fichiers audio|*.wav;*.aif;*.aiff;*.aifc;*.mp3|Fichiers WAV|*.wav|"));
        control<QAction>(main, "mnuAjoutFichier")->trigger(); // cancelled: nothing changes
        QCOMPARE(desktop->dialogs.last().folder, dir.path());
        QCOMPARE(names(main->fileList()) << rowCount(),
                 QStringList({"a.wav", "b.mp3", "three.WAV", "3"}));

        // A drop: the unreadable is skipped, the same file twice gives two rows, a folder adds
        // its own admitted files only.
        QMimeData mime;
        QList<QUrl> urls{QUrl("https://example.org/remote.mp3")};
        for (const char* name : {"gone.wav", "a.wav", "two.aiff", "three.WAV", "album"})
            urls << QUrl::fromLocalFile(dir.filePath(name));
        mime.setUrls(urls);
        QDragEnterEvent enter({5, 5}, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(list()->viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop({5, 5}, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(list()->viewport(), &drop);
        QCOMPARE(names(main->fileList()) << rowCount() << main->fileList().entry(6).folder,
                 QStringList({"a.wav", "b.mp3", "three.WAV", "a.wav", "two.aiff", "three.WAV",
                              "x.mp3", "7", dir.filePath("album/")}));
    }

    void singleInstance()
    {
        QTemporaryDir runtime, dir;
        for (const char* name : {"a.wav", "line\nbreak.mp3", "LOUD.WAV", "album/x.mp3"})
            QVERIFY(touch(dir.filePath(name)));
        const QString socket = runtime.filePath("quenzal.socket");
        SingleInstance first(socket);
        QCOMPARE(first.begin({dir.filePath("ignored.wav")}), SingleInstance::Role::First);
        connect(&first, &SingleInstance::pathsReceived, main, &frmMain::receivePaths);
        QSignalSpy received(&first, &SingleInstance::pathsReceived);

        // A later start blocks until the first has taken its files, as another process would.
        const auto later = [&socket](const QStringList& paths) {
            std::atomic<bool> done = false;
            auto role = SingleInstance::Role::Alone;
            std::thread start([&] {
                role = SingleInstance(socket).begin(paths);
                done = true;
            });
            (void)QTest::qWaitFor([&done] { return done.load(); }, 30000);
            start.join();
            return role;
        };
        main->showMinimized();
        QCOMPARE(later({dir.filePath("a.wav"), dir.filePath("line\nbreak.mp3"),
                        dir.filePath("LOUD.WAV"), dir.filePath("album")}),
                 SingleInstance::Role::HandedOver);
        // Taken as a drop takes them, names with line breaks whole; the window comes back.
        QTRY_COMPARE(names(main->fileList()) << rowCount(),
                     QStringList({"a.wav", "line\nbreak.mp3", "LOUD.WAV", "x.mp3", "4"}));
        QVERIFY(!main->isMinimized());
        QCOMPARE(later({}), SingleInstance::Role::HandedOver); // only the window asked for
        QVERIFY(received.size() == 2 && main->fileList().rowCount() == 4);

        // What is no message of a later start is dropped, and the first goes on listening.
        for (const QByteArray& junk :
             {QByteArray("\xff\xff\xff\xff"), QByteArray("\0\0"), QByteArray("\0\0\0\x09a.wav")}) {
            QLocalSocket client;
            client.connectToServer(socket);
            QVERIFY(client.waitForConnected(5000));
            QCOMPARE(client.write(junk), junk.size());
            QVERIFY(client.flush() || client.bytesToWrite() == 0);
            client.disconnectFromServer();
        }
        QCOMPARE(later({dir.filePath("a.wav")}), SingleInstance::Role::HandedOver);
        QVERIFY(received.size() == 3);
        QTRY_COMPARE(main->fileList().rowCount(), 5);

        // What connections may hold at once is bounded: a second large message is dropped unread.
        QLocalSocket large[2];
        QByteArray head(4, '\0');
        qToBigEndian(quint32(SingleInstance::kBudget / 2 + 1), head.data());
        for (QLocalSocket& client : large) {
            client.connectToServer(socket);
            QVERIFY(client.waitForConnected(5000));
            client.write(head);
        }
        QTRY_COMPARE(large[1].state(), QLocalSocket::UnconnectedState);
        QCOMPARE(large[0].state(), QLocalSocket::ConnectedState);

        // A running Quenzal that does not answer keeps its socket: a later start runs alone.
        QLocalServer stuck; // listens, never reads
        QVERIFY(stuck.listen(runtime.filePath("stuck.socket")));
        QCOMPARE(SingleInstance(stuck.fullServerName()).begin({}), SingleInstance::Role::Alone);
        QLocalSocket still;
        still.connectToServer(stuck.fullServerName());
        QVERIFY(still.waitForConnected(5000) && stuck.isListening());

        // A socket nobody listens on any more, as a Quenzal that crashed leaves it.
        const QByteArray path = runtime.filePath("crashed.socket").toLocal8Bit();
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.constData(), path.size());
        QVERIFY(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
        ::close(fd);
        QVERIFY(QFileInfo(path).exists());
        QCOMPARE(SingleInstance(runtime.filePath("crashed.socket")).begin({}),
                 SingleInstance::Role::First);

        // No socket can be made at all: this start runs on its own.
        QCOMPARE(SingleInstance(runtime.filePath("missing/quenzal.socket")).begin({}),
                 SingleInstance::Role::Alone);
    }

    void rowsGoByKeyAndMenusTagEditorOpensOnTheRow()
    {
        QTemporaryDir dir;
        for (int i = 0; i < 6; ++i) {
            QVERIFY(touch(dir.filePath(QString("%1.wav").arg(i))));
            main->AddFile(dir.filePath(QString("%1.wav").arg(i)));
        }
        const auto select = [&](int r, QItemSelectionModel::SelectionFlags how) {
            list()->selectionModel()->setCurrentIndex(main->fileList().index(r, 0),
                                                      how | QItemSelectionModel::Rows);
        };
        control<QLabel>(main, "stbPanel1")->setText("untouched");
        QTest::keyRelease(list(), Qt::Key_Delete); // nothing selected: not even the count changes
        QCOMPARE(rowCount(), QString("untouched"));

        for (int r : {1, 3, 4})
            select(r, QItemSelectionModel::Select);
        QTest::keyRelease(list(), Qt::Key_Delete);
        QTest::keyRelease(list(), Qt::Key_Delete); // nothing stays selected: removes nothing more
        QCOMPARE(names(main->fileList()).join(',') + '|' + rowCount(), "0.wav,2.wav,5.wav|3");
        select(0, QItemSelectionModel::Select);
        control<QAction>(main, "mnuSupprimer")->trigger();
        QCOMPARE(names(main->fileList()).join(',') + '|' + rowCount(), "2.wav,5.wav|2");
        control<QAction>(main, "mnuEffacer")->trigger();
        control<QAction>(main, "mnuEffacer")->trigger();
        QCOMPARE(QString::number(main->fileList().rowCount()) + '|' + rowCount(), "0|0");

        // The tag editor opens on the selected MP3; on a WAV as usual, no file chosen.
        QVERIFY(touch(dir.filePath("a.wav")) && touch(dir.filePath("b.mp3"), QByteArray(300, 'x')));
        main->AddFile(dir.filePath("a.wav"));
        main->AddFile(dir.filePath("b.mp3"));
        QStringList shown;
        for (int row : {1, 0}) {
            select(row, QItemSelectionModel::ClearAndSelect);
            QTimer::singleShot(0, [&shown] {
                auto* tag = qobject_cast<frmTag*>(QApplication::activeModalWidget());
                shown << (tag ? tag->findChild<QLabel*>("lblChemin")->text() : "no window");
                QTest::keyClick(tag, Qt::Key_Escape);
            });
            control<QAction>(main, "mnuTag")->trigger();
        }
        QCOMPARE(shown, QStringList({dir.filePath("b.mp3"), QString()}));
        QVERIFY(!QApplication::activeModalWidget());
    }

    void folderWindowIsNewAtEveryShowing()
    {
        QTemporaryDir dir;
        for (const char* name : {"top/a.wav", "top/b.mp3", "top/Sub/c.wav", "top/Sub/X.MP3"})
            QVERIFY(touch(dir.filePath(name)));
        Store("Langue", env.programFolder() + "/Langue/English.lng");
        start();
        QStringList states;
        const auto showAndThen = [&](const std::function<void(frmDossier*)>& act) {
            QTimer::singleShot(0, [&] {
                auto* window = qobject_cast<frmDossier*>(QApplication::activeModalWidget());
                QVERIFY(window && control<QLineEdit>(window, "txtChemin")->isReadOnly());
                states << control<QLineEdit>(window, "txtChemin")->text() + '|' +
                              control<QLabel>(window, "lblExt")->text() + '|' +
                              control<QPushButton>(window, "cmdAjouter")->text();
                act(window);
            });
            control<QAction>(main, "mnuAjoutDossier")->trigger();
        };
        showAndThen([&](frmDossier* window) {
            // No folder yet: Enter warns and the window stays; a cancelled picker changes nothing.
            QTest::keyClick(control<QComboBox>(window, "cmbExtension"), Qt::Key_Return);
            QVERIFY(desktop->messages.size() == 1 &&
                    desktop->messages[0].icon == Desktop::Icon::Warning &&
                    desktop->messages[0].title == "Quenzal" &&
                    !desktop->messages[0].text.isEmpty() && window->isVisible());
            control<QPushButton>(window, "cmdOuvrirDossier")->click();
            QVERIFY(control<QLineEdit>(window, "txtChemin")->text().isEmpty());
            desktop->folderAnswers << dir.filePath("top/");
            control<QPushButton>(window, "cmdOuvrirDossier")->click();
            QCOMPARE(control<QLineEdit>(window, "txtChemin")->text(), dir.filePath("top"));
            control<QComboBox>(window, "cmbExtension")->setCurrentIndex(1);
            QCOMPARE(control<QLabel>(window, "lblExt")->text(), QString("*.mp3"));
            QTest::keyClick(window, Qt::Key_Escape); // closes without searching
        });
        QCOMPARE(main->fileList().rowCount(), 0);
        showAndThen([&](frmDossier* window) {
            desktop->folderAnswers << dir.filePath("top");
            control<QPushButton>(window, "cmdOuvrirDossier")->click();
            control<QComboBox>(window, "cmbExtension")->setCurrentIndex(1);
            QTest::keyClick(control<QPushButton>(window, "cmdOuvrirDossier"),
                            Qt::Key_Enter); // searches from anywhere
        });
        showAndThen([&](frmDossier* window) {
            desktop->folderAnswers << dir.filePath("top");
            control<QPushButton>(window, "cmdOuvrirDossier")->click();
            control<QPushButton>(window, "cmdAjouter")->click();
        });
        const QString top = dir.filePath("top/");
        QCOMPARE(
            names(main->fileList(), true) << rowCount(),
            QStringList({top + "b.mp3", top + "Sub/X.MP3", top + "a.wav", top + "Sub/c.wav", "4"}));
        // Every showing starts afresh, and in the chosen language.
        QCOMPARE(states, QStringList({"|*.wav|Add", "|*.wav|Add", "|*.wav|Add"}));
        QVERIFY(!program->existingFolderWindow()); // not made again behind the user's back
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
