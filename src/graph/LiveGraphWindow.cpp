#include "LiveGraphWindow.h"

#include "AxisText.h"
#include "ChannelColours.h"
#include "ChannelLegend.h"
#include "Clock.h"
#include "CurrentReading.h"
#include "FitOnOpen.h"
#include "GraphControls.h"
#include "GraphView.h"
#include "ListImages.h"
#include "Prompts.h"
#include "WindowPlacement.h"
#include "WindowPrint.h"
#include "WindowToolbar.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

// Window size in twips.
constexpr int kWidth = 13500;
constexpr int kHeight = 9000;
constexpr int kMargin = 120;
constexpr int kLegendHeight = 420;
// The least size of the graph, in twips.
constexpr int kSmallestGraphWidth = 6000;
constexpr int kSmallestGraphHeight = 3000;

const QColor kWhite(255, 255, 255);

// The channel of each trace (plot numbers 1..7), in LiveSeries order.
constexpr std::array<GraphChannel, LiveSeriesCount> kTraceChannel{
    GraphChannel::Voltage,    GraphChannel::Current,  GraphChannel::Temperature,
    GraphChannel::Resistance, GraphChannel::Capacity, GraphChannel::Capacity,
    GraphChannel::Capacity};

// "Resize": a small chart with arrows out of its corners.
QIcon resizeImage()
{
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor outline(0x2a, 0x2e, 0x35);
    p.setPen(QPen(outline, 1));
    p.setBrush(Qt::black);
    p.drawRect(QRectF(6.5, 6.5, 11, 11));
    p.setPen(QPen(QColor(255, 215, 0), 1.2));
    p.drawPolyline(QPolygonF{{7.5, 15}, {10, 12}, {12.5, 13.5}, {16.5, 9}});
    p.setPen(QPen(outline, 1.4));
    const std::array<QPointF, 4> corners{{{2, 2}, {22, 2}, {2, 22}, {22, 22}}};
    for (const QPointF& c : corners) {
        const QPointF inward(c.x() < 12 ? 4.5 : -4.5, c.y() < 12 ? 4.5 : -4.5);
        p.drawLine(c, c + inward);
        p.drawLine(c, c + QPointF(inward.x() * 0.6, 0));
        p.drawLine(c, c + QPointF(0, inward.y() * 0.6));
    }
    return QIcon(pixmap);
}

} // namespace

// The window as it is printed, for as long as this lives: no toolbar, a white background and
// a white plot area (traces drawn darker and wider, so they read on paper). Everything is put
// back when it goes, on every path out of the print.
class LiveGraphWindow::PrintLook
{
public:
    explicit PrintLook(LiveGraphWindow& w) : m_window(w), m_plotArea(w.m_graph->plotAreaColor())
    {
        w.m_toolbar->hide();
        w.setBackgroundColour(kWhite);
        w.m_graph->setPlotAreaColor(kWhite);
        w.layout()->activate();
    }
    ~PrintLook()
    {
        LiveGraphWindow& w = m_window;
        w.setBackgroundColour(kGraphWindowTeal);
        w.m_graph->setPlotAreaColor(m_plotArea);
        w.m_toolbar->show();
        w.layout()->activate();
    }
    PrintLook(const PrintLook&) = delete;
    PrintLook& operator=(const PrintLook&) = delete;

private:
    LiveGraphWindow& m_window;
    QColor m_plotArea;
};

LiveGraphWindow::LiveGraphWindow(AllChannelGraph& graph, const CurrentReading& reading,
                                 Prompts& prompts, const Clock& clock, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window), m_state(graph), m_reading(reading), m_prompts(prompts),
      m_clock(clock),
      m_source(QStringLiteral("live readings since %1")
                   .arg(clock.now().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")))),
      m_scale(TwipsScale::forScreen(QApplication::primaryScreen())), m_fresh(reading)
{
    setObjectName(QStringLiteral("RealTimeAll"));
    setWindowTitle(QStringLiteral("Real Time Graph"));
    setAutoFillBackground(true);

    buildToolbar();
    buildLegend(reading);
    buildGraph();
    addViewControls();
    // A live graph has no data to fit yet: it opens following them.
    if (FitOnOpen::choice().isOn())
        setFollow(true);
    // Room for the five value axes beside each other and a little of the traces.
    m_graph->setMinimumSize(m_scale.px(kSmallestGraphWidth), m_scale.px(kSmallestGraphHeight));
    setBackgroundColour(kGraphWindowTeal);

    auto* layout = new QVBoxLayout(this);
    const int margin = m_scale.px(kMargin);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolbar);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(margin, margin, margin, margin);
    body->setSpacing(margin / 2);
    body->addWidget(m_legend);
    body->addWidget(m_graph, 1);
    layout->addLayout(body, 1);

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &LiveGraphWindow::tick);
    connect(m_graph, &GraphView::clicked, this, &LiveGraphWindow::graphClicked);

    resize(m_scale.px(kWidth), m_scale.px(kHeight));
    if (mainWindow) {
        const QRect main = mainWindow->frameGeometry();
        move(main.x() + main.width(), 0);
    }
    WindowPlacement::manage(this);
}

