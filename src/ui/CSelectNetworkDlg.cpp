#include "ui/CSelectNetworkDlg.h"

namespace quillet::ui {

CSelectNetworkDlg::CSelectNetworkDlg(QWidget* parent) : QDialog(parent) {}

}  // namespace quillet::ui
