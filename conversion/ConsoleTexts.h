#pragma once

#include "conversion/ConsoleRows.h"

#include <QString>

class Language;

// Every text the console window shows of its own, in one place, so that the language files
// can replace them. The built-in texts are French.
struct ConsoleTexts {
    QString title;          // before the first file
    QString titleFile;      // %1 the file's number, %2 the number of files
    QString titleStopped;   // the run was stopped
    QString titleFailed;    // the run ended with errors
    QString stop;           // cmdStop
    QString close;          // cmdFermer
    QString retry;          // cmdReprendre
    QString closeRunning;   // the question when the window is closed during the run
    QString stopped;        // summary: the run was stopped
    QString failedCount;    // %1 how many files were not converted
    QString failedList;     // heads the names of the failed files
    QString failedExitCode; // %1 the exit code, when no file is named
    QString running;        // %1 how many files are being converted at once
    QString runningOne;     // the same for a single file ("1 fichier en cours")
    QString timeLeft;       // %1 the time left, as m:ss or h:mm:ss
    QString output;         // the title of a file's own output
    // Accessible names: the file list, the output, the file's and the run's progress bars.
    QString files, outputName, fileProgress, totalProgress;
    ConsoleRows::Texts rows;
    static ConsoleTexts builtIn();
    // The texts of section "Console" of a language file; a text the file lacks is the
    // built-in one.
    static ConsoleTexts fromLanguage(const Language& language);
};
