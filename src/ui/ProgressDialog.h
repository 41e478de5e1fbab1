#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class ProgressDialog;
}

namespace quillet::ui {

// The card session's modeless progress window: a text line, a bar and "&Abort". Between card
// commands the session lets it handle its input; Abort (or closing it) asks the work to stop.
class ProgressDialog final : public QDialog {
    Q_OBJECT

public:
    explicit ProgressDialog(QWidget* owner);
    ~ProgressDialog() override;

    void SetText(const QString& text);
    void SetPercent(unsigned percent);
    // Handles what is pending for the windows; false once the user asked to stop.
    bool Pump();
    bool Cancelled() const { return m_cancelled; }

protected:
    void reject() override;

private:
    std::unique_ptr<Ui::ProgressDialog> m_ui;
    bool m_cancelled = false;
};

}  // namespace quillet::ui
