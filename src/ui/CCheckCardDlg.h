#pragma once

#include <QDialog>
#include <memory>

#include "card/CheckRepairCommand.h"

namespace Ui {
class CCheckCardDlg;
}

namespace quillet::ui {

// "Quillet! - Check SIM Card": the card report, brief at first, with a button that switches to the
// detailed report and back. "&Repair Errors" (accepting the dialog) is offered only when the check
// found something to repair.
class CCheckCardDlg final : public QDialog {
    Q_OBJECT

public:
    CCheckCardDlg(QWidget* parent, const card::CheckReports& reports);
    ~CCheckCardDlg() override;

    bool ShowsDetails() const { return m_showDetails; }
    Ui::CCheckCardDlg& Form() { return *m_ui; }

private:
    void ToggleDetails();
    void ShowReport();

    std::unique_ptr<Ui::CCheckCardDlg> m_ui;
    QString m_brief;
    QString m_detailed;
    bool m_showDetails = false;
    bool m_errorsFound;
};

}  // namespace quillet::ui
