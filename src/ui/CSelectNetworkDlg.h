#pragma once

#include <QDialog>
#include <memory>

#include "backup/NetworkListEditor.h"

class QLineEdit;

namespace Ui {
class CSelectNetworkDlg;
}

namespace quillet::ui {

// "Quillet! - Select Network": one slot of a network list, chosen by operator name or typed as MCC
// and MNC. Typing a known code selects its operator; choosing an operator fills in its code. OK
// refuses a field longer than it may be, which a three-digit network code from the table is.
class CSelectNetworkDlg final : public QDialog {
    Q_OBJECT

public:
    // `codes` fills the fields (empty for an empty slot).
    CSelectNetworkDlg(const backup::NetworkCodeTexts& codes, QWidget* parent);
    ~CSelectNetworkDlg() override;

    // The fields as typed, for the list to take on OK.
    backup::NetworkCodeTexts Codes() const;
    void accept() override;

    // For tests and screenshots.
    Ui::CSelectNetworkDlg& Form() { return *m_ui; }

private:
    void SelectNameOfCode();
    void TakeCodeOfName(int index);
    // Shows the length message and puts the cursor there when the field is too long.
    bool FitsField(QLineEdit* field, int limit);

    std::unique_ptr<Ui::CSelectNetworkDlg> m_ui;
};

}  // namespace quillet::ui
