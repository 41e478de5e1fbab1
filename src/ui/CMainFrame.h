#pragma once

#include <QMainWindow>
#include <map>
#include <memory>

#include "app/EditorLists.h"
#include "app/MenuRules.h"

class QAction;
class QMenu;

namespace quillet::ui {

class CMainToolBar;
class GreyClientArea;
class CMainApp;
struct MenuEntry;

// The main window: menu, toolbar and a grey client area. It owns no document; it opens its own
// dialogs or passes commands on to the editor windows it keeps in its lists.
class CMainFrame final : public QMainWindow {
    Q_OBJECT

public:
    explicit CMainFrame(CMainApp& app);
    ~CMainFrame() override;

    // Carries out a menu, toolbar or accelerator command.
    void OnCommand(int commandId);
    // Enables and disables menu items and toolbar buttons for the active editor.
    void UpdateMenus();
    void CloseAllEditors();
    // Shrinks the window to its caption, menu and toolbar.
    void ShrinkToToolbar();

    // What the editor windows report.
    void OnEditorActivated(app::Editor* editor);
    void OnEditorClosed(app::EditorKind kind, app::Editor* editor);

    app::EditorLists& Editors() { return *m_editors; }
    // The menu item or the toolbar button of a command (null when it has none).
    QAction* MenuAction(int commandId) const;
    QAction* ToolbarAction(int commandId) const;
    QMenu* TopMenu(int position) const;
    CMainToolBar* ToolBar() const { return m_toolBar; }
    GreyClientArea* ClientArea() const { return m_clientArea; }

signals:
    void FirstPainted();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::unique_ptr<app::EditorLists> NewEditorLists();
    void DropEditors();
    void BuildMenus();
    void BuildToolBar();
    void BuildAccelerators();
    QMenu* AddMenu(QWidget* parent, const MenuEntry& entry);
    bool Available(int commandId) const;
    int AutoReadMode() const;
    app::ActiveEditor ActiveKind() const;
    void ApplyState(QAction* action, int commandId, const app::MenuStates& states) const;

    void ShowEditor(app::EditorKind kind);
    void NewEditor(app::EditorKind kind);
    void SendToFront(app::EditorKind kind, int commandId);
    void ShowWindowNumber(app::EditorKind kind, int number);
    void NextWindow(app::EditorKind kind);
    // Sends the active editor its command: the phone-book one to a phone-book or fixed-dialing
    // window, the SMS one to an SMS window. False when no editor is active.
    bool SendByActiveKind(int phoneBookCommand, int smsCommand);
    void OpenFileFromToolBar();
    void ShowSetup();
    void ShowCountryCodes();
    void ShowTelephoneCard();
    void ShowProgramInfo();

    CMainApp& m_app;
    std::unique_ptr<app::EditorLists> m_editors;
    GreyClientArea* m_clientArea = nullptr;
    CMainToolBar* m_toolBar = nullptr;
    std::vector<QMenu*> m_topMenus;
    std::map<int, QAction*> m_menuActions;
    bool m_exiting = false;
    bool m_painted = false;
};

}  // namespace quillet::ui
