#include "ui/CCheckCardDlg.h"

#include <QFontDatabase>

#include "resources/StringTable.h"
#include "ui_CCheckCardDlg.h"

namespace quillet::ui {

namespace {

constexpr std::uint32_t kFullDetails = 6000;
constexpr std::uint32_t kBriefDetails = 6001;

// The reports end their lines with CR LF; the text field wants plain line feeds.
QString ReportText(const std::string& report) {
    QString text = QString::fromStdString(report);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

QString Label(std::uint32_t id) { return QString::fromUtf8(resources::LoadString(id)); }

}  // namespace

CCheckCardDlg::CCheckCardDlg(QWidget* parent, const card::CheckReports& reports)
    : QDialog(parent),
      m_ui(std::make_unique<Ui::CCheckCardDlg>()),
      m_brief(ReportText(reports.brief)),
      m_detailed(ReportText(reports.detailed)),
      m_errorsFound(reports.errorsFound) {
    m_ui->setupUi(this);
    // The report indents its lines: a fixed-width font keeps them in columns.
    m_ui->reportText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_ui->repairButton->setEnabled(m_errorsFound);
    connect(m_ui->detailsButton, &QPushButton::clicked, this, &CCheckCardDlg::ToggleDetails);
    ShowReport();
}

CCheckCardDlg::~CCheckCardDlg() = default;

void CCheckCardDlg::ToggleDetails() {
    m_showDetails = !m_showDetails;
    ShowReport();
}

void CCheckCardDlg::ShowReport() {
    m_ui->reportText->setPlainText(m_showDetails ? m_detailed : m_brief);
    m_ui->detailsButton->setText(Label(m_showDetails ? kBriefDetails : kFullDetails));
}

}  // namespace quillet::ui
