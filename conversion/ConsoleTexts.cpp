#include "conversion/ConsoleTexts.h"

#include "settings/BuiltInTexts.h"
#include "settings/Language.h"

ConsoleTexts ConsoleTexts::builtIn()
{
    return fromLanguage(Language());
}

ConsoleTexts ConsoleTexts::fromLanguage(const Language& language)
{
    const auto text = [&language](const char* key) {
        return MessageText(language, QStringLiteral("Console"), QLatin1String(key));
    };
    ConsoleTexts texts;
    texts.title = text("title");
    texts.titleFile = text("titleFile");
    texts.titleStopped = text("titleStopped");
    texts.titleFailed = text("titleFailed");
    texts.stop = text("cmdStop");
    texts.close = text("cmdClose");
    texts.retry = text("cmdRetry");
    texts.closeRunning = text("msgCloseRunning");
    texts.stopped = text("msgStopped");
    texts.failedCount = text("msgFailedCount");
    texts.failedList = text("msgFailedList");
    texts.failedExitCode = text("msgFailedExitCode");
    texts.running = text("msgRunning");
    texts.runningOne = text("msgRunningOne");
    texts.timeLeft = text("msgTimeLeft");
    texts.output = text("titleOutput");
    texts.files = text("accFiles");
    texts.outputName = text("accOutput");
    texts.fileProgress = text("accFileProgress");
    texts.totalProgress = text("accTotalProgress");
    texts.rows = {text("colFile"),         text("colState"),      text("stateWaiting"),
                  text("stateRunning"),    text("stateDone"),     text("stateFailed"),
                  text("stateFailedLine"), text("stateUpToDate"), text("stateStopped"),
                  text("stateNotStarted")};
    return texts;
}
