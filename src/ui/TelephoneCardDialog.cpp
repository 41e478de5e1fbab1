#include "ui/TelephoneCardDialog.h"

#include <QTextDocument>
#include <QTextOption>
#include <array>

#include "app/ApplicationContext.h"
#include "app/TelephoneCard.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "ui/Cp1250.h"
#include "ui/MessageBoxes.h"
#include "ui_TelephoneCardDialog.h"

namespace quillet::ui {

namespace {

// The binary text's tab stops, in dialog units (a quarter of an average character's width).
constexpr int kTabStops[] = {28, 42, 56, 70, 84, 98, 112, 126, 140};
constexpr qreal kDialogUnitsPerCharacter = 4.0;

std::string StringOf(std::uint32_t id) { return std::string(resources::LoadString(id)); }

}  // namespace

TelephoneCardDialog::TelephoneCardDialog(app::ApplicationContext& context, QWidget* parent)
    : QDialog(parent), m_context(context), m_ui(std::make_unique<Ui::TelephoneCardDialog>()) {
    m_ui->setupUi(this);
    QFont fixed(QStringLiteral("Monospace"));
    fixed.setStyleHint(QFont::TypeWriter);
    m_ui->binaryText->setFont(fixed);
    const qreal unit = QFontMetricsF(fixed).averageCharWidth() / kDialogUnitsPerCharacter;
    QList<QTextOption::Tab> tabs;
    for (const int stop : kTabStops) tabs.append(QTextOption::Tab(stop * unit, QTextOption::LeftTab));
    QTextOption layout = m_ui->binaryText->document()->defaultTextOption();
    layout.setTabs(tabs);
    m_ui->binaryText->document()->setDefaultTextOption(layout);
    // Room for the four lines and the last column, without scroll bars.
    const QFontMetrics metrics(fixed);
    const int margins =
        2 * (m_ui->binaryText->frameWidth() + static_cast<int>(m_ui->binaryText->document()->documentMargin()));
    m_ui->binaryText->setFixedSize(
        static_cast<int>(kTabStops[std::size(kTabStops) - 1] * unit) + 4 * metrics.averageCharWidth() + margins,
        5 * metrics.lineSpacing() + margins);
    m_ui->binaryText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_ui->binaryText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(m_ui->rereadButton, &QPushButton::clicked, this, [this] {
        if (!ReadCard()) reject();
    });
}

TelephoneCardDialog::~TelephoneCardDialog() = default;

int TelephoneCardDialog::Run() {
    if (!ReadCard()) return QDialog::Rejected;
    return exec();
}

void TelephoneCardDialog::ShowUnits(unsigned remaining, unsigned total) {
    m_ui->remainingField->setText(QString::number(remaining));
    m_ui->totalField->setText(QString::number(total));
}

bool TelephoneCardDialog::ReadCard() {
    m_ui->countryField->clear();
    m_ui->binaryText->clear();
    ShowUnits(0, 0);
    repaint();

    reader::CardReader* cardReader = m_context.Reader();
    if (cardReader == nullptr) {
        ShowMessageBox(this, resources::LoadString(resources::string_id::kNoReaderForTelephoneCard),
                       card::MessageIcon::Error);
        return true;
    }
    std::array<std::uint8_t, app::kTelephoneCardBytes> image{};
    const reader::ReaderResult result = cardReader->ReadMemoryCard(image);
    if (result != reader::result::kOk) {
        ShowMessageBox(this,
                       StringOf(resources::string_id::kTelephoneCardError) + "\r\n" +
                           std::string(reader::ReaderResultText(result)),
                       card::MessageIcon::Error);
        return false;
    }
    const app::TelephoneCardInfo info = app::DecodeTelephoneCard(image);
    if (!info.valid)
        ShowMessageBox(this, resources::LoadString(resources::string_id::kNotATelephoneCard),
                       card::MessageIcon::Exclamation);
    ShowUnits(info.remainingUnits, info.totalUnits);
    m_ui->countryField->setText(FromCp1250(info.country));
    m_ui->binaryText->setPlainText(DisplayText(info.binaryText));
    return true;
}

QString TelephoneCardDialog::RemainingText() const { return m_ui->remainingField->text(); }
QString TelephoneCardDialog::TotalText() const { return m_ui->totalField->text(); }
QString TelephoneCardDialog::CountryText() const { return m_ui->countryField->text(); }
QString TelephoneCardDialog::BinaryText() const { return m_ui->binaryText->toPlainText(); }

}  // namespace quillet::ui
