#include "app/FileListModel.h"
#include "app/Program.h"
#include "app/RunController.h"
#include "app/SingleInstance.h"
#include "app/frmMain.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>

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

} // namespace

int main(int argc, char* argv[])
{
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
        QStringLiteral("Encode the files given to MP3 and quit; the exit code is 0 when every "
                       "file was converted."));
    parser.addOption(encodeOption);
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
    frmMain* main = program.mainWindow();
    program.Form_Load();
    main->show();
    QObject::connect(&instance, &SingleInstance::pathsReceived, main, &frmMain::receivePaths);
    main->DropPaths(paths);
    if (!encode)
        return QApplication::exec();

    const QStringList listed = main->fileList().paths();
    if (listed.isEmpty()) {
        print(stderr, QStringLiteral("quenzal: nothing to encode: give WAV, AIFF or MP3 files "
                                     "(names ending in .wav, .aif or .mp3, in small letters)\n"));
        return 2;
    }
    for (const QString& path : listed)
        print(stdout, path + QLatin1Char('\n'));
    // A run that fails keeps its console window open, naming what was not converted; Quenzal
    // then ends when the user closes it, with exit code 1.
    bool succeeded = false;
    QObject::connect(&program.runs(), &RunController::ended, main, [main, &succeeded](bool ok) {
        succeeded = ok;
        if (ok)
            main->close();
    });
    QTimer::singleShot(0, main, &frmMain::mnuEncode_Click);
    const int code = QApplication::exec();
    return succeeded ? code : 1;
}
