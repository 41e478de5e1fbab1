#include "ui/CRestoreCardDlg.h"

namespace quillet::ui {

CRestoreCardDlg::CRestoreCardDlg(QWidget* parent) : QDialog(parent) {}

}  // namespace quillet::ui
