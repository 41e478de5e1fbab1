// Editor windows for tests: plain objects that record what the lists and the command routing ask
// of them and report back to the lists the way real windows do.
#pragma once

#include <memory>
#include <ostream>
#include <vector>

#include "app/EditorLists.h"

namespace quillet::app {

using Commands = std::vector<CommandId>;

// Failures show commands by their number.
inline void PrintTo(CommandId command, std::ostream* out) { *out << static_cast<int>(command); }

// What the editors report, kept apart so that destructions after the lists are counted too.
struct Journal {
    int created = 0;
    int destroyed = 0;
    std::vector<int> questions;
    bool answerYes = true;
};

// An editor that records its calls and, like the platform, reports activation and closing back
// to the lists before returning.
class TestEditor final : public Editor {
public:
    TestEditor(EditorKind kind, EditorLists& lists, Journal& journal)
        : m_kind(kind), m_lists(lists), m_journal(journal) {}
    ~TestEditor() override { ++m_journal.destroyed; }

    void OpenWindow(int openedNumber, int openedMode) override {
        number = openedNumber;
        mode = openedMode;
    }
    void MakeActive() override {
        ++activations;
        m_lists.OnEditorActivated(this);
    }
    void SendCommand(CommandId command) override { commands.push_back(command); }
    bool CloseWithConfirm(int messageId, bool& askedOut) override {
        askedOut = messageId != -1 && changed;
        if (askedOut) {
            m_journal.questions.push_back(messageId);
            if (!m_journal.answerYes) {
                return true;
            }
        }
        m_lists.OnEditorClosed(m_kind, this);
        closed = true;  // the object must outlive its own close report
        return false;
    }

    int number = -1, mode = -2, activations = 0;
    bool changed = false, closed = false;
    std::vector<CommandId> commands;

private:
    EditorKind m_kind;
    EditorLists& m_lists;
    Journal& m_journal;
};

// The main window's side: makes the test editors and counts menu updates.
struct Shell final : EditorFactory {
    explicit Shell(Journal& shared) : journal(shared) {}
    std::unique_ptr<Editor> Create(EditorKind kind) override {
        ++journal.created;
        return std::make_unique<TestEditor>(kind, lists, journal);
    }

    TestEditor* Activate(EditorKind kind, int code, bool forceNew = false, int mode = -1) {
        return static_cast<TestEditor*>(lists.ActivateEditor(kind, code, forceNew, mode));
    }
    TestEditor* New(EditorKind kind, int mode = kOpenEmpty) { return Activate(kind, 0, true, mode); }
    // Window numbers of the open windows, front first.
    std::vector<int> Numbers(EditorKind kind) const {
        std::vector<int> numbers;
        for (const EditorSlot& slot : lists.Slots(kind)) {
            if (slot.window != nullptr) {
                numbers.push_back(slot.number);
            }
        }
        return numbers;
    }

    Journal& journal;
    int menuUpdates = 0;
    EditorLists lists{*this, [this] { ++menuUpdates; }};
};

}  // namespace quillet::app
