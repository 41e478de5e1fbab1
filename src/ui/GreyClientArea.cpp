#include "ui/GreyClientArea.h"

#include <QPainter>

namespace quillet::ui {

namespace {

const QColor kGrey(128, 128, 128);
const QColor kNavy(0, 0, 128);
constexpr int kNamePointSize = 60;
constexpr int kBaselineDrop = 77;

}  // namespace

GreyClientArea::GreyClientArea(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(0, 0);
}

bool GreyClientArea::ShowsName() const { return width() >= kMinimumWidthForName && height() >= kMinimumHeightForName; }

void GreyClientArea::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QRect area = rect();
    painter.fillRect(area, kGrey);
    if (ShowsName()) {
        QFont font(QStringLiteral("Arial"));
        font.setPointSize(kNamePointSize);
        painter.setFont(font);
        painter.setPen(kNavy);
        const QString name = QStringLiteral("Q u i l l e t !");
        const int textWidth = painter.fontMetrics().horizontalAdvance(name);
        // Centred across, with the baseline a little below the middle.
        const int x = (area.left() + area.right()) / 2 - textWidth / 2;
        const int baseline = (area.top() + kBaselineDrop + area.bottom()) / 2;
        painter.drawText(QPoint(x, baseline), name);
    }
    emit Painted();
}

}  // namespace quillet::ui
