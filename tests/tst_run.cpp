// Encode and Decode runs from the main window, end to end with the real lame: the checks,
// the console window, the end-of-run notice, the stop and closing Quenzal during a run.
#include "Control.h"
#include "StartProgram.h"
#include "TestEnvironment.h"
#include "TestFiles.h"

#include "app/FileListModel.h"
#include "app/RunController.h"
#include "conversion/frmConsole.h"
#include "lame/frmOptionLame.h"
#include "mp3/clsMP3.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include <taglib/fileref.h>
#include <taglib/tpropertymap.h>
#include <taglib/wavfile.h>

#include <functional>
#include <memory>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

class TestRun : public QObject {
    Q_OBJECT

    TestEnvironment env;
    std::unique_ptr<QTemporaryDir> music;
    std::unique_ptr<Program> program;
    FakeDesktop* desktop = nullptr;
    frmMain* main = nullptr;
    frmConsole* console = nullptr;

    // Quenzal in English, so that messages can be compared with the shipped texts.
    void start(const QString& programFolder, const QString& dataFolder = QString())
    {
        Store("Langue", env.programFolder() + "/Langue/English.lng");
        program = StartProgram(programFolder, desktop,
                               dataFolder.isEmpty() ? env.dataFolder() : dataFolder);
        main = program->mainWindow();
        console = program->consoleWindow();
    }

    QString wav(const QString& name, double seconds = 1.0)
    {
        if (!WriteSineWav(music->filePath(name), seconds))
            qFatal("cannot write %s", qPrintable(name));
        return music->filePath(name);
    }

    // Starts a run from the menu and waits until the script has ended.
    bool run(QAction* action)
    {
        action->trigger();
        return QTest::qWaitFor([this] { return !console->isRunning(); }, 120000);
    }

    QAction* item(const char* name) const { return control<QAction>(main, name); }
    // An Encode run that ended with the window free again.
    bool encoded() { return run(item("mnuEncode")) && !main->isBusy(); }
    QString state(int row) const
    {
        return control<QTreeView>(console, "lstFichiers")->model()->index(row, 1).data().toString();
    }
    QString consoleText() const
    {
        return control<QPlainTextEdit>(console, "txtSortie")->toPlainText();
    }

    static bool isMp3(const QString& path)
    {
        clsMP3 mp3;
        mp3.setFileName(path);
        return mp3.refresh();
    }

    // The LAME options window changed as `change` does, then confirmed with Enter.
    void confirmOptions(const std::function<void(frmOptionLame*)>& change)
    {
        frmOptionLame* options = program->optionLameWindow();
        QTimer::singleShot(0, [options, change] {
            change(options);
            QTest::keyClick(options->findChild<QLineEdit*>("txtdescription"), Qt::Key_Return);
        });
        control<QToolButton>(main, "cmdBouton_4")->click();
    }

    static QString fileId(const QString& path)
    {
        struct stat st {};
        return ::stat(QFile::encodeName(path).constData(), &st) == 0
                   ? QString("%1:%2").arg(st.st_dev).arg(st.st_ino)
                   : QString();
    }

    static bool alive(const QByteArray& pid)
    {
        const QByteArray stat = readBytes("/proc/" + pid.trimmed() + "/stat");
        return !stat.isEmpty() && stat.mid(stat.lastIndexOf(')') + 2, 1) != "Z";
    }

    // A run under way with an encoder that writes part of its output and never ends, not on TERM.
    void startEndlessRun(const QTemporaryDir& folder, const QStringList& names)
    {
        start(StandInLame(folder.path(), "trap '' TERM\nfor last; do :; done\n"
                                         "printf partial > \"$last\"\necho $$ > \"$0.pid\"\n"
                                         "echo working >&2\nexec sleep 600\n"));
        for (const QString& name : names)
            main->AddFile(wav(name));
        item("mnuEncode")->trigger();
        QTRY_VERIFY(consoleText().contains("working"));
    }

private Q_SLOTS:
    void init()
    {
        env.clearSettings();
        music = std::make_unique<QTemporaryDir>();
        start(env.programFolder());
    }

