#include "ui/CProgramInfoDlg.h"

#include <QTimer>

#include "ui/AppIcon.h"
#include "ui_CProgramInfoDlg.h"

namespace quillet::ui {

CProgramInfoDlg::CProgramInfoDlg(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CProgramInfoDlg>()), m_timer(new QTimer(this)) {
    m_ui->setupUi(this);
    m_ui->cardPicture->setPixmap(SimCardPicture(96, 128));
    m_ui->readerPicture->setPixmap(ReaderPicture(64, 48));
    m_ui->versionLabel->setText(m_ui->versionLabel->text() + QStringLiteral("   ") + QLatin1String(kReleaseTag));
    QFont title = m_ui->versionLabel->font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.3);
    m_ui->versionLabel->setFont(title);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &QDialog::accept);
}

CProgramInfoDlg::~CProgramInfoDlg() { m_timer->stop(); }

int CProgramInfoDlg::DoModalTimed(int seconds) {
    if (!m_timer->isActive() && seconds > 0) m_timer->start(seconds * 1000);
    const int result = exec();
    m_timer->stop();
    return result;
}

bool CProgramInfoDlg::TimerRunning() const { return m_timer->isActive(); }

}  // namespace quillet::ui
