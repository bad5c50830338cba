#include "LiveGraph.h"

#include "AppState.h"
#include "AxisText.h"
#include "ChannelDialog.h"
#include "FitOnOpen.h"
#include "GraphView.h"
#include "GraphWindow.h"
#include "LiveGraphWindow.h"
#include "WindowPlacement.h"

#include <QLabel>

#include <vector>

namespace {

// The detail window's legend labels of each channel.
const std::array<QStringList, GraphChannelCount> kDetailLabels{{
    {QStringLiteral("LblV")},
    {QStringLiteral("LblA")},
    {QStringLiteral("LblT")},
    {QStringLiteral("LblO")},
    {QStringLiteral("LblCap"), QStringLiteral("LblSymbol1"), QStringLiteral("LblIn"),
     QStringLiteral("LblOut"), QStringLiteral("LblTotal"), QStringLiteral("LblSymbol2")},
}};

// The channel of each history series, and the detail graph's plot that shows it.
GraphChannel channelOf(LiveSeries series)
{
    return series >= LiveSeries::InCap ? GraphChannel::Capacity : GraphChannel(int(series));
}

int detailPlotOf(LiveSeries series)
{
    return GraphWindow::VoltagePlot + int(series);
}

void showWindow(QWidget* w)
{
    w->show();
    w->raise();
    w->activateWindow();
}

} // namespace

LiveGraph::LiveGraph(AppState& state, Prompts& prompts, const Clock& clock, QWidget* mainWindow,
                     QObject* parent)
    : QObject(parent), m_state(state), m_prompts(prompts), m_clock(clock), m_mainWindow(mainWindow)
{
}

LiveGraph::~LiveGraph()
{
    delete m_detailWindow.data();
}

ChannelDialog* LiveGraph::graphDialog() const
{
    return m_graphDialog;
}

ChannelDialog* LiveGraph::detailDialog() const
{
    return m_detailDialog;
}

LiveGraphWindow* LiveGraph::window() const
{
    return m_window;
}

GraphWindow* LiveGraph::detailWindow() const
{
    return m_detailWindow;
}

void LiveGraph::runGraphCommand()
{
    AllChannelGraph& graph = m_state.allChannelGraph;
    if (graph.GraphActive)
        return;
    graph.ranges = defaultGraphRanges(m_state.reading);
    graph.MilliAmpAtOpen = m_state.reading.milliAmps;
    showGraphDialog();
}

void LiveGraph::setFeed(const QString& name, qint64 holdMs)
{
    m_feedName = name;
    m_holdMs = holdMs;
    if (m_window)
        m_window->setFeed(name, holdMs);
}

void LiveGraph::showGraphDialog()
{
    AllChannelGraph& graph = m_state.allChannelGraph;
    if (!m_graphDialog) {
        m_graphDialog = new ChannelDialog(ChannelDialog::Kind::Graph, m_mainWindow);
        m_graphDialog->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_graphDialog, &ChannelDialog::okClicked, this, &LiveGraph::startGraph);
        connect(m_graphDialog, &ChannelDialog::rangeEdited, this,
                [this](GraphChannel c, AxisPair r) { m_state.allChannelGraph.range(c) = r; });
    }
    // Load. The resistance edits follow the range the meter shows now, the one OK captures.
    ChannelDialog* d = m_graphDialog;
    d->setResistanceRule(resistanceEditRule(m_state.reading.RangeText));
    d->setCurrentCaption(graph.MilliAmpAtOpen);
    d->setChecks(graph.choice());
    d->setRanges(AxisPairs(graph.ranges)); // a copy: each edit stores into the live pairs
    showWindow(d);
}

void LiveGraph::startGraph()
{
    ChannelDialog* d = m_graphDialog;
    if (!d)
        return;
    if (!d->anyChecked()) {
        d->close();
        return;
    }
    AllChannelGraph& graph = m_state.allChannelGraph;
    const auto checks = d->checks();
    for (int c = 0; c < GraphChannelCount; ++c)
        graph.setShows(GraphChannel(c), checks[std::size_t(c)]);
    graph.RangeAtOpen = m_state.reading.RangeText;
    graph.TempUnitAtOpen = m_state.reading.TempUnitText;
    // The history's memory is taken at the first opening and kept for the program's life.
    graph.ChannelHistory.allocate();
    graph.ChannelHistory.rewind();
    graph.ranges = d->ranges();

    if (m_window)
        m_window->close(); // one live window at a time
    // Gone before the graph opens, so that the graph can take the dialog's place.
    d->close();
    m_window = new LiveGraphWindow(graph, m_state.reading, m_prompts, m_clock, m_mainWindow);
    if (!m_feedName.isEmpty())
        m_window->setFeed(m_feedName, m_holdMs);
    connect(m_window, &LiveGraphWindow::resizeRequested, this, &LiveGraph::showGraphDialog);
    connect(m_window, &LiveGraphWindow::graphClicked, this, &LiveGraph::graphClicked);
    showWindow(m_window);
    graph.GraphActive = true;

    // Removing an axis moves the later ones down: from the last to the first.
    for (int c = GraphChannelCount - 1; c >= 0; --c) {
        if (!checks[std::size_t(c)])
            m_window->graph()->removeAxis(graphAxisOf(GraphChannel(c)));
    }
    m_window->timer()->start();
}

