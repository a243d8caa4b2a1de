#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The conversion script: one lame command line per listed file, run by /bin/sh. Each line is
//   quenzal_begin N "<output>"; "<program folder>/lame" <switches> "<source>" "$tmp" </dev/null
//   2>&1; quenzal_done $? N "<output>"
// (on one line): lame writes to a hidden temporary file beside the output (".quenzal-PID-N.part",
// PID the shell's), which becomes the output only once lame has ended well, so that an output
// appears whole or not at all and an earlier file of that name stays until then. The calls
// around the encoder tell Quenzal when a file starts and how it ended, so that a failed file is
// never reported as a success. lame's output goes with Quenzal's markers, in order; its input
// is none, so that nothing it runs can read the script's next lines. The script can be run
// again by hand, with the same guarantees.

// What a run does with an output that is already there ("Fichiers existants").
enum class ExistingFiles {
    Replace,  // "Remplacer": replaced, once the new one is whole
    Skip,     // "Passer": a non-empty output newer than its source is left alone
    KeepBoth, // "Garder les deux": the new output gets the next free "name (N).mp3"
};

enum class Direction { Encode, Decode };

struct ConversionRequest {
    QStringList sources;   // full paths, in the order of the list
    QString optionsText;   // the LAME switches, Encode only
    QString outputFolder;  // empty: a "Mp3/" or "Wav/" sub-folder beside each source
    QString programFolder; // where lame is
    Direction direction = Direction::Encode;
    bool deleteSources = false; // Encode only: remove a source once its MP3 is safely there
    int jobs = 1;               // files converted at once (1: the script runs as it is written)
    ExistingFiles existing = ExistingFiles::Replace;
    bool copyTags = false;      // Encode only: the sources' tags become the MP3s' tags
    bool keepTree = false;      // with an output folder: the sources' folder tree is rebuilt in it
    QStringList machines;       // GNU parallel sshlogins; empty: this computer alone
    bool transferFiles = false; // the machines get the files sent, rather than shared folders
};

struct ScriptLine {
    int row = 0; // index in ConversionRequest::sources
    QString source;
    QString output;
    QString command; // the whole script line, without its line feed; empty when up to date
    bool deleteSource = false; // Quenzal removes the source once it knows the output is kept
    bool upToDate = false;     // "Passer": the output is already there and newer
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
    // The output folders the lines need made, each once: the default "Mp3/" or "Wav/" beside
    // the sources, or the tree kept under a chosen folder.
    QStringList subfolders;
    QString script; // the prologue, the lines and the final exit
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

// One line of the script (without its line feed): the call before, the lame command (the
// switches for Encode, --decode for Decode) and the check after. `number` counts from 1.
// `extraArguments` (the tags copied from the source) follow the switches, each quoted as one
// argument.
QString ScriptCommand(int number, const QString& programFolder, Direction direction,
                      const QString& optionsText, const QString& source, const QString& output,
                      const QStringList& extraArguments = {});

// The temporary file a line's lame writes before it becomes `output`, for the shell `pid`.
QString TemporaryOutput(const QString& output, qint64 pid, int number);

// Removes the temporary files that runs which no longer live left in `folder` (a run that was
// killed); those of a run still under way stay.
void RemoveLeftovers(const QString& folder);

// The same file, also through a symbolic or a hard link.
bool SameFile(const QString& a, const QString& b);

// True when the file's first bytes are those of a WAV ("RIFF"…"WAVE"), an AIFF
// ("FORM"…"AIFF"/"AIFC") or an MP3 (an ID3v2 tag, or a frame header the MP3 reader accepts).
// lame takes anything else for raw samples and "converts" it into noise.
bool IsAudioFile(const QString& path);

ConversionPlan PlanConversion(const ConversionRequest& request);

// The script's whole text for some lines: the shared prologue, the lines (but those up to
// date), the exit code.
QString ScriptText(const QList<ScriptLine>& lines);