    void cleanup()
    {
        program.reset();
        QFile::remove(env.programFolder() + "/Quenzal.sh");
    }

    void checksComeFirstAndTheScriptFindsAPlace()
    {
        // No encoder, or one that cannot run: said before the empty list is.
        QTemporaryDir bare;
        start(bare.path());
        QVERIFY(touch(bare.path() + "/lame", "#!/bin/sh\n"));
        for (int i = 0; i < 2; ++i) {
            item("mnuEncode")->trigger();
            QCOMPARE(desktop->messages.last().text,
                     "The lame encoder is missing from Quenzal's folder.");
            QFile::remove(bare.path() + "/lame");
        }
        QVERIFY(desktop->messages[0].icon == Desktop::Icon::Critical &&
                desktop->messages[0].title == "Quenzal" &&
                !QFile::exists(bare.path() + "/Quenzal.sh"));

        start(env.programFolder());
        item("mnuDecode")->trigger();
        QCOMPARE(desktop->messages.last().text, "The list is empty: add some files first.");
        QVERIFY(main->isEnabled() && item("mnuEncode")->isEnabled());

        // A default sub-folder that cannot be made (a file already has its name).
        // A refused run leaves no folder.
        QVERIFY(!QFile::exists(music->filePath("Mp3")) &&
                touch(music->filePath("Mp3"), "no folder"));
        main->AddFile(wav("a.wav"));
        item("mnuEncode")->trigger();
        QVERIFY(desktop->messages.last().text.contains(music->filePath("Mp3/")) &&
                main->isEnabled() && !console->isVisible());

        // A read-only program folder (owner-write bit off, which holds for root too): the script
        // goes into the user's data folder, made when missing.
        QVERIFY(QFile::remove(music->filePath("Mp3")));
        QTemporaryDir locked;
        QFile::link(QStringLiteral(QUENZAL_LAME), locked.path() + "/lame");
        SetWritable(locked.path(), false);
        const QString data = music->filePath("home/share/Quenzal");
        start(locked.path(), data);
        QSignalSpy ended(&program->runs(), &RunController::ended);
        main->AddFile(wav("a.wav"));
        QVERIFY(run(item("mnuEncode")));
        QTRY_COMPARE(ended.size(), 1);
        QVERIFY(ended[0][0].toBool() && desktop->messages.isEmpty() &&
                isMp3(music->filePath("Mp3/a.mp3")) &&
                readBytes(data + "/Quenzal.sh").contains("a.wav") &&
                !QFile::exists(locked.path() + "/Quenzal.sh"));

        // Neither folder takes it: no run, and the message says where the script was to go.
        SetWritable(data, false);
        item("mnuEncode")->trigger();
        QVERIFY(desktop->messages.last().text.contains(data + "/Quenzal.sh") && main->isEnabled() &&
                !console->isVisible());
        QVERIFY(ended.size() == 2 && !ended[1][0].toBool()); // a refused run ends at once

        SetWritable(locked.path(), true);
        SetWritable(data, true);
    }

