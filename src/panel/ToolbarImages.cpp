#include "ToolbarImages.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace {

constexpr int kSide = 24;
const QColor kOutline(0x2a, 0x2e, 0x35);

using Artist = std::function<void(QPainter&)>;

QPixmap draw(const Artist& artist, qreal dpr)
{
    QPixmap pm(QSize(kSide, kSide) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    artist(p);
    return pm;
}

void recordDot(QPainter& p, QPointF centre, qreal radius)
{
    QRadialGradient g(centre - QPointF(radius / 3, radius / 3), radius * 1.4);
    g.setColorAt(0.0, QColor(0xff, 0x8a, 0x80));
    g.setColorAt(1.0, QColor(0xc6, 0x1b, 0x12));
    p.setPen(QPen(QColor(0x7a, 0x10, 0x0a), 0.8));
    p.setBrush(g);
    p.drawEllipse(centre, radius, radius);
}

void save(QPainter& p)
{
    // Floppy disk with a record dot.
    QPainterPath disk;
    disk.moveTo(3, 3);
    disk.lineTo(17, 3);
    disk.lineTo(20, 6);
    disk.lineTo(20, 20);
    disk.lineTo(3, 20);
    disk.closeSubpath();
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(0x2f, 0x5d, 0xa8));
    p.drawPath(disk);
    p.setBrush(QColor(0xd8, 0xdc, 0xe2));
    p.drawRect(QRectF(6.5, 3.5, 9, 5.5));
    p.fillRect(QRectF(12, 4.5, 2, 3.5), QColor(0x2f, 0x5d, 0xa8));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5.5, 12, 12, 7.5));
    recordDot(p, QPointF(18.5, 18.5), 4.2);
}

void open(QPainter& p)
{
    p.setPen(QPen(QColor(0x8a, 0x62, 0x10), 1));
    p.setBrush(QColor(0xe8, 0xb8, 0x4a));
    QPainterPath back;
    back.moveTo(2.5, 6);
    back.lineTo(9, 6);
    back.lineTo(11, 8);
    back.lineTo(19.5, 8);
    back.lineTo(19.5, 19.5);
    back.lineTo(2.5, 19.5);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(QColor(0xf6, 0xd2, 0x72));
    QPainterPath front;
    front.moveTo(5.5, 11);
    front.lineTo(22, 11);
    front.lineTo(19.5, 19.5);
    front.lineTo(2.5, 19.5);
    front.closeSubpath();
    p.drawPath(front);
}

void list(QPainter& p)
{
    p.setPen(QPen(kOutline, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 2.5, 15, 19));
    for (int row = 0; row < 5; ++row) {
        const qreal y = 6.5 + row * 3.2;
        p.fillRect(QRectF(6.5, y - 0.6, 2, 1.6), QColor(0x2f, 0x5d, 0xa8));
        p.fillRect(QRectF(9.5, y - 0.5, 8, 1.3), QColor(0x55, 0x5b, 0x64));
    }
}

