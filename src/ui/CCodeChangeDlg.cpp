#include "ui/CCodeChangeDlg.h"

#include <array>

#include "card/PinCommands.h"
#include "reader/SecureWipe.h"
#include "resources/StringTable.h"
#include "ui/Cp1250.h"
#include "ui/MessageBoxes.h"
#include "ui_CCodeChangeDlg.h"

namespace quillet::ui {

namespace {

// What each form of the dialog shows.
struct CodeDialogLayout {
    card::CodeForm form;
    const char* title;
    const char* codeLabel;
    const char* newCodeLabel;
    const char* againLabel;
};

constexpr std::array kLayouts{
    CodeDialogLayout{card::CodeForm::ChangePin, "Quillet! - Change PIN",
                     "Enter old PIN: ", "Enter new PIN: ", "Re-enter new PIN: "},
    CodeDialogLayout{card::CodeForm::ChangePin2, "Quillet! - Change PIN2",
                     "Enter old PIN2: ", "Enter new PIN2: ", "Re-enter new PIN2: "},
    CodeDialogLayout{card::CodeForm::UnblockPin, "Quillet! - Enter PUK",
                     "Enter PUK: ", "Enter new PIN: ", "Re-enter new PIN: "},
    CodeDialogLayout{card::CodeForm::UnblockPin2, "Quillet! - Enter PUK2",
                     "Enter PUK2: ", "Enter new PIN2: ", "Re-enter PIN2: "},
};

const CodeDialogLayout& LayoutOf(card::CodeForm form) {
    for (const CodeDialogLayout& layout : kLayouts) {
        if (layout.form == form) return layout;
    }
    return kLayouts.front();
}

// setText rather than clear(), which would keep the code in the field's undo history.
void WipeField(QLineEdit* field) {
    field->setText(QString());
    field->setModified(false);
}

card::SecretString FieldCode(const QLineEdit* field) {
    std::string bytes = ToCp1250(field->text());
    card::SecretString code(bytes);
    reader::SecureWipe(bytes.data(), bytes.size());
    return code;
}

}  // namespace

CCodeChangeDlg::CCodeChangeDlg(card::CodeForm form, QWidget* parent)
    : QDialog(parent), m_form(form), m_ui(std::make_unique<Ui::CCodeChangeDlg>()) {
    m_ui->setupUi(this);
    const CodeDialogLayout& layout = LayoutOf(form);
    setObjectName(QStringLiteral("CCodeChangeDlg%1").arg(static_cast<std::uint32_t>(form)));
    setWindowTitle(QString::fromLatin1(layout.title));
    m_ui->codeLabel->setText(QString::fromLatin1(layout.codeLabel));
    m_ui->newCodeLabel->setText(QString::fromLatin1(layout.newCodeLabel));
    m_ui->againLabel->setText(QString::fromLatin1(layout.againLabel));
}

CCodeChangeDlg::~CCodeChangeDlg() { WipeFields(); }

bool CCodeChangeDlg::IsUnblock() const {
    return m_form == card::CodeForm::UnblockPin || m_form == card::CodeForm::UnblockPin2;
}

void CCodeChangeDlg::WipeFields() {
    for (QLineEdit* field : {m_ui->codeEdit, m_ui->newCodeEdit, m_ui->againEdit}) WipeField(field);
}

std::optional<card::CodeChange> CCodeChangeDlg::AskCodes() {
    WipeFields();
    m_codes.reset();
    exec();
    WipeFields();
    std::optional<card::CodeChange> codes = m_codes;
    m_codes.reset();
    return codes;
}

void CCodeChangeDlg::accept() {
    const card::SecretString code = FieldCode(m_ui->codeEdit);
    const card::SecretString newCode = FieldCode(m_ui->newCodeEdit);
    const card::SecretString again = FieldCode(m_ui->againEdit);
    if (IsUnblock()) {
        // The unblocking code is the card's to judge; a new code typed wrong is typed again.
        if (const std::optional<std::uint32_t> refusal = card::CheckUnblockCodes(newCode.View(), again.View())) {
            ShowMessageBox(this, resources::LoadString(*refusal), card::MessageIcon::Exclamation);
            WipeField(m_ui->newCodeEdit);
            WipeField(m_ui->againEdit);
            m_ui->newCodeEdit->setFocus();
            return;
        }
    } else if (const std::optional<std::uint32_t> refusal =
                   card::CheckChangedCodes(code.View(), newCode.View(), again.View())) {
        ShowMessageBox(this, resources::LoadString(*refusal), card::MessageIcon::Error);
        return;
    }
    m_codes = card::CodeChange{code, newCode};
    QDialog::accept();
}

}  // namespace quillet::ui
