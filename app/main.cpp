#include "app/FileEntry.h"
#include "app/FileListModel.h"
#include "app/Program.h"
#include "app/RunController.h"
#include "app/SingleInstance.h"
#include "app/frmMain.h"
#include "settings/Desktop.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>
#include <optional>

namespace {

// Files named on the command line, made absolute here: a running Quenzal that takes them
// over, and the conversion script, work from other folders.
QStringList absolutePaths(const QStringList& arguments)
{
    QStringList paths;
    for (const QString& argument : arguments)
        paths << QDir::cleanPath(QFileInfo(argument).absoluteFilePath());
    return paths;
}

void print(FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

// The desktop of a start for scripts: nobody is there to answer, so messages go to standard
// error, questions are answered No and dialogs are cancelled.
class ScriptDesktop final : public Desktop {
public:
    void showMessage(QObject*, const QString& text, const QString&, Icon) override
    {
        print(stderr, QStringLiteral("quenzal: ") + text + QLatin1Char('\n'));
    }
    QStringList openFileNames(QObject*, const QString&, const QString&, const QString&) override
    {
        return {};
    }
    QString openFileName(QObject*, const QString&, const QString&, const QString&,
                         const QStringList&) override
    {
        return {};
    }
    QString saveFileName(QObject*, const QString&, const QString&, const QString&) override
    {
        return {};
    }
    bool ask(QObject*, const QString&, const QString&) override { return false; }
    QString pickFolder(QObject*, const QString&) override { return {}; }
    bool openDocument(const QString&) override { return false; }
};

// --help, --version and --encode need no screen: without a display they run on Qt's offscreen
// platform instead of aborting.
void allowNoDisplay(int argc, char* argv[])
{
    if (!qEnvironmentVariableIsEmpty("DISPLAY") ||
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
        !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return;
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--") // the rest are file names
            return;
        if (argument == "--encode" || argument == "--help" || argument == "-h" ||
            argument == "--help-all" || argument == "--version" || argument == "-v" ||
            argument == "-?") {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            return;
        }
    }
}

} // namespace

int main(int argc, char* argv[])
{
    allowNoDisplay(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quenzal"));
    QApplication::setOrganizationName(QStringLiteral("Orvanel"));
    QApplication::setApplicationVersion(QStringLiteral(QUENZAL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("org.orvanel.Quenzal"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Quenzal, a front end to the LAME MP3 encoder."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption encodeOption(
        QStringLiteral("encode"),
        QStringLiteral("Encode the files given to MP3 and quit, without asking anything: each "
                       "file's outcome goes to standard error; the exit code is 0 when every "
                       "file was converted, 1 when one was not, 2 when none could be listed."));
    parser.addOption(encodeOption);
    const QCommandLineOption outputOption(
        QStringLiteral("output"),
        QStringLiteral("With --encode: the folder the MP3 files go to (instead of the stored "
                       "choice)."),
        QStringLiteral("DIR"));
    parser.addOption(outputOption);
    parser.addPositionalArgument(QStringLiteral("files"),
                                 QStringLiteral("WAV, AIFF or MP3 files, or folders, to list."),
                                 QStringLiteral("[files...]"));
    parser.process(app);
    const QStringList paths = absolutePaths(parser.positionalArguments());
    const bool encode = parser.isSet(encodeOption);

    // An encoding start is a task of its own: it neither hands its files to the window the
    // user works in (that would convert the user's list too) nor takes later starts' files.
    SingleInstance instance(SingleInstance::defaultSocketPath());
    if (!encode && instance.begin(paths) == SingleInstance::Role::HandedOver)
        return 0;

    Program program(QCoreApplication::applicationDirPath());
    if (encode)
        program.setDesktop(std::make_unique<ScriptDesktop>());
    frmMain* main = program.mainWindow();
    program.Form_Load();
    main->show();
    QObject::connect(&instance, &SingleInstance::pathsReceived, main, &frmMain::receivePaths);
    main->DropPaths(paths);
    if (!encode)
        return QApplication::exec();

    // A name given that is not there is a failure, said by its name. A file the list does not
    // take by its name (as a drop would not) is left out, and said so.
    int missing = 0;
    for (const QString& argument : parser.positionalArguments()) {
        const QFileInfo file(argument);
        if (!file.exists()) {
            print(stderr, QStringLiteral("quenzal: ") + argument +
                              QStringLiteral(": no such file or folder\n"));
            ++missing;
        } else if (!file.isDir() && !MakeFileEntry(file.absoluteFilePath())) {
            print(stderr, QStringLiteral("quenzal: ") + argument +
                              QStringLiteral(": left out: only names ending in .wav, .aif or "
                                             ".mp3 are encoded\n"));
        }
    }
    const QStringList listed = main->fileList().paths();
    if (listed.isEmpty()) {
        print(stderr, QStringLiteral("quenzal: nothing to encode: give WAV, AIFF or MP3 files "
                                     "(names ending in .wav, .aif or .mp3)\n"));
        return 2;
    }
    for (const QString& path : listed)
        print(stdout, path + QLatin1Char('\n'));
    RunController& runs = program.runs();
    QObject::connect(
        &runs, &RunController::fileOutcome, main,
        [](const QString& source, bool ok, const QString& text) {
            print(stderr,
                  (ok ? QStringLiteral("quenzal: ok: ") : QStringLiteral("quenzal: FAILED: ")) +
                      source + QStringLiteral(": ") + text + QLatin1Char('\n'));
        });
    // Ends as soon as the run has: nobody is asked to close anything.
    QObject::connect(&runs, &RunController::ended, main,
                     [missing](bool ok) { QCoreApplication::exit(ok && missing == 0 ? 0 : 1); });
    std::optional<QString> output;
    if (parser.isSet(outputOption))
        output = QFileInfo(parser.value(outputOption)).absoluteFilePath();
    QTimer::singleShot(0, main,
                       [&program, output] { program.startRun(Direction::Encode, output); });
    return QApplication::exec();
}
