#include "ui/BackupWindows.h"

namespace quillet::ui {

void RunBackupCard(CMainApp&, QWidget*) {}
void RunRestoreFromBackup(CMainApp&, CMainFrame&, bool, bool) {}

}  // namespace quillet::ui
