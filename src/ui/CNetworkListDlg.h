#pragma once

#include <QDialog>

namespace quillet::ui {

class CMainApp;

// "Quillet! - Preferred Networks" / "Quillet! - Forbidden Networks": the card's network list.
class CNetworkListDlg final : public QDialog {
    Q_OBJECT

public:
    CNetworkListDlg(CMainApp& app, bool forbidden, QWidget* parent);
};

}  // namespace quillet::ui
