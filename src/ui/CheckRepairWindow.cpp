#include "ui/CheckRepairWindow.h"

#include "card/CheckRepairCommand.h"
#include "ui/CCheckCardDlg.h"
#include "ui/CMainApp.h"

namespace quillet::ui {

void RunCheckAndRepair(CMainApp& app, QWidget* owner) {
    card::CheckAndRepairCard(app.Context().Session(), owner, [owner](const card::CheckReports& reports) {
        CCheckCardDlg dialog(owner, reports);
        return dialog.exec() == QDialog::Accepted;
    });
}

}  // namespace quillet::ui
