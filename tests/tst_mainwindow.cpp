// The main window, its file list and the folder search window, driven as a user would,
// under the offscreen platform, with the desktop's dialogs replaced by FakeDesktop.
#include "FakeDesktop.h"
#include "TestEnvironment.h"

#include "app/FileListModel.h"
#include "app/MainLayout.h"
#include "app/Program.h"
#include "app/frmDossier.h"
#include "app/frmMain.h"
#include "settings/SettingsStore.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDBusConnection>
#include <QGroupBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include <functional>
#include <memory>

// Answers on the session bus in place of the desktop's screen saver.
class StandInScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public:
    QList<uint> active;
    uint next = 40;

public Q_SLOTS:
    uint Inhibit(const QString&, const QString&)
    {
        active << ++next;
        return next;
    }
    void UnInhibit(uint cookie) { active.removeAll(cookie); }
};

namespace {

void touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write("RIFF");
}

QStringList visibleItems(QMenu* menu)
{
    QStringList names;
    for (QAction* action : menu->actions()) {
        if (action->isVisible())
            names << action->objectName();
    }
    return names;
}

// Runs `inspect` on the popup that `open` shows, then closes it.
QStringList itemsOfPopup(const std::function<void()>& open)
{
    QStringList seen;
    QTimer::singleShot(0, [&seen] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        seen = visibleItems(menu);
        seen.prepend(menu->objectName());
        menu->close();
    });
    open();
    return seen;
}

void storeValue(const QString& name, const QString& value)
{
    WriteRegistryValue(RegistryRoot::CurrentUser, kQuenzalKey, name, value);
}

void dropUrls(QWidget* target, const QList<QUrl>& urls)
{
    QMimeData mime;
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<Program> program;
    FakeDesktop* desktop = nullptr;
    frmMain* main = nullptr;

    // A new program, as at a start, after the test has stored what it wants.
    void start()
    {
        program = std::make_unique<Program>(env->programFolder());
        auto fake = std::make_unique<FakeDesktop>();
        desktop = fake.get();
        program->setDesktop(std::move(fake));
        main = program->mainWindow();
        main->Form_Load();
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main));
    }

    QString rowCount() const { return main->stbPanel1->text(); }

