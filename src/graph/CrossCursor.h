#pragma once

#include <QPointF>

class QCPAxis;
class QCPItemStraightLine;
class QCustomPlot;
class QPen;

/// One crosshair cursor of a graph: a vertical and a horizontal line through a point given in
/// the units of a record axis and a value axis. Hidden until shown, and while it has no value
/// axis to stand on.
class CrossCursor
{
public:
    /// Adds the cursor's lines to `plot`, which owns them.
    explicit CrossCursor(QCustomPlot& plot);

    /// Puts the cursor on axes `x` and `y`; without a `y` it cannot be shown.
    void bind(QCPAxis* x, QCPAxis* y);
    void setVisible(bool visible);
    [[nodiscard]] bool isVisible() const { return m_visible; }
    void setPosition(QPointF position);
    [[nodiscard]] QPointF position() const { return m_position; }
    void setPen(const QPen& pen);

private:
    void place();

    QCPItemStraightLine* m_vertical;
    QCPItemStraightLine* m_horizontal;
    QPointF m_position;
    bool m_visible = false;
    bool m_bound = false;
};
