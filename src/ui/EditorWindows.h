#pragma once

#include "ui/CMainApp.h"

namespace quillet::ui {

// The editor windows of the program: the phone book windows, the fixed dialling numbers window and
// the message windows.
class EditorWindows final : public EditorCatalog {
public:
    explicit EditorWindows(CMainApp& app) : m_app(app) {}

    bool Offers(app::EditorKind kind) const override;
    std::unique_ptr<app::Editor> Create(app::EditorKind kind) override;

private:
    CMainApp& m_app;
};

}  // namespace quillet::ui
