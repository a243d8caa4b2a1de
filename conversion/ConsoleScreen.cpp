#include "conversion/ConsoleScreen.h"

#include <QRegularExpression>

#include <algorithm>
#include <utility>

namespace {

constexpr char16_t kEscape = 0x1b;
constexpr char16_t kBell = 0x07;
constexpr int kTabWidth = 8;
// Longer parameter lists are no sequence the encoder writes; reading on keeps the screen
// in step without letting a hostile stream grow a buffer.
constexpr qsizetype kMaxParams = 32;
constexpr int kMaxCount = 100000;

bool isControl(QChar c)
{
    const char16_t u = c.unicode();
    return u < 0x20 || (u >= 0x7f && u <= 0x9f);
}

// Encoding: "   100/116    (86%)|..." (the total is blank while the encoder still counts).
// Decoding: "Frame#    57/116    128 kbps ..." (the blank after the total tells that it was
// written whole). Anchored at the start of the line, so that a file name such as
// "mix (50%).wav" in the encoder's other lines is never taken for progress.
std::optional<int> progressIn(const QString& line)
{
    static const QRegularExpression encoding(
        QStringLiteral(R"(^\s*\d+/\s*\d*\s*\(\s*(\d{1,3})%\))"));
    static const QRegularExpression decoding(
        QStringLiteral(R"(^\s*Frame#\s*(\d{1,9})/(\d{1,9})\s)"));
    if (const auto match = encoding.match(line); match.hasMatch())
        return std::min(match.captured(1).toInt(), 100);
    if (const auto match = decoding.match(line); match.hasMatch()) {
        const qint64 frame = match.captured(1).toLongLong();
        const qint64 frames = match.captured(2).toLongLong();
        if (frames > 0)
            return int(std::min<qint64>(frame * 100 / frames, 100));
    }
    return std::nullopt;
}

} // namespace

ConsoleScreen::ConsoleScreen()
{
    clear();
}

void ConsoleScreen::clear()
{
    m_decoder.resetState();
    m_state = State::Text;
    m_params.clear();
    m_lines = QStringList{QString()};
    m_row = 0;
    m_column = 0;
    m_floor = 0;
    m_firstChanged = 0;
    m_dropped = 0;
    m_written = false;
    m_progress.reset();
}

void ConsoleScreen::feed(QByteArrayView bytes)
{
    const QString text = m_decoder.decode(bytes);
    for (const QChar c : text)
        process(c);
    scanProgress();
}

void ConsoleScreen::addLine(const QString& text)
{
    scanProgress();
    m_row = int(m_lines.size()) - 1;
    if (!m_lines.last().isEmpty())
        lineFeed();
    for (const QString& part : text.split(QLatin1Char('\n'))) {
        QString clean;
        for (const QChar c : part) {
            if (!isControl(c))
                clean += c;
        }
        m_lines[m_row] = clean;
        markChanged(m_row);
        lineFeed();
    }
    m_column = 0;
    m_floor = m_row;
}

QString ConsoleScreen::text() const
{
    return m_lines.join(QLatin1Char('\n'));
}

int ConsoleScreen::takeFirstChangedLine()
{
    return std::exchange(m_firstChanged, -1);
}

std::optional<int> ConsoleScreen::takeFileProgress()
{
    return std::exchange(m_progress, {});
}

void ConsoleScreen::resetFileProgress()
{
    m_progress.reset();
    m_written = false;
    // The new file starts below everything: an encoder stopped halfway through its display
    // left its cursor in the middle of it.
    m_row = int(m_lines.size()) - 1;
    m_column = 0;
    if (!m_lines.last().isEmpty())
        lineFeed();
    m_floor = m_row;
}

void ConsoleScreen::process(QChar c)
{
    const char16_t u = c.unicode();
    switch (m_state) {
    case State::Text:
        processText(c);
        return;
    case State::Escape:
        if (u == '[') {
            m_state = State::Csi;
            m_params.clear();
            m_paramsUsable = true;
        } else if (u == ']') {
            m_state = State::Osc;
        } else if (u >= 0x20 && u <= 0x2f) {
            m_state = State::EscapeIntermediate;
        } else if (u >= 0x30 && u <= 0x7e) {
            m_state = State::Text; // a two-character sequence, dropped
        } else if (u != kEscape) {
            m_state = State::Text;
            processText(c);
        }
        return;
    case State::EscapeIntermediate:
        if (u >= 0x20 && u <= 0x2f)
            return;
        m_state = State::Text;
        if (u < 0x30 || u > 0x7e)
            processText(c);
        return;
    case State::Csi:
        if (u >= 0x30 && u <= 0x3f) {
            if (m_params.size() < kMaxParams)
                m_params += c;
            else
                m_paramsUsable = false;
        } else if (u >= 0x20 && u <= 0x2f) {
            m_paramsUsable = false; // intermediates: no sequence of ours
        } else if (u >= 0x40 && u <= 0x7e) {
            m_state = State::Text;
            executeCsi(c);
        } else {
            // Broken sequence: give up on it and let the character speak for itself.
            m_state = State::Text;
            processText(c);
        }
        return;
    case State::Osc:
        // An operating-system command ends with BEL or ESC \. A line feed ends it too, so that
        // a stray ESC ] can never swallow the rest of the output.
        if (u == kBell)
            m_state = State::Text;
        else if (u == kEscape)
            m_state = State::OscEscape;
        else if (u == '\n') {
            m_state = State::Text;
            processText(c);
        }
        return;
    case State::OscEscape:
        // ESC \ closes the command; any other ESC starts a new sequence.
        if (u == '\\') {
            m_state = State::Text;
        } else {
            m_state = State::Escape;
            process(c);
        }
        return;
    }
}

