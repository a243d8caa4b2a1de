#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Long enough for lame to encode a tenth of a second on a loaded machine; short enough that
// OK never seems to hang.
inline constexpr int kLameCheckTimeoutMs = 3000;

// What lame said about a switches text.
struct LameVerdict {
    std::optional<QString> refusal; // lame's own error line when it refuses them
    QStringList warnings;           // what lame warned of and then ignored or changed
    QString summary; // what lame says it will do: its "Using ..." and "Encoding as ..." lines
};

// Asks lame itself about a switches text: encodes a tenth of a second of generated silence
// with exactly these switches into a temporary file (no user file is touched). The switches
// are cut into words as a run cuts them (blanks separate, quotes group). A lame that cannot be
// run, or that does not answer within the limit, gives no verdict (a run would report that
// itself); one that hangs is ended with everything it started.
LameVerdict CheckLameSwitches(const QString& lamePath, const QString& switches,
                              int timeoutMs = kLameCheckTimeoutMs);

// Which of these switches the lame at `lamePath` warns it ignores (asked once, in one run).
QStringList IgnoredSwitches(const QString& lamePath, const QStringList& candidates);
