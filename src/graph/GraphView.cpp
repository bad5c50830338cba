#include "GraphView.h"

#include "AxisTickers.h"
#include "CrossCursor.h"
#include "FitSpan.h"
#include "PlotColours.h"

#include "GraphLibrary.h"
#include <QApplication>

#include <cmath>

namespace {

// Each wheel step (120 units) scales the axes by this much about the pointer.
constexpr double kWheelStepFactor = 0.85;

const QColor kGridColour(96, 96, 96);
const std::array<QColor, GraphView::CursorCount> kCursorColours{QColor(255, 255, 255),
                                                                QColor(255, 200, 0)};
constexpr int kClickSlack = 4; // pixels a click may move and still count as a click

} // namespace

GraphView::GraphView(QWidget* parent) : QCustomPlot(parent)
{
    setObjectName(QStringLiteral("CWGraph1"));
    setNoAntialiasingOnDrag(true);
    setPlottingHints(QCP::phFastPolylines | QCP::phCacheLabels);
    axisRect()->setRangeZoom(Qt::Horizontal | Qt::Vertical);

    m_axes = {xAxis, yAxis};
    m_ranges = {Range{}, Range{}};
    m_axisColours = {QColor(), QColor()};
    for (QCPAxis* a : m_axes) {
        watchRange(a);
        a->setTicker(readableTicker());
    }
    xAxis->setRange(0, 10);
    yAxis->setRange(0, 10);
    xAxis2->setVisible(false);
    yAxis2->setVisible(false);

    for (int i = 0; i < CursorCount; ++i)
        m_cursors[std::size_t(i)] = std::make_unique<CrossCursor>(*this);
    bindCursors();

    setPlotAreaColor(Qt::black);
    setBackgroundColor(palette().color(QPalette::Button));

    connect(this, &QCustomPlot::mousePress, this, &GraphView::onMousePress);
    connect(this, &QCustomPlot::mouseMove, this, &GraphView::onMouseMove);
    connect(this, &QCustomPlot::mouseRelease, this, &GraphView::onMouseRelease);
    applyTrackMode();

    m_clickDue.setSingleShot(true);
    connect(&m_clickDue, &QTimer::timeout, this,
            [this] { emit clicked(m_clickAt.x(), m_clickAt.y()); });
}

GraphView::~GraphView() = default;

QCPAxis* GraphView::axis(int index) const
{
    return index >= 1 && index <= m_axes.size() ? m_axes[index - 1] : nullptr;
}

void GraphView::watchRange(QCPAxis* a)
{
    // A pan or zoom moves the range: from then on it is the axis's range.
    connect(a, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this,
            [this, a](const QCPRange& range) {
                if (m_settingRange)
                    return;
                const qsizetype i = m_axes.indexOf(a);
                if (i < 0)
                    return;
                m_ranges[i] = Range{range.lower, range.upper};
                emit rangeMoved(int(i) + 1, range.lower, range.upper);
            });
}

int GraphView::addValueAxis()
{
    QCPAxis* a = axisRect()->addAxis(QCPAxis::atLeft);
    a->setRange(0, 10);
    a->setTicker(readableTicker());
    m_axes.append(a);
    m_ranges.append(Range{});
    m_axisColours.append(QColor());
    watchRange(a);
    styleAxes();
    applyTrackMode();
    requestReplot();
    return axisCount();
}

bool GraphView::removeAxis(int index)
{
    if (index < 2 || index > axisCount())
        return false;
    QCPAxis* a = m_axes[index - 1];
    for (QPointer<QCPGraph>& p : m_plots) {
        if (p && p->valueAxis() == a) {
            removeGraph(p.data());
            p = nullptr;
        }
    }
    m_axes.removeAt(index - 1);
    m_ranges.removeAt(index - 1);
    m_axisColours.removeAt(index - 1);
    axisRect()->removeAxis(a);
    bindCursors();
    styleAxes();
    applyTrackMode();
    requestReplot();
    return true;
}

void GraphView::setAxisRange(int index, double min, double max)
{
    QCPAxis* a = axis(index);
    if (!a || !(max >= min) || !std::isfinite(min) || !std::isfinite(max))
        return;
    m_settingRange = true;
    if (max == min)
        a->setRange(min - 0.5, max + 0.5);
    else
        a->setRange(min, max);
    m_settingRange = false;
    m_ranges[index - 1] = Range{min, max};
    requestReplot();
}

double GraphView::axisMinimum(int index) const
{
    return axis(index) ? m_ranges[index - 1].min : 0.0;
}

double GraphView::axisMaximum(int index) const
{
    return axis(index) ? m_ranges[index - 1].max : 0.0;
}

