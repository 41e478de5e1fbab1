#include "ui/CTabPageTemplate.h"

#include "ui/MessageBoxes.h"

namespace quillet::ui {

CTabPageTemplate::CTabPageTemplate(CMainApp& app, QString title, QWidget* parent)
    : QWidget(parent), m_app(app), m_title(std::move(title)) {}

void CTabPageTemplate::Refresh() {
    ClearFields();
    repaint();
    const std::optional<std::string> failure = ReadCard();
    if (!failure) {
        m_stale = false;
        return;
    }
    ShowMessageBox(this, *failure, card::MessageIcon::Error);
}

}  // namespace quillet::ui
