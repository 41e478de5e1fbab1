#include "ui/CAddCodeDlg.h"

#include "ui/DialingCodeChoice.h"
#include "ui/DigitFields.h"
#include "ui_CAddCodeDlg.h"

namespace quillet::ui {

CAddCodeDlg::CAddCodeDlg(QWidget* parent, phonebook::ItemRange start, Apply apply)
    : QDialog(parent), m_ui(std::make_unique<Ui::CAddCodeDlg>()), m_form(start), m_apply(std::move(apply)) {
    m_ui->setupUi(this);
    AcceptDigitsOnly(m_ui->fromEdit);
    AcceptDigitsOnly(m_ui->toEdit);
    const phonebook::AddCodeRequest& request = m_form.Request();
    m_ui->codeEdit->setText(QString::fromStdString(request.code));
    m_ui->fromEdit->setText(QString::number(request.range.from));
    m_ui->toEdit->setText(QString::number(request.range.to));
    m_ui->forAllNumbersBox->setChecked(request.forAllNumbers);
    m_ui->addToEndBox->setChecked(request.addToEnd);
    connect(m_ui->addToEndBox, &QCheckBox::toggled, this, [this](bool on) {
        // The form decides what the switch does to the code and the other box.
        phonebook::AddCodeRequest& fields = m_form.Request();
        fields.code = m_ui->codeEdit->text().toStdString();
        fields.forAllNumbers = m_ui->forAllNumbersBox->isChecked();
        m_form.SetAddToEnd(on);
        m_ui->codeEdit->setText(QString::fromStdString(fields.code));
        m_ui->forAllNumbersBox->setChecked(fields.forAllNumbers);
        m_ui->forAllNumbersBox->setEnabled(m_form.ForAllNumbersEnabled());
    });
    connect(m_ui->fromDatabaseButton, &QPushButton::clicked, this, [this] { ChooseDialingCode(this, m_ui->codeEdit); });
}

CAddCodeDlg::~CAddCodeDlg() = default;

phonebook::AddCodeRequest CAddCodeDlg::Request() const {
    phonebook::AddCodeRequest request = m_form.Request();
    request.code = m_ui->codeEdit->text().toStdString();
    request.range = {DigitFieldValue(m_ui->fromEdit), DigitFieldValue(m_ui->toEdit)};
    request.forAllNumbers = m_ui->forAllNumbersBox->isChecked();
    request.addToEnd = m_ui->addToEndBox->isChecked();
    return request;
}

void CAddCodeDlg::accept() {
    if (m_apply && !m_apply(Request())) return;
    QDialog::accept();
}

}  // namespace quillet::ui