private Q_SLOTS:
    void initTestCase() { env = std::make_unique<TestEnvironment>(); }

    void init()
    {
        env->clearSettings();
        start();
    }

    void cleanup() { program.reset(); }

    void controlsAndMenusAreAsDesigned()
    {
        QCOMPARE(main->windowTitle(), QString("Quenzal"));
        const QStringList menus = {"mnuFichier", "mnuEdition", "mnuAction", "mnuAffichage",
                                   "mnuAide"};
        QStringList bar;
        for (QAction* action : main->menuBar()->actions())
            bar << action->menu()->objectName();
        QCOMPARE(bar, menus);

        const auto names = [](QMenu* menu) {
            QStringList list;
            for (QAction* a : menu->actions())
                list << a->objectName();
            return list;
        };
        QCOMPARE(names(main->mnuFichier), QStringList({"mnuAjoutFichier", "mnuAjoutDossier",
                                                       "mnuTag", "mnuEspFichier", "mnuQuitter"}));
        QCOMPARE(names(main->mnuEdition),
                 QStringList({"mnuSupprimer", "mnuEffacer", "mnuEspEdition", "mnuOptionLame",
                              "mnuOption"}));
        QCOMPARE(names(main->mnuAction), QStringList({"mnuEncode", "mnuEspAction", "mnuDecode"}));
        QCOMPARE(names(main->mnuAffichage), QStringList({"mnuVeile"}));
        QCOMPARE(names(main->mnuAide),
                 QStringList({"mnuDoc", "mnuAccueil", "mnuMail", "mnuEspInfo", "mnuInfo"}));
        QVERIFY(main->mnuEspFichier->isSeparator());

        const QList<std::pair<QAction*, QString>> items = {
            {main->mnuAjoutFichier, "Ajout Fichier"},
            {main->mnuAjoutDossier, "Ajout Dossier"},
            {main->mnuTag, "Editer Tag"},
            {main->mnuQuitter, "Quitter"},
            {main->mnuSupprimer, "Supprimer"},
            {main->mnuEffacer, "Remettre à Zéro"},
            {main->mnuOptionLame, "Option de LAME"},
            {main->mnuOption, "Option"},
            {main->mnuEncode, "Encode"},
            {main->mnuDecode, "Decode"},
            {main->mnuVeile, "Interdire Mise en veille"},
            {main->mnuDoc, "Documentation"},
            {main->mnuAccueil, "Page d'accueil"},
            {main->mnuMail, "Mail"},
            {main->mnuInfo, "Info"}};
        const QString letters = "ABTQSRLOEDNFPMI";
        for (int i = 0; i < items.size(); ++i) {
            QCOMPARE(items[i].first->text(), items[i].second);
            QCOMPARE(items[i].first->shortcut(), QKeySequence(QString("Ctrl+") + letters[i]));
        }
        QCOMPARE(main->mnuFichier->title(), QString("&Fichier"));
        QVERIFY(main->mnuVeile->isCheckable());
        QVERIFY(!main->mnuVeile->isChecked());

        for (int i = 0; i < 5; ++i) {
            auto* button = main->findChild<QToolButton*>(QString("cmdBouton_%1").arg(i));
            QVERIFY(button);
            QVERIFY(!button->icon().isNull());
            QVERIFY(button->text().isEmpty());
        }
        QVERIFY(main->cmdBouton[2]->width() > 2 * main->cmdBouton[1]->width());
        // The pictures are really drawn: not an empty (transparent) picture.
        for (int i = 0; i < 5; ++i) {
            const QImage picture =
                main->cmdBouton[i]->icon().pixmap(main->cmdBouton[i]->iconSize()).toImage();
            int painted = 0;
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); ++x)
                    painted += qAlpha(picture.pixel(x, y)) > 0;
            QVERIFY2(painted > picture.width() * picture.height() / 4,
                     qPrintable(QString::number(i)));
        }
        QVERIFY(main->findChild<QLabel*>("lblBouton"));
        QVERIFY(!main->lblRegistre->isVisible());
        QVERIFY(!main->guille->isVisible());
        QCOMPARE(main->guille->text(), QString("\""));
        QCOMPARE(main->timer->interval(), 1000);
        QVERIFY(!main->timer->isActive());
        QCOMPARE(main->lstMain->model()->headerData(1, Qt::Horizontal).toString(),
                 QString("Dossier"));
        QCOMPARE(rowCount(), QString("0"));
    }

    void layoutFollowsTheWindowSize()
    {
        const double dpi = main->logicalDpiX();
        // The rule works on the outer size, frame included.
        const QSize frame = main->frameGeometry().size() - main->size();
        main->resize(TwipsToPixels(10000, dpi) - frame.width(),
                     TwipsToPixels(7000, dpi) - frame.height());
        // Pixels are whole: a twip value may land one pixel either way.
        const auto near = [dpi](int pixels, int twips) {
            return qAbs(pixels - TwipsToPixels(twips, dpi)) <= 1;
        };
        QTRY_VERIFY(near(main->lstMain->width(), 9580));
        QVERIFY(near(main->lstMain->height(), 4555));
        QVERIFY(near(main->cmdBouton[0]->y(), 4925));
        QCOMPARE(main->cmdBouton[4]->y(), main->cmdBouton[0]->y());
        QVERIFY(near(main->cmdBouton[3]->x(), 5400));
        QVERIFY(near(main->lblBouton->y(), 4805));

        // The design size is the smallest the window takes.
        main->resize(100, 100);
        QVERIFY(main->width() >= TwipsToPixels(kMainMinWidth, dpi));

        // Minimised, nothing moves.
        const QRect before = main->lstMain->geometry();
        main->showMinimized();
        main->resize(main->width() + 200, main->height() + 200);
        QCOMPARE(main->lstMain->geometry(), before);
    }

    void buttonPopupsHideItemsOnlyWhileOpen()
    {
        QCOMPARE(itemsOfPopup([&] { main->cmdBouton[0]->click(); }),
                 QStringList({"mnuFichier", "mnuAjoutFichier", "mnuAjoutDossier"}));
        QCOMPARE(visibleItems(main->mnuFichier).size(), 5);

        QCOMPARE(itemsOfPopup([&] { main->cmdBouton[1]->click(); }),
                 QStringList({"mnuEdition", "mnuSupprimer", "mnuEffacer"}));
        QCOMPARE(visibleItems(main->mnuEdition).size(), 5);

        QCOMPARE(itemsOfPopup([&] { main->cmdBouton[2]->click(); }),
                 QStringList({"mnuAction", "mnuEncode", "mnuEspAction", "mnuDecode"}));

        // Buttons 3 and 4 act as their menu items.
        QSignalSpy info(main->mnuInfo, &QAction::triggered);
        QSignalSpy options(main->mnuOptionLame, &QAction::triggered);
        main->cmdBouton[3]->click();
        main->cmdBouton[4]->click();
        QCOMPARE(info.count(), 1);
        QCOMPARE(options.count(), 1);

        // The right button on the list shows the whole Edition menu.
        QCOMPARE(itemsOfPopup([&] {
                     QTest::mousePress(main->lstMain->viewport(), Qt::RightButton, {}, {10, 10});
                 }).size(),
                 6);
    }

    void hintsComeFromTheLanguageAndStay()
    {
        // No language yet: the built-in text.
        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(main->cmdBouton[2], &enter);
        QVERIFY(!main->stbPanel2->text().isEmpty());

        storeValue("Langue", env->programFolder() + "/Langue/English.lng");
        start();
        QCoreApplication::sendEvent(main->cmdBouton[2], &enter);
        QCOMPARE(main->stbPanel2->text(), QString("Encode or decode the listed files"));
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(main->cmdBouton[2], &leave);
        QCOMPARE(main->stbPanel2->text(), QString("Encode or decode the listed files"));
        QTest::mouseMove(main->cmdBouton[0]);
        QTRY_COMPARE(main->stbPanel2->text(), QString("Add files or a folder"));
    }

    void startRestoresWhatIsStoredStepByStep()
    {
        // A first start: built-in captions, empty switches label.
        QCOMPARE(main->mnuFichier->title(), QString("&Fichier"));
        QVERIFY(main->lblRegistre->text().isEmpty());

        // Font and language stored, LAME options never confirmed: both are still restored.
        storeValue("Police", "DejaVu Serif");
        storeValue("Langue", env->programFolder() + "/Langue/English.lng");
        start();
        QCOMPARE(main->lstMain->font().family(), QString("DejaVu Serif"));
        QCOMPARE(main->stbMain->font().family(), QString("DejaVu Serif"));
        QCOMPARE(program->folderWindow()->txtChemin->font().family(), QString("DejaVu Serif"));
        QCOMPARE(main->mnuFichier->title(), QString("&File"));
        QCOMPARE(main->mnuEffacer->text(), QString("Clear List"));
        QCOMPARE(main->lstMain->model()->headerData(2, Qt::Horizontal).toString(), QString("Size"));
        QCOMPARE(program->folderWindow()->frmDos->title(), QString("Folder to search"));
        QVERIFY(main->lblRegistre->text().isEmpty());

        storeValue("Commande LAME", "-b 192 -m j ");
        storeValue("Police", "");
        start();
        QCOMPARE(main->lblRegistre->text(), QString("-b 192 -m j "));

        // A program folder that moved: the language file is found again by its name.
        storeValue("Langue", "/nowhere/old/Langue/Francais.lng");
        start();
        QCOMPARE(program->values().language.path(), env->programFolder() + "/Langue/Francais");
        QCOMPARE(main->mnuEffacer->text(), QString("Remettre à Zéro"));

        // A language that is gone altogether leaves the built-in captions.
        storeValue("Langue", "/nowhere/Klingon.lng");
        start();
        QVERIFY(program->values().language.path().isEmpty());
        QCOMPARE(main->mnuEffacer->text(), QString("Remettre à Zéro"));
    }

    void screenSaverSwitchTalksToTheSessionBus()
    {
        // No service on the bus: the item still toggles, nothing else happens.
        main->mnuVeile->trigger();
        QVERIFY(main->mnuVeile->isChecked());
        main->mnuVeile->trigger();
        QVERIFY(!main->mnuVeile->isChecked());

        QDBusConnection bus =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, "stand-in-screensaver");
        if (!bus.isConnected())
            QSKIP("no session bus: run the tests inside dbus-run-session");
        StandInScreenSaver saver;
        QVERIFY(bus.registerObject("/org/freedesktop/ScreenSaver", &saver,
                                   QDBusConnection::ExportAllSlots));
        QVERIFY(bus.registerService("org.freedesktop.ScreenSaver"));

        main->mnuVeile->trigger();
        QTRY_COMPARE(saver.active.size(), 1);
        main->mnuVeile->trigger();
        QTRY_COMPARE(saver.active.size(), 0);
        QVERIFY(!main->mnuVeile->isChecked());

        // Quick toggles settle on the last state.
        main->mnuVeile->trigger();
        main->mnuVeile->trigger();
        main->mnuVeile->trigger();
        QTRY_COMPARE(saver.active.size(), 1);
        program.reset(); // leaving releases the screen saver
        QTRY_COMPARE(saver.active.size(), 0);

        bus.unregisterService("org.freedesktop.ScreenSaver");
        QDBusConnection::disconnectFromBus("stand-in-screensaver");
    }

    void linksOpenThroughTheDesktop()
    {
        main->mnuAccueil->trigger();
        main->mnuMail->trigger();
        main->mnuDoc->trigger();
        QCOMPARE(
            desktop->opened,
            QStringList({frmMain::kHomePage, "mailto:" + frmMain::kMailAddress + "?Subject=Quenzal",
                         env->programFolder() + "/Quenzal.html"}));
    }

    void fileDialogAddsAdmittedFiles()
    {
        QTemporaryDir dir;
        touch(dir.filePath("a.wav"));
        touch(dir.filePath("b.mp3"));
        touch(dir.filePath("c.txt"));
        desktop->fileAnswers << QStringList{dir.filePath("a.wav"), dir.filePath("c.txt"),
                                            dir.filePath("b.mp3"), dir.filePath("gone.wav")};
        main->mnuAjoutFichier->trigger();
        QCOMPARE(desktop->filters.last(),
                 QString(" Fichier  Wav (*.wav)|*.wav| Fichier  Mp3 (*.mp3)|*.mp3"));
        QCOMPARE(main->fileList().rowCount(), 2);
        QCOMPARE(main->fileList().entry(1).name, QString("b.mp3"));
        QCOMPARE(rowCount(), QString("2"));

        main->mnuAjoutFichier->trigger(); // cancelled: nothing changes
        QCOMPARE(rowCount(), QString("2"));
    }

    void dropsAddFilesAndFoldersAndSkipWhatFails()
    {
        QTemporaryDir dir;
        touch(dir.filePath("one.wav"));
        touch(dir.filePath("two.aiff"));
        touch(dir.filePath("three.WAV"));
        touch(dir.filePath("album/x.mp3"));
        touch(dir.filePath("album/y.txt"));
        touch(dir.filePath("album/inner/z.wav"));
        main->AddFile(dir.filePath("one.wav"));
        main->ShowRowCount();

        QWidget* viewport = main->lstMain->viewport();
        dropUrls(viewport, {QUrl::fromLocalFile(dir.filePath("gone.wav")),
                            QUrl("https://example.org/remote.mp3"),
                            QUrl::fromLocalFile(dir.filePath("one.wav")),
                            QUrl::fromLocalFile(dir.filePath("two.aiff")),
                            QUrl::fromLocalFile(dir.filePath("three.WAV")),
                            QUrl::fromLocalFile(dir.filePath("album"))});
        QStringList names;
        for (const FileEntry& e : main->fileList().entries())
            names << e.name;
        // The earlier row stays, the same file twice gives two rows, the folder adds its own
        // admitted files only.
        QCOMPARE(names, QStringList({"one.wav", "one.wav", "two.aiff", "x.mp3"}));
        QCOMPARE(main->fileList().entry(3).folder, dir.filePath("album/"));
        QCOMPARE(rowCount(), QString("4"));
    }

    void deleteKeyAndMenusRemoveRows()
    {
        QTemporaryDir dir;
        for (int i = 0; i < 6; ++i) {
            touch(dir.filePath(QString("%1.wav").arg(i)));
            main->AddFile(dir.filePath(QString("%1.wav").arg(i)));
        }
        main->ShowRowCount();
        QTreeView* list = main->lstMain;

        // Nothing selected: Delete changes nothing, not even the count text.
        main->stbPanel1->setText("untouched");
        list->setFocus();
        QTest::keyRelease(list, Qt::Key_Delete);
        QCOMPARE(main->fileList().rowCount(), 6);
        QCOMPARE(rowCount(), QString("untouched"));

        auto* selection = list->selectionModel();
        for (int r : {1, 3, 4})
            selection->select(main->fileList().index(r, 0),
                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QTest::keyRelease(list, Qt::Key_Delete);
        QCOMPARE(main->fileList().rowCount(), 3);
        QCOMPARE(main->fileList().entry(1).name, QString("2.wav"));
        QCOMPARE(rowCount(), QString("3"));
        // Nothing is left selected: a second Delete removes nothing.
        QTest::keyRelease(list, Qt::Key_Delete);
        QCOMPARE(main->fileList().rowCount(), 3);

        selection->select(main->fileList().index(0, 0),
                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        main->mnuSupprimer->trigger();
        QCOMPARE(main->fileList().rowCount(), 2);
        QCOMPARE(rowCount(), QString("2"));

        main->mnuEffacer->trigger();
        QCOMPARE(main->fileList().rowCount(), 0);
        QCOMPARE(rowCount(), QString("0"));
        main->mnuEffacer->trigger();
        QCOMPARE(rowCount(), QString("0"));
    }

    void folderWindowSearchesAndCloses()
    {
        QTemporaryDir dir;
        touch(dir.filePath("top/a.wav"));
        touch(dir.filePath("top/b.mp3"));
        touch(dir.filePath("top/Sub/c.wav"));
        touch(dir.filePath("top/Sub/X.MP3"));
        main->AddFile(dir.filePath("top/a.wav"));

        frmDossier* window = program->folderWindow();
        QCOMPARE(window->windowTitle(), QString("Quenzal"));
        QCOMPARE(window->frmDos->title(), QString("Dossier de recherche"));
        QCOMPARE(window->frmExt->title(), QString("Extension"));
        QCOMPARE(window->cmdAjouter->text(), QString("Ajouter"));
        QCOMPARE(window->cmdOuvrirDossier->text(), QString("..."));
        QCOMPARE(window->cmbExtension->count(), 2);
        QCOMPARE(window->cmbExtension->itemText(0), QString(" WAV (*.wav)"));
        QCOMPARE(window->cmbExtension->itemText(1), QString(" MP3 (*.mp3)"));
        QCOMPARE(window->lblExt->text(), QString("*.wav"));
        QVERIFY(window->txtChemin->isReadOnly());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));

        // No folder yet: Enter warns and the window stays.
        QTest::keyClick(window->cmbExtension, Qt::Key_Return);
        QCOMPARE(desktop->messages.size(), 1);
        QCOMPARE(desktop->messages[0].icon, Desktop::Icon::Warning);
        QCOMPARE(desktop->messages[0].title, QString("Quenzal"));
        QVERIFY(!desktop->messages[0].text.isEmpty());
        QVERIFY(window->isVisible());

        // A cancelled picker keeps the box; a chosen folder fills it.
        window->cmdOuvrirDossier->click();
        QVERIFY(window->txtChemin->text().isEmpty());
        desktop->folderAnswers << dir.filePath("top/");
        window->cmdOuvrirDossier->click();
        QCOMPARE(window->txtChemin->text(), dir.filePath("top"));

        window->cmbExtension->setCurrentIndex(1);
        QCOMPARE(window->lblExt->text(), QString("*.mp3"));
        QTest::keyClick(window->cmdOuvrirDossier, Qt::Key_Enter);
        QVERIFY(!window->isVisible());
        QStringList found;
        for (const FileEntry& e : main->fileList().entries())
            found << e.fullPath();
        QCOMPARE(found, QStringList({dir.filePath("top/a.wav"), dir.filePath("top/b.mp3"),
                                     dir.filePath("top/Sub/X.MP3")}));
        QCOMPARE(rowCount(), QString("3"));
    }

    void folderWindowIsNewAtEveryShowing()
    {
        QTemporaryDir dir;
        touch(dir.filePath("a.wav"));
        storeValue("Langue", env->programFolder() + "/Langue/English.lng");
        start();

        QStringList states;
        const auto showAndThen = [&](const std::function<void(frmDossier*)>& act) {
            QTimer::singleShot(0, [&] {
                auto* window = qobject_cast<frmDossier*>(QApplication::activeModalWidget());
                QVERIFY(window);
                states << window->txtChemin->text() + '|' + window->lblExt->text() + '|' +
                              window->cmdAjouter->text();
                act(window);
            });
            main->mnuAjoutDossier->trigger();
        };
        showAndThen([&](frmDossier* window) {
            desktop->folderAnswers << dir.path();
            window->cmdOuvrirDossier->click();
            window->cmbExtension->setCurrentIndex(1);
            QTest::keyClick(window, Qt::Key_Escape); // closes without searching
        });
        QCOMPARE(main->fileList().rowCount(), 0);
        showAndThen([&](frmDossier* window) {
            desktop->folderAnswers << dir.path();
            window->cmdOuvrirDossier->click();
            window->cmdAjouter->click();
        });
        QCOMPARE(main->fileList().rowCount(), 1);
        QCOMPARE(states, QStringList({"|*.wav|Add", "|*.wav|Add"}));
        QVERIFY(!program->existingFolderWindow());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
