#include "ui/EditorWindows.h"

#include "ui/CSezEdDlg.h"

namespace quillet::ui {

bool EditorWindows::Offers(app::EditorKind kind) const { return kind == app::EditorKind::PhoneBook; }

std::unique_ptr<app::Editor> EditorWindows::Create(app::EditorKind kind) {
    if (kind != app::EditorKind::PhoneBook) return nullptr;
    return std::make_unique<CSezEdDlg>(m_app);
}

}  // namespace quillet::ui
