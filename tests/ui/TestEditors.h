#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/EditorLists.h"
#include "resources/StringTable.h"
#include "ui/CMainApp.h"
#include "ui/CMainFrame.h"
#include "ui/MessageBoxes.h"

namespace quillet::testing {

// A stand-in editor window: it records what the main window asks of it, reports activation and
// closing back the way a real window does, and asks its close question through a real message box.
class TestEditor final : public app::Editor {
public:
    TestEditor(ui::CMainApp& app, app::EditorKind editorKind, int& destroyed)
        : m_app(app), m_frame(*app.Frame()), kind(editorKind), m_destroyed(destroyed) {}
    // A window reports that it closed even while it is being destroyed.
    ~TestEditor() override {
        ++m_destroyed;
        m_frame.OnEditorClosed(kind, this);
    }

    void OpenWindow(int windowNumber, int openMode) override {
        number = windowNumber;
        mode = openMode;
    }
    void MakeActive() override { m_frame.OnEditorActivated(this); }
    void SendCommand(app::CommandId command) override { commands.push_back(command); }
    bool CloseWithConfirm(int messageId, bool& askedOut) override {
        askedOut = false;
        if (changed && messageId != -1 && m_app.Settings().confirm != 0) {
            askedOut = true;
            const card::Answer answer =
                ui::AskQuestionBox(&m_frame, resources::LoadString(static_cast<std::uint32_t>(messageId)),
                                   card::QuestionButtons::YesNoCancel);
            if (answer != card::Answer::Yes) return true;
        }
        closed = true;
        m_frame.OnEditorClosed(kind, this);
        return false;
    }

    ui::CMainApp& m_app;
    ui::CMainFrame& m_frame;
    app::EditorKind kind;
    int& m_destroyed;
    int number = -1;
    int mode = -2;
    bool changed = false;
    bool closed = false;
    std::vector<app::CommandId> commands;
};

// Offers every kind of editor window and keeps a view of each one it made.
class TestEditorCatalog final : public ui::EditorCatalog {
public:
    bool Offers(app::EditorKind) const override { return true; }
    std::unique_ptr<app::Editor> Create(app::EditorKind kind) override {
        auto editor = std::make_unique<TestEditor>(*app, kind, destroyed);
        made.push_back(editor.get());
        return editor;
    }

    ui::CMainApp* app = nullptr;
    std::vector<TestEditor*> made;
    int destroyed = 0;
};

}  // namespace quillet::testing
