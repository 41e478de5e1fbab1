#include "ui/EditorWindows.h"

#include "ui/CFdnEdDlg.h"
#include "ui/CSezEdDlg.h"
#include "ui/CSmsEdDlg.h"

namespace quillet::ui {

bool EditorWindows::Offers(app::EditorKind kind) const {
    return kind == app::EditorKind::PhoneBook || kind == app::EditorKind::FixedDialing || kind == app::EditorKind::Sms;
}

std::unique_ptr<app::Editor> EditorWindows::Create(app::EditorKind kind) {
    switch (kind) {
        case app::EditorKind::PhoneBook:
            return std::make_unique<CSezEdDlg>(m_app);
        case app::EditorKind::FixedDialing:
            return std::make_unique<CFdnEdDlg>(m_app);
        case app::EditorKind::Sms:
            return std::make_unique<CSmsEdDlg>(m_app);
    }
    return nullptr;
}

}  // namespace quillet::ui
