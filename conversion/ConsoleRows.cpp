#include "conversion/ConsoleRows.h"

#include <algorithm>

ConsoleRows::ConsoleRows(QObject* parent)
    : QAbstractTableModel(parent)
{}

void ConsoleRows::setTexts(const Texts& texts)
{
    m_texts = texts;
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
    if (!m_rows.isEmpty())
        Q_EMIT dataChanged(index(0, StateColumn), index(rowCount() - 1, StateColumn));
}

void ConsoleRows::reset(const QStringList& names, bool ownProgress)
{
    beginResetModel();
    m_rows.clear();
    m_rows.reserve(names.size());
    for (const QString& name : names) {
        Row row;
        row.name = name;
        m_rows.append(std::move(row));
    }
    m_ownProgress = ownProgress;
    m_scanned.clear();
    m_firstChanged = m_lastChanged = -1;
    m_running = m_done = 0;
    endResetModel();
}

int ConsoleRows::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int ConsoleRows::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString ConsoleRows::stateText(const Row& row) const
{
    switch (row.state) {
    case State::Waiting:
        return m_texts.waiting;
    case State::Running:
        return m_texts.running.arg(row.percent);
    case State::Done:
        return m_texts.done;
    case State::Failed:
        return row.lastLine.isEmpty() ? m_texts.failed.arg(row.exitCode)
                                      : m_texts.failedLine.arg(row.exitCode).arg(row.lastLine);
    case State::UpToDate:
        return m_texts.upToDate;
    case State::Stopped:
        return m_texts.stopped;
    case State::NotStarted:
        return m_texts.notStarted;
    }
    return {};
}

QVariant ConsoleRows::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row& row = m_rows.at(index.row());
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return index.column() == NameColumn ? row.name : stateText(row);
    return {};
}

QVariant ConsoleRows::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return section == NameColumn ? m_texts.file : m_texts.state;
    return QAbstractTableModel::headerData(section, orientation, role);
}

void ConsoleRows::changed(int row)
{
    m_firstChanged = m_firstChanged < 0 ? row : std::min(m_firstChanged, row);
    m_lastChanged = std::max(m_lastChanged, row);
}

void ConsoleRows::start(int row)
{
    if (row < 0 || row >= m_rows.size() || m_rows[row].state != State::Waiting)
        return;
    m_rows[row].state = State::Running;
    ++m_running;
    if (m_ownProgress)
        m_scanned[row] = 0;
    changed(row);
}

void ConsoleRows::appendOutput(int row, QByteArrayView bytes)
{
    if (row < 0 || row >= m_rows.size() || m_rows[row].state == State::Done)
        return;
    QByteArray& tail = m_rows[row].tail;
    tail += bytes;
    m_rows[row].received += bytes.size();
    if (tail.size() > 2 * kTailBytes)
        tail.remove(0, tail.size() - kTailBytes);
    if (m_rows[row].state == State::Failed) // what came after the end was known
        findLastLine(m_rows[row], row);
}

void ConsoleRows::setProgress(int row, int percent)
{
    if (row < 0 || row >= m_rows.size() || m_rows[row].state != State::Running ||
        m_rows[row].percent == percent)
        return;
    m_rows[row].percent = std::clamp(percent, 0, 100);
    changed(row);
}

void ConsoleRows::finish(int row, bool ok, int exitCode)
{
    if (row < 0 || row >= m_rows.size())
        return;
    Row& r = m_rows[row];
    if (r.state == State::Done || r.state == State::Failed)
        return;
    if (r.state == State::Running)
        --m_running;
    ++m_done;
    r.state = ok ? State::Done : State::Failed;
    r.exitCode = exitCode;
    if (ok) {
        r.percent = 100;
        r.tail.clear(); // nothing to look into
    } else {
        findLastLine(r, row);
    }
    m_scanned.erase(row);
    changed(row);
}

void ConsoleRows::markUpToDate(int row)
{
    if (row < 0 || row >= m_rows.size() || m_rows[row].state != State::Waiting)
        return;
    m_rows[row].state = State::UpToDate;
    m_rows[row].percent = 100;
    ++m_done;
    changed(row);
}

void ConsoleRows::markStopped()
{
    for (int row = 0; row < m_rows.size(); ++row) {
        Row& r = m_rows[row];
        if (r.state == State::Running) {
            r.state = State::Stopped;
            --m_running;
        } else if (r.state == State::Waiting) {
            r.state = State::NotStarted;
        } else {
            continue;
        }
        m_scanned.erase(row);
        changed(row);
    }
}

void ConsoleRows::findLastLine(Row& r, int row)
{
    const QStringList lines = outputText(row).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    r.lastLine.clear();
    for (auto line = lines.crbegin(); line != lines.crend() && r.lastLine.isEmpty(); ++line)
        r.lastLine = line->trimmed();
    changed(row);
}

void ConsoleRows::refresh()
{
    // The output that came since the last look, only its end: a few times a second instead
    // of a terminal kept up to date byte by byte for every file.
    for (auto& [row, seen] : m_scanned) {
        const Row& r = m_rows.at(row);
        if (r.received == seen)
            continue;
        const qsizetype fresh = std::min<qint64>(r.received - seen, 1024);
        seen = r.received;
        if (const auto percent = ConsoleScreen::lastProgressIn(
                QByteArrayView(r.tail).last(std::min(fresh, r.tail.size()))))
            setProgress(row, *percent);
    }
    if (m_firstChanged < 0)
        return;
    Q_EMIT dataChanged(index(m_firstChanged, NameColumn), index(m_lastChanged, StateColumn));
    m_firstChanged = m_lastChanged = -1;
}

QString ConsoleRows::outputText(int row) const
{
    if (row < 0 || row >= m_rows.size())
        return {};
    ConsoleScreen screen;
    screen.feed(m_rows.at(row).tail);
    return screen.text();
}

double ConsoleRows::doneFraction() const
{
    if (m_rows.isEmpty())
        return 1.0;
    double parts = m_done;
    for (const Row& r : m_rows) {
        if (r.state == State::Running)
            parts += r.percent / 100.0;
    }
    return std::min(1.0, parts / double(m_rows.size()));
}
