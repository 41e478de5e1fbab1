#pragma once

#include <QDialog>

#include "app/EditorLists.h"

namespace quillet::ui {

class CMainApp;

// The base of the editor windows: a modeless window of the main window that reports its
// activation and closing to it, asks its close question, and offers the clipboard operations
// the list's keys call.
class CDialogEx : public QDialog, public app::Editor {
    Q_OBJECT

public:
    static constexpr int kNoCloseQuestion = -1;

    // `closeQuestion` is the question the window asks before it closes with unsaved changes.
    CDialogEx(CMainApp& app, app::EditorKind kind, int closeQuestion);
    ~CDialogEx() override;

    void MakeActive() override;
    bool CloseWithConfirm(int messageId, bool& askedOut) override;

    virtual void CopyEntries(bool cut) = 0;
    virtual void PasteEntries() = 0;

    // The close routine of the Close button, Escape and the window's own close box.
    void CloseWindow();

protected:
    // The window's own question before it closes with `messageId` (kNoCloseQuestion: none);
    // true when it may close, `asked` set when it asked.
    virtual bool MayClose(int messageId, bool& asked) = 0;
    // Puts the window at the main window's client origin plus the offset for its number.
    void PlaceWindow(QPoint offset);

    void reject() override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

    CMainApp& m_app;

private:
    app::EditorKind m_kind;
    int m_closeQuestion;
    bool m_asked = false;
    bool m_closed = false;
};

}  // namespace quillet::ui
