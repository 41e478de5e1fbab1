#include "ui/CNetworkListDlg.h"

namespace quillet::ui {

CNetworkListDlg::CNetworkListDlg(CMainApp&, bool, QWidget* parent) : QDialog(parent) {}

}  // namespace quillet::ui
