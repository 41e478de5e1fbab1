#pragma once

#include <QDialog>

namespace quillet::ui {

class CMainApp;

// "Quillet! - Information About SIM Card": what the card is and holds, on four tab pages.
class CSimInfoDlg final : public QDialog {
    Q_OBJECT

public:
    CSimInfoDlg(CMainApp& app, QWidget* parent);

private:
    CMainApp& m_app;
};

}  // namespace quillet::ui