void LiveGraphWindow::buildToolbar()
{
    m_toolbar = windowToolbar(this,
                              {{resizeImage(), QStringLiteral("Resize")},
                               {listImage(ListImage::Print), QStringLiteral("Print")},
                               {listImage(ListImage::Picture), SaveImageKey, SaveImageTip}},
                              [this](const QString& key) { runToolbarCommand(key); });
    m_toolbar->setAutoFillBackground(true);
    QPalette face = m_toolbar->palette();
    face.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
    m_toolbar->setPalette(face);
}

void LiveGraphWindow::buildLegend(const CurrentReading& reading)
{
    m_legend = channelLegend(
        this,
        {QStringLiteral("Voltage"),
         m_state.MilliAmpAtOpen ? QStringLiteral("mAmpere") : QStringLiteral("Ampere"),
         reading.celsius ? QStringLiteral("Celsius") : QStringLiteral("Fahrenheit"),
         isMilliOhmRange(m_state.RangeAtOpen) ? QStringLiteral("mOhm") : QStringLiteral("Ohm"),
         QStringLiteral("Capacity"), QStringLiteral("("), QStringLiteral("in"),
         QStringLiteral("Out"), QStringLiteral("Total"), QStringLiteral(")")},
        m_state.choice());
    m_legend->setFixedHeight(m_scale.px(kLegendHeight));
}

void LiveGraphWindow::buildGraph()
{
    m_graph = new GraphView(this);
    m_graph->setAutoFillBackground(false);
    for (int c = 0; c < GraphChannelCount; ++c) {
        const int axis = graphAxisOf(GraphChannel(c));
        if (axis > 2)
            m_graph->addValueAxis();
        const AxisPair r = m_state.ranges[std::size_t(c)];
        m_graph->setAxisRange(axis, r.min, r.max);
    }
    for (std::size_t t = 0; t < kTraceChannel.size(); ++t) {
        const int axis = graphAxisOf(kTraceChannel[t]);
        m_graph->addPlot(axis, kChannelColours[t]);
        if (kTraceChannel[t] != GraphChannel::Capacity)
            m_graph->setAxisColor(axis, kChannelColours[t]);
        // Drawn once a second for days: plain lines cost a fraction of smoothed ones, and the
        // mostly level traces of a battery read as well.
        m_graph->plot(int(t) + 1)->setAntialiased(false);
    }
    m_graph->setAxisColor(graphAxisOf(GraphChannel::Capacity), kCapacityAxisColour);
    for (int c = 0; c < GraphChannelCount; ++c) {
        m_graph->setAxisCaption(graphAxisOf(GraphChannel(c)),
                                channelAxisTitle(GraphChannel(c), m_state.MilliAmpAtOpen,
                                                 m_state.RangeAtOpen, m_state.TempUnitAtOpen));
    }
    for (int t = 0; t < LiveSeriesCount; ++t) {
        m_graph->setPlotOverloads(
            t + 1, overloadStandIns(LiveSeries(t), m_state.RangeAtOpen, m_state.TempUnitAtOpen));
    }
    m_graph->setRecordCaption(QStringLiteral("Time (s)"));
    showRecordAxis();
}

void LiveGraphWindow::addViewControls()
{
    // After the window's own buttons, which keep their places.
    m_toolbar->addSeparator();
    QAction* fitAction = m_toolbar->addAction(fitImage(), FitKey);
    fitAction->setProperty("Key", FitKey);
    fitAction->setToolTip(fitToolTip());
    m_follow = m_toolbar->addAction(followImage(), QStringLiteral("Follow"));
    m_follow->setObjectName(QStringLiteral("Follow"));
    m_follow->setCheckable(true);
    m_follow->setToolTip(QStringLiteral(
        "Follow: keep the newest samples in view and fit the value axes to them as they arrive"));
    connect(m_follow, &QAction::toggled, this, &LiveGraphWindow::setFollow);
    m_toolbar->addSeparator();
    auto* caption = new QLabel(QStringLiteral(" X Axis "), m_toolbar);
    m_toolbar->addWidget(caption);
    m_xReading = xReadingBox(
        m_toolbar, XReading::Record, [this](XReading r) { setXReading(r); },
        QStringLiteral("Seconds"));
    m_toolbar->addWidget(m_xReading);
    m_toolbar->addSeparator();
    m_toolbar->addWidget(FitOnOpen::box(m_toolbar));

    addFitKey(this, [this] { fit(); });
    connect(m_graph, &GraphView::fitRequested, this, &LiveGraphWindow::fit);
    connect(m_graph, &GraphView::movedByHand, this, &LiveGraphWindow::movedByHand);
}

