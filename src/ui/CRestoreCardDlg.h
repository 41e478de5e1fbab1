#pragma once

#include <QDialog>
#include <memory>

#include "backup/BackupFlows.h"

namespace Ui {
class CRestoreCardDlg;
}

namespace quillet::ui {

// "Quillet! - Restore Card": which parts of a backup to write back, all ticked at first.
class CRestoreCardDlg final : public QDialog {
    Q_OBJECT

public:
    explicit CRestoreCardDlg(QWidget* parent);
    ~CRestoreCardDlg() override;

    backup::RestoreChoice Choice() const;
    Ui::CRestoreCardDlg& Form() { return *m_ui; }

private:
    std::unique_ptr<Ui::CRestoreCardDlg> m_ui;
};

}  // namespace quillet::ui
