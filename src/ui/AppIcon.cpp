#include "ui/AppIcon.h"

#include <QPainter>
#include <QPainterPath>

namespace quillet::ui {

namespace {

const QColor kCardBlue(32, 74, 135);
const QColor kCardEdge(16, 40, 80);
const QColor kGold(222, 180, 64);
const QColor kGoldEdge(150, 110, 20);

// A card of the given rectangle with its cut corner at the top right and the contact plate.
void DrawSimCard(QPainter& painter, const QRectF& card) {
    const qreal cut = card.width() * 0.28;
    QPainterPath outline;
    outline.moveTo(card.topLeft());
    outline.lineTo(card.right() - cut, card.top());
    outline.lineTo(card.right(), card.top() + cut);
    outline.lineTo(card.bottomRight());
    outline.lineTo(card.bottomLeft());
    outline.closeSubpath();
    painter.setPen(QPen(kCardEdge, std::max<qreal>(1.0, card.width() / 24)));
    painter.setBrush(kCardBlue);
    painter.drawPath(outline);

    const QRectF plate(card.left() + card.width() * 0.22, card.top() + card.height() * 0.40, card.width() * 0.56,
                       card.height() * 0.36);
    painter.setPen(QPen(kGoldEdge, std::max<qreal>(1.0, card.width() / 40)));
    painter.setBrush(kGold);
    painter.drawRoundedRect(plate, plate.width() * 0.12, plate.width() * 0.12);
    // The contact pads: a middle bar and three lines on each side.
    painter.drawLine(QPointF(plate.center().x(), plate.top()), QPointF(plate.center().x(), plate.bottom()));
    for (int row = 1; row < 3; ++row) {
        const qreal y = plate.top() + plate.height() * row / 3;
        painter.drawLine(QPointF(plate.left(), y), QPointF(plate.center().x() - plate.width() * 0.12, y));
        painter.drawLine(QPointF(plate.center().x() + plate.width() * 0.12, y), QPointF(plate.right(), y));
    }
}

QPixmap Transparent(int width, int height) {
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

}  // namespace

QPixmap SimCardPicture(int width, int height) {
    QPixmap pixmap = Transparent(width, height);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal margin = std::max(1.0, width * 0.06);
    DrawSimCard(painter, QRectF(margin, margin, width - 2 * margin, height - 2 * margin));
    return pixmap;
}

QPixmap ReaderPicture(int width, int height) {
    QPixmap pixmap = Transparent(width, height);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    // The card half inside a grey reader.
    DrawSimCard(painter, QRectF(width * 0.30, height * 0.05, width * 0.40, height * 0.62));
    painter.setPen(QPen(QColor(70, 70, 70), 1.5));
    painter.setBrush(QColor(190, 190, 190));
    painter.drawRoundedRect(QRectF(width * 0.08, height * 0.45, width * 0.84, height * 0.50), 4, 4);
    painter.setBrush(QColor(40, 40, 40));
    painter.drawRect(QRectF(width * 0.26, height * 0.50, width * 0.48, height * 0.06));
    painter.setBrush(QColor(60, 170, 60));
    painter.drawEllipse(QPointF(width * 0.80, height * 0.80), width * 0.04, width * 0.04);
    return pixmap;
}

QIcon ApplicationIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128}) {
        QPixmap pixmap = Transparent(size, size);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        DrawSimCard(painter, QRectF(size * 0.14, size * 0.04, size * 0.72, size * 0.92));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace quillet::ui
