#include "conversion/ConversionScript.h"

#include "conversion/OutputTree.h"
#include "mp3/SourceTags.h"
#include "mp3/clsMP3.h"
#include "settings/SwitchWords.h"
#include "settings/mdlFichier.h"
#include "settings/mdlMain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

#include <cerrno>
#include <csignal>

#include <sys/stat.h>

namespace {

// Shared by every script: what happens around each line, and the exit code of the whole run.
const char kPrologue[] = R"sh(#!/bin/sh
# Written by Quenzal for one conversion run: one lame command line per file. lame writes to a
# hidden temporary file beside the output, which replaces the output only once lame has ended
# well: an output appears whole or not at all.
rc=0
# lame reads tag texts in the locale's encoding: UTF-8, whatever the caller's locale.
LC_ALL=C.UTF-8
export LC_ALL
quenzal_begin() {
    # $1 line number, $2 output
    tmp="${2%/*}/.quenzal-$$-$1.part"
    echo "QUENZAL:begin $1"
}
quenzal_done() {
    # $1 lame's exit code, $2 line number, $3 output
    written=0
    if [ "$1" -eq 0 ] && [ -s "$tmp" ] && mv -f -- "$tmp" "$3"; then
        written=1
    else
        rm -f -- "$tmp"
        rc=1
    fi
    echo "QUENZAL:done $2 $1 $written"
}
)sh";

const QLatin1String kTemporaryPrefix(".quenzal-");
const QLatin1String kTemporarySuffix(".part");

bool isOptionCharacter(QChar c)
{
    return c.isLetterOrNumber() || QStringLiteral("-_.,:=+/%").contains(c);
}

bool isPlainWord(const QString& word)
{
    return !word.isEmpty() && std::all_of(word.cbegin(), word.cend(), isOptionCharacter);
}

// lame reads an argument that starts with "-" as an option: paths always start with "/".
QString asArgument(const QString& path)
{
    return path.startsWith(QLatin1Char('/')) ? path : QStringLiteral("./") + path;
}

// The file's identity, empty when there is no such file.
QString fileId(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return QString::number(st.st_dev) + QLatin1Char(':') + QString::number(st.st_ino);
}

// "name.mp3", then "name (2).mp3", "name (3).mp3"... until the name is free: no other row uses
// it, it is no source of the run (also through a link), and with `keepExisting` nothing is there.
QString uniqueOutput(const QString& folder, const QString& base, const QString& extension,
                     const QSet<QString>& taken, const QSet<QString>& sourceIds, bool keepExisting)
{
    const auto occupied = [&](const QString& candidate) {
        if (taken.contains(candidate))
            return true;
        const QString id = fileId(candidate);
        if (!id.isEmpty() && sourceIds.contains(id))
            return true;
        return keepExisting && (!id.isEmpty() || QFileInfo(candidate).isSymLink());
    };
    QString candidate = folder + base + extension;
    for (int n = 2; occupied(candidate); ++n)
        candidate = folder + base + QStringLiteral(" (%1)").arg(n) + extension;
    return candidate;
}

// "Passer": an output that is there, not empty and newer than its source.
bool isUpToDate(const QString& output, const QString& source)
{
    const QFileInfo out(output), in(source);
    return out.isFile() && out.size() > 0 && out.lastModified() > in.lastModified();
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
    folder = QDir::cleanPath(folder);
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
    QStringList words = SwitchWords(optionsText);
    for (QString& word : words) {
        if (!isPlainWord(word))
            word = ShellQuote(word);
    }
    return words.join(QLatin1Char(' '));
}

bool IsAudioFile(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return false;
    const QByteArray head = file.read(12);
    if (head.startsWith("ID3"))
        return true;
    if (head.size() == 12 && head.startsWith("RIFF") && head.mid(8, 4) == "WAVE")
        return true;
    if (head.size() == 12 && head.startsWith("FORM") &&
        (head.mid(8, 4) == "AIFF" || head.mid(8, 4) == "AIFC"))
        return true;
    file.close();
    clsMP3 mp3;
    mp3.setFileName(path);
    mp3.refresh();
    return mp3.Bitrate() != 0 && mp3.Frequency() != 0 && mp3.Frequency() != 99999;
}

bool SameFile(const QString& a, const QString& b)
{
    if (QDir::cleanPath(a) == QDir::cleanPath(b))
        return true;
    const QString id = fileId(a);
    return !id.isEmpty() && id == fileId(b);
}

QString TemporaryOutput(const QString& output, qint64 pid, int number)
{
    return output.left(output.lastIndexOf(QLatin1Char('/')) + 1) + kTemporaryPrefix +
           QString::number(pid) + QLatin1Char('-') + QString::number(number) + kTemporarySuffix;
}

