#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "card/UserInterface.h"

namespace quillet::card {

// What the editor windows' documents (phone book and messages) share with their views.

// The rows of the list the user has selected and the focused one; 0-based, ascending.
struct RowSelection {
    std::vector<std::size_t> selected;
    long focused = -1;

    long First() const { return selected.empty() ? -1 : static_cast<long>(selected.front()); }
    long Last() const { return selected.empty() ? -1 : static_cast<long>(selected.back()); }
};

// What Copy and Cut put on the clipboard: the private payload and its plain text (UTF-8).
struct ClipboardContent {
    std::vector<std::uint8_t> payload;
    std::string text;
};

// A range of positions as the range dialogs take it, 1-based and inclusive.
struct ItemRange {
    long from = 1;
    long to = 0;
};

// What a range dialog starts with: all positions, or the first to the last selected row when more
// than one row is selected (rows 0-based as the list reports them, -1 when none).
ItemRange DefaultItemRange(std::size_t positionCount, long firstSelectedRow, long lastSelectedRow);

// The Select Items dialog's check, 1 <= from <= to <= positionCount, with its message.
bool CheckSelectRange(ItemRange range, std::size_t positionCount, UserInterface& ui);

// The close question `messageId` (-1: none), asked when the confirmation setting is on and changes
// would be lost; true when the window may close. `asked` tells whether it asked.
bool ConfirmClose(std::int32_t messageId, bool confirm, bool unsavedChanges, bool& asked, UserInterface& ui);

// Open File's question before a window's positions are replaced: true when nothing would be lost,
// the confirmation setting is off, or the user agrees.
bool ConfirmReplaceWindow(bool wouldLose, bool confirm, UserInterface& ui);

// The rest works on the positions of any editor: entries with `used`, `index`, `modified` and
// `inTransfer`, of which the window shows the first PositionCount() (`shown`).

template <typename Range>
bool AnyUsed(const Range& entries) {
    return std::any_of(std::begin(entries), std::end(entries), [](const auto& entry) { return entry.used != 0; });
}

// A used position that is changed and not written yet.
template <typename Range>
bool AnyUnsaved(const Range& entries) {
    return std::any_of(std::begin(entries), std::end(entries),
                       [](const auto& entry) { return entry.used != 0 && entry.modified != 0; });
}

// Select All: the used rows.
template <typename Entry>
std::vector<std::size_t> UsedRows(std::span<const Entry> shown) {
    std::vector<std::size_t> rows;
    for (std::size_t row = 0; row < shown.size(); ++row) {
        if (shown[row].used != 0) rows.push_back(row);
    }
    return rows;
}

// The Select Items dialog's OK: the rows of the range that are used or, with `includeEmpty`, all of
// them; nothing (after the message) for a range outside the shown rows.
template <typename Entry>
std::optional<std::vector<std::size_t>> RowsInRange(std::span<const Entry> shown, ItemRange range, bool includeEmpty,
                                                    UserInterface& ui) {
    if (!CheckSelectRange(range, shown.size(), ui)) return std::nullopt;
    std::vector<std::size_t> rows;
    for (auto row = static_cast<std::size_t>(range.from - 1); row < static_cast<std::size_t>(range.to); ++row) {
        if (includeEmpty || shown[row].used != 0) rows.push_back(row);
    }
    return rows;
}

// The entries of the selected rows that are shown, in row order.
template <typename Entry>
std::vector<Entry> SelectedEntries(std::span<const Entry> shown, const RowSelection& selection) {
    std::vector<Entry> entries;
    for (const std::size_t row : selection.selected) {
        if (row < shown.size()) entries.push_back(shown[row]);
    }
    return entries;
}

// Insert needs the last position empty and still the card's last record.
template <typename Entry>
bool LastPositionFree(std::span<const Entry> shown) {
    return !shown.empty() && shown.back().used == 0 && shown.back().index == shown.size() - 1;
}

// Insert: the positions from `row` on move one down and the empty last one takes `row`'s place and
// record number; every position at or behind that number is renumbered and marked changed.
template <typename Entry>
void InsertEmptyAt(std::span<Entry> shown, std::size_t row) {
    const auto oldIndex = shown[row].index;
    std::rotate(shown.begin() + static_cast<std::ptrdiff_t>(row), shown.end() - 1, shown.end());
    for (Entry& entry : shown) {
        if (entry.index < oldIndex) continue;
        ++entry.index;
        entry.modified = 1;
    }
    shown[row].index = oldIndex;
}

// Delete: each selected row goes, the rows behind it move up and are renumbered (and marked
// changed), and the freed last position becomes `makeEmpty(count - 1)`, marked changed.
// `askFirstUsed` is asked before the first used row goes; false stops there.
template <typename Entry, typename Ask, typename MakeEmpty>
void DeleteRows(std::span<Entry> shown, const RowSelection& selection, Ask askFirstUsed, MakeEmpty makeEmpty) {
    bool asked = false;
    std::size_t removed = 0;
    for (const std::size_t selected : selection.selected) {
        // Each deletion moves the rows behind it up by one.
        const std::size_t row = selected - removed;
        if (row >= shown.size()) continue;
        if (!asked && shown[row].used != 0) {
            if (!askFirstUsed()) return;
            asked = true;
        }
        const auto oldIndex = shown[row].index;
        std::rotate(shown.begin() + static_cast<std::ptrdiff_t>(row),
                    shown.begin() + static_cast<std::ptrdiff_t>(row) + 1, shown.end());
        for (Entry& entry : shown) {
            if (entry.index <= oldIndex) continue;
            --entry.index;
            entry.modified = 1;
        }
        shown.back() = makeEmpty(static_cast<decltype(oldIndex)>(shown.size() - 1));
        shown.back().modified = 1;
        ++removed;
    }
}

// The start of a drag: the selected rows are marked as in transfer.
template <typename Entry>
void MarkInTransfer(std::span<Entry> shown, const RowSelection& selection) {
    for (const std::size_t row : selection.selected) {
        if (row < shown.size()) shown[row].inTransfer = 1;
    }
}

enum class DropOutcome { Refused, Placed, PlacedSome };

// A drop (or a paste of the private payload) at `row` of the shown positions: `incoming` fills the
// rows from there on, each keeping its position's record number and marked changed; what finds no
// row is left out. A used row that the drag itself does not empty is overwritten only when
// `askOverwrite` agrees. `prepare` sees the arriving entries before any position changes. When
// some were left out the move marks go, so the move ends as a copy and no source is lost.
template <typename Entry, typename Ask, typename Prepare>
DropOutcome DropEntries(std::span<Entry> shown, std::size_t row, std::span<const Entry> incoming, Ask askOverwrite,
                        Prepare prepare) {
    if (row >= shown.size() || incoming.empty()) return DropOutcome::Refused;
    const std::size_t placed = std::min(incoming.size(), shown.size() - row);
    const std::span<Entry> targets = shown.subspan(row, placed);
    const bool overwrites = std::any_of(targets.begin(), targets.end(),
                                        [](const Entry& target) { return target.used != 0 && target.inTransfer == 0; });
    if (overwrites && !askOverwrite()) return DropOutcome::Refused;
    std::vector<Entry> arriving(incoming.begin(), incoming.begin() + static_cast<std::ptrdiff_t>(placed));
    prepare(arriving);
    for (std::size_t i = 0; i < placed; ++i) {
        arriving[i].index = targets[i].index;
        arriving[i].modified = 1;
        arriving[i].inTransfer = 0;
        targets[i] = arriving[i];
    }
    if (placed == incoming.size()) return DropOutcome::Placed;
    for (Entry& entry : shown) entry.inTransfer = 0;
    return DropOutcome::PlacedSome;
}

// The end of a drag: after a move the used positions still marked are cleared; every mark goes.
template <typename Range, typename Clear>
void EndTransfer(Range& entries, bool moved, Clear clear) {
    for (auto& entry : entries) {
        if (moved && entry.inTransfer != 0 && entry.used != 0) clear(entry);
        entry.inTransfer = 0;
    }
}

}  // namespace quillet::card
