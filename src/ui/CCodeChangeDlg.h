#pragma once

#include <QDialog>

namespace quillet::ui {

// The three-field code dialogs: Change PIN, Change PIN2, Enter PUK, Enter PUK2.
class CCodeChangeDlg final : public QDialog {
    Q_OBJECT

public:
    explicit CCodeChangeDlg(QWidget* parent);
};

}  // namespace quillet::ui
