#include "LcdPicture.h"

#include <QPainter>
#include <QPainterPath>

LcdPicture::LcdPicture(Shape shape, const QString& text, QWidget* parent)
    : QWidget(parent), m_shape(shape), m_text(text)
{
}

void LcdPicture::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    update();
}

void LcdPicture::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QColor ink = palette().color(QPalette::WindowText);
    const QRectF r = rect();

    switch (m_shape) {
    case Shape::Glyph:
        p.setPen(ink);
        p.setFont(font());
        p.drawText(r, static_cast<int>(m_alignment), m_text);
        break;
    case Shape::Boxed: {
        const qreal side = qMin(r.width(), r.height()) - 1.0;
        const QRectF box(r.left() + 0.5, r.center().y() - side / 2, side, side);
        p.setPen(QPen(ink, 1.2));
        p.drawRect(box);
        p.setFont(font());
        p.drawText(box, Qt::AlignCenter, m_text);
        break;
    }
    case Shape::Line:
        p.fillRect(r, ink);
        break;
    case Shape::Pointer: {
        QPainterPath wedge;
        wedge.moveTo(r.left() + r.width() * 0.2, r.top());
        wedge.lineTo(r.right() - r.width() * 0.2, r.top());
        wedge.lineTo(r.center().x(), r.bottom());
        wedge.closeSubpath();
        p.fillPath(wedge, ink);
        break;
    }
    case Shape::Scale: {
        // Baseline across the segment, a tick in its middle, the legend under the tick.
        const qreal baseY = r.top() + 2.0;
        p.setPen(QPen(ink, 1.4, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(r.left(), baseY), QPointF(r.right() + 1, baseY));
        p.drawLine(QPointF(r.center().x(), baseY), QPointF(r.center().x(), baseY + 4.0));
        p.setFont(font());
        p.drawText(QRectF(r.left(), baseY + 4.0, r.width(), r.height() - baseY - 4.0),
                   Qt::AlignHCenter | Qt::AlignTop, m_text);
        break;
    }
    }
}
