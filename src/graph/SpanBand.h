#pragma once

#include <QObject>

#include <optional>
#include <utility>

class GraphView;
class QCPItemRect;
class QCPItemStraightLine;
class QMouseEvent;

/// A span of a graph's record axis marked by two cursors with a shaded band between them.
/// While marking is on, dragging across the plot area draws a new band, and dragging near one
/// of its edges moves that edge; the graph's own track mode should then be "Normal", so that
/// the drag pans or zooms nothing.
class SpanBand : public QObject
{
    Q_OBJECT
public:
    /// Marks spans on `graph`, which owns the band's items.
    explicit SpanBand(GraphView& graph);

    void setMarking(bool on);
    /// Shows the band from `from` to `to` (in either order) on the record axis.
    void setSpan(double from, double to);
    /// Hides the band: no span.
    void clear();
    /// The span as (lower, upper), when there is one.
    [[nodiscard]] std::optional<std::pair<double, double>> span() const;

signals:
    /// The span was marked or moved by hand, or set; `from` <= `to`.
    void changed(double from, double to);

private:
    void onPress(QMouseEvent* event);
    void onMove(QMouseEvent* event);
    void onRelease(QMouseEvent* event);
    void place();

    GraphView& m_graph;
    QCPItemRect* m_band;
    QCPItemStraightLine* m_edges[2];
    double m_ends[2] = {0, 0};
    bool m_shown = false;
    bool m_marking = false;
    int m_dragging = -1; // the end being dragged, or -1
};
