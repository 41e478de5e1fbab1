#include "ui/CFdnEdDlg.h"

#include "ui_CSezEdDlg.h"

namespace quillet::ui {

CFdnEdDlg::CFdnEdDlg(CMainApp& app) : CSezEdDlg(app, app::EditorKind::FixedDialing, phonebook::kFixedDialingBook) {
    Form().fdnActiveBox->show();
    Form().clearAllButton->setText(QStringLiteral("&Delete All"));
}

CFdnEdDlg::~CFdnEdDlg() = default;

QString CFdnEdDlg::TitleOf(int number) const {
    return QStringLiteral("Quillet! - Fixed Dialing Numbers - Phone Book - [%1]").arg(number + 1);
}

QPoint CFdnEdDlg::OffsetOf(int number) const { return {90 + 20 * number, 50 + 20 * number}; }

void CFdnEdDlg::AfterRead() { Form().fdnActiveBox->setChecked(Table().FdnActive()); }

}  // namespace quillet::ui
