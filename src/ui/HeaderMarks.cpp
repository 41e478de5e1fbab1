#include "ui/HeaderMarks.h"

#include <QPainter>
#include <QPixmap>

namespace quillet::ui {

QIcon HeaderMark(bool marked) {
    QPixmap pixmap(9, 6);
    pixmap.fill(Qt::transparent);
    if (marked) {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(60, 60, 60));
        painter.drawPolygon(QPolygonF({QPointF(0, 0), QPointF(9, 0), QPointF(4.5, 6)}));
    }
    return QIcon(pixmap);
}

}  // namespace quillet::ui
