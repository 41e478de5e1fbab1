#include "ui/CheckRepairWindow.h"

namespace quillet::ui {

void RunCheckAndRepair(CMainApp&, QWidget*) {}

}  // namespace quillet::ui
