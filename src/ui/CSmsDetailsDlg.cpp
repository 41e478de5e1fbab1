#include "ui/CSmsDetailsDlg.h"

#include <QButtonGroup>
#include <QSignalBlocker>
#include <ctime>

#include "resources/StringTable.h"
#include "ui/MessageBoxes.h"
#include "ui_CSmsDetailsDlg.h"

namespace quillet::ui {

namespace {

// "Item from the current window not available!"
constexpr std::uint32_t kNoPhoneBookEntry = 57661;

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

}  // namespace

CSmsDetailsDlg::CSmsDetailsDlg(QWidget* parent, sms::SmsEntry& entry, SmsDialogSources sources)
    : QDialog(parent),
      m_ui(std::make_unique<Ui::CSmsDetailsDlg>()),
      m_entry(entry),
      m_form(entry),
      m_sources(std::move(sources)) {
    m_ui->setupUi(this);
    m_validity = new QButtonGroup(this);
    // The buttons' ids are the validity choices 0..3.
    QRadioButton* const choices[] = {m_ui->hourButton, m_ui->dayButton, m_ui->weekButton, m_ui->maximumButton};
    for (int choice = 0; choice < 4; ++choice) m_validity->addButton(choices[choice], choice);
    m_ui->centreEdit->setText(QString::fromStdString(m_form.Fields().centre));
    m_ui->fromPhoneBookButton->setEnabled(m_sources.phoneBookNumber().has_value());
    ShowFields();

    connect(m_ui->statusCombo, &QComboBox::currentIndexChanged, this, [this](int status) {
        if (status < 0) return;
        m_form.ChangeStatus(static_cast<std::uint32_t>(status), LocalNow());
        ShowFields();
    });
    connect(m_validity, &QButtonGroup::idClicked, this, [this](int choice) {
        m_form.ChooseValidity(choice);
        ShowFields();
    });
    connect(m_ui->fromPhoneBookButton, &QPushButton::clicked, this, &CSmsDetailsDlg::TakeFromPhoneBook);
}

CSmsDetailsDlg::~CSmsDetailsDlg() = default;

int CSmsDetailsDlg::exec() {
    if (m_entry.used == 0) return QDialog::Rejected;
    return QDialog::exec();
}

void CSmsDetailsDlg::ShowFields() {
    const sms::SmsDetailsFields& fields = m_form.Fields();
    {
        const QSignalBlocker quiet(m_ui->statusCombo);
        m_ui->statusCombo->setCurrentIndex(static_cast<int>(fields.status));
    }
    m_ui->validityEdit->setText(QString::fromStdString(fields.dateOrValidity));
    // With none to be checked the group may not insist on one.
    m_validity->setExclusive(false);
    for (QAbstractButton* button : m_validity->buttons()) {
        button->setEnabled(fields.validityEnabled);
        button->setChecked(m_validity->id(button) == fields.validityChoice);
    }
    m_validity->setExclusive(true);
}

void CSmsDetailsDlg::TakeFromPhoneBook() {
    const std::optional<std::string> number = m_sources.phoneBookNumber();
    if (!number) {
        ShowMessageBox(this, resources::LoadString(kNoPhoneBookEntry), card::MessageIcon::Error);
        return;
    }
    m_ui->centreEdit->setText(QString::fromStdString(*number));
}

void CSmsDetailsDlg::accept() {
    m_form.SetCentre(m_ui->centreEdit->text().toStdString());
    sms::SmsEntry edited = m_entry;
    if (!m_form.Apply(edited, m_sources.ui)) return;
    m_entry = edited;
    QDialog::accept();
}

}  // namespace quillet::ui
