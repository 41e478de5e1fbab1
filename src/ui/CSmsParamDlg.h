#pragma once

#include <QDialog>
#include <memory>
#include <string>

class QButtonGroup;

namespace Ui {
class CSmsParamDlg;
}

namespace quillet::ui {

class CMainApp;

// "Quillet! - Edit SMS Parameters": the default SMS centre and validity period that new messages
// take, read from and written to the card's SMS parameters; OK keeps them in the settings. The
// dialog reads the card as it opens.
class CSmsParamDlg final : public QDialog {
    Q_OBJECT

public:
    CSmsParamDlg(CMainApp& app, QWidget* parent);
    ~CSmsParamDlg() override;

    // A failed read leaves the fields as they are; the worker has said why.
    void ReadFromSim();
    void WriteToSim();
    void TakeFromPhoneBook();
    void accept() override;

    // For tests and screenshots.
    Ui::CSmsParamDlg& Form() { return *m_ui; }
    // 0 = 1 hour, 1 = 1 day, 2 = 1 week, 3 = maximum, -1 = none.
    int Choice() const;
    void SetChoice(int choice);

private:
    std::string Centre() const;

    CMainApp& m_app;
    std::unique_ptr<Ui::CSmsParamDlg> m_ui;
    QButtonGroup* m_choices;
};

}  // namespace quillet::ui
