#include "CrossCursor.h"

#include <qcustomplot.h>

CrossCursor::CrossCursor(QCustomPlot& plot)
    : m_vertical(new QCPItemStraightLine(&plot)), m_horizontal(new QCPItemStraightLine(&plot))
{
    for (QCPItemStraightLine* line : {m_vertical, m_horizontal}) {
        line->setSelectable(false);
        line->setVisible(false);
    }
}

void CrossCursor::bind(QCPAxis* x, QCPAxis* y)
{
    m_bound = y != nullptr;
    for (QCPItemStraightLine* line : {m_vertical, m_horizontal}) {
        for (QCPItemPosition* p : {line->point1, line->point2}) {
            p->setType(QCPItemPosition::ptPlotCoords);
            if (y)
                p->setAxes(x, y);
        }
    }
    place();
}

void CrossCursor::setVisible(bool visible)
{
    m_visible = visible;
    place();
}

void CrossCursor::setPosition(QPointF position)
{
    m_position = position;
    place();
}

void CrossCursor::setPen(const QPen& pen)
{
    m_vertical->setPen(pen);
    m_horizontal->setPen(pen);
}

void CrossCursor::place()
{
    const bool shown = m_visible && m_bound;
    m_vertical->setVisible(shown);
    m_horizontal->setVisible(shown);
    const double x = m_position.x();
    const double y = m_position.y();
    m_vertical->point1->setCoords(x, y);
    m_vertical->point2->setCoords(x, y + 1);
    m_horizontal->point1->setCoords(x, y);
    m_horizontal->point2->setCoords(x + 1, y);
}
