#include "ui/CRestoreCardDlg.h"

#include "ui_CRestoreCardDlg.h"

namespace quillet::ui {

CRestoreCardDlg::CRestoreCardDlg(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::CRestoreCardDlg>()) {
    m_ui->setupUi(this);
}

CRestoreCardDlg::~CRestoreCardDlg() = default;

backup::RestoreChoice CRestoreCardDlg::Choice() const {
    return {m_ui->phoneBookBox->isChecked(), m_ui->fixedDialingBox->isChecked(), m_ui->messagesBox->isChecked(),
            m_ui->smsParametersBox->isChecked(), m_ui->networksBox->isChecked()};
}

}  // namespace quillet::ui
