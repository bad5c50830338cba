#include "KeyFace.h"

#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

struct Colours
{
    QColor top, bottom, rim, text, pressedTop, pressedBottom;
};

Colours colours(KeyFace::Tone tone)
{
    if (tone == KeyFace::Tone::Gray)
        return {QColor(0xd4, 0xd6, 0xd8), QColor(0x9c, 0xa0, 0xa5), QColor(0xee, 0xef, 0xf0),
                QColor(0x25, 0x28, 0x2c), QColor(0x80, 0x84, 0x89), QColor(0x96, 0x9a, 0x9f)};
    return {QColor(0x5a, 0x5f, 0x67), QColor(0x30, 0x33, 0x38), QColor(0x80, 0x86, 0x8e),
            QColor(0xf2, 0xf3, 0xf4), QColor(0x1e, 0x20, 0x23), QColor(0x2b, 0x2e, 0x32)};
}

// The focus ring: the amber of a lit indicator lamp, which reads on the dark case and on the
// grey keys alike and does not look like an LCD segment.
const QColor kFocusRing(0xff, 0xb8, 0x3d);

bool isPressKey(const QKeyEvent* event)
{
    const int key = event->key();
    return key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

KeyFace::KeyFace(int index, Tone tone, Arrow arrow, const QString& caption, QWidget* parent)
    : QWidget(parent), m_index(index), m_tone(tone), m_arrow(arrow), m_caption(caption)
{
    setCursor(Qt::PointingHandCursor);
    // Tab reaches the keys; a click does not leave a ring behind on the key clicked.
    setFocusPolicy(Qt::TabFocus);
    // A right-button press is a key press; it opens no menu of the window beneath.
    setContextMenuPolicy(Qt::PreventContextMenu);
}

void KeyFace::setFaceDown(bool down)
{
    if (m_down == down)
        return;
    m_down = down;
    update();
}

void KeyFace::press(Holder holder)
{
    m_holder = holder;
    setFaceDown(true);
    emit pressed(m_index);
}

void KeyFace::release()
{
    m_holder = Holder::None;
    setFaceDown(false);
    emit released(m_index);
}

void KeyFace::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (m_holder == Holder::None)
        press(Holder::Mouse);
}

void KeyFace::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (m_holder == Holder::Mouse && event->buttons() == Qt::NoButton)
        release();
}

void KeyFace::keyPressEvent(QKeyEvent* event)
{
    if (!isPressKey(event)) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    // A held key repeats; the press began at the first.
    if (!event->isAutoRepeat() && m_holder == Holder::None)
        press(Holder::Keyboard);
}

void KeyFace::keyReleaseEvent(QKeyEvent* event)
{
    if (!isPressKey(event)) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    event->accept();
    if (!event->isAutoRepeat() && m_holder == Holder::Keyboard)
        release();
}

void KeyFace::focusOutEvent(QFocusEvent* event)
{
    // Its key-up goes to another widget now: the press ends here.
    if (m_holder == Holder::Keyboard)
        release();
    QWidget::focusOutEvent(event);
}

void KeyFace::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const Colours c = colours(m_tone);
    const QRectF outer = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = qMin(outer.width(), outer.height()) * 0.22;

    // The well the key sits in: always drawn, so it is what shows while the face is down.
    QLinearGradient well(outer.topLeft(), outer.bottomLeft());
    well.setColorAt(0.0, QColor(0, 0, 0, 150));
    well.setColorAt(1.0, QColor(255, 255, 255, 40));
    p.setPen(Qt::NoPen);
    p.setBrush(well);
    p.drawRoundedRect(outer, radius, radius);

    const qreal lift = qMax<qreal>(2.0, outer.height() * 0.07);
    if (m_down) {
        // Pressed: sunk into the well, darker, lit from above by the well's shadow.
        const QRectF face = outer.adjusted(2.0, 2.0 + lift * 0.6, -2.0, -1.0);
        QLinearGradient g(face.topLeft(), face.bottomLeft());
        g.setColorAt(0.0, c.pressedTop);
        g.setColorAt(1.0, c.pressedBottom);
        p.setBrush(g);
        p.setPen(QPen(QColor(0, 0, 0, 140), 1.0));
        p.drawRoundedRect(face, radius * 0.85, radius * 0.85);
        QColor symbol = c.text;
        symbol.setAlpha(170);
        paintSymbol(p, face, symbol);
        paintFocusRing(p, outer, radius);
        return;
    }

    // Raised: a drop shadow under a face with a light rim along its top edge.
    const QRectF face = outer.adjusted(1.5, 1.0, -1.5, -lift);
    p.setBrush(QColor(0, 0, 0, 110));
    p.drawRoundedRect(face.translated(0, lift * 0.8), radius, radius);
    QLinearGradient g(face.topLeft(), face.bottomLeft());
    g.setColorAt(0.0, c.top);
    g.setColorAt(1.0, c.bottom);
    p.setBrush(g);
    p.setPen(QPen(c.rim, 1.0));
    p.drawRoundedRect(face, radius, radius);
    p.setPen(QPen(QColor(0, 0, 0, 60), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(face.adjusted(-0.5, -0.5, 0.5, 0.5), radius, radius);
    paintSymbol(p, face, c.text);
    paintFocusRing(p, outer, radius);
}

void KeyFace::paintFocusRing(QPainter& p, const QRectF& outer, qreal radius) const
{
    if (!hasFocus())
        return;
    // A lamp-coloured ring along the well's edge, with a faint glow inside it.
    QColor glow = kFocusRing;
    glow.setAlpha(90);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(glow, 4.0));
    p.drawRoundedRect(outer.adjusted(2.0, 2.0, -2.0, -2.0), radius, radius);
    p.setPen(QPen(kFocusRing, 1.6));
    p.drawRoundedRect(outer.adjusted(0.8, 0.8, -0.8, -0.8), radius, radius);
}

void KeyFace::paintSymbol(QPainter& p, const QRectF& face, const QColor& color) const
{
    if (m_arrow == Arrow::None) {
        p.setPen(color);
        p.setFont(font());
        p.drawText(face, Qt::AlignCenter, m_caption);
        return;
    }
    const qreal h = face.height() * 0.36;
    const qreal w = h * 1.15;
    const QPointF o = face.center();
    QPainterPath tri;
    switch (m_arrow) {
    case Arrow::Left:
        tri.moveTo(o.x() - h / 2, o.y());
        tri.lineTo(o.x() + h / 2, o.y() - w / 2);
        tri.lineTo(o.x() + h / 2, o.y() + w / 2);
        break;
    case Arrow::Right:
        tri.moveTo(o.x() + h / 2, o.y());
        tri.lineTo(o.x() - h / 2, o.y() - w / 2);
        tri.lineTo(o.x() - h / 2, o.y() + w / 2);
        break;
    case Arrow::Up:
        tri.moveTo(o.x(), o.y() - h / 2);
        tri.lineTo(o.x() - w / 2, o.y() + h / 2);
        tri.lineTo(o.x() + w / 2, o.y() + h / 2);
        break;
    case Arrow::Down:
        tri.moveTo(o.x(), o.y() + h / 2);
        tri.lineTo(o.x() - w / 2, o.y() - h / 2);
        tri.lineTo(o.x() + w / 2, o.y() - h / 2);
        break;
    case Arrow::None:
        break;
    }
    tri.closeSubpath();
    p.fillPath(tri, color);
}
