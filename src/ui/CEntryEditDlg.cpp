#include "ui/CEntryEditDlg.h"

#include <algorithm>
#include <climits>

#include "ui/DialingCodeChoice.h"
#include "ui/DigitFields.h"
#include "ui_CEntryEditDlg.h"

namespace quillet::ui {

CEntryEditDlg::CEntryEditDlg(QWidget* parent, const phonebook::EntryForm& start, std::size_t maxNameLength, Apply apply)
    : QDialog(parent), m_ui(std::make_unique<Ui::CEntryEditDlg>()), m_apply(std::move(apply)) {
    m_ui->setupUi(this);
    AcceptDigitsOnly(m_ui->itemEdit);
    if (maxNameLength > 0)
        m_ui->nameEdit->setMaxLength(static_cast<int>(std::min<std::size_t>(maxNameLength, INT_MAX)));
    // Names are card text, decoded to Unicode; the form carries them as UTF-8.
    m_ui->itemEdit->setText(QString::fromUtf8(start.itemNumber));
    m_ui->nameEdit->setText(QString::fromUtf8(start.name));
    m_ui->numberEdit->setText(QString::fromUtf8(start.number));
    connect(m_ui->dialingCodeButton, &QPushButton::clicked, this,
            [this] { ChooseDialingCode(this, m_ui->numberEdit); });
}

CEntryEditDlg::~CEntryEditDlg() = default;

phonebook::EntryForm CEntryEditDlg::Fields() const {
    return {m_ui->itemEdit->text().toStdString(), m_ui->nameEdit->text().toStdString(),
            m_ui->numberEdit->text().toStdString()};
}

void CEntryEditDlg::accept() {
    if (m_apply && !m_apply(Fields())) return;
    QDialog::accept();
}

}  // namespace quillet::ui
