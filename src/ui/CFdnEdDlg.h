#pragma once

#include "ui/CSezEdDlg.h"

namespace quillet::ui {

// "Quillet! - Fixed Dialing Numbers - Phone Book - [1]": the phone book window on the card's fixed
// dialling numbers. The one window of its kind; it shows whether fixed dialling was on at its
// last read in a check box the user cannot change, and its Clear All reads "&Delete All".
class CFdnEdDlg final : public CSezEdDlg {
    Q_OBJECT

public:
    explicit CFdnEdDlg(CMainApp& app);
    ~CFdnEdDlg() override;

protected:
    QString TitleOf(int number) const override;
    QPoint OffsetOf(int number) const override;
    void AfterRead() override;
};

}  // namespace quillet::ui
