#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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

}  // namespace quillet::card