    void encodeEndToEnd()
    {
        main->AddFile(wav("one.wav"));
        main->AddFile(wav("two.wav"));
        item("mnuEncode")->trigger();
        // Busy: nothing (not even an accessibility client) starts a second run or changes the
        // list; files handed over by a later start wait for the run's end.
        QVERIFY(main->isBusy() && !main->isEnabled() && console->isVisible() &&
                !item("mnuEncode")->isEnabled() && !item("mnuEffacer")->isEnabled());
        item("mnuEffacer")->trigger();
        item("mnuEncode")->trigger();
        main->receivePaths({wav("later.wav"), music->filePath("gone.wav")});
        QCOMPARE(main->fileList().rowCount(), 2);
        QTRY_VERIFY_WITH_TIMEOUT(!main->isBusy(), 120000);
        QCOMPARE(main->fileList().paths().mid(2), QStringList{music->filePath("later.wav")});
        // Later files are not part of that run; the console closed by itself; the script stays.
        QVERIFY(!QFile::exists(music->filePath("Mp3/later.mp3")) && main->isEnabled() &&
                item("mnuEncode")->isEnabled() && !console->isVisible() &&
                isMp3(music->filePath("Mp3/one.mp3")) && isMp3(music->filePath("Mp3/two.mp3")) &&
                QFile::exists(env.programFolder() + "/Quenzal.sh"));

        // "Passer" leaves the outputs as they are; "Garder les deux" adds "name (2).mp3".
        const QString one = music->filePath("Mp3/one.mp3");
        const QString before = fileId(one);
        const QDateTime time = QFileInfo(one).lastModified();
        QTimer::singleShot(0, [] {
            auto* window = QApplication::activeModalWidget();
            window->findChild<QComboBox*>("cmbFichiersExistants")->setCurrentIndex(1);
            window->findChild<QPushButton*>("cmdOK")->click();
        });
        item("mnuOption")->trigger();
        QCOMPARE(Stored("Fichiers existants"), "Passer");
        desktop->messages.clear(); // the options window's note
        // Into the existing sub-folder; what was not there yet is converted.
        QVERIFY(encoded() && desktop->messages.isEmpty() &&
                isMp3(music->filePath("Mp3/later.mp3")));
        QCOMPARE(state(0), "already converted");
        QVERIFY(fileId(one) == before && QFileInfo(one).lastModified() == time);
        Store("Fichiers existants", "Garder les deux");
        QVERIFY(encoded() && isMp3(music->filePath("Mp3/one (2).mp3")) && fileId(one) == before);
        Store("Fichiers existants", "Remplacer");
        // The options window's OK hands its switches over; the run's MP3s carry them.
        QTemporaryDir out;
        confirmOptions([&out](frmOptionLame* options) {
            options->findChild<QRadioButton*>("optChoixDossier")->setChecked(true);
            options->findChild<QLineEdit*>("txtDossierSortie")->setText(out.path() + "//./");
            options->findChild<QSlider*>("sldBitrate_0")
                ->triggerAction(QAbstractSlider::SliderPageStepAdd); // 11 -> 16
            options->findChild<QComboBox*>("cmbMode")->setCurrentIndex(3);
        });
        QVERIFY(encoded() && desktop->messages.isEmpty());
        clsMP3 mp3;
        mp3.setFileName(out.filePath("one.mp3"));
        QVERIFY(mp3.refresh());
        // Escape discards the window; the next one shows the kept options, not the design ones.
        QTimer::singleShot(
            0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
        control<QToolButton>(main, "cmdBouton_4")->click();
        const frmOptionLame* options = program->optionLameWindow();
        QCOMPARE(QStringList(
                     {QString::number(mp3.Bitrate()), mp3.ChannelModeText(),
                      QString::number(options->findChild<QSlider*>("sldBitrate_0")->value()),
                      QString::number(options->findChild<QComboBox*>("cmbMode")->currentIndex())}),
                 QStringList({"256000", "Single Channel", "16", "3"}));
    }

    void filesEncodedSideBySide()
    {
        // "Encodages simultanés" as the general options window stores it.
        Store("Encodages simultanés", "Auto");
        QVERIFY(WriteRefusedWav(music->filePath("bad.wav")));
        for (const char* name : {"a.wav", "b.wav", "c.wav"})
            main->AddFile(wav(name));
        main->AddFile(music->filePath("bad.wav"));
        for (QAction* action : {item("mnuEncode"), item("mnuDecode")}) {
            QVERIFY(run(action));
            QCOMPARE(
                QString::number(control<QTreeView>(console, "lstFichiers")->model()->rowCount()) +
                    ' ' + state(0),
                "4 Done");
            QVERIFY(state(3).contains(QRegularExpression("^Failed \\(code \\d+\\): .+")));
            // Side by side ("Auto" on a machine of several cores), each file's own output stays
            // in its row; the run's names the failure.
            const QString text = consoleText();
            if (QThread::idealThreadCount() > 1)
                QVERIFY2(text.contains("bad.wav — Failed (code ") && !text.contains("LAME"),
                         qPrintable(text));
            QVERIFY(console->isVisible() && main->isBusy()); // a failure: the notice follows
            console->close();
        }
        QCOMPARE(desktop->messages.size(), 2);
        // Retrying the failures from the console converts only them, with the same options.
        QVERIFY(run(item("mnuEncode")) &&
                control<QPushButton>(console, "cmdReprendre")->isVisible());
        const QFileInfo done(music->filePath("Mp3/a.mp3"));
        QVERIFY(WriteSineWav(music->filePath("bad.wav"), 1.0)); // mended meanwhile
        control<QPushButton>(console, "cmdReprendre")->click();
        QTRY_VERIFY_WITH_TIMEOUT(!main->isBusy(), 120000);
        QCOMPARE(control<QTreeView>(console, "lstFichiers")->model()->rowCount(), 1);
        // No notice: the retry went well.
        QVERIFY(isMp3(music->filePath("Mp3/bad.mp3")) && !console->isVisible() &&
                desktop->messages.size() == 2);
        QCOMPARE(QFileInfo(music->filePath("Mp3/a.mp3")).lastModified(), done.lastModified());
        for (const char* name : {"a", "b", "c"})
            QVERIFY(isMp3(music->filePath(QString("Mp3/%1.mp3").arg(name))) &&
                    QFileInfo(music->filePath(QString("Wav/%1.wav").arg(name))).size() > 80000);
    }

    void failuresAreNamedThenNotified()
    {
        // Sources go once their MP3 is there; never one that failed or is its own output.
        confirmOptions([](frmOptionLame* options) {
            options->findChild<QCheckBox*>("chkSupp")->setChecked(true);
        });
        QVERIFY(touch(music->filePath("text.wav"), "a text file, renamed") &&
                WriteRefusedWav(music->filePath("bad.wav")));
        const QString good = wav("good.wav"), linked = wav("linked.mp3");
        QVERIFY(QDir().mkpath(music->filePath("Mp3")) && // a symbolic link too
                QFile::link(linked, music->filePath("Mp3/other.mp3")));
        // An output name that is a link to another source of the run is taken.
        QVERIFY(QFile::link(music->filePath("bad.wav"), music->filePath("Mp3/good.mp3")));
        const QByteArray badBytes = readBytes(music->filePath("bad.wav"));
        QCOMPARE(
            ::link(QFile::encodeName(linked), QFile::encodeName(music->filePath("Mp3/linked.mp3"))),
            0);
        for (const char* name : {"bad.wav", "text.wav", "good.wav", "good.wav", "linked.mp3"})
            main->AddFile(music->filePath(name));
        QVERIFY(run(item("mnuEncode")));
        QCOMPARE(readBytes(music->filePath("bad.wav")), badBytes);
        // No noise from a text file.
        QVERIFY(!QFile::exists(good) && isMp3(music->filePath("Mp3/good (2).mp3")) &&
                QFile::exists(linked) && !QFile::exists(music->filePath("Mp3/text.mp3")) &&
                console->isVisible() && control<QPushButton>(console, "cmdFermer")->isEnabled() &&
                main->isBusy() && desktop->messages.isEmpty());
        // One file at a time too, the failed row names lame's error line and opens its output.
        QTreeView* list = control<QTreeView>(console, "lstFichiers");
        const QModelIndex failed = list->model()->index(0, 1);
        QVERIFY(state(0).contains(QRegularExpression("^Failed \\(code \\d+\\): .+")));
        const QPoint row = list->visualRect(failed).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
        auto* output = console->findChild<QPlainTextEdit*>("txtSortieFichier");
        QVERIFY(output &&
                output->toPlainText().contains(failed.data().toString().section(": ", 1)));
        const QPointer<QWidget> outputWindow = output->window(); // it goes with the console
        // The files that were not converted are named; the repeated row is only noted.
        const QString text = consoleText();
        QVERIFY(text.contains("Skipped (already listed above): " + good));
        QVERIFY(text.contains("Skipped (not a readable WAV, AIFF or MP3 file): " +
                              music->filePath("text.wav")));
        QCOMPARE(text.mid(text.lastIndexOf("Files not converted:")),
                 QString("Files not converted:\n  %1\n  %2\n  %3\n")
                     .arg(music->filePath("bad.wav"), music->filePath("text.wav"), linked));

        control<QPushButton>(console, "cmdFermer")->click();
        QVERIFY((!outputWindow || !outputWindow->isVisible()) && desktop->messages.size() == 1 &&
                desktop->messages[0].icon == Desktop::Icon::Information);
        QCOMPARE(desktop->messages[0].text,
                 "The conversion has ended, but some files were not converted.\n"
                 "The console window showed the details.");
        QVERIFY(main->isEnabled() && !main->isBusy());
    }

    void commandLineForScripts()
    {
        // No display, nobody to answer: --help, --version and --encode end by themselves.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(name);
        environment.insert("XDG_CONFIG_HOME", music->filePath("config"));
        const auto quenzal = [&](const QStringList& arguments, QByteArray* err = nullptr) {
            QProcess process;
            process.setProcessEnvironment(environment);
            process.setProcessChannelMode(QProcess::MergedChannels);
            process.start(QStringLiteral(QUENZAL_BUILD_DIR) + "/quenzal", arguments);
            if (!process.waitForFinished(120000))
                return -1;
            if (err)
                *err = process.readAll();
            return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        };
        QByteArray help, english, err;
        QCOMPARE(quenzal({"--help"}, &help), 0);
        QVERIFY(touch(music->filePath("config/Orvanel/Quenzal.conf"),
                      "[General]\nLangue=English.lng\n"));
        QCOMPARE(quenzal({"--help"}, &english), 0);
        QVERIFY(help.contains("Quenzal, une interface") && english.contains("Quenzal, a front"));
        QCOMPARE(quenzal({"--version"}), 0);
        QVERIFY(WriteRefusedWav(music->filePath("bad.wav")));
        QTemporaryDir out;
        QCOMPARE(quenzal({"--encode", "--output", out.path(), wav("good.wav"),
                          music->filePath("bad.wav"), music->filePath("nothere.wav")},
                         &err),
                 1);
        QVERIFY(isMp3(out.filePath("good.mp3")) && !QFile::exists(out.filePath("bad.mp3")) &&
                err.contains("nothere.wav: no such file") && !err.contains("This plugin") &&
                err.contains("FAILED: " + music->filePath("bad.wav").toUtf8() + ": "));
        QCOMPARE(quenzal({"--encode", "--output", music->filePath("none"), wav("good.wav")}, &err),
                 1);
        QVERIFY(err.contains("The chosen output folder does not exist:\n" +
                             music->filePath("none").toUtf8()));
        QCOMPARE(quenzal({"--encode", wav("good.wav")}), 0);
        QCOMPARE(quenzal({"--encode", music->filePath("nothere.wav")}), 2);

        // Killed in a re-run, even with a lame that prints nothing: the earlier output stays
        // byte for byte, whatever the lame left behind goes on to do.
        QSettings(music->filePath("config/Orvanel/Quenzal.conf"), QSettings::IniFormat)
            .setValue("Commande LAME", "-b 128 --quiet");
        QVERIFY(touch(out.filePath("long.mp3"), "earlier"));
        QProcess killed;
        killed.setProcessEnvironment(environment);
        killed.start(QStringLiteral(QUENZAL_BUILD_DIR) + "/quenzal",
                     {"--encode", "--output", out.path(), wav("long.wav", 120.0)});
        QStringList part; // ".quenzal-<its shell>-1.part"
        QTRY_VERIFY_WITH_TIMEOUT(
            !(part = QDir(out.path()).entryList({".quenzal-*"}, QDir::Files | QDir::Hidden))
                 .isEmpty(),
            60000);
        ::kill(pid_t(killed.processId()), SIGKILL);
        QVERIFY(killed.waitForFinished());
        QTRY_VERIFY_WITH_TIMEOUT(ProcessesNaming(out.path()) == 0 &&
                                     !alive(part.first().section('-', 1, 1).toUtf8()),
                                 120000);
        QCOMPARE(readBytes(out.filePath("long.mp3")), "earlier");
    }

    void stopOrCloseDuringARun()
    {
        // Two long files at once, observed mid-way: each row follows lame's own progress.
        Store("Encodages simultanés", "2");
        for (const char* name : {"long1.wav", "long2.wav"})
            main->AddFile(wav(name, 120.0));
        item("mnuEncode")->trigger();
        const QRegularExpression running("^Running \\([1-9][0-9]?%\\)$");
        QTRY_VERIFY_WITH_TIMEOUT(
            running.match(state(0)).hasMatch() && running.match(state(1)).hasMatch(), 60000);
        QCOMPARE(control<QLabel>(console, "lblFichier")->text(), "2 files at once");
        // The rows show each file.
        QVERIFY(!control<QProgressBar>(console, "prgFichier")->isVisibleTo(console));
        // Closing then: "No", the run goes on and the window stays.
        QVERIFY(!main->close());
        QCOMPARE(desktop->questions,
                 QStringList{"A conversion is running. Stop it and quit Quenzal?"});
        QVERIFY(main->isVisible() && console->isRunning());

        // "Yes": the run stops, then every window goes, so Quenzal ends.
        desktop->askAnswers << true;
        main->close();
        QTRY_VERIFY_WITH_TIMEOUT(!main->isVisible(), 20000);
        QVERIFY(!console->isVisible() && !QFile::exists(music->filePath("Mp3/long1.mp3")) &&
                !QFile::exists(music->filePath("Mp3/long2.mp3")) &&
                QApplication::topLevelWidgets().size() > 0);
        for (QWidget* window : QApplication::topLevelWidgets())
            QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));