void RemoveLeftovers(const QString& folder)
{
    const QStringList names =
        QDir(folder).entryList({kTemporaryPrefix + QStringLiteral("*") + kTemporarySuffix},
                               QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        bool ok = false;
        const qint64 pid =
            name.mid(kTemporaryPrefix.size()).section(QLatin1Char('-'), 0, 0).toLongLong(&ok);
        // A shell that still lives (also another user's) is still writing it.
        if (ok && pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM))
            continue;
        QFile::remove(QDir(folder).filePath(name));
    }
}

QString ScriptCommand(int number, const QString& programFolder, Direction direction,
                      const QString& optionsText, const QString& source, const QString& output,
                      const QStringList& extraArguments)
{
    QString middle = direction == Direction::Encode
                         ? QLatin1Char(' ') + ShellOptions(optionsText) + QLatin1Char(' ')
                         : QStringLiteral(" --decode ");
    for (const QString& argument : extraArguments)
        middle += ShellQuote(argument) + QLatin1Char(' ');
    const QString lame = ShellQuote(LamePath(programFolder));
    const QString quotedOutput = ShellQuote(asArgument(output));
    const QString quotedSource = ShellQuote(asArgument(source));
    return QStringLiteral("quenzal_begin %1 ").arg(number) + quotedOutput + QStringLiteral("; ") +
           lame + middle + quotedSource +
           QStringLiteral(" \"$tmp\" </dev/null 2>&1; quenzal_done $? %1 ").arg(number) +
           quotedOutput;
}

QString ScriptText(const QList<ScriptLine>& lines)
{
    QString script = QLatin1String(kPrologue);
    for (const ScriptLine& line : lines) {
        if (!line.command.isEmpty())
            script += line.command + QLatin1Char('\n');
    }
    script += QStringLiteral("exit $rc\n");
    return script;
}

ConversionPlan PlanConversion(const ConversionRequest& request)
{
    const bool encode = request.direction == Direction::Encode;
    const QString outExtension = encode ? QStringLiteral(".mp3") : QStringLiteral(".wav");
    const QString subfolderName = encode ? QStringLiteral("Mp3/") : QStringLiteral("Wav/");
    const QString outputFolder =
        request.outputFolder.isEmpty() ? QString() : NormaliseOutputFolder(request.outputFolder);

    ConversionPlan plan;
    QSet<QString> taken;     // no output may replace a listed source or another output
    QSet<QString> sourceIds; // nor a source through a link
    for (const QString& source : request.sources) {
        taken.insert(QDir::cleanPath(source));
        if (const QString id = fileId(source); !id.isEmpty())
            sourceIds.insert(id);
    }
    QSet<QString> seenSources, subfolders;
    // The folder tree is rebuilt below the deepest folder that holds every source; only inside
    // an output folder that is there (a chosen folder is never made).
    const bool tree = request.keepTree && !outputFolder.isEmpty();
    QStringList cleanSources;
    for (const QString& source : request.sources)
        cleanSources << QDir::cleanPath(source);
    const QString common = tree ? DeepestCommonFolder(cleanSources) : QString();
    const bool makeTree = tree && Exists(std::nullopt, outputFolder);
    for (int r = 0; r < request.sources.size(); ++r) {
        const QString& source = request.sources.at(r);
        const QString cleanSource = QDir::cleanPath(source);
        const QString name = SplitPath(source, NameWithExtension);
        const QString extension = SplitPath(name, DottedExtension).toLower();
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
        if (!IsAudioFile(source)) {
            plan.skipped.append({r, source, SkippedRow::NotAudio});
            continue;
        }

        QString folder = tree ? TreeOutputFolder(outputFolder, common, cleanSource) : outputFolder;
        if (folder.isEmpty())
            folder = source.left(source.size() - name.size()) + subfolderName;
        const QString base = SplitPath(name, BaseName);
        if (SameFile(folder + base + outExtension, source)) {
            plan.skipped.append({r, source, SkippedRow::SameAsSource});
            continue;
        }
        if ((outputFolder.isEmpty() || (makeTree && folder != outputFolder)) &&
            !subfolders.contains(folder)) {
            subfolders.insert(folder);
            plan.subfolders.append(folder);
        }
        const QString first = folder + base + outExtension;
        const bool upToDate = request.existing == ExistingFiles::Skip && !taken.contains(first) &&
                              isUpToDate(first, source) && !sourceIds.contains(fileId(first));
        const QString output = upToDate ? first
                                        : uniqueOutput(folder, base, outExtension, taken, sourceIds,
                                                       request.existing == ExistingFiles::KeepBoth);
        taken.insert(QDir::cleanPath(output));

        const int number = static_cast<int>(plan.lines.size()) + 1;
        const QString command =
            upToDate ? QString()
                     : ScriptCommand(number, request.programFolder, request.direction,
                                     request.optionsText, source, output,
                                     encode && request.copyTags
                                         ? TagSwitches(ReadSourceTags(source),
                                                       SwitchWords(request.optionsText))
                                         : QStringList());
        plan.lines.append(
            {r, source, output, command, encode && request.deleteSources && !upToDate, upToDate});
    }
    plan.script = ScriptText(plan.lines);
    return plan;
}
