#pragma once

#include "settings/Wav.h"

#include <QByteArray>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QString>

#include <cmath>
#include <csignal>
#include <numbers>

#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

inline QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A file of exactly these bytes, whatever was at the path before (a read-only file included).
inline bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile::remove(path);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A full disk for as long as it lives: no file of this process may grow beyond `bytes`
// (writes past the limit fail as they do on a full disk).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old{};
};

// Permission bits count for as long as it lives, also when the tests run as root: the
// capabilities that let root read, enter and write anything are off meanwhile.
class NoFileAccessOverride {
public:
    NoFileAccessOverride()
    {
        if (capget(&m_header, m_saved) != 0)
            return;
        __user_cap_data_struct lowered[2] = {m_saved[0], m_saved[1]};
        lowered[0].effective &=
            ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
        m_changed = capset(&m_header, lowered) == 0;
    }
    ~NoFileAccessOverride()
    {
        if (m_changed)
            capset(&m_header, m_saved);
    }
    NoFileAccessOverride(const NoFileAccessOverride&) = delete;
    NoFileAccessOverride& operator=(const NoFileAccessOverride&) = delete;

private:
    static int capget(__user_cap_header_struct* header, __user_cap_data_struct* data)
    {
        return static_cast<int>(::syscall(SYS_capget, header, data));
    }
    static int capset(__user_cap_header_struct* header, __user_cap_data_struct* data)
    {
        return static_cast<int>(::syscall(SYS_capset, header, data));
    }
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_changed = false;
};

// A small file (and its folders) for the tests that only need a name on disk.
inline bool touch(const QString& path, const QByteArray& content = "RIFF")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// A stereo WAV of a 440 Hz / 660 Hz tone, as real music files are made.
inline QByteArray SineWav(double seconds)
{
    QByteArray samples;
    QDataStream out(&samples, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    for (quint32 i = 0; i < static_cast<quint32>(seconds * 44100); ++i)
        out << qint16(8000 * std::sin(2 * std::numbers::pi * 440 * i / 44100.0))
            << qint16(8000 * std::sin(2 * std::numbers::pi * 660 * i / 44100.0));
    return WavFile(2, samples);
}

inline bool WriteSineWav(const QString& path, double seconds)
{
    return touch(path, SineWav(seconds));
}

// A WAV that lame refuses (three channels): its line fails, as a damaged file's would.
inline bool WriteRefusedWav(const QString& path)
{
    return touch(path, WavFile(3, QByteArray(4000, '\0')));
}

// Takes the owner's write bit off a folder, or gives it back (the bit counts for root too).
inline bool SetWritable(const QString& folder, bool writable)
{
    return QFile::setPermissions(
        folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                    (writable ? QFileDevice::WriteOwner : QFileDevice::Permissions()));
}

// An executable stand-in for lame in `folder`: a shell script of the given body.
inline QString StandInLame(const QString& folder, const QByteArray& body)
{
    const QString lame = folder + "/lame";
    touch(lame, "#!/bin/sh\n" + body);
    QFile::setPermissions(lame, QFile::permissions(lame) | QFileDevice::ExeOwner);
    return folder;
}

// Processes whose command line names `text` (a stand-in encoder's folder, say).
inline int ProcessesNaming(const QString& text)
{
    int count = 0;
    for (const QString& pid : QDir("/proc").entryList(QDir::Dirs)) {
        QFile cmdline("/proc/" + pid + "/cmdline");
        if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains(text.toUtf8()))
            ++count;
    }
    return count;
}
