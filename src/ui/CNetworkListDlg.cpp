#include "ui/CNetworkListDlg.h"

#include <QApplication>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTextOption>
#include <algorithm>

#include "backup/OperatorTable.h"
#include "ui/CMainApp.h"
#include "ui/CSelectNetworkDlg.h"
#include "ui/Cp1250.h"
#include "ui_CNetworkListDlg.h"

namespace quillet::ui {

namespace {

constexpr const char* kForbiddenTitle = "Quillet! - Forbidden Networks";
constexpr const char* kForbiddenDeleteAll = "Delete &All";
// The rows' tab stops in dialog units (a quarter of an average character's width): the codes, the
// operator's name, and one more the names run past.
constexpr int kTabStops[] = {15, 50, 100};
constexpr qreal kDialogUnitsPerCharacter = 4.0;
constexpr int kVisibleRows = 12;

// Draws a row's text with the list's tab stops, so the numbers, codes and names stand in columns
// while each row stays one text.
class TabStopDelegate final : public QStyledItemDelegate {
public:
    TabStopDelegate(QList<QTextOption::Tab> tabs, QObject* parent)
        : QStyledItemDelegate(parent), m_tabs(std::move(tabs)) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QWidget* widget = item.widget;
        const QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
        const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget);
        const QString text = item.text;
        item.text.clear();
        style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);

        QTextOption layout(Qt::AlignLeft | Qt::AlignVCenter);
        layout.setTabs(m_tabs);
        layout.setWrapMode(QTextOption::NoWrap);
        const bool selected = (item.state & QStyle::State_Selected) != 0;
        painter->save();
        painter->setFont(item.font);
        painter->setPen(item.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        painter->drawText(QRectF(area.adjusted(margin, 0, -margin, 0)), text, layout);
        painter->restore();
    }

private:
    QList<QTextOption::Tab> m_tabs;
};

}  // namespace

CNetworkListDlg::CNetworkListDlg(CMainApp& app, bool forbidden, QWidget* parent)
    : QDialog(parent), m_app(app), m_editor(forbidden), m_ui(std::make_unique<Ui::CNetworkListDlg>()) {
    m_ui->setupUi(this);
    if (forbidden) {
        setWindowTitle(QString::fromLatin1(kForbiddenTitle));
        m_ui->deleteAllButton->setText(QString::fromLatin1(kForbiddenDeleteAll));
    }
    SetTabStops();
    connect(m_ui->readButton, &QPushButton::clicked, this, &CNetworkListDlg::ReadFromSim);
    connect(m_ui->writeButton, &QPushButton::clicked, this, &CNetworkListDlg::WriteToSim);
    connect(m_ui->editButton, &QPushButton::clicked, this, &CNetworkListDlg::EditSelected);
    connect(m_ui->deleteButton, &QPushButton::clicked, this, &CNetworkListDlg::DeleteSelected);
    connect(m_ui->deleteAllButton, &QPushButton::clicked, this, &CNetworkListDlg::DeleteAll);
    connect(m_ui->networkList, &QListWidget::itemSelectionChanged, this, &CNetworkListDlg::UpdateButtons);
    connect(m_ui->networkList, &QListWidget::itemDoubleClicked, this, &CNetworkListDlg::EditSelected);
    ReadFromSim();
}

CNetworkListDlg::~CNetworkListDlg() = default;

void CNetworkListDlg::ReadFromSim() {
    m_editor.Read(m_app.Context().Session(), m_app.Ui(), this);
    Refill();
    UpdateButtons();
}

void CNetworkListDlg::WriteToSim() {
    m_editor.Write(m_app.Context().Session(), m_app.Ui(), this, m_app.Settings().confirm != 0);
    Refill();
}

void CNetworkListDlg::EditSelected() {
    const std::optional<std::size_t> slot = Selected();
    if (!m_editor.Buttons(slot).edit) return;
    CSelectNetworkDlg dialog(m_editor.FieldTexts(*slot), this);
    if (dialog.exec() != QDialog::Accepted) return;
    const backup::NetworkCodeTexts codes = dialog.Codes();
    m_editor.Edit(*slot, codes.mcc, codes.mnc);
    Refill();
    UpdateButtons();
}

void CNetworkListDlg::DeleteSelected() {
    const std::optional<std::size_t> slot = Selected();
    if (!m_editor.Buttons(slot).remove) return;
    m_editor.Delete(*slot);
    Refill();
    UpdateButtons();
}

void CNetworkListDlg::DeleteAll() {
    m_editor.DeleteAll();
    Refill();
    UpdateButtons();
}

std::optional<std::size_t> CNetworkListDlg::Selected() const {
    const QModelIndexList rows = m_ui->networkList->selectionModel()->selectedRows();
    if (rows.isEmpty()) return std::nullopt;
    return static_cast<std::size_t>(rows.front().row());
}

void CNetworkListDlg::Refill() {
    QListWidget* list = m_ui->networkList;
    const auto count = static_cast<int>(m_editor.Count());
    if (list->count() > count) list->clear();
    for (int row = 0; row < count; ++row) {
        const QString text = FromCp1250(m_editor.RowText(static_cast<std::size_t>(row)));
        if (row == list->count()) {
            list->addItem(text);
        } else if (list->item(row)->text() != text) {
            list->item(row)->setText(text);
        }
    }
}

void CNetworkListDlg::UpdateButtons() {
    const backup::NetworkListButtons buttons = m_editor.Buttons(Selected());
    m_ui->writeButton->setEnabled(buttons.write);
    m_ui->editButton->setEnabled(buttons.edit);
    m_ui->deleteButton->setEnabled(buttons.remove);
    m_ui->deleteAllButton->setEnabled(buttons.removeAll);
}

void CNetworkListDlg::SetTabStops() {
    QListWidget* list = m_ui->networkList;
    const QFontMetricsF metrics(list->font());
    const qreal unit = metrics.averageCharWidth() / kDialogUnitsPerCharacter;
    QList<QTextOption::Tab> tabs;
    for (const int stop : kTabStops) tabs.append(QTextOption::Tab(stop * unit, QTextOption::LeftTab));
    list->setItemDelegate(new TabStopDelegate(tabs, list));
    // Wide enough for the longest operator name at its tab stop.
    qreal widest = 0;
    for (const backup::OperatorRow& row : backup::OperatorTable()) {
        widest = std::max(widest, metrics.horizontalAdvance(FromCp1250(row.name)));
    }
    const int frame = 2 * list->frameWidth() + list->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 8;
    list->setMinimumSize(static_cast<int>(kTabStops[1] * unit + widest) + frame,
                         kVisibleRows * QFontMetrics(list->font()).lineSpacing() + frame);
}

}  // namespace quillet::ui