void graph(QPainter& p)
{
    p.setPen(QPen(kOutline, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 3.5, 19, 17));
    p.setPen(QPen(QColor(0x88, 0x8e, 0x96), 0.8));
    p.drawLine(QPointF(5, 18), QPointF(20, 18));
    p.drawLine(QPointF(5, 5.5), QPointF(5, 18));
    p.setPen(QPen(QColor(0xd0, 0x30, 0x20), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPointF red[] = {{5.5, 15}, {9, 11}, {12, 13}, {15.5, 7}, {19.5, 9}};
    p.drawPolyline(red, 5);
    p.setPen(QPen(QColor(0x20, 0x70, 0xc0), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPointF blue[] = {{5.5, 17}, {9, 15.5}, {12, 16}, {15.5, 13}, {19.5, 14}};
    p.drawPolyline(blue, 5);
}

void sampling(QPainter& p)
{
    // Stopwatch: crown, case, one hand.
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(0x9a, 0xa0, 0xa8));
    p.drawRect(QRectF(10, 1.5, 4, 3));
    p.drawLine(QPointF(18, 5), QPointF(19.5, 3.5));
    QRadialGradient g(QPointF(10, 11), 11);
    g.setColorAt(0.0, Qt::white);
    g.setColorAt(1.0, QColor(0xd6, 0xda, 0xe0));
    p.setBrush(g);
    p.setPen(QPen(kOutline, 1.6));
    p.drawEllipse(QPointF(12, 13.5), 8.5, 8.5);
    p.setPen(QPen(kOutline, 0.8));
    for (int k = 0; k < 12; ++k) {
        p.save();
        p.translate(12, 13.5);
        p.rotate(k * 30.0);
        p.drawLine(QPointF(0, -7), QPointF(0, k % 3 == 0 ? -5.2 : -6.2));
        p.restore();
    }
    p.setPen(QPen(QColor(0xd0, 0x30, 0x20), 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(12, 13.5), QPointF(16, 9));
}

void stopRec(QPainter& p)
{
    QLinearGradient g(QPointF(0, 5), QPointF(0, 19));
    g.setColorAt(0.0, QColor(0xf0, 0x4a, 0x3c));
    g.setColorAt(1.0, QColor(0xb0, 0x16, 0x0e));
    p.setPen(QPen(QColor(0x6a, 0x0c, 0x08), 1));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(5.5, 5.5, 13, 13), 1.5, 1.5);
}

void clock(QPainter& p)
{
    QRadialGradient g(QPointF(10, 10), 12);
    g.setColorAt(0.0, Qt::white);
    g.setColorAt(1.0, QColor(0xe2, 0xe6, 0xea));
    p.setBrush(g);
    p.setPen(QPen(QColor(0x2f, 0x5d, 0xa8), 2));
    p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
    p.setPen(QPen(kOutline, 1.1));
    for (int k = 0; k < 4; ++k) {
        p.save();
        p.translate(12, 12);
        p.rotate(k * 90.0);
        p.drawLine(QPointF(0, -7.5), QPointF(0, -6));
        p.restore();
    }
    p.setPen(QPen(kOutline, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(12, 12), QPointF(12, 6.5));
    p.drawLine(QPointF(12, 12), QPointF(16, 13.5));
}

void memory(QPainter& p)
{
    // A chip with pins on both long sides.
    p.setPen(QPen(QColor(0x8a, 0x90, 0x98), 1.2));
    for (int k = 0; k < 5; ++k) {
        const qreal y = 6 + k * 3;
        p.drawLine(QPointF(2.5, y), QPointF(6, y));
        p.drawLine(QPointF(18, y), QPointF(21.5, y));
    }
    QLinearGradient g(QPointF(0, 3), QPointF(0, 21));
    g.setColorAt(0.0, QColor(0x4a, 0x4f, 0x57));
    g.setColorAt(1.0, QColor(0x1e, 0x21, 0x25));
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(5.5, 3.5, 13, 17), 1.5, 1.5);
    p.setBrush(QColor(0x70, 0x76, 0x7e));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(8.5, 6.5), 1.2, 1.2);
}

void comparator(QPainter& p)
{
    // Upper and lower limit with a value between them: a green band between two red lines.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x5c, 0xb8, 0x5c, 90));
    p.drawRect(QRectF(3, 7.5, 18, 9));
    p.setPen(QPen(QColor(0xd0, 0x30, 0x20), 1.6));
    p.drawLine(QPointF(2.5, 7), QPointF(21.5, 7));
    p.drawLine(QPointF(2.5, 17), QPointF(21.5, 17));
    p.setPen(QPen(QColor(0x1f, 0x7a, 0x2a), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPointF trace[] = {{3, 13}, {7, 10.5}, {11, 13.5}, {15, 10}, {21, 12}};
    p.drawPolyline(trace, 5);
}

void erase(QPainter& p)
{
    // A slanted eraser over a smudge line.
    p.setPen(QPen(QColor(0x9a, 0xa0, 0xa8), 1.2, Qt::DashLine));
    p.drawLine(QPointF(3, 20.5), QPointF(21, 20.5));
    p.save();
    p.translate(12, 11);
    p.rotate(-35);
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(0xf0, 0x8c, 0xa0));
    p.drawRoundedRect(QRectF(-8.5, -4.5, 11, 9), 1.2, 1.2);
    p.setBrush(QColor(0x4a, 0x7c, 0xd0));
    p.drawRoundedRect(QRectF(2.5, -4.5, 6, 9), 1.2, 1.2);
    p.restore();
}

void grade(QPainter& p)
{
    // A cylindrical cell beside a tick: measured, and it passed.
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(0x9a, 0xa0, 0xa8));
    p.drawRect(QRectF(7, 2.5, 3, 2));
    QLinearGradient g(QPointF(4.5, 0), QPointF(12.5, 0));
    g.setColorAt(0.0, QColor(0x1f, 0x5f, 0x9a));
    g.setColorAt(0.45, QColor(0x6f, 0xa8, 0xe6));
    g.setColorAt(1.0, QColor(0x1f, 0x4a, 0x80));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(4.5, 4.5, 8, 17), 1.5, 1.5);
    p.setBrush(QColor(0xe8, 0xec, 0xf0));
    p.drawRect(QRectF(4.5, 10, 8, 3.5));
    p.setPen(QPen(QColor(0x1f, 0x7a, 0x2a), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPointF tick[] = {{13.5, 14.5}, {16.5, 18.5}, {21.5, 9}};
    p.drawPolyline(tick, 3);
}

Artist artistFor(int image)
{
    switch (image) {
    case 1:
        return save;
    case 2:
        return open;
    case 3:
        return list;
    case 4:
        return graph;
    case 5:
        return sampling;
    case 6:
        return stopRec;
    case 7:
        return clock;
    case 8:
        return memory;
    case 9:
        return comparator;
    case 10:
        return erase;
    case 11:
        return grade;
    default:
        return [](QPainter&) {};
    }
}

} // namespace

QIcon toolbarImage(int image)
{
    const Artist artist = artistFor(image);
    QIcon icon;
    icon.addPixmap(draw(artist, 1.0));
    icon.addPixmap(draw(artist, 2.0));
    return icon;
}
