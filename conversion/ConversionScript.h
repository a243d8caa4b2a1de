#pragma once

#include "app/FileEntry.h"

#include <QList>
#include <QString>
#include <QStringList>

// The conversion script: one lame command line per row of the file list, run by /bin/sh.
// Each line is  "<program folder>/lame" <switches> "<source>" "<output>"  followed by a call
// that checks the line's result, so that a failed file is never reported as a success.

enum class Direction { Encode, Decode };

struct ConversionRequest {
    QList<FileEntry> rows;
    QString optionsText;   // the LAME switches, Encode only
    QString outputFolder;  // empty: a "Mp3/" or "Wav/" sub-folder beside each source
    QString programFolder; // where lame is
    Direction direction = Direction::Encode;
    bool deleteSources = false; // Encode only: remove a source once its MP3 is safely there
};

struct ScriptLine {
    int row = 0; // the row of the file list
    QString source;
    QString output;
};

struct SkippedRow {
    enum Reason {
        CannotDecode, // lame decodes MP3 and WAV only
        SameAsSource, // the output would overwrite the source itself
        Repeated,     // the same file is listed more than once
    };
    int row = 0;
    QString source;
    Reason reason = CannotDecode;
};

struct ConversionPlan {
    QList<ScriptLine> lines;
    QList<SkippedRow> skipped;
    QStringList subfolders; // the default output sub-folders the lines need, each once
    QString script;
};

// The output folder as the run uses it: CleanString, then a trailing "/" when not empty.
// "~/" stands for the home folder, and a folder that is not absolute is taken inside it.
QString NormaliseOutputFolder(const QString& text);

// A path in double quotes with \ " $ and ` escaped: one argument, and nothing in it runs.
QString ShellQuote(const QString& text);

// The options text for the shell: words made of ordinary option characters stay exactly as
// they are; any other word is quoted, so a hand-edited setting cannot run a command.
QString ShellOptions(const QString& optionsText);

ConversionPlan PlanConversion(const ConversionRequest& request);

// The marker a script line prints once it has ended: "QUENZAL:done <line> <lame's exit code>
// <1 when the output is there and not empty, else 0>".
inline constexpr char kDoneMarker[] = "QUENZAL:done ";
