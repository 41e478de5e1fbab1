#include "ui/CCodeChangeDlg.h"

namespace quillet::ui {

CCodeChangeDlg::CCodeChangeDlg(QWidget* parent) : QDialog(parent) {}

}  // namespace quillet::ui
