#include "LcdScreen.h"

#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>
#include <QRadialGradient>

namespace {

const QColor kGlassTop(0xc6, 0xd0, 0xb4);
const QColor kGlassBottom(0xa9, 0xb6, 0x98);
const QColor kInk(0x1b, 0x22, 0x18);

} // namespace

LcdScreen::LcdScreen(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("LcdScreen"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QColor LcdScreen::inkColor()
{
    return kInk;
}

QColor LcdScreen::unlitColor()
{
    QColor c = kInk;
    c.setAlpha(20);
    return c;
}

void LcdScreen::clearGhosts()
{
    m_ghosts.clear();
    m_face = QPixmap();
    update();
}

void LcdScreen::addGhost(const QRect& rect, const QString& text, const QFont& font,
                         Qt::Alignment alignment)
{
    m_ghosts.append({rect, text, font, alignment});
    m_face = QPixmap();
    update(rect);
}

void LcdScreen::resizeEvent(QResizeEvent* event)
{
    m_face = QPixmap();
    QWidget::resizeEvent(event);
}

void LcdScreen::renderFace()
{
    const qreal dpr = devicePixelRatioF();
    m_face = QPixmap(size() * dpr);
    m_face.setDevicePixelRatio(dpr);

    QPainter p(&m_face);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = rect();

    QLinearGradient glass(r.topLeft(), r.bottomLeft());
    glass.setColorAt(0.0, kGlassTop);
    glass.setColorAt(1.0, kGlassBottom);
    p.fillRect(r, glass);

    // A soft light spot, as from a lamp above the bench, keeps the face from looking flat.
    QRadialGradient sheen(r.width() * 0.3, r.height() * 0.15, r.width() * 0.8);
    sheen.setColorAt(0.0, QColor(255, 255, 255, 46));
    sheen.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.fillRect(r, sheen);

    p.setPen(unlitColor());
    for (const Ghost& g : m_ghosts) {
        p.setFont(g.font);
        p.drawText(g.rect, static_cast<int>(g.alignment), g.text);
    }

    // The glass sits under the bezel: a thin shadow along its top and left edges.
    QLinearGradient top(r.topLeft(), r.topLeft() + QPointF(0, 6));
    top.setColorAt(0.0, QColor(0, 0, 0, 90));
    top.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.fillRect(QRectF(r.left(), r.top(), r.width(), 6), top);
    QLinearGradient left(r.topLeft(), r.topLeft() + QPointF(4, 0));
    left.setColorAt(0.0, QColor(0, 0, 0, 70));
    left.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.fillRect(QRectF(r.left(), r.top(), 4, r.height()), left);
}

void LcdScreen::paintEvent(QPaintEvent* event)
{
    if (m_face.isNull() || m_face.size() != size() * devicePixelRatioF())
        renderFace();
    QPainter p(this);
    const QRect dirty = event->rect();
    p.drawPixmap(dirty, m_face,
                 QRectF(dirty.topLeft() * devicePixelRatioF(), dirty.size() * devicePixelRatioF()));
}