void GraphView::setAxisCaption(int index, const QString& caption)
{
    if (index == 1) {
        // The record axis's title follows its reading.
        m_recordCaption = caption;
        applyXReading();
        return;
    }
    if (QCPAxis* a = axis(index)) {
        a->setLabel(caption);
        requestReplot();
    }
}

void GraphView::setAxisColor(int index, const QColor& colour)
{
    if (!axis(index))
        return;
    m_axisColours[index - 1] = colour;
    styleAxes();
    requestReplot();
}

void GraphView::styleAxes()
{
    const QColor text = isDarkColour(m_backgroundColour) ? QColor(Qt::white) : QColor(Qt::black);
    for (int i = 0; i < m_axes.size(); ++i) {
        QCPAxis* a = m_axes[i];
        const QColor c =
            m_axisColours[i].isValid() ? readableOn(m_axisColours[i], m_backgroundColour) : text;
        a->setBasePen(QPen(c));
        a->setTickPen(QPen(c));
        a->setSubTickPen(QPen(c));
        a->setTickLabelColor(c);
        a->setLabelColor(c);
        // The grid belongs to the record axis and the first value axis only.
        a->grid()->setVisible(i <= 1);
        a->grid()->setPen(QPen(kGridColour, 1, Qt::DotLine));
        a->grid()->setZeroLinePen(QPen(kGridColour, 1, Qt::SolidLine));
        a->grid()->setSubGridVisible(false);
    }
}

QList<QCPAxis*> GraphView::valueAxes() const
{
    return m_axes.mid(1);
}

int GraphView::addPlot(int axisIndex, const QColor& colour)
{
    QCPAxis* value = axisIndex >= 2 ? axis(axisIndex) : nullptr;
    if (!value)
        return 0;
    QCPGraph* g = addGraph(m_axes.first(), value);
    g->setPen(plotPen(colour, m_plotAreaColour));
    g->setAdaptiveSampling(true);
    g->setLineStyle(QCPGraph::lsLine);
    m_plots.append(g);
    m_places.addPlot();
    m_plotValues.append(std::vector<float>());
    m_plotColours.append(colour);
    m_plotOverloads.append(QList<double>());
    return plotCount();
}

void GraphView::setPlotOverloads(int number, QList<double> values)
{
    if (number >= 1 && number <= m_plots.size())
        m_plotOverloads[number - 1] = std::move(values);
}

void GraphView::fit()
{
    if (const std::optional<std::pair<double, double>> x = fitRecordAxis())
        fitValueAxes(x->first, x->second);
}

std::optional<std::pair<double, double>> GraphView::fitRecordAxis()
{
    double first = qInf();
    double last = -qInf();
    for (const QPointer<QCPGraph>& p : m_plots) {
        if (!p || !p->visible() || p->data()->isEmpty())
            continue;
        first = std::min(first, p->data()->constBegin()->key);
        last = std::max(last, (p->data()->constEnd() - 1)->key);
    }
    if (first > last)
        return std::nullopt; // no points anywhere: nothing to fit to
    // A single record gets a record's width around it.
    const double pad = first == last ? 0.5 : 0.0;
    setAxisRange(1, first - pad, last + pad);
    return std::pair{first, last};
}

void GraphView::fitValueAxes(double from, double to)
{
    for (int index = 2; index <= axisCount(); ++index) {
        const QCPAxis* a = m_axes[index - 1];
        FitSpan axisSpan;
        for (int i = 0; i < m_plots.size(); ++i) {
            const QCPGraph* p = m_plots[i];
            if (!p || p->valueAxis() != a || !p->visible())
                continue;
            FitSpan span(m_plotOverloads[i]);
            const QCPGraphDataContainer& data = *p->data();
            const auto end = data.findEnd(to, false);
            for (auto it = data.findBegin(from, false); it != end; ++it)
                span.add(it->value);
            if (!span.isEmpty()) {
                axisSpan.add(span.low());
                axisSpan.add(span.high());
            }
        }
        if (axisSpan.isEmpty())
            continue;
        const auto [low, high] = axisSpan.padded();
        setAxisRange(index, low, high);
    }
    requestReplot();
}

void GraphView::setPlotTimes(int number, RowTimes times)
{
    if (number < 1 || number > m_plots.size())
        return;
    m_places.setTimes(number - 1, std::move(times));
    placePoints(number - 1);
    applyXReading();
}