void LiveGraphWindow::fit()
{
    m_xPinned = false;
    m_xFitted = true;
    m_graph->fit();
}

void LiveGraphWindow::setFollow(bool on)
{
    m_following = on;
    if (m_follow->isChecked() != on)
        m_follow->setChecked(on);
    if (!on)
        return;
    m_xPinned = false;
    m_xFitted = true;
    showRecordAxis();
}

void LiveGraphWindow::setXReading(XReading reading)
{
    if (m_xReading->currentIndex() != int(reading))
        m_xReading->setCurrentIndex(int(reading));
    m_graph->setXReading(reading);
}

void LiveGraphWindow::movedByHand(Qt::Orientations directions)
{
    // Follow would undo the user's view at the next tick.
    setFollow(false);
    if (directions & Qt::Horizontal)
        m_xPinned = true;
}

QLabel* LiveGraphWindow::label(const QString& name) const
{
    return m_legend->findChild<QLabel*>(name);
}

void LiveGraphWindow::setBackgroundColour(const QColor& colour)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, colour);
    setPalette(p);
    m_graph->setBackgroundColor(colour);
}

void LiveGraphWindow::showRecordAxis()
{
    const qint64 first = qMax<qint64>(1, m_records - TraceWindow + 1);
    const qint64 last = m_xFitted && m_records > first
                            ? m_records
                            : qMax<qint64>(m_records, first + MinimumSpan - 1);
    m_graph->setAxisRange(1, double(first), double(last));
    if (m_following)
        m_graph->fitValueAxes(double(first), double(last));
}

void LiveGraphWindow::setFeed(const QString& name, qint64 holdMs)
{
    m_holdMs = holdMs;
    setWindowTitle(QStringLiteral("Real Time Graph - %1").arg(name));
    m_source = QStringLiteral("live readings of %1 since %2")
                   .arg(name, m_clock.now().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
}

void LiveGraphWindow::tick()
{
    if (liveGraphMustClose(m_state, m_reading)) {
        close();
        return;
    }
    // A second without a new young frame is a gap in the traces and the history, never the last
    // reading again; a fed reading is drawn again while the lab counts it current (not amber).
    // The history still takes one sample a second.
    const qint64 now = m_clock.monotonicMs();
    const bool fresh =
        m_fresh.take(m_reading, now) || (m_holdMs > 0 && readingIsYoung(m_reading, now, m_holdMs));
    const LiveSample sample =
        fresh ? graphSample(m_reading, m_state.RangeAtOpen, m_state.TempUnitAtOpen) : gapSample();
    ++m_records;
    if (m_records == 1) {
        // One sample a second from now on: the record axis can read in time.
        const QTime now = m_clock.now().time();
        m_graph->setRecordPace(now.msecsSinceStartOfDay() / 1000.0, 1.0);
    }
    const double x = double(m_records);
    const double keepFrom = double(m_records - TraceWindow + 1);
    for (std::size_t t = 0; t < sample.size(); ++t) {
        if (!m_state.shows(kTraceChannel[t]))
            continue;
        if (QCPGraph* trace = m_graph->plot(int(t) + 1)) {
            trace->addData(x, double(sample[t]));
            if (keepFrom > 1)
                trace->data()->removeBefore(keepFrom);
        }
    }
    m_state.ChannelHistory.append(sample);
    if (!m_xPinned)
        showRecordAxis();
}

void LiveGraphWindow::runToolbarCommand(const QString& key)
{
    if (key == QLatin1String("Resize")) {
        emit resizeRequested();
        close();
    } else if (key == QLatin1String("Print")) {
        print();
    } else if (key == FitKey) {
        fit();
    } else if (key == SaveImageKey) {
        saveImage();
    }
}

void LiveGraphWindow::print()
{
    if (m_handlers.running())
        return;
    // The print dialog and the message run events, and a tick may close the window meanwhile:
    // it is deleted only once the print is over.
    const WindowHandlers::Scope printing(m_handlers);
    printWindowPage(*this, m_prompts, m_clock, windowTitle(), m_source,
                    QStringLiteral("The graph could not be printed."),
                    [this]() -> std::optional<QImage> {
                        const PrintLook look(*this);
                        return windowImage(*this, *m_graph);
                    });
}

void LiveGraphWindow::saveImage()
{
    if (m_handlers.running())
        return;
    const WindowHandlers::Scope saving(m_handlers);
    saveGraphImage(*this, *m_graph, m_legend, m_prompts, m_clock, m_source);
}

void LiveGraphWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    // Unload. The history stays as collected: the detail graph still shows it, and the next
    // opening starts it again.
    if (!m_handlers.close())
        return;
    m_timer->stop();
    m_state.GraphActive = false;
    emit closed();
}