void ConsoleScreen::processText(QChar c)
{
    switch (c.unicode()) {
    case kEscape:
        m_state = State::Escape;
        return;
    case '\r':
        scanProgress();
        m_column = 0;
        return;
    case '\n':
        scanProgress();
        lineFeed();
        return;
    case '\b':
        if (m_column > 0)
            --m_column;
        return;
    case '\t':
        m_column = std::min((m_column / kTabWidth + 1) * kTabWidth, kMaxColumns - 1);
        return;
    default:
        if (!isControl(c))
            write(c);
    }
}

void ConsoleScreen::executeCsi(QChar final)
{
    if (!m_paramsUsable)
        return;
    // Only the first parameter matters to the two sequences kept; anything but digits (a
    // private "?" sequence, say) is no sequence of ours.
    int count = 0;
    for (const QChar c : m_params) {
        if (c == QLatin1Char(';'))
            break;
        if (c.unicode() < u'0' || c.unicode() > u'9')
            return;
        count = std::min(count * 10 + (c.unicode() - u'0'), kMaxCount);
    }
    if (final == QLatin1Char('A'))
        cursorUp(std::max(count, 1));
    else if (final == QLatin1Char('K'))
        clearInLine(count);
}

void ConsoleScreen::write(QChar c)
{
    if (m_column >= kMaxColumns) {
        scanProgress();
        lineFeed(); // wraps, as a terminal would, rather than growing one line without end
    }
    QString& line = m_lines[m_row];
    if (m_column < line.size()) {
        line[m_column] = c;
    } else {
        line.append(QString(m_column - line.size(), QLatin1Char(' ')));
        line.append(c);
    }
    ++m_column;
    m_written = true;
    markChanged(m_row);
}

void ConsoleScreen::lineFeed()
{
    ++m_row;
    m_column = 0;
    if (m_row == m_lines.size()) {
        m_lines.append(QString());
        markChanged(m_row);
        trimToCap();
    }
}

void ConsoleScreen::cursorUp(int count)
{
    scanProgress();
    const int top = std::max({m_floor, int(m_lines.size()) - 1 - kMaxRedrawDepth, 0});
    // Never downwards: a cursor already above the limit (left there by a stopped encoder)
    // stays where it is.
    m_row = std::max(m_row - count, std::min(m_row, top));
}

void ConsoleScreen::clearInLine(int mode)
{
    QString& line = m_lines[m_row];
    switch (mode) {
    case 0:
        if (m_column >= line.size())
            return;
        line.truncate(m_column);
        break;
    case 1:
        for (int i = 0; i <= m_column && i < line.size(); ++i)
            line[i] = QLatin1Char(' ');
        break;
    case 2:
        line.clear();
        break;
    default:
        return;
    }
    markChanged(m_row);
}

void ConsoleScreen::markChanged(int row)
{
    if (m_firstChanged < 0 || row < m_firstChanged)
        m_firstChanged = row;
}

void ConsoleScreen::trimToCap()
{
    const int excess = int(m_lines.size()) - kMaxLines;
    if (excess <= 0)
        return;
    m_lines.remove(0, excess);
    m_dropped += excess;
    m_row = std::max(m_row - excess, 0);
    m_floor = std::max(m_floor - excess, 0);
    if (m_firstChanged >= 0)
        m_firstChanged = std::max(m_firstChanged - excess, 0);
}

std::optional<int> ConsoleScreen::lastProgressIn(QByteArrayView bytes)
{
    // Every progress figure starts a line or follows a carriage return.
    const QString text = QString::fromUtf8(bytes);
    qsizetype end = text.size();
    while (end > 0) {
        qsizetype start = end - 1;
        while (start >= 0 && text.at(start) != QLatin1Char('\r') &&
               text.at(start) != QLatin1Char('\n'))
            --start;
        if (const auto percent = progressIn(text.mid(start + 1, end - start - 1)))
            return percent;
        end = start;
    }
    return std::nullopt;
}

void ConsoleScreen::scanProgress()
{
    if (!m_written)
        return;
    m_written = false;
    if (const auto percent = progressIn(m_lines[m_row].left(m_column)))
        m_progress = percent;
}
