#pragma once

class QWidget;

namespace quillet::ui {

class CMainApp;

// "Check and Repair SIM": loads the card's files, shows the report and repairs on request.
void RunCheckAndRepair(CMainApp& app, QWidget* owner);

}  // namespace quillet::ui
