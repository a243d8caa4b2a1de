#pragma once

#include "app/FileEntry.h"

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>

// The rows of the main file list, in the order they were added; never sorted, duplicates
// allowed. Built for lists of 100,000 rows: rows are added and removed in batches.
class FileListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit FileListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // Column captions change with the language.
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role = Qt::EditRole) override;

    const QList<FileEntry>& entries() const { return m_rows; }
    // The full path of every row, in order.
    QStringList paths() const;
    // The largest size ever listed, so that the size column can be wide enough for it.
    qint64 largestSize() const { return m_largestSize; }
    const FileEntry& entry(int row) const { return m_rows.at(row); }

    void append(const FileEntry& entry);
    void append(const QList<FileEntry>& entries);
    // Removes the given rows (any order; repeated numbers and numbers out of range are
    // ignored).
    void removeRowNumbers(QList<int> rows);
    void clear();

private:
    QList<FileEntry> m_rows;
    QStringList m_captions;
    qint64 m_largestSize = 0;
};
