#include "SpanBand.h"

#include "GraphView.h"

namespace {

constexpr int kGrabPixels = 6; // how near an edge a press takes that edge
const QColor kEdgeColour(255, 200, 0);
const QColor kBandColour(255, 200, 0, 48);

} // namespace

SpanBand::SpanBand(GraphView& graph)
    : QObject(&graph), m_graph(graph),
      m_band(new QCPItemRect(&graph)), m_edges{new QCPItemStraightLine(&graph),
                                               new QCPItemStraightLine(&graph)}
{
    QCPAxis* x = graph.axis(1);
    QCPAxis* y = graph.axis(2);
    m_band->setPen(Qt::NoPen);
    m_band->setBrush(kBandColour);
    m_band->setSelectable(false);
    // X in the record axis's units, Y across the whole height of the plot area.
    for (QCPItemPosition* p : {m_band->topLeft, m_band->bottomRight}) {
        p->setTypeX(QCPItemPosition::ptPlotCoords);
        p->setTypeY(QCPItemPosition::ptAxisRectRatio);
        p->setAxes(x, y);
        p->setAxisRect(graph.axisRect());
    }
    for (QCPItemStraightLine* edge : m_edges) {
        edge->setPen(QPen(kEdgeColour, 1));
        edge->setSelectable(false);
        for (QCPItemPosition* p : {edge->point1, edge->point2}) {
            p->setTypeX(QCPItemPosition::ptPlotCoords);
            p->setTypeY(QCPItemPosition::ptAxisRectRatio);
            p->setAxes(x, y);
            p->setAxisRect(graph.axisRect());
        }
    }
    place();
    connect(&graph, &QCustomPlot::mousePress, this, &SpanBand::onPress);
    connect(&graph, &QCustomPlot::mouseMove, this, &SpanBand::onMove);
    connect(&graph, &QCustomPlot::mouseRelease, this, &SpanBand::onRelease);
}

void SpanBand::setMarking(bool on)
{
    m_marking = on;
    m_dragging = -1;
}

void SpanBand::setSpan(double from, double to)
{
    m_ends[0] = std::min(from, to);
    m_ends[1] = std::max(from, to);
    m_shown = true;
    place();
    emit changed(m_ends[0], m_ends[1]);
}

void SpanBand::clear()
{
    m_shown = false;
    m_dragging = -1;
    place();
}

std::optional<std::pair<double, double>> SpanBand::span() const
{
    if (!m_shown)
        return std::nullopt;
    return std::pair{std::min(m_ends[0], m_ends[1]), std::max(m_ends[0], m_ends[1])};
}

void SpanBand::place()
{
    m_band->setVisible(m_shown);
    m_band->topLeft->setCoords(m_ends[0], 0);
    m_band->bottomRight->setCoords(m_ends[1], 1);
    for (int i = 0; i < 2; ++i) {
        m_edges[i]->setVisible(m_shown);
        m_edges[i]->point1->setCoords(m_ends[i], 0);
        m_edges[i]->point2->setCoords(m_ends[i], 1);
    }
    m_graph.requestReplot();
}

void SpanBand::onPress(QMouseEvent* event)
{
    if (!m_marking || event->button() != Qt::LeftButton ||
        !m_graph.axisRect()->rect().contains(event->position().toPoint()))
        return;
    QCPAxis* x = m_graph.axis(1);
    const double at = x->pixelToCoord(event->position().x());
    m_dragging = -1;
    if (m_shown) {
        for (int i = 0; i < 2; ++i) {
            if (std::abs(x->coordToPixel(m_ends[i]) - event->position().x()) <= kGrabPixels)
                m_dragging = i;
        }
    }
    if (m_dragging < 0) {
        // A new band, from here to wherever the drag ends.
        m_ends[0] = at;
        m_ends[1] = at;
        m_dragging = 1;
        m_shown = true;
    }
    place();
}

void SpanBand::onMove(QMouseEvent* event)
{
    if (m_dragging < 0)
        return;
    m_ends[m_dragging] = m_graph.axis(1)->pixelToCoord(event->position().x());
    place();
}

void SpanBand::onRelease(QMouseEvent* event)
{
    if (m_dragging < 0 || event->button() != Qt::LeftButton)
        return;
    onMove(event);
    m_dragging = -1;
    if (m_ends[0] == m_ends[1]) {
        clear(); // a click marks no span
        return;
    }
    setSpan(m_ends[0], m_ends[1]);
}
