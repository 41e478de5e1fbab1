#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "card/UserInterface.h"

namespace quillet::card {

// A progress text of the string table with its two %u filled: the item number and the total.
std::string FormatItemText(std::string_view pattern, unsigned item, unsigned total);

// The session's modeless progress window: made on first use, shared by nested users through a
// use count, and closed when the last user is done.
class ProgressWindow {
public:
    explicit ProgressWindow(UserInterface& ui) : m_ui(ui) {}
    ~ProgressWindow() { End(true); }
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    // textId 0 leaves the text as it is.
    void Begin(ProgressOwner owner, std::uint32_t textId, std::uint32_t titleId);
    // Shows the text (and, for percent <= 100, moves the bar), lets the window handle its input;
    // false once the user pressed cancel.
    bool Step(std::string_view text, unsigned percent);
    bool Step(std::uint32_t textId, unsigned percent);
    void End(bool force);
    bool IsOpen() const { return m_users > 0; }

private:
    UserInterface& m_ui;
    int m_users = 0;
    bool m_cancelled = false;
};

}  // namespace quillet::card
