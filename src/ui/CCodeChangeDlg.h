#pragma once

#include <QDialog>
#include <memory>
#include <optional>

#include "card/UserInterface.h"

class QLineEdit;

namespace Ui {
class CCodeChangeDlg;
}

namespace quillet::ui {

// The three-field code dialogs: Change PIN, Change PIN2, Enter PUK, Enter PUK2. Each field is a
// password field of at most eight characters; OK checks the codes before the dialog may close, so
// codes it refuses never reach the card.
class CCodeChangeDlg final : public QDialog {
    Q_OBJECT

public:
    CCodeChangeDlg(card::CodeForm form, QWidget* parent);
    ~CCodeChangeDlg() override;

    // Runs the dialog; nothing when the user closes it. The fields are wiped either way.
    std::optional<card::CodeChange> AskCodes();

    void accept() override;

private:
    bool IsUnblock() const;
    void WipeFields();

    card::CodeForm m_form;
    std::unique_ptr<Ui::CCodeChangeDlg> m_ui;
    std::optional<card::CodeChange> m_codes;
};

}  // namespace quillet::ui
