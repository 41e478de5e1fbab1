#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class FindReaderDialog;
}

namespace quillet::ui {

// "Quillet! - Find Card Peripheral": shows which device the reader search is trying.
class FindReaderDialog final : public QDialog {
    Q_OBJECT

public:
    explicit FindReaderDialog(QWidget* parent);
    ~FindReaderDialog() override;

    // Shows the candidate and repaints at once, since the search blocks the event loop.
    void ShowCandidate(const QString& device);
    QString Candidate() const;

private:
    std::unique_ptr<Ui::FindReaderDialog> m_ui;
};

}  // namespace quillet::ui
