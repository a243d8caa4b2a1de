#include "settings/ProfileFile.h"

#include "settings/mdlMain.h"

#include "settings/TextCodec.h"
#include "settings/mdlFichier.h"

#include <QFile>
#include <QFileInfo>

#include <QStringDecoder>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

namespace {

struct Line {
    qsizetype start = 0;      // first byte of the line
    qsizetype contentEnd = 0; // end of its text, before CR LF or LF
    qsizetype next = 0;       // first byte of the following line
};

// Walks a profile file line by line without copying it.
class LineReader {
public:
    LineReader(const QByteArray& bytes, qsizetype from)
        : m_bytes(bytes)
        , m_pos(from)
    {}

    bool next(Line& line)
    {
        if (m_pos >= m_bytes.size())
            return false;
        line.start = m_pos;
        qsizetype nl = m_bytes.indexOf('\n', m_pos);
        if (nl < 0) {
            line.contentEnd = m_bytes.size();
            line.next = m_bytes.size();
        } else {
            line.contentEnd = nl;
            line.next = nl + 1;
        }
        if (line.contentEnd > line.start && m_bytes.at(line.contentEnd - 1) == '\r')
            --line.contentEnd;
        m_pos = line.next;
        return true;
    }

private:
    const QByteArray& m_bytes;
    qsizetype m_pos;
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

void trimRange(const QByteArray& bytes, qsizetype& begin, qsizetype& end)
{
    while (begin < end && isBlank(bytes.at(begin)))
        ++begin;
    while (end > begin && isBlank(bytes.at(end - 1)))
        --end;
}

class Profile {
public:
    explicit Profile(QByteArray bytes)
        : m_bytes(std::move(bytes))
    {
        m_utf8 = m_bytes.startsWith("\xEF\xBB\xBF");
        m_bodyStart = m_utf8 ? 3 : 0;
    }

    const QByteArray& bytes() const { return m_bytes; }
    bool isUtf8() const { return m_utf8; }
    qsizetype bodyStart() const { return m_bodyStart; }

    QString decode(qsizetype begin, qsizetype end) const
    {
        const QByteArray part = m_bytes.mid(begin, end - begin);
        if (!m_utf8)
            return TextCodec::fromWindows1252(part);
        // A value may itself start with U+FEFF: only the file's own mark is no text.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        return utf8.decode(part);
    }

    // True when the text comes back unchanged from the file's encoding.
    bool canHold(const QString& text) const { return m_utf8 || decodeAll(encode(text)) == text; }

    QString decodeAll(const QByteArray& bytes) const
    {
        return m_utf8 ? QString::fromUtf8(bytes) : TextCodec::fromWindows1252(bytes);
    }

    QByteArray encode(const QString& text) const
    {
        return m_utf8 ? text.toUtf8() : TextCodec::toWindows1252(text);
    }

    // The name of a section header line, or nothing when the line is not a header.
    // A "[" without its closing "]" is no header: the line is read as an ordinary line.
    std::optional<QString> sectionName(const Line& line) const
    {
        qsizetype begin = line.start, end = line.contentEnd;
        trimRange(m_bytes, begin, end);
        if (begin >= end || m_bytes.at(begin) != '[')
            return std::nullopt;
        qsizetype close = end - 1;
        while (close > begin && m_bytes.at(close) != ']')
            --close;
        if (close <= begin)
            return std::nullopt;
        qsizetype nameBegin = begin + 1, nameEnd = close;
        trimRange(m_bytes, nameBegin, nameEnd);
        return decode(nameBegin, nameEnd);
    }

    // Splits a key line at its first "=": key and value ranges, both trimmed.
    void splitEntry(const Line& line, qsizetype& keyBegin, qsizetype& keyEnd, qsizetype& valueBegin,
                    qsizetype& valueEnd) const
    {
        keyBegin = line.start;
        // Searching only this line keeps a file of many lines without "=" linear to read.
        const qsizetype eq =
            QByteArrayView(m_bytes).sliced(line.start, line.contentEnd - line.start).indexOf('=');
        if (eq < 0) {
            keyEnd = line.contentEnd;
            valueBegin = valueEnd = line.contentEnd;
        } else {
            keyEnd = line.start + eq;
            valueBegin = keyEnd + 1;
            valueEnd = line.contentEnd;
        }
        trimRange(m_bytes, keyBegin, keyEnd);
        trimRange(m_bytes, valueBegin, valueEnd);
    }

    struct Found {
        std::optional<Line> header;   // the first section of the name
        std::optional<Line> entry;    // the first key of the name in it
        std::optional<Line> lastUsed; // the last non-blank line of that section
    };

    Found find(const QString& section, const QString& key) const
    {
        Found found;
        LineReader reader(m_bytes, m_bodyStart);
        Line line;
        bool inSection = false;
        while (reader.next(line)) {
            if (const auto name = sectionName(line)) {
                if (inSection)
                    break;
                if (name->compare(section, Qt::CaseInsensitive) == 0) {
                    inSection = true;
                    found.header = line;
                    found.lastUsed = line;
                }
                continue;
            }
            if (!inSection)
                continue;
            qsizetype kb, ke, vb, ve;
            splitEntry(line, kb, ke, vb, ve);
            if (kb == ke)
                continue; // blank line
            found.lastUsed = line;
            if (!found.entry && decode(kb, ke).compare(key, Qt::CaseInsensitive) == 0)
                found.entry = line;
        }
        return found;
    }

