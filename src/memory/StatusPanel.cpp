#include "StatusPanel.h"

#include <QPainter>

#include <algorithm>

StatusPanel::StatusPanel(QWidget* parent) : QLabel(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setMargin(2);
    setMinimumHeight(fontMetrics().height() + 8);
}

void StatusPanel::setFillVisible(bool on)
{
    m_fillVisible = on;
    m_percent = 0;
    update();
}

void StatusPanel::setFillPercent(double percent)
{
    m_percent = std::clamp(percent, 0.0, 100.0);
    update();
}

void StatusPanel::paintEvent(QPaintEvent* event)
{
    if (m_fillVisible) {
        QPainter p(this);
        const QRect inside = contentsRect();
        QRect filled = inside;
        filled.setWidth(int(inside.width() * m_percent / 100.0 + 0.5));
        p.fillRect(filled, palette().color(QPalette::Highlight));
    }
    QLabel::paintEvent(event);
}
