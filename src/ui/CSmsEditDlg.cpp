#include "ui/CSmsEditDlg.h"

#include "resources/StringTable.h"
#include "ui/DialingCodeChoice.h"
#include "ui/MessageBoxes.h"
#include "ui_CSmsEditDlg.h"

namespace quillet::ui {

namespace {

// "Item from the current phone book window not available!"
constexpr std::uint32_t kNoPhoneBookEntry = 57723;

}  // namespace

CSmsEditDlg::CSmsEditDlg(QWidget* parent, const sms::SmsEntry& start, SmsDialogSources sources, Apply apply)
    : QDialog(parent),
      m_ui(std::make_unique<Ui::CSmsEditDlg>()),
      m_entry(start),
      m_sources(std::move(sources)),
      m_apply(std::move(apply)) {
    m_ui->setupUi(this);
    const sms::SmsEditForm form = sms::EditFormOf(start);
    m_ui->textEdit->setPlainText(QString::fromStdString(form.text));
    m_startText = form.text;
    m_shownText = m_ui->textEdit->toPlainText();
    m_ui->numberEdit->setText(QString::fromStdString(form.number));
    // Offered only while the front phone book window has an entry to give.
    m_ui->fromPhoneBookButton->setEnabled(m_sources.phoneBookNumber().has_value());
    ShowRoom();
    connect(m_ui->textEdit, &QPlainTextEdit::textChanged, this, &CSmsEditDlg::ShowRoom);
    connect(m_ui->fromPhoneBookButton, &QPushButton::clicked, this, &CSmsEditDlg::TakeFromPhoneBook);
    connect(m_ui->dialingCodeButton, &QPushButton::clicked, this,
            [this] { ChooseDialingCode(this, m_ui->numberEdit); });
    connect(m_ui->detailsButton, &QPushButton::clicked, this, &CSmsEditDlg::EditDetails);
    m_ui->textEdit->setFocus();
}

CSmsEditDlg::~CSmsEditDlg() = default;

std::string CSmsEditDlg::Text() const {
    const QString shown = m_ui->textEdit->toPlainText();
    return shown == m_shownText ? m_startText : shown.toStdString();
}

sms::SmsEditForm CSmsEditDlg::Fields() const { return {Text(), m_ui->numberEdit->text().toStdString()}; }

void CSmsEditDlg::ShowRoom() {
    m_ui->lengthEdit->setText(QString::fromStdString(sms::EditRoomText(sms::EditRoom(m_entry, Text()))));
}

void CSmsEditDlg::TakeFromPhoneBook() {
    const std::optional<std::string> number = m_sources.phoneBookNumber();
    if (!number) {
        ShowMessageBox(this, resources::LoadString(kNoPhoneBookEntry), card::MessageIcon::Error);
        return;
    }
    m_ui->numberEdit->setText(QString::fromStdString(*number));
}

void CSmsEditDlg::EditDetails() {
    CSmsDetailsDlg details(this, m_entry, m_sources);
    details.exec();
}

void CSmsEditDlg::accept() {
    if (m_apply && !m_apply(m_entry, Fields())) return;
    QDialog::accept();
}

}  // namespace quillet::ui
