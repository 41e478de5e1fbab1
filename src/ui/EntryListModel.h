#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QStringList>
#include <functional>
#include <vector>

namespace quillet::ui {

// The rows of an editor's list as texts, one string per column, fetched from the window's document
// on demand. The header's titles carry the sort mark or the blank as their decoration.
class EntryListModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    using RowCount = std::function<int()>;
    using CellText = std::function<QString(int row, int column)>;

    EntryListModel(QStringList titles, RowCount rowCount, CellText cellText, QObject* parent);

    // Shows the document again: rows added or removed to match its count, every cell re-read.
    void Refresh();
    // The column that carries the sort mark; the others carry the blank.
    void SetSortMark(int column);
    int SortMark() const { return m_sortMark; }
    // Draws the drop-target highlight on this row (−1: none).
    void SetDropRow(int row);
    int DropRow() const { return m_dropRow; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Rows may be dragged; whether a drag starts is the list's choice.
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QStringList m_titles;
    RowCount m_rowCount;
    CellText m_cellText;
    int m_shownRows = 0;
    int m_sortMark = 0;
    int m_dropRow = -1;
    QIcon m_mark;
    QIcon m_blank;
};

}  // namespace quillet::ui
