#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class CFindReaderDlg;
}

namespace quillet::ui {

// "Quillet! - Find Card Peripheral": shows which device the reader search is trying.
class CFindReaderDlg final : public QDialog {
    Q_OBJECT

public:
    explicit CFindReaderDlg(QWidget* parent);
    ~CFindReaderDlg() override;

    // Shows the candidate and repaints at once, since the search blocks the event loop.
    void ShowCandidate(const QString& device);
    QString Candidate() const;

private:
    std::unique_ptr<Ui::CFindReaderDlg> m_ui;
};

}  // namespace quillet::ui
