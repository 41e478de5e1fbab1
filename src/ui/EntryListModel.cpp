#include "ui/EntryListModel.h"

#include <algorithm>

#include "ui/HeaderMarks.h"

namespace quillet::ui {

EntryListModel::EntryListModel(QStringList titles, RowCount rowCount, CellText cellText, QObject* parent)
    : QAbstractTableModel(parent),
      m_titles(std::move(titles)),
      m_rowCount(std::move(rowCount)),
      m_cellText(std::move(cellText)),
      m_mark(HeaderMark(true)),
      m_blank(HeaderMark(false)) {}

// One change notice for the whole list: per-row notices make a full refresh cost far more than
// re-reading 250 rows.
void EntryListModel::Refresh() {
    const int rows = std::max(0, m_rowCount());
    if (rows > m_shownRows) {
        beginInsertRows(QModelIndex(), m_shownRows, rows - 1);
        m_shownRows = rows;
        endInsertRows();
    } else if (rows < m_shownRows) {
        beginRemoveRows(QModelIndex(), rows, m_shownRows - 1);
        m_shownRows = rows;
        endRemoveRows();
    }
    if (m_shownRows > 0 && !m_titles.isEmpty()) {
        emit dataChanged(index(0, 0), index(m_shownRows - 1, columnCount() - 1), {Qt::DisplayRole});
    }
}

void EntryListModel::SetSortMark(int column) {
    if (column == m_sortMark) return;
    m_sortMark = column;
    if (!m_titles.isEmpty()) emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void EntryListModel::SetDropRow(int row) {
    if (row == m_dropRow) return;
    const int old = m_dropRow;
    m_dropRow = row;
    // Both rows are drawn again: the old one loses the highlight, the new one gets it.
    for (const int changed : {old, row}) {
        if (changed >= 0 && changed < m_shownRows && !m_titles.isEmpty()) {
            emit dataChanged(index(changed, 0), index(changed, columnCount() - 1));
        }
    }
}

int EntryListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_shownRows; }

int EntryListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_titles.size());
}

QVariant EntryListModel::data(const QModelIndex& index, int role) const {
    // The tooltip shows a cell's whole text, which the list may have cut.
    if ((role != Qt::DisplayRole && role != Qt::ToolTipRole) || !index.isValid() || index.row() >= m_shownRows ||
        index.column() >= columnCount()) {
        return {};
    }
    return m_cellText(index.row(), index.column());
}

Qt::ItemFlags EntryListModel::flags(const QModelIndex& index) const {
    const Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    return index.isValid() ? flags | Qt::ItemIsDragEnabled : flags;
}

QVariant EntryListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
    if (role == Qt::DisplayRole) return m_titles.at(section);
    if (role == Qt::DecorationRole) return section == m_sortMark ? m_mark : m_blank;
    return {};
}

}  // namespace quillet::ui
