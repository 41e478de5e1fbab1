#include "ui/CItemRangeDlg.h"

#include <array>

#include "ui/DigitFields.h"
#include "ui_CItemRangeDlg.h"

namespace quillet::ui {

namespace {

// What each kind of interval dialog shows.
struct RangeDialogLayout {
    RangeDialogKind kind;
    const char* title;
    bool showsTo;
    bool showsCheckBox;
};

constexpr std::array kLayouts{
    RangeDialogLayout{RangeDialogKind::Sort, "Quillet! - Sort", true, false},
    RangeDialogLayout{RangeDialogKind::SelectItems, "Quillet! - Select Items", true, true},
    RangeDialogLayout{RangeDialogKind::AddFromFile, "Quillet! - Add Entries from File", false, true},
    RangeDialogLayout{RangeDialogKind::WriteToFile, "Quillet! - Write to File", true, false},
    RangeDialogLayout{RangeDialogKind::Internationalize, "Quillet! - Internationalize", true, false},
};

const RangeDialogLayout& LayoutOf(RangeDialogKind kind) {
    for (const RangeDialogLayout& layout : kLayouts) {
        if (layout.kind == kind) return layout;
    }
    return kLayouts.front();
}

}  // namespace

CItemRangeDlg::CItemRangeDlg(QWidget* parent, RangeDialogKind kind, phonebook::ItemRange start, bool checked,
                             Apply apply)
    : QDialog(parent), m_ui(std::make_unique<Ui::CItemRangeDlg>()), m_apply(std::move(apply)) {
    m_ui->setupUi(this);
    const RangeDialogLayout& layout = LayoutOf(kind);
    setWindowTitle(QString::fromLatin1(layout.title));
    m_ui->toLabel->setVisible(layout.showsTo);
    m_ui->toEdit->setVisible(layout.showsTo);
    m_ui->includeEmptyBox->setVisible(layout.showsCheckBox);
    AcceptDigitsOnly(m_ui->fromEdit);
    AcceptDigitsOnly(m_ui->toEdit);
    m_ui->fromEdit->setText(QString::number(start.from));
    m_ui->toEdit->setText(QString::number(start.to));
    m_ui->includeEmptyBox->setChecked(checked);
}

CItemRangeDlg::~CItemRangeDlg() = default;

phonebook::ItemRange CItemRangeDlg::Range() const {
    return {DigitFieldValue(m_ui->fromEdit), DigitFieldValue(m_ui->toEdit)};
}

bool CItemRangeDlg::Checked() const { return m_ui->includeEmptyBox->isChecked(); }

void CItemRangeDlg::accept() {
    if (m_apply && !m_apply(Range(), Checked())) return;
    QDialog::accept();
}

}  // namespace quillet::ui
