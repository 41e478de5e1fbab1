#include "ui/EntryListView.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>

#include "ui/EntryListModel.h"

namespace quillet::ui {

namespace {

// Space kept free at both sides of a cell's text.
constexpr int kTextPadding = 4;
const QString kCut = QStringLiteral("...");

// Draws the rows: the highlight only while the list has the focus (or on the drop row), the
// palette's inactive highlight otherwise, every cell's text cut to its column, and a dotted focus
// rectangle around the current row while the list has the focus (styles draw theirs in the
// highlight's own colour, which a selected row hides).
class RowDelegate final : public QStyledItemDelegate {
public:
    explicit RowDelegate(EntryListView* view) : QStyledItemDelegate(view), m_view(view) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        const EntryListModel* model = m_view->EntryModel();
        const bool dropRow = model != nullptr && model->DropRow() == index.row();
        QPalette::ColorGroup group = QPalette::Active;
        QPalette::ColorRole background = QPalette::Base;
        QPalette::ColorRole text = QPalette::Text;
        if (dropRow || selected) {
            background = QPalette::Highlight;
            text = QPalette::HighlightedText;
            if (!dropRow && !m_view->hasFocus()) group = QPalette::Inactive;
        }
        painter->save();
        painter->fillRect(option.rect, option.palette.brush(group, background));
        painter->setPen(option.palette.color(group, text));
        painter->setFont(option.font);
        const QRect textRect = option.rect.adjusted(kTextPadding, 0, -kTextPadding, 0);
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_view->ShownText(index));
        if (m_view->hasFocus() && m_view->currentIndex().row() == index.row()) {
            DrawFocusPart(painter, option.rect, m_view->header()->visualIndex(index.column()));
        }
        painter->restore();
    }

private:
    // This cell's share of the rectangle around the whole row, in the pen set for its text.
    void DrawFocusPart(QPainter* painter, const QRect& cell, int visualColumn) const {
        QPen pen = painter->pen();
        pen.setStyle(Qt::DotLine);
        painter->setPen(pen);
        const QRect edge = cell.adjusted(0, 0, -1, -1);
        painter->drawLine(edge.topLeft(), edge.topRight());
        painter->drawLine(edge.bottomLeft(), edge.bottomRight());
        if (visualColumn == 0) painter->drawLine(edge.topLeft(), edge.bottomLeft());
        if (visualColumn == m_view->header()->count() - 1) painter->drawLine(edge.topRight(), edge.bottomRight());
    }

    EntryListView* m_view;
};

enum class KeyKind { None, Command, Copy, Cut, Paste };

struct KeyAction {
    KeyKind kind = KeyKind::None;
    app::CommandId command{};
};

// What an editing key stands for; keys with Alt stand for nothing here.
KeyAction ActionOf(const QKeyEvent& event) {
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    if (modifiers.testFlag(Qt::AltModifier)) return {};
    const bool control = modifiers.testFlag(Qt::ControlModifier);
    switch (event.key()) {
        case Qt::Key_Insert:
            return control ? KeyAction{} : KeyAction{KeyKind::Command, app::CommandId::EditorInsert};
        case Qt::Key_Delete:
            return {KeyKind::Command, control ? app::CommandId::EditorDeleteSelected : app::CommandId::EditorDelete};
        case Qt::Key_F7:
            return control ? KeyAction{} : KeyAction{KeyKind::Command, app::CommandId::EditorFind};
        case Qt::Key_A:
            return control ? KeyAction{KeyKind::Command, app::CommandId::EditorSelectAll} : KeyAction{};
        case Qt::Key_C:
            return {control ? KeyKind::Copy : KeyKind::None};
        case Qt::Key_X:
            return {control ? KeyKind::Cut : KeyKind::None};
        case Qt::Key_V:
            return {control ? KeyKind::Paste : KeyKind::None};
        default:
            return {};
    }
}

}  // namespace

