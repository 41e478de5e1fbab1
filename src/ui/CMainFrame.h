#pragma once

#include <QMainWindow>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "app/CommandRouting.h"
#include "app/EditorLists.h"
#include "app/MenuRules.h"
#include "phonebook/PhoneBookEntry.h"

class QAction;
class QMenu;

namespace quillet::ui {

class CMainToolBar;
class GreyClientArea;
class CMainApp;
struct MenuEntry;

// The main window: menu, toolbar and a grey client area. It owns no document; the command router
// opens its dialogs through it or passes commands on to the editor windows it keeps in its lists.
class CMainFrame final : public QMainWindow, private app::CommandTargets {
    Q_OBJECT

public:
    explicit CMainFrame(CMainApp& app);
    ~CMainFrame() override;

    // Carries out a menu, toolbar or accelerator command.
    void OnCommand(app::CommandId command);
    // Enables and disables menu items and toolbar buttons for the active editor.
    void UpdateMenus();
    void CloseAllEditors();
    // Shrinks the window to its caption, menu and toolbar.
    void ShrinkToToolbar();

    // What the editor windows report.
    void OnEditorActivated(app::Editor* editor);
    void OnEditorClosed(app::EditorKind kind, app::Editor* editor);

    app::EditorLists& Editors() override { return *m_editors; }
    // The used entry of the one selected row of the front phone book window, for the message
    // windows' and the SMS parameters' "From Phone Book"; nothing otherwise.
    std::optional<phonebook::PhoneBookEntry> FrontPhoneBookEntry() const;
    // That entry's number as the dialogs show it, with its '+' when international.
    std::optional<std::string> FrontPhoneBookNumber() const;
    // The menu item or the toolbar button of a command (null when it has none).
    QAction* MenuAction(app::CommandId command) const;
    QAction* ToolbarAction(app::CommandId command) const;
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
    app::ActiveEditor ActiveKind() const;
    void ApplyState(QAction* action, app::CommandId command, const app::MenuStates& states) const;

    // What the command router asks of the window.
    bool Offers(app::EditorKind kind) const override;
    bool AutoRead() const override;
    std::optional<app::EditorKind> ChooseFileKind(const std::vector<app::EditorKind>& offered) override;
    void ShowSetup() override;
    void ShowCountryCodes() override;
    void ShowTelephoneCard() override;
    void ActivateFixedDialing() override;
    void ShowSmsParameters() override;
    void RunPinCommand(app::CommandId command) override;
    void ShowNetworkList(bool forbidden) override;
    void BackupCard() override;
    void RestoreFromBackup(bool restore, bool open) override;
    void ShowSimInformation() override;
    void CheckAndRepairCard() override;
    void ShowProgramInfo() override;
    void Exit() override;

    CMainApp& m_app;
    std::unique_ptr<app::EditorLists> m_editors;
    app::CommandRouter m_router;
    GreyClientArea* m_clientArea = nullptr;
    CMainToolBar* m_toolBar = nullptr;
    std::vector<QMenu*> m_topMenus;
    std::map<app::CommandId, QAction*> m_menuActions;
    bool m_exiting = false;
    bool m_painted = false;
};

}  // namespace quillet::ui
