#include "ui/ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <functional>

namespace quillet::ui {

namespace {

constexpr int kWidth = 16;
constexpr int kHeight = 15;
constexpr qreal kScale = 2.0;  // drawn at twice the size for high-density screens

const QColor kOutline(40, 40, 40);
const QColor kPaper(250, 250, 245);
const QColor kFolder(236, 190, 70);
const QColor kDisk(50, 90, 160);
const QColor kBook(170, 50, 45);
const QColor kEnvelope(245, 240, 220);
const QColor kKey(215, 170, 40);
const QColor kGreen(40, 150, 60);
const QColor kRed(200, 40, 40);
const QColor kGlobe(60, 130, 200);
const QColor kCard(40, 80, 140);
const QColor kGold(225, 185, 70);

using Drawing = std::function<void(QPainter&)>;

QIcon Draw(const Drawing& drawing) {
    QPixmap pixmap(static_cast<int>(kWidth * kScale), static_cast<int>(kHeight * kScale));
    pixmap.setDevicePixelRatio(kScale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kOutline, 1.0));
    drawing(painter);
    painter.end();
    return QIcon(pixmap);
}

void Plus(QPainter& painter, QPointF centre, QColor colour) {
    painter.setPen(QPen(colour, 2.0, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(centre + QPointF(-3, 0), centre + QPointF(3, 0));
    painter.drawLine(centre + QPointF(0, -3), centre + QPointF(0, 3));
    painter.setPen(QPen(kOutline, 1.0));
}

void Folder(QPainter& painter) {
    painter.setBrush(kFolder.darker(115));
    painter.drawRect(QRectF(1.5, 3.5, 6, 2));
    painter.drawRect(QRectF(1.5, 4.5, 12, 8));
    painter.setBrush(kFolder);
    QPolygonF front({QPointF(1.5, 12.5), QPointF(4, 7.5), QPointF(15, 7.5), QPointF(13.5, 12.5)});
    painter.drawPolygon(front);
}

void Disk(QPainter& painter) {
    painter.setBrush(kDisk);
    painter.drawRect(QRectF(1.5, 1.5, 13, 12));
    painter.setBrush(kPaper);
    painter.drawRect(QRectF(4.5, 1.5, 7, 5));
    painter.setBrush(QColor(200, 200, 200));
    painter.drawRect(QRectF(3.5, 8.5, 9, 5));
}

void Printer(QPainter& painter) {
    painter.setBrush(kPaper);
    painter.drawRect(QRectF(4.5, 0.5, 7, 5));
    painter.setBrush(QColor(170, 170, 170));
    painter.drawRoundedRect(QRectF(1.5, 5.5, 13, 6), 1, 1);
    painter.setBrush(kPaper);
    painter.drawRect(QRectF(4.5, 9.5, 7, 5));
    painter.setBrush(kGreen);
    painter.drawEllipse(QPointF(12.5, 7.5), 0.8, 0.8);
}

void Book(QPainter& painter) {
    painter.setBrush(kBook);
    painter.drawRect(QRectF(2.5, 1.5, 10, 12));
    painter.setBrush(kPaper);
    painter.drawRect(QRectF(12.5, 2.5, 1.5, 11));
    painter.setPen(QPen(kPaper, 1.0));
    painter.drawLine(QPointF(5, 5), QPointF(10, 5));
    painter.drawLine(QPointF(5, 7), QPointF(10, 7));
    painter.setPen(QPen(kOutline, 1.0));
}

void Envelope(QPainter& painter) {
    painter.setBrush(kEnvelope);
    painter.drawRect(QRectF(1.5, 3.5, 13, 9));
    painter.drawPolyline(QPolygonF({QPointF(1.5, 3.5), QPointF(8, 9), QPointF(14.5, 3.5)}));
}

void Key(QPainter& painter) {
    painter.setBrush(kKey);
    painter.drawEllipse(QPointF(4.5, 7.5), 3.2, 3.2);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QPointF(4.0, 7.5), 1.0, 1.0);
    painter.setBrush(kKey);
    painter.drawRect(QRectF(7.5, 6.5, 7, 2));
    painter.drawRect(QRectF(11.5, 8.5, 1.5, 2.5));
    painter.drawRect(QRectF(13.5, 8.5, 1.0, 2.0));
}

void Magnifier(QPainter& painter) {
    painter.setBrush(QColor(200, 230, 250));
    painter.drawEllipse(QPointF(6, 6), 4.2, 4.2);
    painter.setPen(QPen(kOutline, 2.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(9.2, 9.2), QPointF(13.5, 13.5));
    painter.setPen(QPen(kOutline, 1.0));
}

void Rows(QPainter& painter) {
    painter.setBrush(kPaper);
    painter.drawRect(QRectF(1.5, 1.5, 10, 12));
    for (const qreal y : {4.5, 7.5, 10.5}) painter.drawLine(QPointF(3, y), QPointF(10, y));
}

void Cross(QPainter& painter, QPointF centre) {
    painter.setPen(QPen(kRed, 2.0, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(centre + QPointF(-2.5, -2.5), centre + QPointF(2.5, 2.5));
    painter.drawLine(centre + QPointF(-2.5, 2.5), centre + QPointF(2.5, -2.5));
    painter.setPen(QPen(kOutline, 1.0));
}

void Globe(QPainter& painter) {
    painter.setBrush(kGlobe);
    painter.drawEllipse(QPointF(8, 7.5), 6.2, 6.2);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, 0.8));
    painter.drawEllipse(QPointF(8, 7.5), 2.6, 6.2);
    painter.drawLine(QPointF(1.8, 7.5), QPointF(14.2, 7.5));
    painter.drawLine(QPointF(8, 1.3), QPointF(8, 13.7));
    painter.setPen(QPen(kOutline, 1.0));
}

void SimCard(QPainter& painter) {
    painter.setBrush(kCard);
    painter.drawPolygon(
        QPolygonF({QPointF(2.5, 1.5), QPointF(9.5, 1.5), QPointF(12.5, 4.5), QPointF(12.5, 13.5), QPointF(2.5, 13.5)}));
    painter.setBrush(kGold);
    painter.drawRoundedRect(QRectF(4.5, 6.5, 6, 5), 1, 1);
}

void Tick(QPainter& painter) {
    painter.setPen(QPen(kGreen, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(QPolygonF({QPointF(8.5, 9.5), QPointF(11, 12.5), QPointF(15, 5.5)}));
    painter.setPen(QPen(kOutline, 1.0));
}

void Info(QPainter& painter) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(30, 110, 210));
    painter.drawEllipse(QPointF(12, 4), 3.5, 3.5);
    painter.setPen(QPen(Qt::white, 1.4, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(12, 3.5), QPointF(12, 6.5));
    painter.drawPoint(QPointF(12, 1.8));
    painter.setPen(QPen(kOutline, 1.0));
}

}  // namespace

QIcon ToolbarIcon(app::CommandId command) {
    switch (command) {
        case app::CommandId::ToolOpenFile:
            return Draw(Folder);
        case app::CommandId::ToolSaveFile:
            return Draw(Disk);
        case app::CommandId::ToolPrint:
            return Draw(Printer);
        case app::CommandId::ToolEditPhoneBook:
            return Draw(Book);
        case app::CommandId::ToolAnotherPhoneBook:
            return Draw([](QPainter& p) {
                Book(p);
                Plus(p, QPointF(12, 11), kGreen);
            });
        case app::CommandId::ToolEditMessages:
            return Draw(Envelope);
        case app::CommandId::ToolAnotherSmsWindow:
            return Draw([](QPainter& p) {
                Envelope(p);
                Plus(p, QPointF(12, 11), kGreen);
            });
        case app::CommandId::ToolEnterPin:
            return Draw(Key);
        case app::CommandId::ToolFindReplace:
            return Draw(Magnifier);
        case app::CommandId::ToolFindNext:
            return Draw([](QPainter& p) {
                Magnifier(p);
                p.setBrush(kGreen);
                p.setPen(Qt::NoPen);
                p.drawPolygon(QPolygonF({QPointF(11, 1), QPointF(15.5, 4), QPointF(11, 7)}));
            });
        case app::CommandId::ToolInsertItem:
            return Draw([](QPainter& p) {
                Rows(p);
                Plus(p, QPointF(12, 10.5), kGreen);
            });
        case app::CommandId::ToolDeleteItem:
            return Draw([](QPainter& p) {
                Rows(p);
                p.setPen(QPen(kRed, 2.0, Qt::SolidLine, Qt::FlatCap));
                p.drawLine(QPointF(9, 10.5), QPointF(15, 10.5));
            });
        case app::CommandId::ToolDeleteSelected:
            return Draw([](QPainter& p) {
                Rows(p);
                Cross(p, QPointF(12, 10.5));
            });
        case app::CommandId::ToolInternationalize:
            return Draw(Globe);
        case app::CommandId::ToolSimInformation:
            return Draw([](QPainter& p) {
                SimCard(p);
                Info(p);
            });
        case app::CommandId::ToolCheckAndRepair:
            return Draw([](QPainter& p) {
                SimCard(p);
                Tick(p);
            });
        default:
            return {};
    }
}

}  // namespace quillet::ui
