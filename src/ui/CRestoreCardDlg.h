#pragma once

#include <QDialog>

namespace quillet::ui {

// "Quillet! - Restore Card": which parts of a backup to write back.
class CRestoreCardDlg final : public QDialog {
    Q_OBJECT

public:
    explicit CRestoreCardDlg(QWidget* parent);
};

}  // namespace quillet::ui
