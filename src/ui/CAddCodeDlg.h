#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "phonebook/Internationalize.h"

namespace Ui {
class CAddCodeDlg;
}

namespace quillet::ui {

// "Quillet! - Dialing Code": a code to put in front of or behind the numbers of a range, with the
// coupling of its two check boxes kept by AddCodeForm. OK hands the request to `apply`; the dialog
// stays open while it refuses.
class CAddCodeDlg final : public QDialog {
    Q_OBJECT

public:
    using Apply = std::function<bool(const phonebook::AddCodeRequest&)>;

    CAddCodeDlg(QWidget* parent, phonebook::ItemRange start, Apply apply);
    ~CAddCodeDlg() override;

    phonebook::AddCodeRequest Request() const;

    void accept() override;

private:
    std::unique_ptr<Ui::CAddCodeDlg> m_ui;
    phonebook::AddCodeForm m_form;
    Apply m_apply;
};

}  // namespace quillet::ui
