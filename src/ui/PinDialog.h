#pragma once

#include <QDialog>
#include <memory>
#include <optional>

#include "card/SecretString.h"
#include "card/UserInterface.h"

namespace Ui {
class PinDialog;
}

namespace quillet::ui {

// The one-code dialogs "Quillet! - Enter PIN" and "Quillet! - Enter PIN2": a password field of at
// most eight characters. OK accepts any text; the card decides.
class PinDialog final : public QDialog {
    Q_OBJECT

public:
    PinDialog(const card::PinPrompt& prompt, QWidget* parent);
    ~PinDialog() override;

    // Runs the dialog; nothing when the user closes it. The field is wiped either way.
    std::optional<card::SecretString> AskCode();

private:
    void WipeField();

    std::unique_ptr<Ui::PinDialog> m_ui;
};

}  // namespace quillet::ui
