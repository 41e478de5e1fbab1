#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "app/CommandId.h"

namespace quillet::app {

// The three kinds of editor window the main window keeps, in the order commands look for them.
enum class EditorKind { PhoneBook, FixedDialing, Sms };

// Window open modes of Editor::OpenWindow.
inline constexpr int kOpenEmpty = 0;
inline constexpr int kOpenAndRead = 1;
inline constexpr int kOpenAndOpenFile = 2;
// Bringing an existing window up opens nothing.
inline constexpr int kNoOpenMode = -1;

// Codes of EditorLists::ActivateEditor.
inline constexpr int kActivateFront = 0;
inline constexpr int kActivateNext = 1;
inline constexpr int kActivateNumberBase = 100;

// The main window's view of one editor window (phone book, fixed dialing numbers, SMS). The
// windows implement it with Qt; tests with plain objects.
class Editor {
public:
    virtual ~Editor() = default;

    // Creates the window with its number (0-based) and opens it empty, reading the card
    // (kOpenAndRead) or with its Open File command (kOpenAndOpenFile); −1 counts as empty.
    virtual void OpenWindow(int number, int openMode) = 0;
    // Makes the window the active one (the platform then reports OnEditorActivated).
    virtual void MakeActive() = 0;
    // Passes a command on to the window.
    virtual void SendCommand(CommandId command) = 0;
    // Closes the window, first asking messageId (−1: do not ask) when the confirm setting is on
    // and it holds changes; only Yes closes. A window that closes reports OnEditorClosed before
    // this returns. askedOut tells whether it asked. Returns true when the window refused to close.
    virtual bool CloseWithConfirm(int messageId, bool& askedOut) = 0;
};

// Makes editor objects of a kind; null when it cannot.
class EditorFactory {
public:
    virtual ~EditorFactory() = default;
    virtual std::unique_ptr<Editor> Create(EditorKind kind) = 0;
};

// One entry of an editor list.
struct EditorSlot {
    Editor* window = nullptr;         // an open editor window
    Editor* pendingDelete = nullptr;  // a closed editor whose object goes at the next creation in this list
    int number = -1;                  // window number 0 … capacity − 1; −1 in a slot freed by a closing window
};

// The main window's lists of editor windows: up to three phone-book windows, one fixed-dialing
// window and three SMS windows, front window first, with their window numbers, the rotation of
// "Next", and the one active editor. The lists own every editor object, open or closed, until the
// next creation in the same list or until the lists go.
class EditorLists {
public:
    // updateMenus runs whenever an editor is activated or closed.
    EditorLists(EditorFactory& factory, std::function<void()> updateMenus);
    ~EditorLists();
    EditorLists(const EditorLists&) = delete;
    EditorLists& operator=(const EditorLists&) = delete;

    static std::size_t Capacity(EditorKind kind);

    // code 0: bring the front window (a new one with forceNew or when none is open);
    // 0 < code < 100: step to the next window when the front one is active;
    // 100 + n: the window numbered n, made when it does not exist.
    // Returns the front window of the list, or null.
    Editor* ActivateEditor(EditorKind kind, int code, bool forceNew, int openMode);

    void OnEditorActivated(Editor* editor);
    void OnEditorClosed(EditorKind kind, Editor* editor);

    // Sends the command to the active editor when it is the front window of its list: phone
    // book first, then fixed dialing numbers, then SMS. False when no editor took it.
    bool ForwardToActiveEditor(CommandId command);

    // Closes every editor, asking the close-all question at most once; a refusal leaves that editor and
    // all later ones open.
    void CloseAllEditors();

    Editor* ActiveEditor() const { return m_active; }
    Editor* Front(EditorKind kind) const;
    // The kind of the active editor when it is the front window of its list.
    bool IsActiveFront(EditorKind kind) const;
    std::size_t OpenCount(EditorKind kind) const;
    bool AnyOpen() const;
    const std::vector<EditorSlot>& Slots(EditorKind kind) const;

private:
    struct List;
    List& ListOf(EditorKind kind);
    const List& ListOf(EditorKind kind) const;
    // Puts a new editor numbered `number` at the front of the list and opens it; false when the
    // list is full or the factory failed.
    bool CreateEditor(EditorKind kind, List& list, int number, int openMode);
    void UpdateMenus();

    EditorFactory& m_factory;
    std::function<void()> m_updateMenus;
    Editor* m_active = nullptr;
    std::unique_ptr<std::array<List, 3>> m_lists;
};

}  // namespace quillet::app
