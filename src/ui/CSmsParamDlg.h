#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class CSmsParamDlg;
}

namespace quillet::ui {

class CMainApp;

// "Quillet! - Edit SMS Parameters": the default SMS centre and validity period that new messages
// take, read from and written to the card's SMS parameters; OK keeps them in the settings.
class CSmsParamDlg final : public QDialog {
    Q_OBJECT

public:
    CSmsParamDlg(CMainApp& app, QWidget* parent);
    ~CSmsParamDlg() override;

private:
    CMainApp& m_app;
};

}  // namespace quillet::ui
