#include "ui/CNewInfo1.h"

#include <QLineEdit>
#include <QStringList>

#include "card/CardPlatform.h"
#include "card/SimInformation.h"
#include "resources/StringTable.h"
#include "ui/CMainApp.h"
#include "ui_CNewInfo1.h"

namespace quillet::ui {

namespace {

constexpr std::uint32_t kTitle = 6100;  // "Global"

void Put(QLineEdit* field, const std::string& text) { field->setText(QString::fromStdString(text)); }

}  // namespace

CNewInfo1::CNewInfo1(CMainApp& app, QWidget* parent)
    : CTabPageTemplate(app, QString::fromStdString(std::string(resources::LoadString(kTitle))), parent),
      m_ui(std::make_unique<Ui::CNewInfo1>()) {
    m_ui->setupUi(this);
}

CNewInfo1::~CNewInfo1() = default;

void CNewInfo1::ClearFields() {
    for (QLineEdit* field : findChildren<QLineEdit*>()) field->clear();
    m_ui->cardLabel->clear();
}

std::optional<std::string> CNewInfo1::ReadCard() {
    card::GlobalInformation info;
    const reader::ReaderResult code =
        card::ReadGlobalInformation(App().Context().Session(), static_cast<QWidget*>(this), info);
    // What was read before a failure is shown as well.
    Put(m_ui->serialEdit, info.serialNumber);
    Put(m_ui->internationalEdit, info.internationalCode);
    Put(m_ui->phaseEdit, info.phase);
    const struct {
        QLineEdit* supported;
        QLineEdit* limit;
        card::CodeRow row;
    } rows[] = {{m_ui->pin1SupportedEdit, m_ui->pin1LimitEdit, card::kPin1Row},
                {m_ui->pin2SupportedEdit, m_ui->pin2LimitEdit, card::kPin2Row},
                {m_ui->puk1SupportedEdit, m_ui->puk1LimitEdit, card::kPuk1Row},
                {m_ui->puk2SupportedEdit, m_ui->puk2LimitEdit, card::kPuk2Row}};
    for (const auto& row : rows) {
        Put(row.supported, info.codes[row.row].supported);
        Put(row.limit, info.codes[row.row].limit);
    }
    Put(m_ui->pin1ActivatedEdit, info.codes[card::kPin1Row].activated);
    Put(m_ui->currencyEdit, info.currency);
    Put(m_ui->priceEdit, info.pricePerUnit);
    Put(m_ui->sumUsedEdit, info.sumUsed);
    Put(m_ui->creditEdit, info.creditRemaining);
    QStringList card;
    for (const auto& [label, text] : card::DescribeCardPlatform(App().Context().Session().Platform())) {
        card << QString::fromStdString(label + " " + text);
    }
    m_ui->cardLabel->setText(card.join(QLatin1Char('\n')));
    if (code != reader::result::kOk) return card::InformationErrorText(code);
    return std::nullopt;
}

}  // namespace quillet::ui
