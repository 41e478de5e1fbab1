#pragma once

#include <QTreeView>
#include <optional>
#include <vector>

#include "app/CommandId.h"

namespace quillet::ui {

class EntryListModel;

// The editors' list: a report of rows drawn by the program (a cell wider than its column ends in
// "..."), a header above it whose columns keep at least 10 pixels with the last one filling the
// rest, and editing keys turned into the window's commands on their first press only.
class EntryListView final : public QTreeView {
    Q_OBJECT

public:
    static constexpr int kMinimumColumnWidth = 10;
    static constexpr int kFitMargin = 20;

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

private:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void FitColumnToText(int column);

    EntryListModel* m_model = nullptr;
    // Set while the columns are being resized here, so those resizes start no sync of their own.
    bool m_syncing = false;
    // A sync asked for before the list had its size, done once it is shown.
    bool m_syncPending = false;
};

}  // namespace quillet::ui