EntryListView::EntryListView(QWidget* parent) : QTreeView(parent) {
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // The focus belongs to the whole row: the view redraws whole rows when it moves.
    setAllColumnsShowFocus(true);
    setItemDelegate(new RowDelegate(this));

    QHeaderView* columns = header();
    columns->setMinimumSectionSize(kMinimumColumnWidth);
    columns->setStretchLastSection(true);
    columns->setSectionsClickable(true);
    columns->setSectionsMovable(false);
    columns->setSortIndicatorShown(false);
    connect(columns, &QHeaderView::sectionClicked, this, &EntryListView::HeaderClicked);
    connect(columns, &QHeaderView::sectionHandleDoubleClicked, this, [this](int column) { FitColumnToText(column); });
    connect(columns, &QHeaderView::sectionResized, this, [this](int column, int, int) {
        // A column the user (or anyone) resized makes the others follow; the stretched last
        // column's own changes need nothing more.
        if (!m_syncing && column != header()->count() - 1) SyncColumns();
    });
    m_dragScrollTimer.setInterval(kDragScrollInterval);
    connect(&m_dragScrollTimer, &QTimer::timeout, this, [this] {
        if (!DragScroll(m_dragPoint)) {
            m_dragScrollTimer.stop();
            return;
        }
        // Other rows came under the pointer: the highlight follows them.
        if (m_model != nullptr && m_model->DropRow() >= 0) m_model->SetDropRow(indexAt(m_dragPoint).row());
    });
}

void EntryListView::SetEntryModel(EntryListModel* model) {
    QItemSelectionModel* old = selectionModel();
    m_model = model;
    setModel(model);
    if (old != nullptr && old != selectionModel()) old->deleteLater();
}

void EntryListView::SetColumnWidths(const std::vector<int>& widths) {
    const int count = header()->count();
    m_syncing = true;
    for (int column = 0; column + 1 < count && column < static_cast<int>(widths.size()); ++column) {
        header()->resizeSection(column, widths[static_cast<std::size_t>(column)]);
    }
    m_syncing = false;
    SyncColumns();
}

void EntryListView::SyncColumns(std::optional<int> column, int width) {
    QHeaderView* columns = header();
    const int count = columns->count();
    if (count == 0 || m_syncing) return;
    m_syncing = true;
    if (column && *column >= 0 && *column < count) columns->resizeSection(*column, width);
    // Before the list is shown its width means nothing: only the minimum holds until then.
    const bool sized = isVisible();
    m_syncPending = !sized;
    const int available = viewport()->width();
    int used = 0;
    for (int visual = 0; visual < count; ++visual) {
        const int logical = columns->logicalIndex(visual);
        int size = std::max(columns->sectionSize(logical), kMinimumColumnWidth);
        if (sized && (visual == count - 1 || used + size > available)) {
            size = std::max(available - used, kMinimumColumnWidth);
        }
        if (size != columns->sectionSize(logical)) columns->resizeSection(logical, size);
        used += size;
    }
    m_syncing = false;
}

std::vector<std::size_t> EntryListView::SelectedRows() const {
    std::vector<std::size_t> rows;
    if (selectionModel() == nullptr) return rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.push_back(static_cast<std::size_t>(index.row()));
    std::sort(rows.begin(), rows.end());
    return rows;
}