void GraphView::setPlotCharge(int number, ChargeAxis charge)
{
    QCPGraph* g = plot(number);
    if (!g)
        return;
    std::vector<float>& values = m_plotValues[number - 1];
    if (!m_places.hasCharge(number - 1)) {
        // Its points hold its values in order until they are placed by charge.
        values.clear();
        values.reserve(std::size_t(g->dataCount()));
        for (auto it = g->data()->constBegin(); it != g->data()->constEnd(); ++it)
            values.push_back(float(it->value));
    }
    m_places.setCharge(number - 1, std::move(charge));
    placePoints(number - 1);
    applyXReading();
}

void GraphView::setRecordPace(double firstSecondOfDay, double interval)
{
    m_places.setPace(firstSecondOfDay, interval);
    applyXReading();
}

void GraphView::setXReading(XReading reading)
{
    m_reading = reading;
    applyXReading();
}

void GraphView::setRecordCaption(const QString& caption)
{
    setAxisCaption(1, caption);
}

double GraphView::xOfRecord(double record) const
{
    return m_places.xOfRecord(m_shown, record);
}

QString GraphView::recordText(double x) const
{
    return m_places.text(m_shown, x);
}

void GraphView::placePoints(qsizetype i)
{
    QCPGraph* g = m_plots[i];
    if (!g)
        return;
    if (m_places.hasCharge(i)) {
        rebuildPoints(i);
        return;
    }
    double record = 1;
    for (auto it = g->data()->begin(); it != g->data()->end(); ++it, ++record)
        it->key = m_places.x(i, m_shown, record);
    requestReplot();
}

void GraphView::rebuildPoints(qsizetype i)
{
    const std::vector<float>& values = m_plotValues[i];
    QVector<QCPGraphData> points;
    points.reserve(qsizetype(values.size()) + 16);
    for (std::size_t row = 0; row < values.size(); ++row) {
        const double key = m_places.x(i, m_shown, double(row + 1));
        if (!std::isfinite(key))
            continue;
        // A point without a value where the curve breaks: the line stops there.
        if (m_places.breaksBefore(i, m_shown, qsizetype(row)) && !points.isEmpty())
            points.append(QCPGraphData(points.constLast().key, qQNaN()));
        points.append(QCPGraphData(key, double(values[row])));
    }
    // Placed by charge, points may share a key (no charge drawn between them): they stay in
    // the order taken.
    m_plots[i]->data()->set(points, true);
    requestReplot();
}

void GraphView::applyXReading()
{
    const XReading shown = shownReading();
    if (shown != m_shown) {
        // The points move to their places under the new reading: the axis and the cursors go
        // with them, so that the same records stay in view. Charge cannot tell a record's place
        // from a time: to or from Capacity the axis takes in the points instead.
        const std::optional<double> min = m_places.moved(axisMinimum(1), m_shown, shown);
        const std::optional<double> max = m_places.moved(axisMaximum(1), m_shown, shown);
        for (const std::unique_ptr<CrossCursor>& c : m_cursors) {
            if (const std::optional<double> x = m_places.moved(c->position().x(), m_shown, shown))
                c->setPosition({*x, c->position().y()});
        }
        m_shown = shown;
        for (qsizetype i = 0; i < m_plots.size(); ++i) {
            if (m_places.hasCharge(i) || m_places.hasTimes(i))
                placePoints(i);
        }
        if (min && max)
            setAxisRange(1, *min, *max);
        else
            fitRecordAxis();
    }

    QCPAxis* x = m_axes.first();
    if (shown == XReading::Record || shown == XReading::Capacity) {
        x->setTicker(readableTicker());
        x->setLabel(shown == XReading::Record ? m_recordCaption : QStringLiteral("Capacity (Ah)"));
    } else {
        const RowTimes& pace = m_places.pace();
        x->setTicker(timeTicker(pace.isEmpty() ? nullptr : &pace, shown));
        x->setLabel(shown == XReading::Clock ? QStringLiteral("Time of day (hh:mm:ss)")
                                             : QStringLiteral("Elapsed time (h:mm:ss)"));
    }
    requestReplot();
}

QCPGraph* GraphView::plot(int number) const
{
    return number >= 1 && number <= m_plots.size() ? m_plots[number - 1].data() : nullptr;
}

bool GraphView::setPlotData(int number, std::span<const float> values)
{
    QCPGraph* g = plot(number);
    if (!g)
        return false;
    const qsizetype i = number - 1;
    if (m_places.hasCharge(i)) {
        m_plotValues[i].assign(values.begin(), values.end());
        rebuildPoints(i);
        return true;
    }
    QVector<QCPGraphData> points(static_cast<qsizetype>(values.size()));
    for (std::size_t r = 0; r < values.size(); ++r)
        points[static_cast<qsizetype>(r)] =
            QCPGraphData(m_places.x(i, m_shown, double(r + 1)), double(values[r]));
    g->data()->set(points, true);
    requestReplot();
    return true;
}

