#include "conversion/RunConversion.h"

#include "app/FileListModel.h"
#include "app/Program.h"
#include "app/frmMain.h"
#include "conversion/ConversionRun.h"
#include "conversion/frmConsole.h"
#include "conversion/mdlFichier.h"
#include "conversion/mdlMain.h"
#include "conversion/mdlWait.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QTimer>

namespace {

QString skipNote(Program& program, const SkippedRow& skipped)
{
    static const char* const keys[] = {"msgSkipDecode", "msgSkipSame", "msgSkipRepeated"};
    return program.text(QStringLiteral("Main"), QLatin1String(keys[skipped.reason])) +
           QLatin1Char(' ') + skipped.source;
}

void refuse(Program& program, const QString& key, const QString& detail = QString())
{
    QString text = program.text(QStringLiteral("Main"), key);
    if (!detail.isEmpty())
        text += QLatin1Char('\n') + detail;
    program.desktop().showMessage(program.mainWindow(), text, QStringLiteral("Quenzal"),
                                  Desktop::Icon::Critical);
}

} // namespace

RunOutcome RunConversion(Program& program, Direction direction)
{
    frmMain* main = program.mainWindow();
    const ProgramValues& values = program.values();

    const QFileInfo lame(values.lamePath());
    if (!Exists(values.lamePath()) || !lame.isExecutable()) {
        refuse(program, QStringLiteral("msgErrEncode"));
        return RunOutcome::Refused;
    }
    if (main->fileList().rowCount() == 0) {
        refuse(program, QStringLiteral("msgErrlist"));
        return RunOutcome::Refused;
    }
    program.setOutputFolderText(NormaliseOutputFolder(program.outputFolderText()));

    ConversionRequest request;
    request.rows = main->fileList().entries();
    request.optionsText = main->lblRegistre->text();
    request.outputFolder = program.outputFolderText();
    request.programFolder = values.programFolder;
    request.direction = direction;
    request.deleteSources = direction == Direction::Encode && program.deleteSourcesAfterEncoding();
    ConversionPlan plan = PlanConversion(request);

    const QString scriptPath = values.programFolder + QStringLiteral("/Quenzal.sh");
    if (!WriteTextFile(ToOem(plan.script), scriptPath, false)) {
        refuse(program, QStringLiteral("msgErrScript"), scriptPath);
        return RunOutcome::Refused;
    }

    // Only once the script is written, so that a refused run leaves no empty folders behind.
    for (const QString& folder : plan.subfolders) {
        if (!Exists(std::nullopt, folder) && !QDir().mkdir(folder)) {
            refuse(program, QStringLiteral("msgErrSubFolder"), folder);
            return RunOutcome::Refused;
        }
    }
    QStringList notes;
    for (const SkippedRow& skipped : plan.skipped)
        notes << skipNote(program, skipped);
    frmConsole* console = program.consoleWindow();
    console->beginRun(static_cast<int>(plan.lines.size()), notes);

    main->setEnabled(false);
    ConversionRun run(plan, scriptPath);
    QObject::connect(&run, &ConversionRun::output, console, &frmConsole::appendOutput);
    QObject::connect(&run, &ConversionRun::fileStarted, console,
                     [console](int number, const QString& source) {
                         console->startFile(number, SplitPath(source, NameWithExtension));
                     });
    QObject::connect(&run, &ConversionRun::fileFinished, console, &frmConsole::finishFile);
    const QMetaObject::Connection stop =
        QObject::connect(console, &frmConsole::stopRequested, &run, &ConversionRun::stop);
    console->show();
    console->raise();

    if (!run.start()) {
        QObject::disconnect(stop);
        console->endRun(0, {}, false);
        main->setEnabled(true);
        refuse(program, QStringLiteral("msgErrStart"));
        return RunOutcome::Refused;
    }
    const int exitCode = WaitProcess(run.process());
    QObject::disconnect(stop);

    // A skipped row was not converted either: the user hears of it as of a failed one.
    QStringList failedNames;
    for (const int line : run.failedLines())
        failedNames << plan.lines.at(line).source;
    for (const SkippedRow& skipped : plan.skipped)
        failedNames << skipped.source;
    const bool failed = exitCode != 0 || !failedNames.isEmpty() || run.wasStopped();
    console->endRun(failed ? (exitCode != 0 ? exitCode : 1) : 0, failedNames, run.wasStopped());

    main->timer->start(1000);
    if (!failed) {
        main->timer->stop();
        main->setEnabled(true);
        return RunOutcome::Succeeded;
    }
    return RunOutcome::Failed; // the main window's timer finishes the run
}
