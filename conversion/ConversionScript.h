#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The conversion script: one lame command line per listed file, run by /bin/sh. Each line is
//   quenzal_begin N "<output>"; "<program folder>/lame" <switches> "<source>" "<output>";
//   quenzal_done $? N "<output>" "<source>" 0|1
// (on one line): the calls around the encoder tell Quenzal when a file starts and how it ended,
// so that a failed file is never reported as a success. The script can be run again by hand.

enum class Direction { Encode, Decode };

struct ConversionRequest {
    QStringList sources;   // full paths, in the order of the list
    QString optionsText;   // the LAME switches, Encode only
    QString outputFolder;  // empty: a "Mp3/" or "Wav/" sub-folder beside each source
    QString programFolder; // where lame is
    Direction direction = Direction::Encode;
    bool deleteSources = false; // Encode only: remove a source once its MP3 is safely there
    int jobs = 1;               // files converted at once (1: the script runs as it is written)
};

struct ScriptLine {
    int row = 0; // index in ConversionRequest::sources
    QString source;
    QString output;
    QString command; // the whole script line, without its line feed
};

struct SkippedRow {
    enum Reason {
        CannotDecode, // lame decodes MP3 and WAV only
        SameAsSource, // the output would overwrite the source itself
        Repeated,     // the same file is listed more than once: converted once, not a failure
        NotAudio,     // neither WAV, AIFF nor MP3 inside (or it cannot be read)
    };
    int row = 0;
    QString source;
    Reason reason = CannotDecode;
};

struct ConversionPlan {
    QList<ScriptLine> lines;
    QList<SkippedRow> skipped;
    QStringList subfolders; // the default output sub-folders the lines need, each once
    QString script;         // the prologue, the lines and the final exit
};

// The output folder as the run uses it: CleanString, "~/" for the home folder, a folder that
// is not absolute taken inside the home folder, "//" and "/./" cleaned away, and a trailing "/"
// when not empty.
QString NormaliseOutputFolder(const QString& text);

// A path in double quotes with \ " $ and ` escaped: one argument, and nothing in it runs.
QString ShellQuote(const QString& text);

// The options text for the shell. Text made only of ordinary option characters and blanks
// stays exactly as it is. Otherwise it is read as words (blanks separate them, quotes group
// them: --tt "My Song" is two words) and every word that is not plain is quoted, so that a
// hand-edited setting can never run a command.
QString ShellOptions(const QString& optionsText);

// The words a hand-edited options text stands for, as lame receives them: blanks (and tabs)
// separate words, single or double quotes group them and are dropped.
QStringList OptionWords(const QString& optionsText);

// One line of the script (without its line feed): the call before, the lame command (the
// switches for Encode, --decode for Decode) and the check after. `number` counts from 1.
QString ScriptCommand(int number, const QString& programFolder, Direction direction,
                      const QString& optionsText, const QString& source, const QString& output,
                      bool deleteSource);

// True when the file's first bytes are those of a WAV ("RIFF"…"WAVE"), an AIFF
// ("FORM"…"AIFF"/"AIFC") or an MP3 (an ID3v2 tag, or a frame header the MP3 reader accepts).
// lame takes anything else for raw samples and "converts" it into noise.
bool IsAudioFile(const QString& path);

ConversionPlan PlanConversion(const ConversionRequest& request);

// The script's whole text for some lines: the shared prologue, the lines, the exit code.
QString ScriptText(const QList<ScriptLine>& lines);
