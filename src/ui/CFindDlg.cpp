#include "ui/CFindDlg.h"

#include <QButtonGroup>

#include "ui/Cp1250.h"
#include "ui_CFindDlg.h"

namespace quillet::ui {

namespace {

using phonebook::FindOperation;
using phonebook::SearchField;

constexpr int kFirstField = static_cast<int>(SearchField::Name);
constexpr int kLastField = static_cast<int>(SearchField::Everywhere);

}  // namespace

CFindDlg::CFindDlg(QWidget* parent, app::AppSettings& settings, app::SettingsStore& store, card::UserInterface& ui)
    : QDialog(parent), m_ui(std::make_unique<Ui::CFindDlg>()), m_settings(settings), m_store(store), m_messages(ui) {
    m_ui->setupUi(this);
    auto* fields = new QButtonGroup(this);
    fields->addButton(m_ui->nameRadio, static_cast<int>(SearchField::Name));
    fields->addButton(m_ui->numberRadio, static_cast<int>(SearchField::Number));
    fields->addButton(m_ui->codeRadio, static_cast<int>(SearchField::DialingCode));
    fields->addButton(m_ui->everywhereRadio, static_cast<int>(SearchField::Everywhere));
    // The stored texts are card text in Windows-1250; a field value from elsewhere falls back to Name.
    m_ui->findEdit->setText(FromCp1250(settings.findText));
    m_ui->replaceEdit->setText(FromCp1250(settings.replaceText));
    const int field =
        settings.findScope >= kFirstField && settings.findScope <= kLastField ? settings.findScope : kFirstField;
    fields->button(field)->setChecked(true);
    connect(m_ui->findButton, &QPushButton::clicked, this, [this] { Choose(FindOperation::Find); });
    connect(m_ui->replaceButton, &QPushButton::clicked, this, [this] { Choose(FindOperation::Replace); });
}

CFindDlg::~CFindDlg() = default;

phonebook::FindRequest CFindDlg::Request() const {
    SearchField field = SearchField::Name;
    if (m_ui->numberRadio->isChecked()) field = SearchField::Number;
    if (m_ui->codeRadio->isChecked()) field = SearchField::DialingCode;
    if (m_ui->everywhereRadio->isChecked()) field = SearchField::Everywhere;
    return {m_ui->findEdit->text().toStdString(), m_ui->replaceEdit->text().toStdString(), field};
}

void CFindDlg::Choose(FindOperation operation) {
    const phonebook::FindRequest request = Request();
    if (!phonebook::CheckFindRequest(request, m_messages)) return;
    m_settings.findText = ToCp1250(m_ui->findEdit->text());
    m_settings.replaceText = ToCp1250(m_ui->replaceEdit->text());
    m_settings.findScope = static_cast<int>(request.field);
    app::SaveSettings(m_store, m_settings);
    m_operation = operation;
    accept();
}

}  // namespace quillet::ui
