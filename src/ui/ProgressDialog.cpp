#include "ui/ProgressDialog.h"

#include <QApplication>
#include <algorithm>

#include "ui_ProgressDialog.h"

namespace quillet::ui {

ProgressDialog::ProgressDialog(QWidget* owner) : QDialog(owner), m_ui(std::make_unique<Ui::ProgressDialog>()) {
    m_ui->setupUi(this);
    // Shown without a loop of its own, yet while it is up no other window takes input: the
    // work runs on this thread and must not be re-entered from a menu.
    setWindowModality(Qt::ApplicationModal);
    m_ui->progressBar->setRange(0, 100);
    connect(m_ui->abortButton, &QPushButton::clicked, this, [this] { m_cancelled = true; });
}

ProgressDialog::~ProgressDialog() = default;

void ProgressDialog::SetText(const QString& text) { m_ui->textLabel->setText(text); }

void ProgressDialog::SetPercent(unsigned percent) {
    m_ui->progressBar->setValue(static_cast<int>(std::min(percent, 100u)));
}

bool ProgressDialog::Pump() {
    // The work pauses here between card commands so the windows repaint and Abort can be pressed.
    QApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
    return !m_cancelled;
}

// Escape and the close box count as Abort; the session closes the window itself.
void ProgressDialog::reject() { m_cancelled = true; }

}  // namespace quillet::ui
