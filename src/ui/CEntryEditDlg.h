#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "phonebook/PhoneBookTable.h"

namespace Ui {
class CEntryEditDlg;
}

namespace quillet::ui {

// "Quillet! - Edit Phone Book Entry": record number, name and number of one entry. OK hands the
// fields to `apply`, which checks them and shows its messages; the dialog stays open while it
// refuses.
class CEntryEditDlg final : public QDialog {
    Q_OBJECT

public:
    using Apply = std::function<bool(const phonebook::EntryForm&)>;

    // A maxNameLength of 0 leaves the name field without a limit of its own.
    CEntryEditDlg(QWidget* parent, const phonebook::EntryForm& start, std::size_t maxNameLength, Apply apply);
    ~CEntryEditDlg() override;

    phonebook::EntryForm Fields() const;

    void accept() override;

private:
    std::unique_ptr<Ui::CEntryEditDlg> m_ui;
    Apply m_apply;
};

}  // namespace quillet::ui
