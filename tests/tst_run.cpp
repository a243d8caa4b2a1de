// Encode and Decode runs from the main window, end to end with the real lame: the checks,
// the console window, the end-of-run notice and the stop.
#include "StartProgram.h"
#include "TestEnvironment.h"
#include "TestFiles.h"

#include "app/FileListModel.h"
#include "app/Program.h"
#include "app/frmMain.h"
#include "conversion/RunConversion.h"
#include "conversion/frmConsole.h"
#include "mp3/clsMP3.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

class TestRun : public QObject {
    Q_OBJECT

    TestEnvironment env;
    std::unique_ptr<QTemporaryDir> music;
    std::unique_ptr<Program> program;
    FakeDesktop* desktop = nullptr;
    frmMain* main = nullptr;

    void start(const QString& programFolder)
    {
        program = StartProgram(programFolder, desktop);
        main = program->mainWindow();
    }

    QString wav(const QString& name, double seconds = 1.0)
    {
        const QString path = music->filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (!WriteSineWav(path, seconds))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    static bool isMp3(const QString& path)
    {
        clsMP3 mp3;
        mp3.setFileName(path);
        return mp3.refresh();
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

    void checksComeFirstAndRefuseClearly()
    {
        // No encoder: said before the empty list is.
        QTemporaryDir bare;
        start(bare.path());
        main->mnuEncode->trigger();
        QCOMPARE(desktop->messages.size(), 1);
        QCOMPARE(desktop->messages[0].icon, Desktop::Icon::Critical);
        QCOMPARE(desktop->messages[0].title, QString("Quenzal"));
        QCOMPARE(desktop->messages[0].text, program->text("Main", "msgErrEncode"));
        QVERIFY(!QFile::exists(bare.path() + "/Quenzal.sh"));

        start(env.programFolder());
        main->mnuDecode->trigger();
        QCOMPARE(desktop->messages.last().text, program->text("Main", "msgErrlist"));
        QVERIFY(main->isEnabled());

        // A program folder Quenzal may not write to: the script cannot be written.
        const QString source = wav("a.wav");
        QTemporaryDir locked;
        QFile::link(QStringLiteral(QUENZAL_LAME), locked.path() + "/lame");
        QFile::setPermissions(locked.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        start(locked.path());
        main->AddFile(source);
        QCOMPARE(RunConversion(*program, Direction::Encode), RunOutcome::Refused);
        QVERIFY(desktop->messages.last().text.contains(locked.path() + "/Quenzal.sh"));
        QVERIFY(main->isEnabled());
        QVERIFY(!program->isConsoleOpen());
        QFile::setPermissions(locked.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                 QFileDevice::ExeOwner);

        // A default sub-folder that cannot be made (a file already has its name).
        QVERIFY(!QFile::exists(music->filePath("Mp3"))); // a refused run leaves no folder
        start(env.programFolder());
        QFile blocker(music->filePath("Mp3"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        main->AddFile(source);
        QCOMPARE(RunConversion(*program, Direction::Encode), RunOutcome::Refused);
        QVERIFY(desktop->messages.last().text.contains(music->filePath("Mp3/")));
        QVERIFY(!program->isConsoleOpen());
        QVERIFY(main->isEnabled());
    }

    void encodeAndDecodeEndToEnd()
    {
        main->AddFile(wav("one.wav"));
        main->AddFile(wav("two.wav"));
        main->lblRegistre->setText("-b 112 -m m ");
        bool disabledDuringRun = false;
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&] { disabledDuringRun |= !main->isEnabled(); });
        watch.start(10);
        QCOMPARE(RunConversion(*program, Direction::Encode), RunOutcome::Succeeded);
        watch.stop();
        QVERIFY(disabledDuringRun);
        QVERIFY(main->isEnabled());
        QVERIFY(!program->isConsoleOpen());                           // closed by itself
        QTRY_COMPARE(program->consoleWindow()->prgTotal->value(), 2); // both lines reported
        QVERIFY(!main->timer->isActive());
        QVERIFY(desktop->messages.isEmpty());
        clsMP3 mp3;
        mp3.setFileName(music->filePath("Mp3/one.mp3"));
        QVERIFY(mp3.refresh());
        QCOMPARE(mp3.Bitrate(), 112000);
        QCOMPARE(mp3.ChannelModeText(), QString("Single Channel"));
        QVERIFY(isMp3(music->filePath("Mp3/two.mp3")));
        QVERIFY(QFile::exists(env.programFolder() + "/Quenzal.sh")); // left in place

        // Again, into the existing sub-folder; then decode the MP3s.
        QCOMPARE(RunConversion(*program, Direction::Encode), RunOutcome::Succeeded);
        main->mnuEffacer->trigger();
        main->AddFile(music->filePath("Mp3/one.mp3"));
        main->mnuDecode->trigger();
        QVERIFY(QFileInfo(music->filePath("Mp3/Wav/one.wav")).size() > 80000); // 1 s mono
        QVERIFY(desktop->messages.isEmpty());
    }

    void chosenOutputFolderIsNormalisedAndKept()
    {
        QTemporaryDir out;
        main->AddFile(wav("a.wav"));
        main->lblRegistre->setText("-b 32 -m j -V 4 -B 256 -q 2 "); // VBR switches
        program->setOutputFolderText(QString(" \r\n%1 ").arg(out.path()));
        QCOMPARE(RunConversion(*program, Direction::Encode), RunOutcome::Succeeded);
        QCOMPARE(program->outputFolderText(), out.path() + '/');
        QVERIFY(isMp3(out.filePath("a.mp3")));
        QVERIFY(!QFile::exists(music->filePath("Mp3")));
    }

    void failedRunKeepsConsoleOpenThenNotifies()
    {
        QVERIFY(WriteRefusedWav(music->filePath("bad.wav")));
        main->AddFile(music->filePath("bad.wav"));
        main->AddFile(wav("good.wav"));
        QCOMPARE(RunConversion(*program, Direction::Encode), RunOutcome::Failed);
        QVERIFY(isMp3(music->filePath("Mp3/good.mp3")));
        QVERIFY(program->isConsoleOpen());
        QVERIFY(!main->isEnabled());
        QVERIFY(main->timer->isActive());
        QVERIFY(desktop->messages.isEmpty());
        frmConsole* console = program->consoleWindow();
        QVERIFY(console->cmdFermer->isEnabled());
        QVERIFY(console->txtSortie->toPlainText().contains("bad.wav"));

        console->cmdFermer->click();
        QTRY_COMPARE(desktop->messages.size(), 1);
        QCOMPARE(desktop->messages[0].icon, Desktop::Icon::Information);
        QCOMPARE(desktop->messages[0].text,
                 program->text("Main", "msgTimeA") + '\n' + program->text("Main", "msgTimeB"));
        QVERIFY(main->isEnabled());
        QVERIFY(!main->timer->isActive()); // once per run
    }

    void skippedRowsAreToldNotHidden()
    {
        QFile aif(music->filePath("song.aiff"));
        QVERIFY(aif.open(QIODevice::WriteOnly));
        aif.write("FORM");
        aif.close();
        main->AddFile(music->filePath("song.aiff"));
        main->AddFile(wav("tune.wav"));
        QCOMPARE(RunConversion(*program, Direction::Decode), RunOutcome::Failed);
        QVERIFY(QFile::exists(music->filePath("Wav/tune.wav")));
        const QString text = program->consoleWindow()->txtSortie->toPlainText();
        QVERIFY(text.contains(program->text("Main", "msgSkipDecode")));
        QVERIFY(text.contains("song.aiff"));
        program->consoleWindow()->cmdFermer->click();
        QTRY_VERIFY(main->isEnabled());
    }

    void stopEndsTheRunAndCleansUp()
    {
        // An encoder that never ends on its own: only the stop can end this run.
        QTemporaryDir folder;
        QFile lame(folder.path() + "/lame");
        QVERIFY(lame.open(QIODevice::WriteOnly));
        lame.write("#!/bin/sh\nfor last; do :; done\nprintf partial > \"$last\"\nexec sleep 600\n");
        lame.close();
        lame.setPermissions(lame.permissions() | QFileDevice::ExeOwner);
        start(folder.path());
        main->AddFile(wav("long.wav"));

        QTimer stopper;
        connect(&stopper, &QTimer::timeout, [&] {
            if (QFile::exists(music->filePath("Mp3/long.mp3"))) {
                stopper.stop();
                program->consoleWindow()->cmdStop->click();
            }
        });
        stopper.start(20);
        QCOMPARE(RunConversion(*program, Direction::Encode), RunOutcome::Failed);
        QVERIFY(!QFile::exists(music->filePath("Mp3/long.mp3")));
        QVERIFY(QFile::exists(music->filePath("long.wav")));
        QVERIFY(program->isConsoleOpen());
        program->consoleWindow()->close();
        QTRY_VERIFY(main->isEnabled());
        QCOMPARE(desktop->messages.size(), 1);
    }
};

QTEST_MAIN(TestRun)
#include "tst_run.moc"
