#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/EditorLists.h"
#include "resources/StringTable.h"
#include "ui/MainApp.h"
#include "ui/MainFrame.h"
#include "ui/MessageBoxes.h"

namespace quillet::testing {

// A stand-in editor window: it records what the main window asks of it, reports activation and
// closing back the way a real window does, and asks its close question through a real message box.
class TestEditor final : public app::Editor {
public:
    TestEditor(ui::MainApp& app, app::EditorKind kind) : m_app(app), kind(kind) {}

    void OpenWindow(int windowNumber, int openMode) override {
        number = windowNumber;
        mode = openMode;
    }
    void MakeActive() override { m_app.Frame()->OnEditorActivated(this); }
    void SendCommand(int commandId) override { commands.push_back(commandId); }
    bool CloseWithConfirm(int messageId, bool& askedOut) override {
        askedOut = false;
        if (changed && messageId != -1 && m_app.Settings().confirm != 0) {
            askedOut = true;
            const card::Answer answer = ui::AskQuestionBox(
                m_app.Frame(), resources::LoadString(static_cast<std::uint32_t>(messageId)),
                card::QuestionButtons::YesNoCancel);
            if (answer != card::Answer::Yes) return true;
        }
        closed = true;
        m_app.Frame()->OnEditorClosed(kind, this);
        return false;
    }

    ui::MainApp& m_app;
    app::EditorKind kind;
    int number = -1;
    int mode = -2;
    bool changed = false;
    bool closed = false;
    std::vector<int> commands;
};

// Offers every kind of editor window and keeps a view of each one it made.
class TestEditorCatalog final : public ui::EditorCatalog {
public:
    bool Offers(app::EditorKind) const override { return true; }
    std::unique_ptr<app::Editor> Create(app::EditorKind kind) override {
        auto editor = std::make_unique<TestEditor>(*app, kind);
        made.push_back(editor.get());
        return editor;
    }

    ui::MainApp* app = nullptr;
    std::vector<TestEditor*> made;
};

}  // namespace quillet::testing