        // Stopped from the console in a re-run: the earlier output stays byte for byte.
        env.clearSettings();
        QVERIFY(QDir().mkpath(music->filePath("Mp3")) &&
                touch(music->filePath("Mp3/long.mp3"), "earlier"));
        QTemporaryDir folder;
        startEndlessRun(folder, {"long.wav", "next.wav"});
        // Closing the console asks first; "No" goes on.
        console->close();
        QCOMPARE(desktop->questions, QStringList{"A conversion is running. Stop it?"});
        QVERIFY(console->isRunning() && console->isVisible());
        desktop->askAnswers << true;
        console->close();
        QTRY_VERIFY_WITH_TIMEOUT(!console->isRunning(), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!alive(readBytes(folder.filePath("lame.pid"))),
                                 20000); // SIGKILL at last
        QCOMPARE(readBytes(music->filePath("Mp3/long.mp3")), "earlier");
        QCOMPARE(QDir(music->filePath("Mp3")).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"long.mp3"}); // nothing half-written left
        QVERIFY(QFile::exists(music->filePath("long.wav")));
        QCOMPARE(state(0) + '|' + state(1), "Stopped|Not started");
        QVERIFY(consoleText().endsWith(
            QString("The conversion was stopped.\nFiles not converted:\n  %1\n  %2\n")
                .arg(music->filePath("long.wav"), music->filePath("next.wav"))));
        console->close();
        QVERIFY(main->isEnabled() && desktop->messages.size() == 1);

        // Quenzal gone in the middle of a run: the encoder is ended all the same.
        startEndlessRun(folder, {"long.wav"});
        program.reset();
        QTRY_VERIFY_WITH_TIMEOUT(!alive(readBytes(folder.filePath("lame.pid"))), 20000);
        QCOMPARE(readBytes(music->filePath("Mp3/long.mp3")), "earlier");
        // What the killed run left is removed by the next run in that folder.
        const auto hidden = [this] {
            return QDir(music->filePath("Mp3"))
                .entryList({".quenzal-*"}, QDir::Files | QDir::Hidden);
        };
        QCOMPARE(hidden().size(), 1);
        start(env.programFolder());
        main->AddFile(music->filePath("long.wav"));
        QVERIFY(encoded() && hidden().isEmpty() && isMp3(music->filePath("Mp3/long.mp3")));
    }

    void libraryRunCarriesTagsAndTree()
    {
        // Sources in a tree: an MP3 tagged in UTF-16 and a WAV with an INFO chunk.
        const QString tagged = music->filePath("A/tagged.mp3"), info = wav("B/C/info.wav");
        QCOMPARE(
            QProcess::execute(QUENZAL_LAME, {"--quiet", "--id3v2-utf16", "--tt", "Ωmega – Été",
                                             "--ta", "Björk Guðmundsdóttir", "--tl", "Début",
                                             "--ty", "1993", "--tn", "3/11", "--tg", "Trip-Hop",
                                             "--tc", "« un »", wav("A/src.wav"), tagged}),
            0);
        QFile::remove(music->filePath("A/src.wav"));
        {
            TagLib::RIFF::WAV::File file(QFile::encodeName(info).constData());
            file.InfoTag()->setTitle("Info Title");
            file.InfoTag()->setArtist("Info Artist");
            QVERIFY(file.save(TagLib::RIFF::WAV::File::Info));
        }
        const auto tags = [](const QString& path) {
            TagLib::FileRef file(QFile::encodeName(path).constData());
            if (file.isNull() || !file.tag())
                return QString("no file");
            TagLib::PropertyMap map = file.file()->properties();
            QStringList fields;
            for (const char* key :
                 {"TITLE", "ARTIST", "ALBUM", "DATE", "TRACKNUMBER", "GENRE", "COMMENT"})
                fields << QString::fromStdString(map[key].toString().to8Bit(true));
            return fields.join('|');
        };

        // Into an output folder, the tree kept, every field carried over whole.
        QTemporaryDir out;
        Store("Garder l'arborescence", "1");
        confirmOptions([&out](frmOptionLame* options) {
            options->findChild<QRadioButton*>("optChoixDossier")->setChecked(true);
            options->findChild<QLineEdit*>("txtDossierSortie")->setText(out.path());
        });
        main->AddFile(tagged);
        main->AddFile(info);
        QVERIFY(encoded());
        QCOMPARE(tags(out.filePath("A/tagged.mp3")) + '/' + tags(out.filePath("B/C/info.mp3")),
                 "Ωmega – Été|Björk Guðmundsdóttir|Début|1993|3/11|Trip-Hop|« un »/"
                 "Info Title|Info Artist|||||");

        // A title typed in the switches wins over the copied one; the rest is still copied.
        Store("Commande LAME", "-b 128 --tt \"Typed Title\"");
        start(env.programFolder());
        main->AddFile(tagged);
        QVERIFY(encoded());
        QCOMPARE(tags(music->filePath("A/Mp3/tagged.mp3")).section('|', 0, 1),
                 "Typed Title|Björk Guðmundsdóttir");

        // "Copier les tags" off: no tag at all.
        Store("Copier les tags", "0");
        Store("Commande LAME", "-b 128");
        start(env.programFolder());
        main->AddFile(info);
        QVERIFY(encoded());
        QCOMPARE(tags(music->filePath("B/C/Mp3/info.mp3")), "||||||");
    }
};

QTEST_MAIN(TestRun)
#include "tst_run.moc"
