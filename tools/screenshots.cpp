// Draws Quenzal's main window (with a few rows), its LAME options window and its console
// window in the middle of a real run into PNG files, offscreen, for the README.
// Usage: quenzal_screenshots PROGRAM_FOLDER OUTPUT_FOLDER
// The settings live in a temporary folder meanwhile: the user's own are never touched.
#include "app/FileEntry.h"
#include "app/Program.h"
#include "app/RunController.h"
#include "app/frmMain.h"
#include "conversion/frmConsole.h"
#include "lame/frmOptionLame.h"
#include "settings/Desktop.h"
#include "settings/Wav.h"
#include "tests/Control.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>

namespace {

// A 16-bit stereo 44.1 kHz WAV of a soft chord, long enough for the console to be caught
// in the middle of a file.
bool writeWav(const QString& path, int seconds, double pitch)
{
    QByteArray samples;
    QDataStream out(&samples, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    for (quint32 i = 0; i < static_cast<quint32>(seconds) * 44100; ++i) {
        const double t = i / 44100.0;
        const double left = std::sin(2 * std::numbers::pi * pitch * t);
        const double right = std::sin(2 * std::numbers::pi * pitch * 1.25 * t);
        out << qint16(6000 * left) << qint16(6000 * right);
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(WavFile(2, samples)) > 0;
}

// Dialogs answered without a person: the options window's Open picks a shipped preset.
class ScriptedDesktop final : public Desktop {
public:
    QString preset;

    void showMessage(QObject*, const QString& text, const QString&, Icon) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    QStringList openFileNames(QObject*, const QString&, const QString&, const QString&) override
    {
        return {};
    }
    QString openFileName(QObject*, const QString&, const QString&, const QString&,
                         const QStringList&) override
    {
        return preset;
    }
    QString saveFileName(QObject*, const QString&, const QString&, const QString&) override
    {
        return {};
    }
    bool ask(QObject*, const QString&, const QString&) override { return false; }
    QString pickFolder(QObject*, const QString&) override { return {}; }
    bool openDocument(const QString&) override { return false; }
};

bool save(QWidget* window, const QString& path)
{
    window->activateWindow();
    QApplication::processEvents();
    const bool saved = window->grab().save(path);
    std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "wrote" : "cannot write",
                 qPrintable(path));
    return saved;
}

} // namespace

int main(int argc, char* argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PROGRAM_FOLDER OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const QString programFolder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const QString output = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    QDir().mkpath(output);

    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir settings, data;
    QTemporaryDir music(QDir::tempPath() + QStringLiteral("/Music-XXXXXX"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());

    // A small album beside the program's own folder layout.
    const QString album = music.path() + QStringLiteral("/Quartet");
    QDir().mkpath(album);
    const struct {
        const char* name;
        int seconds;
        double pitch;
    } tracks[] = {{"01 Allegro.wav", 40, 220.0},
                  {"02 Adagio.wav", 55, 196.0},
                  {"03 Menuet.wav", 30, 261.6},
                  {"04 Finale.wav", 45, 293.7}};
    QStringList paths;
    for (const auto& track : tracks) {
        paths << album + QLatin1Char('/') + QLatin1String(track.name);
        if (!writeWav(paths.last(), track.seconds, track.pitch)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(paths.last()));
            return 1;
        }
    }

    Program program(programFolder, data.path());
    auto desktop = std::make_unique<ScriptedDesktop>();
    desktop->preset = programFolder + QStringLiteral("/Preset/CBR 128.qzo");
    program.setDesktop(std::move(desktop));
    frmMain* main = program.mainWindow();
    program.Form_Load();
    program.setLanguage(programFolder + QStringLiteral("/Langue/English"));
    main->resize(700, 400);
    main->show();
    main->DropPaths(paths);
    for (int column = 0; column < FileEntry::ColumnCount; ++column)
        control<QTreeView>(main, "lstMain")->resizeColumnToContents(column);
    control<QTreeView>(main, "lstMain")->setFocus();
    control<QTreeView>(main, "lstMain")
        ->setCurrentIndex(control<QTreeView>(main, "lstMain")->model()->index(1, 0));

    // The options of a shipped preset, opened as a user opens one.
    frmOptionLame* options = program.optionLameWindow();
    options->findChild<QPushButton*>("cmdOuvrir")->click();
    options->show();
    options->findChild<QWidget*>("TabOption")->setFocus();

    bool ok = save(main, output + QStringLiteral("/main-window.png"));
    ok = save(options, output + QStringLiteral("/lame-options.png")) && ok;
    options->cmdOK_Click(); // the preset's switches for the run below

    // The console during a real run: caught in the middle of the second file.
    frmConsole* console = program.consoleWindow();
    bool caught = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &app, [&] {
        if (!caught && control<QProgressBar>(console, "prgTotal")->value() == 1 &&
            control<QProgressBar>(console, "prgFichier")->value() >= 45) {
            caught = true;
            ok = save(console, output + QStringLiteral("/console.png")) && ok;
        }
    });
    QObject::connect(&program.runs(), &RunController::ended, &app,
                     [&] { QCoreApplication::quit(); });
    watch.start(5);
    QTimer::singleShot(0, main, &frmMain::mnuEncode_Click);
    QApplication::exec();
    if (!caught)
        std::fprintf(stderr, "the console window was never caught in the middle of a file\n");
    return ok && caught ? 0 : 1;
}
