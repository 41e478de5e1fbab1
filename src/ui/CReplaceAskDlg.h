#pragma once

#include <QDialog>
#include <memory>

#include "phonebook/FindReplace.h"

namespace Ui {
class CReplaceAskDlg;
}

namespace quillet::ui {

// "Quillet! - Replacing Entries": asked before a replace changes an entry. Closing the window
// counts as Cancel.
class CReplaceAskDlg final : public QDialog {
    Q_OBJECT

public:
    explicit CReplaceAskDlg(QWidget* parent);
    ~CReplaceAskDlg() override;

    // Shows the question and waits for the answer.
    phonebook::ReplaceAnswer Ask();

private:
    std::unique_ptr<Ui::CReplaceAskDlg> m_ui;
};

}  // namespace quillet::ui