bool GraphView::appendPoint(int number, double value)
{
    QCPGraph* g = plot(number);
    if (!g)
        return false;
    g->addData(m_places.x(number - 1, m_shown, double(g->dataCount() + 1)), value);
    requestReplot();
    return true;
}

void GraphView::bindCursors()
{
    for (const std::unique_ptr<CrossCursor>& c : m_cursors)
        c->bind(m_axes.value(0), m_axes.value(1));
}

void GraphView::setCursorVisible(int index, bool visible)
{
    if (index < 1 || index > CursorCount)
        return;
    m_cursors[std::size_t(index - 1)]->setVisible(visible);
    requestReplot();
}

bool GraphView::cursorVisible(int index) const
{
    return index >= 1 && index <= CursorCount && m_cursors[std::size_t(index - 1)]->isVisible();
}

void GraphView::setCursorPosition(int index, double x, double y)
{
    if (index < 1 || index > CursorCount)
        return;
    m_cursors[std::size_t(index - 1)]->setPosition({x, y});
    requestReplot();
    emit cursorChanged(index, x, y);
}

QPointF GraphView::cursorPosition(int index) const
{
    return index >= 1 && index <= CursorCount ? m_cursors[std::size_t(index - 1)]->position()
                                              : QPointF();
}

void GraphView::setTrackMode(int code)
{
    m_trackMode = code;
    applyTrackMode();
}

void GraphView::applyTrackMode()
{
    QCPAxisRect* rect = axisRect();
    const QList<QCPAxis*> x{m_axes.first()};
    const QList<QCPAxis*> values = valueAxes();
    setInteractions(QCP::Interactions());
    setSelectionRectMode(QCP::srmNone);
    rect->setRangeDragAxes(x, values);
    rect->setRangeZoomAxes(x, values);
    switch (m_trackMode) {
    case 3:
    case 4:
    case 5:
        setInteraction(QCP::iRangeDrag, true);
        rect->setRangeDrag(m_trackMode == 3   ? Qt::Horizontal | Qt::Vertical
                           : m_trackMode == 4 ? Qt::Orientations(Qt::Horizontal)
                                              : Qt::Orientations(Qt::Vertical));
        break;
    case 6:
        setSelectionRectMode(QCP::srmZoom);
        break;
    case 7:
        // The rectangle zoom moves the axes of these lists, whatever setRangeZoom says.
        setSelectionRectMode(QCP::srmZoom);
        rect->setRangeZoomAxes(x, {});
        break;
    case 8:
        setSelectionRectMode(QCP::srmZoom);
        rect->setRangeZoomAxes({}, values);
        break;
    default:
        break;
    }
}

QPointF GraphView::nearestPoint(double x, double y) const
{
    QCPAxis* first = m_axes.value(1);
    if (!std::isfinite(x))
        return {x, y};
    for (const QPointer<QCPGraph>& p : m_plots) {
        if (!p || p->valueAxis() != first || p->dataCount() == 0)
            continue;
        const QCPGraphDataContainer& data = *p->data();
        auto at = data.findBegin(x, false); // the first point at or after x
        if (at == data.constEnd() || (at != data.constBegin() && x - (at - 1)->key < at->key - x))
            --at;
        if (std::isnan(at->value)) // where a curve breaks: the point before the break
            at = at != data.constBegin() ? at - 1 : at + 1;
        return {at->key, at->value};
    }
    return {x, y};
}

void GraphView::onMousePress(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    m_pressAt = event->position().toPoint();
    if (m_trackMode == 2 && m_pressed && m_axes.size() >= 2 &&
        axisRect()->rect().contains(m_pressAt)) {
        m_draggingCursor = true;
        onMouseMove(event);
    }
}

void GraphView::onMouseMove(QMouseEvent* event)
{
    if (!m_draggingCursor)
        return;
    const QPointF at = event->position();
    const QPointF coords(m_axes[0]->pixelToCoord(at.x()), m_axes[1]->pixelToCoord(at.y()));
    const QPointF p = nearestPoint(coords.x(), coords.y());
    setCursorPosition(1, p.x(), p.y());
}

