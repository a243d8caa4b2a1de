#include "app/FileEntry.h"
#include "app/FileListModel.h"
#include "app/Program.h"
#include "app/RunController.h"
#include "app/ScriptDesktop.h"
#include "app/SingleInstance.h"
#include "app/frmMain.h"
#include "settings/BuiltInTexts.h"
#include "settings/Language.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>

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

QtMessageHandler qtHandler = nullptr;

// Qt's offscreen platform says what it cannot do for windows nobody sees; a script reading
// Quenzal's standard error needs none of it.
void withoutOffscreenNotes(QtMsgType type, const QMessageLogContext& context,
                           const QString& message)
{
    if (!message.startsWith(QLatin1String("This plugin does not support")))
        qtHandler(type, context, message);
}

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
            qtHandler = qInstallMessageHandler(withoutOffscreenNotes);
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

    // The help speaks the chosen language, Qt's own lines ("Usage:") included.
    Language language;
    language.setPath(Program::StoredLanguage(QCoreApplication::applicationDirPath() +
                                             QStringLiteral("/Langue")));
    const auto say = [&language](const char* key) {
        return MessageText(language, QStringLiteral("Main"), QLatin1String(key));
    };
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_") + language.locale(),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
    QCommandLineParser parser;
    parser.setApplicationDescription(say("cliDescription"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption encodeOption(QStringLiteral("encode"), say("cliEncode"));
    parser.addOption(encodeOption);
    const QCommandLineOption outputOption(QStringLiteral("output"), say("cliOutput"),
                                          QStringLiteral("DIR"));
    parser.addOption(outputOption);
    parser.addPositionalArgument(QStringLiteral("files"), say("cliFiles"),
                                 QStringLiteral("[files...]"));
    parser.process(app);
    QCoreApplication::removeTranslator(&qtTexts); // the program loads its own
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
                              QStringLiteral(": left out: not a regular file named .wav, .aif "
                                             "or .mp3\n"));
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