void LiveGraph::graphClicked()
{
    if (m_detailWindow)
        m_detailWindow->close();
    showDetailDialog(DetailSource::GraphClick);
}

void LiveGraph::showDetailDialog(DetailSource source)
{
    const AllChannelGraph& graph = m_state.allChannelGraph;
    if (!m_detailDialog) {
        m_detailDialog = new ChannelDialog(ChannelDialog::Kind::Detail, m_mainWindow);
        m_detailDialog->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_detailDialog, &ChannelDialog::okClicked, this, &LiveGraph::fillDetail);
    }
    // Load: only the channels the live graph collected can be chosen.
    ChannelDialog* d = m_detailDialog;
    if (m_window)
        WindowPlacement::setOpener(d, m_window);
    for (int c = 0; c < GraphChannelCount; ++c)
        d->setFrameEnabled(GraphChannel(c), graph.shows(GraphChannel(c)));
    d->setResistanceRule(resistanceEditRule(graph.RangeAtOpen));
    d->setCurrentCaption(graph.MilliAmpAtOpen);
    const bool click = source == DetailSource::GraphClick;
    d->setChecks(click ? graph.choice() : graph.DetailShow);
    d->setRanges(click ? graph.ranges : graph.DetailRanges);
    showWindow(d);
}

void LiveGraph::fillDetail()
{
    ChannelDialog* d = m_detailDialog;
    if (!d)
        return;
    AllChannelGraph& graph = m_state.allChannelGraph;
    const ChannelRing& history = graph.ChannelHistory;
    const int samples = history.held();
    const double lastRecord = qMax(1, samples); // no samples: an X range of 1..1

    // Every fill starts from a complete detail graph: the old window, if any, goes first, so
    // its points are freed before the new ones are made.
    delete m_detailWindow.data();
    GraphWindow* w =
        GraphWindow::open(m_detailWindow, GraphWindow::Kind::Detail, m_prompts, m_clock, m_window);
    w->setSource(QStringLiteral("%1 samples of the live graph's history").arg(samples));
    connect(w, &GraphWindow::resetRequested, this,
            [this] { showDetailDialog(DetailSource::Reset); });
    GraphView* g = w->graph();

    w->setSetupFlag(true);
    w->setBoxes(1, 1, lastRecord);
    g->setAxisRange(1, 1, lastRecord);

    for (const QStringList& names : kDetailLabels) {
        for (const QString& name : names)
            w->label(name)->setVisible(true);
    }
    w->label(QStringLiteral("LblT"))->setText(graph.TempUnitAtOpen);
    w->label(QStringLiteral("LblO"))
        ->setText(isMilliOhmRange(graph.RangeAtOpen) ? QStringLiteral("mOhm")
                                                     : QStringLiteral("Ohm"));
    w->label(QStringLiteral("LblA"))
        ->setText(graph.MilliAmpAtOpen ? QStringLiteral("mAmpere") : QStringLiteral("Ampere"));

    const auto checks = d->checks();
    graph.DetailShow = checks;
    const AxisPairs ranges = d->ranges();
    for (int c = 0; c < GraphChannelCount; ++c) {
        const AxisPair r = ranges[std::size_t(c)];
        const int axis = graphAxisOf(GraphChannel(c));
        g->setAxisRange(axis, r.min, r.max);
        g->setAxisCaption(axis, channelAxisTitle(GraphChannel(c), graph.MilliAmpAtOpen,
                                                 graph.RangeAtOpen, graph.TempUnitAtOpen));
    }
    graph.DetailRanges = ranges;

    // Removing an axis moves the later ones down: from the last to the first.
    for (int c = GraphChannelCount - 1; c >= 0; --c) {
        if (checks[std::size_t(c)])
            continue;
        g->removeAxis(graphAxisOf(GraphChannel(c)));
        for (const QString& name : kDetailLabels[std::size_t(c)])
            w->label(name)->setVisible(false);
    }

    // Oldest first, one series at a time, through one buffer.
    std::vector<float> values(static_cast<std::size_t>(samples));
    for (int s = 0; s < LiveSeriesCount; ++s) {
        const auto series = LiveSeries(s);
        if (!checks[std::size_t(channelOf(series))])
            continue;
        const std::size_t copied = history.copyOldestFirst(series, values);
        g->setPlotData(detailPlotOf(series), std::span<const float>(values.data(), copied));
        g->setPlotOverloads(detailPlotOf(series),
                            overloadStandIns(series, graph.RangeAtOpen, graph.TempUnitAtOpen));
    }
    w->setSetupFlag(false);
    if (FitOnOpen::choice().isOn())
        w->fit();
    d->close();
}
