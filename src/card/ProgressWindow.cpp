#include "card/ProgressWindow.h"

#include "resources/StringTable.h"

namespace quillet::card {

std::string FormatItemText(std::string_view pattern, unsigned item, unsigned total) {
    std::string text;
    const unsigned values[] = {item, total};
    std::size_t used = 0;
    for (std::size_t position = 0; position < pattern.size(); ++position) {
        if (pattern[position] == '%' && position + 1 < pattern.size() && pattern[position + 1] == 'u' && used < 2) {
            text += std::to_string(values[used++]);
            ++position;
        } else {
            text += pattern[position];
        }
    }
    return text;
}

void ProgressWindow::Begin(ProgressOwner owner, std::uint32_t textId, std::uint32_t titleId) {
    if (m_users++ == 0) {
        m_cancelled = false;
        m_ui.OpenProgress(owner);
    }
    m_ui.SetProgressTitle(resources::LoadString(titleId));
    if (textId != 0) {
        m_ui.SetProgressText(resources::LoadString(textId));
    }
}

bool ProgressWindow::Step(std::string_view text, unsigned percent) {
    if (m_users == 0) return true;
    m_ui.SetProgressText(text);
    if (percent <= 100) m_ui.SetProgressPercent(percent);
    if (!m_ui.PumpProgress()) m_cancelled = true;
    return !m_cancelled;
}

bool ProgressWindow::Step(std::uint32_t textId, unsigned percent) {
    return Step(resources::LoadString(textId), percent);
}

void ProgressWindow::End(bool force) {
    if (m_users == 0) return;
    if (force || --m_users == 0) {
        m_users = 0;
        m_ui.CloseProgress();
    }
}

}  // namespace quillet::card
