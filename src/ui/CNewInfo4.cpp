#include "ui/CNewInfo4.h"

#include "phonebook/PhoneBookTransfer.h"
#include "resources/StringTable.h"
#include "ui/CMainApp.h"
#include "ui/DiallingInfoPage.h"
#include "ui_CNewInfo4.h"

namespace quillet::ui {

CNewInfo4::CNewInfo4(CMainApp& app, QWidget* parent)
    : CTabPageTemplate(app, QString::fromStdString(std::string(resources::LoadString(6103))), parent),
      m_ui(std::make_unique<Ui::CNewInfo4>()) {
    m_ui->setupUi(this);
    PrepareDiallingPage(*m_ui);
}

CNewInfo4::~CNewInfo4() = default;

void CNewInfo4::ClearFields() { ClearDiallingPage(*m_ui); }

std::optional<std::string> CNewInfo4::ReadCard() {
    phonebook::DiallingFileInformation info;
    if (phonebook::ReadDiallingFileInformation(App().Context().Session(), static_cast<QWidget*>(this),
                                               phonebook::kMsisdnFile, info) != reader::result::kOk) {
        return info.failure;
    }
    ShowDiallingPage(*m_ui, info);
    return std::nullopt;
}

}  // namespace quillet::ui
