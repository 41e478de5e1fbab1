#pragma once

#include <QDialog>

namespace quillet::ui {

// "Quillet! - Select Network": one slot of a network list, by operator name or by MCC and MNC.
class CSelectNetworkDlg final : public QDialog {
    Q_OBJECT

public:
    explicit CSelectNetworkDlg(QWidget* parent);
};

}  // namespace quillet::ui
