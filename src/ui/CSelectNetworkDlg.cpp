#include "ui/CSelectNetworkDlg.h"

#include <QRegularExpressionValidator>
#include <algorithm>

#include "backup/OperatorTable.h"
#include "card/ProgressWindow.h"
#include "resources/StringTable.h"
#include "ui/Cp1250.h"
#include "ui/MessageBoxes.h"
#include "ui_CSelectNetworkDlg.h"

namespace quillet::ui {

namespace {

constexpr int kMccLength = 3;
constexpr int kMncLength = 2;
constexpr std::uint32_t kTooManyCharacters = 58061;  // "Please enter no more than %u characters."

// Typing is held to `limit` digits. The length itself is checked on OK, because a code filled in
// from the operator table may be longer and must not be cut short silently.
void LimitTyping(QLineEdit* field, int limit) {
    const QString pattern = QStringLiteral("[0-9]{0,%1}").arg(limit);
    field->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), field));
}

// A field as the lookup reads it: not a number reads as 0.
std::uint32_t FieldValue(const QLineEdit* field) { return field->text().trimmed().toUInt(); }

}  // namespace

CSelectNetworkDlg::CSelectNetworkDlg(const backup::NetworkCodeTexts& codes, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CSelectNetworkDlg>()) {
    m_ui->setupUi(this);
    QStringList names;
    for (const backup::OperatorRow& row : backup::OperatorTable()) names.append(FromCp1250(row.name));
    std::stable_sort(names.begin(), names.end(), [](const QString& left, const QString& right) {
        return left.compare(right, Qt::CaseInsensitive) < 0;
    });
    m_ui->networkCombo->addItems(names);
    LimitTyping(m_ui->mccEdit, kMccLength);
    LimitTyping(m_ui->mncEdit, kMncLength);
    m_ui->mccEdit->setText(QString::fromStdString(codes.mcc));
    m_ui->mncEdit->setText(QString::fromStdString(codes.mnc));
    SelectNameOfCode();
    connect(m_ui->mccEdit, &QLineEdit::textEdited, this, &CSelectNetworkDlg::SelectNameOfCode);
    connect(m_ui->mncEdit, &QLineEdit::textEdited, this, &CSelectNetworkDlg::SelectNameOfCode);
    connect(m_ui->networkCombo, &QComboBox::activated, this, &CSelectNetworkDlg::TakeCodeOfName);
}

CSelectNetworkDlg::~CSelectNetworkDlg() = default;

backup::NetworkCodeTexts CSelectNetworkDlg::Codes() const {
    return {m_ui->mccEdit->text().toStdString(), m_ui->mncEdit->text().toStdString()};
}

void CSelectNetworkDlg::accept() {
    if (!FitsField(m_ui->mccEdit, kMccLength) || !FitsField(m_ui->mncEdit, kMncLength)) return;
    QDialog::accept();
}

void CSelectNetworkDlg::SelectNameOfCode() {
    std::string_view name;
    const bool known = backup::LookupOperatorName(FieldValue(m_ui->mccEdit), FieldValue(m_ui->mncEdit), name);
    m_ui->networkCombo->setCurrentIndex(
        known ? m_ui->networkCombo->findText(FromCp1250(name), Qt::MatchExactly | Qt::MatchCaseSensitive) : -1);
}

void CSelectNetworkDlg::TakeCodeOfName(int index) {
    std::uint32_t mcc = 0;
    std::uint32_t mnc = 0;
    if (!backup::LookupOperatorCode(ToCp1250(m_ui->networkCombo->itemText(index)), mcc, mnc)) return;
    m_ui->mccEdit->setText(QString::fromStdString(backup::FormatMcc(mcc)));
    m_ui->mncEdit->setText(QString::fromStdString(backup::FormatMnc(mnc, false)));
}

bool CSelectNetworkDlg::FitsField(QLineEdit* field, int limit) {
    if (field->text().size() <= limit) return true;
    ShowMessageBox(this,
                   card::FormatItemText(resources::LoadString(kTooManyCharacters), static_cast<unsigned>(limit), 0),
                   card::MessageIcon::Exclamation);
    field->setFocus();
    field->selectAll();
    return false;
}

}  // namespace quillet::ui
