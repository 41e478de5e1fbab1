#include "ui/CNewInfo2.h"

#include <QLineEdit>

#include "card/SimInformation.h"
#include "resources/StringTable.h"
#include "ui/CMainApp.h"
#include "ui_CNewInfo2.h"

namespace quillet::ui {

namespace {

constexpr std::uint32_t kTitle = 6101;  // "Phone Book and SMS"

void Put(QLineEdit* field, const std::string& text) { field->setText(QString::fromStdString(text)); }

}  // namespace

CNewInfo2::CNewInfo2(CMainApp& app, QWidget* parent)
    : CTabPageTemplate(app, QString::fromStdString(std::string(resources::LoadString(kTitle))), parent),
      m_ui(std::make_unique<Ui::CNewInfo2>()) {
    m_ui->setupUi(this);
}

CNewInfo2::~CNewInfo2() = default;

void CNewInfo2::ClearFields() {
    for (QLineEdit* field : findChildren<QLineEdit*>()) field->clear();
}

std::optional<std::string> CNewInfo2::ReadCard() {
    card::CapacityInformation info;
    const reader::ReaderResult code =
        card::ReadCapacityInformation(App().Context().Session(), static_cast<QWidget*>(this), info);
    if (code != reader::result::kOk) return card::InformationErrorText(code);
    Put(m_ui->phoneBookItemsEdit, info.phoneBookItems);
    Put(m_ui->phoneBookNameEdit, info.phoneBookNameLength);
    Put(m_ui->fdnItemsEdit, info.fdnItems);
    Put(m_ui->fdnNameEdit, info.fdnNameLength);
    Put(m_ui->smsItemsEdit, info.smsItems);
    return std::nullopt;
}

}  // namespace quillet::ui
