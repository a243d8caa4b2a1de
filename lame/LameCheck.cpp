#include "lame/LameCheck.h"

#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

namespace {

// A lame that has not answered by then hangs: the check then gives no verdict.
constexpr int kTimeoutMs = 5000;

// 16-bit stereo silence at 44.1 kHz, the shape of most sources.
QByteArray silentWav()
{
    constexpr quint32 frames = 4410;
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + frames * 4);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(2) << quint32(44100) << quint32(44100 * 4)
        << quint16(4) << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(frames * 4);
    data.append(QByteArray(frames * 4, '\0'));
    return data;
}

QString firstLine(const QByteArray& output)
{
    for (const QByteArray& line : output.split('\n')) {
        const QString text = QString::fromLocal8Bit(line).trimmed();
        if (!text.isEmpty())
            return text;
    }
    return {};
}

} // namespace

std::optional<QString> CheckLameSwitches(const QString& lamePath, const QString& switches)
{
    const QFileInfo lame(lamePath);
    if (!lame.isFile() || !lame.isExecutable())
        return std::nullopt;
    const QTemporaryDir work;
    if (!work.isValid())
        return std::nullopt;
    const QString input = work.filePath(QStringLiteral("silence.wav"));
    QFile wav(input);
    const QByteArray bytes = silentWav();
    if (!wav.open(QIODevice::WriteOnly) || wav.write(bytes) != bytes.size())
        return std::nullopt;
    wav.close();

    QProcess process;
    process.setWorkingDirectory(work.path());
    process.setStandardInputFile(QProcess::nullDevice());
    QStringList arguments = switches.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    arguments << input << work.filePath(QStringLiteral("silence.mp3"));
    process.start(lamePath, arguments);
    if (!process.waitForStarted(kTimeoutMs))
        return std::nullopt;
    if (!process.waitForFinished(kTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        return std::nullopt;
    }
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return std::nullopt;
    QString line = firstLine(process.readAllStandardError());
    if (line.isEmpty())
        line = firstLine(process.readAllStandardOutput());
    if (line.isEmpty())
        line = QStringLiteral("lame: exit code %1").arg(process.exitCode());
    return line;
}
