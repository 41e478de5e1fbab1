#include "ui/CountryListDialog.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <algorithm>

#include "phonebook/CountryDialingCodes.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "ui/Cp1250.h"
#include "ui/HeaderMarks.h"
#include "ui_CountryListDialog.h"

namespace quillet::ui {

namespace {

constexpr int kCountryColumn = 0;
constexpr int kCodeColumn = 1;
constexpr int kCountryWidth = 200;
constexpr int kTextMargin = 20;

}  // namespace

CountryListDialog::CountryListDialog(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CountryListDialog>()) {
    m_ui->setupUi(this);
    QTreeWidget* list = m_ui->countryList;
    list->headerItem()->setText(kCountryColumn,
                                FromCp1250(resources::LoadString(resources::string_id::kCountryColumn)));
    list->headerItem()->setText(kCodeColumn,
                                FromCp1250(resources::LoadString(resources::string_id::kDialingNumberColumn)));
    list->header()->setSectionsClickable(true);
    list->header()->setStretchLastSection(true);
    list->setColumnWidth(kCountryColumn, kCountryWidth);
    connect(list->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { ShowOrder(column == kCodeColumn ? Order::ByCode : Order::ByCountry); });
    connect(list->header(), &QHeaderView::sectionHandleDoubleClicked, this,
            [this](int column) { FitColumnToText(column); });
    connect(list, &QTreeWidget::itemDoubleClicked, this, [this] { accept(); });
    ShowOrder(Order::ByCountry);
}

CountryListDialog::~CountryListDialog() = default;

QTreeWidget* CountryListDialog::List() const { return m_ui->countryList; }

void CountryListDialog::ShowOrder(Order order) {
    m_order = order;
    QTreeWidget* list = m_ui->countryList;
    list->headerItem()->setIcon(kCountryColumn, HeaderMark(order == Order::ByCountry));
    list->headerItem()->setIcon(kCodeColumn, HeaderMark(order == Order::ByCode));
    const auto rows = phonebook::CountryDialingCodes();
    std::vector<std::size_t> shown(rows.size());
    if (order == Order::ByCode) {
        const auto byCode = phonebook::CountryRowsByCode();
        std::copy(byCode.begin(), byCode.end(), shown.begin());
    } else {
        for (std::size_t row = 0; row < shown.size(); ++row) shown[row] = row;
    }
    list->clear();
    for (const std::size_t row : shown) {
        auto* item = new QTreeWidgetItem(list);
        item->setText(kCountryColumn, FromCp1250(rows[row].country));
        item->setText(kCodeColumn, FromCp1250(rows[row].code));
    }
}

// A double click on a header divider sizes that column to its widest text.
void CountryListDialog::FitColumnToText(int column) {
    QTreeWidget* list = m_ui->countryList;
    const QFontMetrics metrics(list->font());
    int widest = 0;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        widest = std::max(widest, metrics.horizontalAdvance(list->topLevelItem(row)->text(column)));
    }
    list->header()->resizeSection(column, widest + kTextMargin);
}

void CountryListDialog::accept() {
    const QList<QTreeWidgetItem*> selected = m_ui->countryList->selectedItems();
    m_chosenCode = selected.isEmpty() ? std::string() : ToCp1250(selected.front()->text(kCodeColumn));
    QDialog::accept();
}

}  // namespace quillet::ui
