#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class CProgramInfoDlg;
}

class QTimer;

namespace quillet::ui {

// "Quillet! - Program Information": the program's name, release and platform with two pictures.
class CProgramInfoDlg final : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* kReleaseTag = "R.125-04/2000";

    explicit CProgramInfoDlg(QWidget* parent);
    ~CProgramInfoDlg() override;

    // Shows the dialog modally. With a positive display time it also closes by itself when that
    // time has passed, so the start-up display does not hold the program up; OK closes it sooner.
    int DoModalTimed(int seconds);
    bool TimerRunning() const;

private:
    std::unique_ptr<Ui::CProgramInfoDlg> m_ui;
    QTimer* m_timer = nullptr;
};

}  // namespace quillet::ui
