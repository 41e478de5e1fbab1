#pragma once

#include <QTimer>
#include <QTreeView>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/CommandId.h"

class QDrag;

namespace quillet::ui {

class EntryListModel;

// The editors' list: a report of rows drawn by the program (a cell wider than its column ends in
// "..."), a header above it whose columns keep at least 10 pixels with the last one filling the
// rest, and editing keys turned into the window's commands on their first press only. Given a
// drag partner it also drags its selected rows out and takes drops: the row under the pointer is
// highlighted, and the list scrolls while the pointer is near its top or bottom edge.
class EntryListView final : public QTreeView {
    Q_OBJECT

public:
    static constexpr int kMinimumColumnWidth = 10;
    static constexpr int kFitMargin = 20;
    // Repeats the edge scroll while a drag rests in a scroll zone.
    static constexpr int kDragScrollInterval = 100;

    // The window's side of dragging rows out of the list and dropping data on it.
    class DragPartner {
    public:
        virtual ~DragPartner() = default;
        // The user began dragging the selected rows.
        virtual void StartDrag() = 0;
        // What dropping `data` with these keys held would do; IgnoreAction when it cannot be dropped.
        virtual Qt::DropAction DropAction(const QMimeData& data, Qt::KeyboardModifiers modifiers) const = 0;
        // Drops `data` on `row`: false when nothing was placed.
        virtual bool Drop(const QMimeData& data, int row) = 0;
    };
    // Runs a drag the list started and gives what the target did with it. Under a display without a
    // window system a drag ends at once, so tests put their own in place.
    using DragRunner = std::function<Qt::DropAction(QDrag& drag)>;

    explicit EntryListView(QWidget* parent);

    void SetEntryModel(EntryListModel* model);
    EntryListModel* EntryModel() const { return m_model; }

    // Sets the widths of the columns but the last one, which takes what remains.
    void SetColumnWidths(const std::vector<int>& widths);
    // Optionally sets one column's width, then lets every column keep at least 10 pixels and the
    // last one (or one that would pass the list's width) take the rest.
    void SyncColumns(std::optional<int> column = std::nullopt, int width = 0);

    // Selected rows ascending; the focused row or −1.
    std::vector<std::size_t> SelectedRows() const;
    long FocusedRow() const;
    // Selects exactly these rows (the first one focused and scrolled into view).
    void SelectRows(const std::vector<std::size_t>& rows);
    // Deselects all, then selects, focuses and shows this row.
    void SelectOnly(int row);

    // A cell text cut to `width` pixels, ending in "..." when it did not fit.
    static QString FitText(const QFontMetrics& metrics, const QString& text, int width);
    // The text a cell shows at its column's present width.
    QString ShownText(const QModelIndex& index) const;

    // Takes part in drag and drop through `partner`; without one the list neither drags nor takes drops.
    void SetDragPartner(std::unique_ptr<DragPartner> partner);
    void SetDragRunner(DragRunner runner) { m_dragRunner = std::move(runner); }
    // Runs the drag with copy, move and link allowed.
    Qt::DropAction RunDrag(QDrag& drag);
    // The scroll of a drag at `point` (viewport coordinates) near the list's top or bottom edge;
    // false when the point is in no scroll zone.
    bool DragScroll(const QPoint& point);

signals:
    // Insert, Delete, F7, Ctrl+Delete and Ctrl+A.
    void CommandKey(app::CommandId command);
    // Ctrl+C / Ctrl+X and Ctrl+V.
    void CopyKey(bool cut);
    void PasteKey();
    // A click on a header item.
    void HeaderClicked(int column);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void FitColumnToText(int column);
    // The row under a drag's point and what dropping there would do; row −1 and IgnoreAction
    // when nothing can be dropped there.
    struct DropTarget {
        int row = -1;
        Qt::DropAction action = Qt::IgnoreAction;
    };
    DropTarget TargetOf(const QDropEvent& event) const;
    // Highlights the row under a drag and proposes the partner's action there; nothing elsewhere.
    void TrackDrag(QDragMoveEvent& event);
    void EndDragOver();
    // The rows fully shown at the top and the bottom of the list.
    int FirstShownRow() const;
    int LastShownRow() const;

    EntryListModel* m_model = nullptr;
    // Set while the columns are being resized here, so those resizes start no sync of their own.
    bool m_syncing = false;
    // A sync asked for before the list had its size, done once it is shown.
    bool m_syncPending = false;
    std::unique_ptr<DragPartner> m_dragPartner;
    DragRunner m_dragRunner;
    QTimer m_dragScrollTimer;
    QPoint m_dragPoint;
};

}  // namespace quillet::ui
