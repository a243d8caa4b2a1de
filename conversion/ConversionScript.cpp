#include "conversion/ConversionScript.h"

#include "conversion/mdlFichier.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace {

// Shared by every script: the check after each line, and the exit code of the whole run.
const char kPrologue[] = R"(#!/bin/sh
# Written by Quenzal for one conversion run: one lame command line per file.
rc=0
quenzal_done() {
    # $1 lame's exit code, $2 line number, $3 output, $4 source, $5 1 to delete the source
    written=0
    [ -s "$3" ] && written=1
    if [ "$1" -ne 0 ] || [ "$written" -ne 1 ]; then
        rc=1
    elif [ "$5" = 1 ] && [ ! "$3" -ef "$4" ]; then
        rm -f -- "$4"
    fi
    echo "QUENZAL:done $2 $1 $written"
}
)";

bool isOptionCharacter(QChar c)
{
    return c.isLetterOrNumber() || QStringLiteral("-_.,:=+/%").contains(c);
}

// lame reads an argument that starts with "-" as an option: paths always start with "/".
QString asArgument(const QString& path)
{
    return path.startsWith(QLatin1Char('/')) ? path : QStringLiteral("./") + path;
}

bool sameFile(const QString& a, const QString& b)
{
    if (QDir::cleanPath(a) == QDir::cleanPath(b))
        return true;
    const QFileInfo fa(a), fb(b);
    return fa.exists() && fb.exists() && fa.canonicalFilePath() == fb.canonicalFilePath();
}

// "name.mp3", then "name (2).mp3", "name (3).mp3"... until no other row uses it.
QString uniqueOutput(const QString& folder, const QString& base, const QString& extension,
                     const QSet<QString>& taken)
{
    QString candidate = folder + base + extension;
    for (int n = 2; taken.contains(candidate); ++n)
        candidate = folder + base + QStringLiteral(" (%1)").arg(n) + extension;
    return candidate;
}

} // namespace

QString NormaliseOutputFolder(const QString& text)
{
    QString folder = CleanString(text);
    if (folder.isEmpty())
        return folder;
    if (folder == QLatin1String("~") || folder.startsWith(QLatin1String("~/")))
        folder = QDir::homePath() + folder.mid(1);
    else if (!folder.startsWith(QLatin1Char('/')))
        folder = QDir::homePath() + QLatin1Char('/') + folder;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

QString ShellQuote(const QString& text)
{
    QString quoted;
    quoted.reserve(text.size() + 8);
    quoted += QLatin1Char('"');
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"') || c == QLatin1Char('$') ||
            c == QLatin1Char('`'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted += QLatin1Char('"');
    return quoted;
}

QString ShellOptions(const QString& optionsText)
{
    if (std::all_of(optionsText.cbegin(), optionsText.cend(),
                    [](QChar c) { return c == QLatin1Char(' ') || isOptionCharacter(c); }))
        return optionsText;
    QStringList words;
    for (const QString& word : optionsText.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const bool plain = std::all_of(word.cbegin(), word.cend(), isOptionCharacter);
        words << (plain ? word : ShellQuote(word));
    }
    return words.join(QLatin1Char(' '));
}

ConversionPlan PlanConversion(const ConversionRequest& request)
{
    const bool encode = request.direction == Direction::Encode;
    const QString outExtension = encode ? QStringLiteral(".mp3") : QStringLiteral(".wav");
    const QString subfolderName = encode ? QStringLiteral("Mp3/") : QStringLiteral("Wav/");
    const QString middle =
        encode ? QLatin1Char(' ') + ShellOptions(request.optionsText) + QLatin1Char(' ')
               : QStringLiteral(" --decode ");
    const QString lame = ShellQuote(request.programFolder + QStringLiteral("/lame"));

    QSet<QString> sources;
    for (const FileEntry& row : request.rows)
        sources.insert(QDir::cleanPath(row.fullPath()));

    ConversionPlan plan;
    plan.script = QLatin1String(kPrologue);
    QSet<QString> taken = sources; // no output may replace a listed source
    QSet<QString> seenSources;
    for (int r = 0; r < request.rows.size(); ++r) {
        const FileEntry& row = request.rows.at(r);
        const QString source = row.fullPath();
        const QString cleanSource = QDir::cleanPath(source);
        const QString extension = SplitPath(row.name, DottedExtension);
        const bool mainRule =
            extension == QLatin1String(".mp3") || extension == QLatin1String(".wav");
        if (!encode && !mainRule) {
            plan.skipped.append({r, source, SkippedRow::CannotDecode});
            continue;
        }
        if (seenSources.contains(cleanSource)) {
            plan.skipped.append({r, source, SkippedRow::Repeated});
            continue;
        }
        seenSources.insert(cleanSource);

        QString folder = request.outputFolder;
        if (folder.isEmpty()) {
            folder = row.folder + subfolderName;
            if (!plan.subfolders.contains(folder))
                plan.subfolders.append(folder);
        }
        const QString base = SplitPath(row.name, BaseName);
        if (sameFile(folder + base + outExtension, source)) {
            plan.skipped.append({r, source, SkippedRow::SameAsSource});
            continue;
        }
        const QString output = uniqueOutput(folder, base, outExtension, taken);
        taken.insert(QDir::cleanPath(output));

        const int number = static_cast<int>(plan.lines.size()) + 1;
        plan.lines.append({r, source, output});
        const bool deleteSource = encode && request.deleteSources;
        plan.script +=
            lame + middle + ShellQuote(asArgument(source)) + QLatin1Char(' ') +
            ShellQuote(asArgument(output)) + QStringLiteral("; quenzal_done $? %1 ").arg(number) +
            ShellQuote(asArgument(output)) + QLatin1Char(' ') + ShellQuote(asArgument(source)) +
            (deleteSource ? QStringLiteral(" 1\n") : QStringLiteral(" 0\n"));
    }
    plan.script += QStringLiteral("exit $rc\n");
    return plan;
}
