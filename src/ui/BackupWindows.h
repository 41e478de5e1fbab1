#pragma once

class QWidget;

namespace quillet::ui {

class CMainApp;
class CMainFrame;

// "Backup Card": reads the whole card, then asks where to save it.
void RunBackupCard(CMainApp& app, QWidget* owner);
// "Restore Card" (restore) and "Open Backup File" (open into new editor windows).
void RunRestoreFromBackup(CMainApp& app, CMainFrame& frame, bool restore, bool open);

}  // namespace quillet::ui