long EntryListView::FocusedRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void EntryListView::SelectRows(const std::vector<std::size_t>& rows) {
    if (m_model == nullptr) return;
    const std::size_t count = static_cast<std::size_t>(m_model->rowCount());
    const int lastColumn = m_model->columnCount() - 1;
    QItemSelection selection;
    std::size_t first = count;
    for (const std::size_t row : rows) {
        if (row >= count) continue;
        first = std::min(first, row);
        const int at = static_cast<int>(row);
        selection.select(m_model->index(at, 0), m_model->index(at, lastColumn));
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (first == count) return;
    const QModelIndex focus = m_model->index(static_cast<int>(first), 0);
    selectionModel()->setCurrentIndex(focus, QItemSelectionModel::NoUpdate);
    scrollTo(focus);
}

void EntryListView::SelectOnly(int row) {
    if (m_model == nullptr) return;
    if (row < 0 || row >= m_model->rowCount()) {
        clearSelection();
        return;
    }
    const QModelIndex index = m_model->index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

QString EntryListView::FitText(const QFontMetrics& metrics, const QString& text, int width) {
    if (metrics.horizontalAdvance(text) <= width) return text;
    // The longest start of the text that fits with the three dots behind it.
    qsizetype low = 0;
    qsizetype high = text.size();
    while (low < high) {
        const qsizetype middle = (low + high + 1) / 2;
        if (metrics.horizontalAdvance(text.left(middle) + kCut) <= width) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    // Never split a character made of two UTF-16 units.
    if (low > 0 && text.at(low - 1).isHighSurrogate()) --low;
    return text.left(low) + kCut;
}

QString EntryListView::ShownText(const QModelIndex& index) const {
    if (m_model == nullptr || !index.isValid()) return {};
    const int width = header()->sectionSize(index.column()) - 2 * kTextPadding;
    return FitText(fontMetrics(), m_model->data(index, Qt::DisplayRole).toString(), width);
}

void EntryListView::SetDragPartner(std::unique_ptr<DragPartner> partner) {
    m_dragPartner = std::move(partner);
    const bool taking = m_dragPartner != nullptr;
    setDragEnabled(taking);
    setAcceptDrops(taking);
    // The drop row is highlighted as a whole; Qt's line between rows would say something else.
    setDropIndicatorShown(false);
}

Qt::DropAction EntryListView::RunDrag(QDrag& drag) {
    if (!m_dragRunner) return drag.exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction);
    const Qt::DropAction result = m_dragRunner(drag);
    drag.deleteLater();
    return result;
}

int EntryListView::FirstShownRow() const { return std::max(indexAt(QPoint(0, 0)).row(), 0); }

int EntryListView::LastShownRow() const {
    const int height = viewport()->height();
    const QModelIndex bottom = indexAt(QPoint(0, height - 1));
    if (!bottom.isValid()) return m_model->rowCount() - 1;
    // A row cut by the bottom edge is not shown whole.
    return visualRect(bottom).bottom() >= height ? bottom.row() - 1 : bottom.row();
}

// Near the top edge the list scrolls up, by five rows in the outer 10 pixels and by one in the next
// 10; near the bottom edge down alike.
bool EntryListView::DragScroll(const QPoint& point) {
    const int count = m_model != nullptr ? m_model->rowCount() : 0;
    if (count == 0 || !viewport()->rect().contains(point)) return false;
    const int bottom = viewport()->height();
    int target = -1;
    if (point.y() < 10) {
        target = std::max(FirstShownRow() - 5, 0);
    } else if (point.y() < 20) {
        target = std::max(FirstShownRow() - 1, 0);
    } else if (point.y() > bottom - 10) {
        target = std::min(LastShownRow() + 5, count - 1);
    } else if (point.y() > bottom - 20) {
        target = std::min(LastShownRow() + 1, count - 1);
    } else {
        return false;
    }
    scrollTo(m_model->index(target, 0), QAbstractItemView::EnsureVisible);
    return true;
}

void EntryListView::startDrag(Qt::DropActions supportedActions) {
    if (m_dragPartner == nullptr) {
        QTreeView::startDrag(supportedActions);
        return;
    }
    m_dragPartner->StartDrag();
}

EntryListView::DropTarget EntryListView::TargetOf(const QDropEvent& event) const {
    const QModelIndex under = indexAt(event.position().toPoint());
    if (!under.isValid()) return {};
    const Qt::DropAction action = m_dragPartner->DropAction(*event.mimeData(), event.modifiers());
    return {action == Qt::IgnoreAction ? -1 : under.row(), action};
}

void EntryListView::TrackDrag(QDragMoveEvent& event) {
    const DropTarget target = TargetOf(event);
    if (m_model != nullptr) m_model->SetDropRow(target.row);
    if (target.action == Qt::IgnoreAction) {
        event.ignore();
        return;
    }
    event.setDropAction(target.action);
    event.accept();
}

void EntryListView::EndDragOver() {
    m_dragScrollTimer.stop();
    if (m_model != nullptr) m_model->SetDropRow(-1);
}

void EntryListView::dragEnterEvent(QDragEnterEvent* event) {
    if (m_dragPartner == nullptr) {
        QTreeView::dragEnterEvent(event);
        return;
    }
    if (m_dragPartner->DropAction(*event->mimeData(), event->modifiers()) == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    TrackDrag(*event);
    // Data the list can take keeps the drag here, so the moves over the rows that follow arrive.
    event->accept();
}

// Qt's own edge scrolling is left out: the list's scroll zones are the ones above.
void EntryListView::dragMoveEvent(QDragMoveEvent* event) {
    if (m_dragPartner == nullptr) {
        QTreeView::dragMoveEvent(event);
        return;
    }
    m_dragPoint = event->position().toPoint();
    if (DragScroll(m_dragPoint)) {
        if (!m_dragScrollTimer.isActive()) m_dragScrollTimer.start();
    } else {
        m_dragScrollTimer.stop();
    }
    TrackDrag(*event);
}

void EntryListView::dragLeaveEvent(QDragLeaveEvent* event) {
    if (m_dragPartner == nullptr) {
        QTreeView::dragLeaveEvent(event);
        return;
    }
    EndDragOver();
}

void EntryListView::dropEvent(QDropEvent* event) {
    if (m_dragPartner == nullptr) {
        QTreeView::dropEvent(event);
        return;
    }
    EndDragOver();
    const DropTarget target = TargetOf(*event);
    // The source learns what happened: a refused drop leaves its rows where they are.
    if (target.action != Qt::IgnoreAction && m_dragPartner->Drop(*event->mimeData(), target.row)) {
        event->setDropAction(target.action);
        event->accept();
    } else {
        event->setDropAction(Qt::IgnoreAction);
        event->ignore();
    }
}

void EntryListView::keyPressEvent(QKeyEvent* event) {
    const KeyAction action = ActionOf(*event);
    if (action.kind == KeyKind::None) {
        QTreeView::keyPressEvent(event);
        return;
    }
    event->accept();
    // Holding a key down repeats nothing: one command per press.
    if (event->isAutoRepeat()) return;
    switch (action.kind) {
        case KeyKind::Command:
            emit CommandKey(action.command);
            break;
        case KeyKind::Copy:
        case KeyKind::Cut:
            emit CopyKey(action.kind == KeyKind::Cut);
            break;
        case KeyKind::Paste:
            emit PasteKey();
            break;
        case KeyKind::None:
            break;
    }
}

// The list's keys are its own while it has the focus, even when a window's shortcut uses them.
bool EntryListView::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && ActionOf(*static_cast<QKeyEvent*>(event)).kind != KeyKind::None) {
        event->accept();
        return true;
    }
    return QTreeView::event(event);
}

void EntryListView::resizeEvent(QResizeEvent* event) {
    QTreeView::resizeEvent(event);
    if (m_syncPending && isVisible()) SyncColumns();
}

void EntryListView::showEvent(QShowEvent* event) {
    QTreeView::showEvent(event);
    if (m_syncPending) SyncColumns();
}

// A double click on a header divider sizes that column to its widest row text.
void EntryListView::FitColumnToText(int column) {
    if (m_model == nullptr) return;
    const QFontMetrics metrics = fontMetrics();
    int widest = 0;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        widest = std::max(
            widest, metrics.horizontalAdvance(m_model->data(m_model->index(row, column), Qt::DisplayRole).toString()));
    }
    SyncColumns(column, widest + kFitMargin);
}

}  // namespace quillet::ui
