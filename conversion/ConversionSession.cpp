#include "conversion/ConversionSession.h"

#include "conversion/ConversionRun.h"
#include "conversion/MachineRun.h"
#include "conversion/frmConsole.h"
#include "settings/BuiltInTexts.h"
#include "settings/Desktop.h"
#include "settings/WaitCursor.h"
#include "settings/mdlFichier.h"
#include "settings/mdlMain.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QWidget>

namespace {

const char* const kSkipKeys[] = {"msgSkipDecode", "msgSkipSame", "msgSkipRepeated",
                                 "msgSkipNotAudio"};

} // namespace

ConversionSession::ConversionSession(Desktop& desktop, const Language& language,
                                     frmConsole& console, QWidget* owner, QObject* parent)
    : QObject(parent)
    , m_desktop(desktop)
    , m_language(language)
    , m_console(console)
    , m_owner(owner)
{}

ConversionSession::~ConversionSession() = default;

QString ConversionSession::text(const char* key) const
{
    return MessageText(m_language, QStringLiteral("Main"), QLatin1String(key));
}

void ConversionSession::refuse(const QString& key, const QString& detail)
{
    QString message = MessageText(m_language, QStringLiteral("Main"), key);
    if (!detail.isEmpty())
        message += QLatin1Char('\n') + detail;
    m_desktop.showMessage(m_owner, message, QStringLiteral("Quenzal"), Desktop::Icon::Critical);
}

bool ConversionSession::isRunning() const
{
    return m_run && m_run->isRunning();
}

void ConversionSession::stop()
{
    if (m_run)
        m_run->stop();
}

bool ConversionSession::start(const ConversionRequest& request, const QString& scriptPath)
{
    const QString lame = LamePath(request.programFolder);
    if (!Exists(lame) || !QFileInfo(lame).isExecutable()) {
        refuse(QStringLiteral("msgErrEncode"));
        return false;
    }
    if (request.sources.isEmpty()) {
        refuse(QStringLiteral("msgErrlist"));
        return false;
    }
    // A chosen folder is never made: one that is not there (a drive not mounted, say) would
    // fail every file of the run.
    if (const QString output = NormaliseOutputFolder(request.outputFolder);
        !output.isEmpty() && !QFileInfo(output).isDir()) {
        refuse(QStringLiteral("msgNoOutputFolder"), output);
        return false;
    }

    ConversionPlan plan;
    {
        const WaitCursor wait; // every source is looked into
        plan = PlanConversion(request);
    }
    if (!WriteTextFile(plan.script, scriptPath, false)) {
        refuse(QStringLiteral("msgErrScript"), scriptPath);
        return false;
    }
    // Only once the script is written, so that a refused run leaves no empty folders behind.
    for (const QString& folder : plan.subfolders) {
        if (!Exists(std::nullopt, folder) && !QDir().mkpath(folder)) {
            refuse(QStringLiteral("msgErrSubFolder"), folder);
            return false;
        }
    }

    // Temporary files of runs that were killed in these folders: never anyone's output.
    QSet<QString> folders;
    for (const ScriptLine& line : plan.lines)
        folders.insert(line.output.left(line.output.lastIndexOf(QLatin1Char('/'))));
    for (const QString& folder : folders)
        RemoveLeftovers(folder);

    QStringList notes;
    for (const SkippedRow& skipped : plan.skipped)
        notes << text(kSkipKeys[skipped.reason]) + QLatin1Char(' ') + skipped.source;
    QStringList names;
    names.reserve(plan.lines.size());
    for (const ScriptLine& line : plan.lines)
        names << SplitPath(line.source, NameWithExtension);
    m_console.beginRun(names, notes, request.machines.isEmpty() ? request.jobs : 2);
    for (int i = 0; i < plan.lines.size(); ++i) {
        if (plan.lines.at(i).upToDate) {
            m_console.markUpToDate(i + 1);
            Q_EMIT fileOutcome(plan.lines.at(i).source, true, m_console.rowState(i + 1));
        }
    }

    if (request.machines.isEmpty())
        m_run = std::make_unique<ConversionRun>(std::move(plan), request.jobs);
    else
        m_run = std::make_unique<MachineRun>(std::move(plan), request, m_language);
    connect(m_run.get(), &ConversionRun::output, &m_console, &frmConsole::appendOutput);
    connect(m_run.get(), &ConversionRun::fileStarted, &m_console,
            [this](int number) { m_console.startFile(number); });
    connect(m_run.get(), &ConversionRun::fileFinished, &m_console, &frmConsole::finishFile);
    connect(m_run.get(), &ConversionRun::fileFinished, this, [this](int number, bool ok) {
        Q_EMIT fileOutcome(m_run->plan().lines.at(number - 1).source, ok,
                           m_console.rowState(number));
    });
    connect(&m_console, &frmConsole::closeDuringRun, this, [this] {
        if (m_desktop.ask(&m_console, m_console.texts().closeRunning, QStringLiteral("Quenzal")))
            m_console.requestStop();
    });
    connect(m_run.get(), &ConversionRun::finished, this, &ConversionSession::onFinished);
    connect(&m_console, &frmConsole::stopRequested, m_run.get(), &ConversionRun::stop);
    m_run->start();
    return true;
}

void ConversionSession::onFinished(const RunResult& result)
{
    disconnect(&m_console, &frmConsole::stopRequested, m_run.get(), nullptr);
    disconnect(&m_console, &frmConsole::closeDuringRun, this, nullptr);
    const ConversionPlan& plan = m_run->plan();
    // A skipped row was not converted either: the user hears of it as of a failed one. A row
    // listed twice was converted once, which is no failure.
    QStringList notConverted;
    QList<int> lines = result.failedLines + result.unfinishedLines;
    std::sort(lines.begin(), lines.end());
    for (const int line : lines)
        notConverted << plan.lines.at(line).source;
    for (const SkippedRow& skipped : plan.skipped) {
        if (skipped.reason != SkippedRow::Repeated)
            notConverted << skipped.source;
    }
    m_notConverted = notConverted;
    const bool succeeded = result.succeeded() && notConverted.isEmpty();
    if (!result.started)
        m_console.appendOutput(0, (text("msgErrStart") + QLatin1Char('\n')).toUtf8());
    const int code = succeeded ? 0 : (result.exitCode != 0 ? result.exitCode : 1);
    m_console.endRun(code, notConverted, result.stopped);
    for (const int line : result.unfinishedLines)
        Q_EMIT fileOutcome(plan.lines.at(line).source, false, m_console.rowState(line + 1));
    for (const SkippedRow& skipped : plan.skipped) {
        if (skipped.reason != SkippedRow::Repeated)
            Q_EMIT fileOutcome(skipped.source, false, text(kSkipKeys[skipped.reason]));
    }
    Q_EMIT ended(succeeded);
}
