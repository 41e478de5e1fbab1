#include "ui/CFindReaderDlg.h"

#include <QApplication>

#include "ui_CFindReaderDlg.h"

namespace quillet::ui {

CFindReaderDlg::CFindReaderDlg(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::CFindReaderDlg>()) {
    m_ui->setupUi(this);
    setModal(false);
}

CFindReaderDlg::~CFindReaderDlg() = default;

void CFindReaderDlg::ShowCandidate(const QString& device) {
    m_ui->candidateField->setText(device);
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QString CFindReaderDlg::Candidate() const { return m_ui->candidateField->text(); }

}  // namespace quillet::ui
