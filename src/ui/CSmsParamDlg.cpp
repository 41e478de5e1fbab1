#include "ui/CSmsParamDlg.h"

#include <QButtonGroup>
#include <algorithm>
#include <array>

#include "app/AppSettings.h"
#include "card/DialNumbers.h"
#include "resources/StringTable.h"
#include "sms/SmsParameters.h"
#include "sms/SmsTimeValue.h"
#include "ui/CMainApp.h"
#include "ui/CMainFrame.h"
#include "ui/MessageBoxes.h"
#include "ui_CSmsParamDlg.h"

namespace quillet::ui {

namespace {

constexpr std::uint32_t kNoParameters = 57345;      // "No SMS parameters in card"
constexpr std::uint32_t kBadCentreToWrite = 57347;  // "Badly-entered SMS center number"
constexpr std::uint32_t kNoPhoneBookEntry = 57348;  // "Current entry from phone book window is not available!"
constexpr std::uint32_t kBadCentreToKeep = 57349;   // "Badly-entered SMS center number"
constexpr const char* kReadingTitle = "Quillet! - Reading SMS Parameters";
constexpr const char* kWritingTitle = "Quillet! - Writing SMS Parameters";

// The choice a stored validity byte falls under; a value that is no byte has none.
int ChoiceOfValidityByte(int validity) {
    if (validity < 0 || validity > 255) return -1;
    sms::SmsTimeValue value{};
    value.validity = static_cast<std::uint8_t>(validity);
    std::array<char, 16> text{};
    const std::size_t length = sms::FormatDateOrValidity(value, text);
    return sms::ValidityChoiceOf(std::string_view(text.data(), std::min(length, text.size())), false);
}

// The relative validity byte of a choice, 0 for none.
int ValidityByteOfChoice(int choice) {
    sms::SmsTimeValue value{};
    return sms::ParseDateOrValidity(sms::ValidityChoiceText(choice), value) && !value.isDate ? value.validity : 0;
}

}  // namespace

CSmsParamDlg::CSmsParamDlg(CMainApp& app, QWidget* parent)
    : QDialog(parent), m_app(app), m_ui(std::make_unique<Ui::CSmsParamDlg>()), m_choices(new QButtonGroup(this)) {
    m_ui->setupUi(this);
    m_choices->addButton(m_ui->hourRadio, 0);
    m_choices->addButton(m_ui->dayRadio, 1);
    m_choices->addButton(m_ui->weekRadio, 2);
    m_choices->addButton(m_ui->maximumRadio, 3);

    const bool hasReader = m_app.Context().Reader() != nullptr;
    m_ui->readButton->setEnabled(hasReader);
    m_ui->writeButton->setEnabled(hasReader);
    m_ui->fromPhoneBookButton->setEnabled(m_app.Frame() != nullptr && m_app.Frame()->FrontPhoneBookEntry());
    connect(m_ui->readButton, &QPushButton::clicked, this, &CSmsParamDlg::ReadFromSim);
    connect(m_ui->writeButton, &QPushButton::clicked, this, &CSmsParamDlg::WriteToSim);
    connect(m_ui->fromPhoneBookButton, &QPushButton::clicked, this, &CSmsParamDlg::TakeFromPhoneBook);

    const app::AppSettings& settings = m_app.Settings();
    m_ui->centreEdit->setText(QString::fromStdString(settings.serviceCentre));
    SetChoice(ChoiceOfValidityByte(settings.validityPeriod));
    // The card's parameters replace the stored ones at once; without a reader the worker says so.
    ReadFromSim();
}

CSmsParamDlg::~CSmsParamDlg() = default;

int CSmsParamDlg::Choice() const { return m_choices->checkedId(); }

void CSmsParamDlg::SetChoice(int choice) {
    if (QAbstractButton* button = m_choices->button(choice)) {
        button->setChecked(true);
        return;
    }
    // An exclusive group keeps one button checked: let go of it to show no choice.
    m_choices->setExclusive(false);
    for (QAbstractButton* button : m_choices->buttons()) button->setChecked(false);
    m_choices->setExclusive(true);
}

std::string CSmsParamDlg::Centre() const { return m_ui->centreEdit->text().trimmed().toStdString(); }

void CSmsParamDlg::ReadFromSim() {
    sms::SmsParameterTexts parameters;
    if (sms::ReadSmsParameters(m_app.Context(), parameters, kReadingTitle) != sms::kWorkerDone) return;
    if (parameters.centre.empty() && parameters.validity.empty()) {
        ShowMessageBox(this, resources::LoadString(kNoParameters), card::MessageIcon::Error);
        return;
    }
    m_ui->centreEdit->setText(QString::fromStdString(parameters.centre));
    SetChoice(sms::ValidityChoiceOf(parameters.validity, false));
}

void CSmsParamDlg::WriteToSim() {
    const std::string centre = Centre();
    if (!card::IsWritableCentreNumber(centre)) {
        ShowMessageBox(this, resources::LoadString(kBadCentreToWrite), card::MessageIcon::Error);
        return;
    }
    // The worker reports its own failures; a success says nothing.
    sms::WriteSmsParameters(m_app.Context(), centre, sms::ValidityChoiceText(Choice()), kWritingTitle);
}

void CSmsParamDlg::TakeFromPhoneBook() {
    const std::optional<std::string> number =
        m_app.Frame() != nullptr ? m_app.Frame()->FrontPhoneBookNumber() : std::nullopt;
    if (!number) {
        ShowMessageBox(this, resources::LoadString(kNoPhoneBookEntry), card::MessageIcon::Error);
        return;
    }
    m_ui->centreEdit->setText(QString::fromStdString(*number));
}

void CSmsParamDlg::accept() {
    const std::string centre = Centre();
    if (!card::IsValidCentreNumber(centre)) {
        ShowMessageBox(this, resources::LoadString(kBadCentreToKeep), card::MessageIcon::Error);
        return;
    }
    app::AppSettings& settings = m_app.Settings();
    settings.serviceCentre = centre;
    settings.validityPeriod = ValidityByteOfChoice(Choice());
    app::SaveSettings(m_app.Store(), settings);
    QDialog::accept();
}

}  // namespace quillet::ui
