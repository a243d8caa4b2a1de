#include "app/FileListModel.h"

#include <algorithm>

namespace {

// Above this many separate runs of rows, one reset is cheaper than a removal per run.
constexpr int kMaxRunsRemovedOneByOne = 32;

} // namespace

FileListModel::FileListModel(QObject* parent)
    : QAbstractTableModel(parent)
    , m_captions{QStringLiteral("Fichier"), QStringLiteral("Dossier"), QStringLiteral("Taille"),
                 QStringLiteral("Date"), QStringLiteral("Type")}
{}

int FileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int FileListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : FileEntry::ColumnCount;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return m_rows.at(index.row()).text(index.column());
    if (role == Qt::TextAlignmentRole && index.column() == FileEntry::SizeColumn)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < m_captions.size())
        return m_captions.at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

bool FileListModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                                  int role)
{
    if (orientation != Qt::Horizontal || (role != Qt::DisplayRole && role != Qt::EditRole) ||
        section < 0 || section >= m_captions.size())
        return false;
    m_captions[section] = value.toString();
    Q_EMIT headerDataChanged(orientation, section, section);
    return true;
}

void FileListModel::append(const FileEntry& entry)
{
    append(QList<FileEntry>{entry});
}

void FileListModel::append(const QList<FileEntry>& entries)
{
    if (entries.isEmpty())
        return;
    const int first = static_cast<int>(m_rows.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(entries.size()) - 1);
    m_rows.append(entries);
    for (const FileEntry& entry : entries)
        m_largestSize = std::max(m_largestSize, entry.size);
    endInsertRows();
}

QStringList FileListModel::paths() const
{
    QStringList list;
    list.reserve(m_rows.size());
    for (const FileEntry& entry : m_rows)
        list << entry.fullPath();
    return list;
}

void FileListModel::removeRowNumbers(QList<int> rows)
{
    const int count = static_cast<int>(m_rows.size());
    rows.erase(
        std::remove_if(rows.begin(), rows.end(), [count](int r) { return r < 0 || r >= count; }),
        rows.end());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.isEmpty())
        return;

    // Runs of neighbouring rows, from the last to the first, so earlier runs keep their place.
    QList<std::pair<int, int>> runs;
    for (const int r : rows) {
        if (!runs.isEmpty() && runs.last().second + 1 == r)
            runs.last().second = r;
        else
            runs.append({r, r});
    }
    if (runs.size() <= kMaxRunsRemovedOneByOne) {
        for (auto it = runs.crbegin(); it != runs.crend(); ++it) {
            beginRemoveRows(QModelIndex(), it->first, it->second);
            m_rows.remove(it->first, it->second - it->first + 1);
            endRemoveRows();
        }
        return;
    }
    beginResetModel();
    QList<FileEntry> kept;
    kept.reserve(m_rows.size() - rows.size());
    auto next = rows.cbegin();
    for (int r = 0; r < count; ++r) {
        if (next != rows.cend() && *next == r)
            ++next;
        else
            kept.append(std::move(m_rows[r]));
    }
    m_rows = std::move(kept);
    endResetModel();
}

void FileListModel::clear()
{
    if (m_rows.isEmpty())
        return;
    beginResetModel();
    m_rows.clear();
    endResetModel();
}
