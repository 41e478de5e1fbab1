#include "ui/PinDialog.h"

#include "reader/SecureWipe.h"
#include "ui/Cp1250.h"
#include "ui_PinDialog.h"

namespace quillet::ui {

PinDialog::PinDialog(const card::PinPrompt& prompt, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::PinDialog>()) {
    m_ui->setupUi(this);
    setObjectName(QStringLiteral("PinDialog%1").arg(prompt.dialogId));
    setWindowTitle(FromCp1250(prompt.title));
    m_ui->codeLabel->setText(FromCp1250(prompt.label));
    m_ui->codeEdit->setMaxLength(static_cast<int>(prompt.maxLength));
}

PinDialog::~PinDialog() { WipeField(); }

// The field is emptied as soon as the code is taken, so it does not stay in the widget. setText
// rather than clear(), which would keep the code in the field's undo history.
void PinDialog::WipeField() {
    m_ui->codeEdit->setText(QString());
    m_ui->codeEdit->setModified(false);
}

std::optional<card::SecretString> PinDialog::AskCode() {
    WipeField();
    if (exec() != QDialog::Accepted) {
        WipeField();
        return std::nullopt;
    }
    std::string bytes = ToCp1250(m_ui->codeEdit->text());
    card::SecretString code(bytes);
    reader::SecureWipe(bytes.data(), bytes.size());
    WipeField();
    return code;
}

}  // namespace quillet::ui
