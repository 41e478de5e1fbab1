#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "phonebook/Internationalize.h"

namespace Ui {
class CItemRangeDlg;
}

namespace quillet::ui {

// The small dialogs that ask for an interval of list items, some with a check box.
enum class RangeDialogKind {
    Sort,             // 117 "Quillet! - Sort": from, to
    SelectItems,      // 160 "Quillet! - Select Items": from, to, "&Include empty entries"
    AddFromFile,      // 139 "Quillet! - Add Entries from File": from, "&Include empty entries"
    WriteToFile,      // 140 "Quillet! - Write to File": from, to
    Internationalize  // 161 "Quillet! - Internationalize": from, to
};

// One of the interval dialogs; the fields take digits only. OK hands the fields to `apply`
// (an empty field reads as 0); the dialog stays open while it refuses.
class CItemRangeDlg final : public QDialog {
    Q_OBJECT

public:
    using Apply = std::function<bool(phonebook::ItemRange range, bool checked)>;

    CItemRangeDlg(QWidget* parent, RangeDialogKind kind, phonebook::ItemRange start, bool checked, Apply apply);
    ~CItemRangeDlg() override;

    phonebook::ItemRange Range() const;
    bool Checked() const;

    void accept() override;

private:
    std::unique_ptr<Ui::CItemRangeDlg> m_ui;
    Apply m_apply;
};

}  // namespace quillet::ui
