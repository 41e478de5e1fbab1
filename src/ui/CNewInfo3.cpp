#include "ui/CNewInfo3.h"

#include "phonebook/PhoneBookTransfer.h"
#include "resources/StringTable.h"
#include "ui/CMainApp.h"
#include "ui/DiallingInfoPage.h"
#include "ui_CNewInfo3.h"

namespace quillet::ui {

CNewInfo3::CNewInfo3(CMainApp& app, QWidget* parent)
    : CTabPageTemplate(app, QString::fromStdString(std::string(resources::LoadString(6102))), parent),
      m_ui(std::make_unique<Ui::CNewInfo3>()) {
    m_ui->setupUi(this);
    PrepareDiallingPage(*m_ui);
}

CNewInfo3::~CNewInfo3() = default;

void CNewInfo3::ClearFields() { ClearDiallingPage(*m_ui); }

std::optional<std::string> CNewInfo3::ReadCard() {
    phonebook::DiallingFileInformation info;
    if (phonebook::ReadDiallingFileInformation(App().Context().Session(), static_cast<QWidget*>(this),
                                               phonebook::kLndFile, info) != reader::result::kOk) {
        return info.failure;
    }
    ShowDiallingPage(*m_ui, info);
    return std::nullopt;
}

}  // namespace quillet::ui