void GraphView::onMouseRelease(QMouseEvent* event)
{
    m_draggingCursor = false;
    if (!m_pressed || event->button() != Qt::LeftButton)
        return;
    m_pressed = false;
    const QPoint at = event->position().toPoint();
    if ((at - m_pressAt).manhattanLength() > kClickSlack) {
        // A drag in a pan or zoom mode moved the axes it names.
        // Modes 3 and 6 move both ways, 4 and 7 X alone, 5 and 8 Y alone.
        static constexpr std::array<Qt::Orientations, 3> moved{
            {Qt::Horizontal | Qt::Vertical, Qt::Horizontal, Qt::Vertical}};
        if (m_trackMode >= 3 && m_trackMode <= 8)
            emit movedByHand(moved[std::size_t((m_trackMode - 3) % 3)]);
        return;
    }
    if (!axisRect()->rect().contains(at))
        return;
    const double y = m_axes.size() >= 2 ? m_axes[1]->pixelToCoord(at.y()) : 0.0;
    m_clickAt = QPointF(m_axes[0]->pixelToCoord(at.x()), y);
    m_clickDue.start(QApplication::doubleClickInterval());
}

bool GraphView::inPlotArea(QPointF at) const
{
    return axisRect()->rect().contains(at.toPoint());
}

void GraphView::wheelEvent(QWheelEvent* event)
{
    const QPointF at = event->position();
    // Shift turns the wheel sideways on some systems: either direction zooms.
    const QPoint turn = event->angleDelta();
    const int steps = turn.y() != 0 ? turn.y() : turn.x();
    if (!inPlotArea(at) || steps == 0) {
        event->ignore();
        return;
    }
    event->accept();
    const Qt::KeyboardModifiers keys = event->modifiers();
    const Qt::Orientations directions = keys & Qt::ControlModifier ? Qt::Orientations(Qt::Vertical)
                                        : keys & Qt::ShiftModifier
                                            ? Qt::Orientations(Qt::Horizontal)
                                            : Qt::Horizontal | Qt::Vertical;
    const double factor = std::pow(kWheelStepFactor, steps / 120.0);
    if (directions & Qt::Horizontal)
        m_axes.first()->scaleRange(factor, m_axes.first()->pixelToCoord(at.x()));
    if (directions & Qt::Vertical) {
        for (QCPAxis* a : valueAxes())
            a->scaleRange(factor, a->pixelToCoord(at.y()));
    }
    requestReplot();
    emit movedByHand(directions);
}

void GraphView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton) {
        m_panning = inPlotArea(event->position());
        m_panFrom = event->position();
        event->accept();
        return;
    }
    QCustomPlot::mousePressEvent(event);
}

void GraphView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_panning) {
        QCustomPlot::mouseMoveEvent(event);
        return;
    }
    const QPointF to = event->position();
    QCPAxis* x = m_axes.first();
    x->moveRange(x->pixelToCoord(m_panFrom.x()) - x->pixelToCoord(to.x()));
    for (QCPAxis* a : valueAxes())
        a->moveRange(a->pixelToCoord(m_panFrom.y()) - a->pixelToCoord(to.y()));
    m_panFrom = to;
    requestReplot();
    emit movedByHand(Qt::Horizontal | Qt::Vertical);
}

void GraphView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton) {
        m_panning = false;
        event->accept();
        return;
    }
    QCustomPlot::mouseReleaseEvent(event);
}

void GraphView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && inPlotArea(event->position())) {
        m_clickDue.stop(); // the first click was half of this
        event->accept();
        emit fitRequested();
        return;
    }
    QCustomPlot::mouseDoubleClickEvent(event);
}

void GraphView::setPlotAreaColor(const QColor& colour)
{
    m_plotAreaColour = colour;
    axisRect()->setBackground(QBrush(colour));
    for (int i = 0; i < m_plots.size(); ++i) {
        if (m_plots[i])
            m_plots[i]->setPen(plotPen(m_plotColours[i], colour));
    }
    for (std::size_t i = 0; i < m_cursors.size(); ++i)
        m_cursors[i]->setPen(QPen(readableOn(kCursorColours[i], colour), 1, Qt::DashLine));
    // The legend of named plots reads as part of the plot area.
    legend->setBrush(colour);
    legend->setBorderPen(QPen(kGridColour));
    legend->setTextColor(isDarkColour(colour) ? Qt::white : Qt::black);
    requestReplot();
}

void GraphView::setBackgroundColor(const QColor& colour)
{
    m_backgroundColour = colour;
    setBackground(QBrush(colour));
    styleAxes();
    requestReplot();
}

void GraphView::requestReplot()
{
    replot(QCustomPlot::rpQueuedReplot);
}

void GraphView::replotNow()
{
    if (viewport() != rect())
        setViewport(rect());
    replot(QCustomPlot::rpImmediateRefresh);
}

QString graphLibrary()
{
    return QStringLiteral("QCustomPlot " QCUSTOMPLOT_VERSION_STR);
}
