#include "ui/FindReaderDialog.h"

#include <QApplication>

#include "ui_FindReaderDialog.h"

namespace quillet::ui {

FindReaderDialog::FindReaderDialog(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::FindReaderDialog>()) {
    m_ui->setupUi(this);
    setModal(false);
}

FindReaderDialog::~FindReaderDialog() = default;

void FindReaderDialog::ShowCandidate(const QString& device) {
    m_ui->candidateField->setText(device);
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QString FindReaderDialog::Candidate() const { return m_ui->candidateField->text(); }

}  // namespace quillet::ui