    QString newline() const
    {
        const qsizetype nl = m_bytes.indexOf('\n', m_bodyStart);
        if (nl < 0)
            return QStringLiteral("\r\n");
        return (nl > 0 && m_bytes.at(nl - 1) == '\r') ? QStringLiteral("\r\n")
                                                      : QStringLiteral("\n");
    }

private:
    QByteArray m_bytes;
    bool m_utf8 = false;
    qsizetype m_bodyStart = 0;
};

// Larger than any profile file a person writes; a larger one is not read.
constexpr qint64 kMaxProfileSize = 16 * 1024 * 1024;

// Only a regular file of bounded size is read: a FIFO would block the window forever and a
// link to /dev/zero would never end. The test is made on the opened file itself, so a file
// swapped for a FIFO after a check cannot slip through.
std::optional<QByteArray> readWholeFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxProfileSize) {
        ::close(fd);
        return std::nullopt;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return std::nullopt;
    }
    QByteArray bytes = file.read(kMaxProfileSize + 1);
    if (bytes.size() > kMaxProfileSize)
        return std::nullopt;
    return bytes;
}

// A section or key that could never be found again is not written: line breaks or a NUL
// (they would end or split the line), or characters the file's encoding cannot hold.
bool isWritableName(const Profile& profile, const QString& name)
{
    return !name.contains(QLatin1Char('\r')) && !name.contains(QLatin1Char('\n')) &&
           !name.contains(QChar(0)) && profile.canHold(name);
}

// A value ends at its first NUL, as it does when read back, and never adds lines of its own.
QString oneLine(const QString& value)
{
    QString text = CutAtNull(value);
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

} // namespace

namespace ProfileFile {

QString readValue(const QString& path, const QString& section, const QString& key, int size)
{
    if (size <= 1 || path.isEmpty())
        return {};
    const auto bytes = readWholeFile(path);
    if (!bytes)
        return {};
    const Profile profile(*bytes);
    const auto found = profile.find(section.trimmed(), key.trimmed());
    if (!found.entry)
        return {};
    qsizetype kb, ke, vb, ve;
    profile.splitEntry(*found.entry, kb, ke, vb, ve);
    const QByteArray& raw = profile.bytes();
    if (ve - vb >= 2 && (raw.at(vb) == '"' || raw.at(vb) == '\'') && raw.at(ve - 1) == raw.at(vb)) {
        ++vb;
        --ve;
    }
    const qsizetype nul = raw.indexOf('\0', vb);
    if (nul >= 0 && nul < ve)
        ve = nul;
    QString value = profile.decode(vb, ve);
    if (value.size() > size - 1) {
        // Never keep half of a character that UTF-8 files can hold beyond 16 bits.
        const bool splitsPair = value.at(size - 2).isHighSurrogate();
        value.truncate(splitsPair ? size - 2 : size - 1);
    }
    return value;
}

bool writeValue(const QString& path, const QString& section, const QString& key,
                const QString& value)
{
    if (path.isEmpty())
        return false;
    QByteArray old;
    if (QFileInfo::exists(path)) {
        const auto bytes = readWholeFile(path);
        if (!bytes)
            return false;
        old = *bytes;
    }
    const Profile profile(old);
    const QString sectionText = section.trimmed();
    const QString keyText = key.trimmed();
    const QString valueText = oneLine(value);
    // "=value" or "a=b=c" would read back as another key; "[k=v]" would read as a section.
    if (keyText.isEmpty() || keyText.contains(QLatin1Char('=')) ||
        keyText.startsWith(QLatin1Char('[')) || !isWritableName(profile, keyText) ||
        !isWritableName(profile, sectionText))
        return false;
    const QString nl = profile.newline();
    const auto found = profile.find(sectionText, keyText);

    QByteArray result;
    if (found.entry) {
        qsizetype kb, ke, vb, ve;
        profile.splitEntry(*found.entry, kb, ke, vb, ve);
        const QString storedKey = profile.decode(kb, ke);
        result = old.left(found.entry->start) + profile.encode(storedKey + '=' + valueText) +
                 old.mid(found.entry->contentEnd);
    } else if (found.header) {
        const Line& after = *found.lastUsed;
        // A last line ending in a lone CR has no line end: the new key needs one first.
        const bool hasLineEnd = after.next > after.start && old.at(after.next - 1) == '\n';
        QString inserted = keyText + '=' + valueText + nl;
        if (!hasLineEnd)
            inserted.prepend(nl);
        result = old.left(after.next) + profile.encode(inserted) + old.mid(after.next);
    } else {
        result = old;
        if (result.size() > profile.bodyStart() && !result.endsWith('\n'))
            result += profile.encode(nl);
        result += profile.encode('[' + sectionText + ']' + nl + keyText + '=' + valueText + nl);
    }
    return writeFileWhole(path, result);
}

} // namespace ProfileFile
