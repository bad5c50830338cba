#include "ListImages.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int kSide = 24;
const QColor kOutline(0x2a, 0x2e, 0x35);

void drawSave(QPainter& p)
{
    // A diskette: blue case, metal shutter, white label.
    QPainterPath disk;
    disk.moveTo(3, 3);
    disk.lineTo(18, 3);
    disk.lineTo(21, 6);
    disk.lineTo(21, 21);
    disk.lineTo(3, 21);
    disk.closeSubpath();
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(0x2f, 0x5d, 0xa8));
    p.drawPath(disk);
    p.setBrush(QColor(0xd8, 0xdc, 0xe2));
    p.drawRect(QRectF(7, 3.5, 10, 6));
    p.fillRect(QRectF(13.5, 4.5, 2, 4), QColor(0x2f, 0x5d, 0xa8));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6, 13, 12, 7.5));
    p.setPen(QPen(QColor(0x9a, 0xa3, 0xb0), 0.8));
    p.drawLine(QPointF(8, 15.5), QPointF(16, 15.5));
    p.drawLine(QPointF(8, 18), QPointF(16, 18));
}

void drawPrint(QPainter& p)
{
    // A printer with a sheet coming out.
    p.setPen(QPen(kOutline, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6.5, 2.5, 11, 8));
    QLinearGradient body(0, 9, 0, 18);
    body.setColorAt(0, QColor(0xb8, 0xbe, 0xc8));
    body.setColorAt(1, QColor(0x7c, 0x84, 0x90));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(2.5, 9.5, 19, 8.5), 1.5, 1.5);
    p.setBrush(QColor(0x3a, 0xb0, 0x4a));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(18.5, 12), 1, 1);
    p.setPen(QPen(kOutline, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6.5, 15.5, 11, 6));
    p.setPen(QPen(QColor(0x5a, 0x62, 0x6e), 0.8));
    p.drawLine(QPointF(8.5, 17.5), QPointF(15.5, 17.5));
    p.drawLine(QPointF(8.5, 19.5), QPointF(13.5, 19.5));
}

void drawPlot(QPainter& p)
{
    // A small chart: white paper, two axes and a rising trace.
    p.setPen(QPen(kOutline, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 2.5, 19, 19));
    p.setPen(QPen(kOutline, 1.2));
    p.drawLine(QPointF(5.5, 4.5), QPointF(5.5, 18.5));
    p.drawLine(QPointF(5.5, 18.5), QPointF(19.5, 18.5));
    p.setPen(QPen(QColor(0xd0, 0x30, 0x30), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPointF trace[] = {{6.5, 16}, {9.5, 12.5}, {12, 14}, {15, 8}, {18.5, 6}};
    p.drawPolyline(trace, 5);
}

void drawLimit(QPainter& p)
{
    // Two limit lines on a chart with a double arrow between them.
    p.setPen(QPen(kOutline, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 2.5, 19, 19));
    p.setPen(QPen(QColor(0xd0, 0x30, 0x30), 1.4, Qt::DashLine));
    p.drawLine(QPointF(4.5, 6.5), QPointF(19.5, 6.5));
    p.drawLine(QPointF(4.5, 17.5), QPointF(19.5, 17.5));
    p.setPen(QPen(QColor(0x2f, 0x5d, 0xa8), 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(12, 8.5), QPointF(12, 15.5));
    const QPointF up[] = {{9.5, 11}, {12, 8.5}, {14.5, 11}};
    const QPointF down[] = {{9.5, 13}, {12, 15.5}, {14.5, 13}};
    p.drawPolyline(up, 3);
    p.drawPolyline(down, 3);
}

void drawCsv(QPainter& p)
{
    // A sheet of comma-separated cells with a green arrow leading out of it.
    QPainterPath sheet;
    sheet.moveTo(3.5, 2.5);
    sheet.lineTo(14.5, 2.5);
    sheet.lineTo(18.5, 6.5);
    sheet.lineTo(18.5, 21.5);
    sheet.lineTo(3.5, 21.5);
    sheet.closeSubpath();
    p.setPen(QPen(kOutline, 1));
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    p.setPen(QPen(QColor(0x9a, 0xa3, 0xb0), 0.8));
    for (const qreal y : {8.5, 12.0, 15.5, 19.0})
        p.drawLine(QPointF(5.5, y), QPointF(16.5, y));
    p.drawLine(QPointF(9.5, 7), QPointF(9.5, 20));
    p.drawLine(QPointF(13, 7), QPointF(13, 20));
    p.setPen(QPen(QColor(0x2e, 0x8b, 0x3a), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(12, 16), QPointF(21, 16));
    const QPointF head[] = {{18, 13}, {21.5, 16}, {18, 19}};
    p.drawPolyline(head, 3);
}

void drawPicture(QPainter& p)
{
    // A framed landscape: sky, a sun and two hills.
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(0xcf, 0xe6, 0xfa));
    p.drawRect(QRectF(2.5, 4.5, 19, 15));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf5, 0xb8, 0x00));
    p.drawEllipse(QPointF(16.5, 8.5), 2, 2);
    p.setBrush(QColor(0x3a, 0x9a, 0x4a));
    const QPointF hills[] = {{3, 19}, {9, 11}, {13, 16}, {15.5, 13.5}, {21, 19}};
    p.drawPolygon(hills, 5);
}

QPixmap draw(ListImage image, qreal dpr)
{
    QPixmap pm(QSize(kSide, kSide) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    switch (image) {
    case ListImage::Save:
        drawSave(p);
        break;
    case ListImage::Print:
        drawPrint(p);
        break;
    case ListImage::Plot:
        drawPlot(p);
        break;
    case ListImage::Limit:
        drawLimit(p);
        break;
    case ListImage::Csv:
        drawCsv(p);
        break;
    case ListImage::Picture:
        drawPicture(p);
        break;
    }
    return pm;
}

} // namespace

QIcon listImage(ListImage image)
{
    QIcon icon;
    icon.addPixmap(draw(image, 1.0));
    icon.addPixmap(draw(image, 2.0));
    return icon;
}
