#include "lame/LameCheck.h"

#include "settings/SwitchWords.h"
#include "settings/Wav.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cmath>
#include <csignal>
#include <numbers>
#include <unistd.h>

namespace {

// A tenth of a second of a 16-bit stereo tone at 44.1 kHz, the shape of most sources (lame
// warns of its gain on silence).
QByteArray toneWav()
{
    QByteArray samples;
    QDataStream out(&samples, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    for (quint32 i = 0; i < 4410; ++i) {
        const auto sample = qint16(4000 * std::sin(2 * std::numbers::pi * 440 * i / 44100.0));
        out << sample << sample;
    }
    return WavFile(2, samples);
}

QStringList lines(const QByteArray& output)
{
    QStringList result;
    // The progress display redraws itself with carriage returns and escape sequences.
    for (const QByteArray& line : output.split('\n')) {
        const QString text = QString::fromLocal8Bit(line).section(QLatin1Char('\r'), -1).trimmed();
        if (!text.isEmpty())
            result << text;
    }
    return result;
}

} // namespace

LameVerdict CheckLameSwitches(const QString& lamePath, const QString& switches, int timeoutMs)
{
    LameVerdict verdict;
    const QFileInfo lame(lamePath);
    if (!lame.isFile() || !lame.isExecutable())
        return verdict;
    const QTemporaryDir work;
    if (!work.isValid())
        return verdict;
    const QString input = work.filePath(QStringLiteral("tone.wav"));
    QFile wav(input);
    const QByteArray bytes = toneWav();
    if (!wav.open(QIODevice::WriteOnly) || wav.write(bytes) != bytes.size())
        return verdict;
    wav.close();

    QProcess process;
    process.setWorkingDirectory(work.path());
    process.setStandardInputFile(QProcess::nullDevice());
    // Its own process group, so that ending it ends whatever it started as well.
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
    QStringList arguments = SwitchWords(switches);
    arguments << input << work.filePath(QStringLiteral("tone.mp3"));
    const QDeadlineTimer deadline(timeoutMs);
    process.start(lamePath, arguments);
    const bool answered = process.waitForStarted(int(deadline.remainingTime())) &&
                          process.waitForFinished(int(deadline.remainingTime()));
    if (!answered) {
        if (process.processId() > 0)
            ::kill(-pid_t(process.processId()), SIGKILL);
        process.kill();
        process.waitForFinished(-1); // at once: the signal cannot be caught
        return verdict;
    }
    const QStringList said =
        lines(process.readAllStandardError()) + lines(process.readAllStandardOutput());
    static const QRegularExpression warning(QStringLiteral("^warning\\b|obsolete|ignoring"),
                                            QRegularExpression::CaseInsensitiveOption);
    for (const QString& line : said) {
        if (warning.match(line).hasMatch())
            verdict.warnings << line;
        else if (line.startsWith(QLatin1String("Encoding as ")) ||
                 line.startsWith(QLatin1String("Using ")))
            verdict.summary +=
                (verdict.summary.isEmpty() ? QString() : QStringLiteral("\n")) + line;
    }
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return verdict;
    verdict.refusal = said.isEmpty() ? QStringLiteral("lame: exit code %1").arg(process.exitCode())
                                     : said.front();
    return verdict;
}

QStringList IgnoredSwitches(const QString& lamePath, const QStringList& candidates)
{
    const LameVerdict verdict = CheckLameSwitches(lamePath, candidates.join(QLatin1Char(' ')));
    QStringList ignored;
    for (const QString& word : candidates) {
        const QRegularExpression named(QStringLiteral("(^|\\s)") +
                                       QRegularExpression::escape(word) +
                                       QStringLiteral("(\\s|\\.|$)"));
        for (const QString& line : verdict.warnings) {
            if (named.match(line).hasMatch()) {
                ignored << word;
                break;
            }
        }
    }
    return ignored;
}
