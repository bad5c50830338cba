#include "StoredOverlay.h"

#include "ChargeAxis.h"
#include "GraphView.h"
#include "OutputFile.h"
#include "Prompts.h"
#include "ReadingSeriesFile.h"
#include "SpanBand.h"
#include "SpanFigures.h"
#include "SpanPanel.h"
#include "ValueText.h"

#include <QDir>
#include <QFileInfo>
#include <QWidget>

#include <array>
#include <cmath>

namespace {

const std::array<QColor, 8> kOverlayColours{{
    QColor(0, 220, 0),     // the stored-data graph's own trace
    QColor(255, 215, 0),   // yellow
    QColor(80, 160, 255),  // blue
    QColor(255, 85, 85),   // red
    QColor(255, 100, 255), // magenta
    QColor(0, 220, 220),   // cyan
    QColor(255, 140, 0),   // orange
    QColor(200, 200, 200), // grey
}};

QString figure(double value, QStringView format)
{
    return std::isfinite(value) ? formatNumber(value, format) : QString();
}

// The decimals a figure in `unit` is worth, those of the meter's finest range, so a column of
// figures lines up: 3.891 V beside 4.090 V, never 3.8914 beside 4.09.
QStringView unitFormat(QStringView unit)
{
    if (unit == u"V" || unit == u"A")
        return u"0.000";
    if (unit == u"Ohm" || unit == u"Ah")
        return u"0.0000";
    if (unit == u"mOhm")
        return u"0.00";
    return u"0.0"; // mA, mAh, degrees
}

const QStringView kChargeFormat = u"0.0000"; // Ah, to the counters' 0.1 mAh
const QStringView kEnergyFormat = u"0.000";  // Wh

} // namespace

QColor overlayColour(int index)
{
    return kOverlayColours[std::size_t(index) % kOverlayColours.size()];
}

StoredOverlay::StoredOverlay(GraphView& graph, SpanPanel& panel, Prompts& prompts, QWidget& window)
    : QObject(&window), m_graph(graph), m_panel(panel), m_prompts(prompts), m_window(window),
      m_band(new SpanBand(graph))
{
    m_traces.append({QString(), overlayColour(0), 1, std::nullopt});
    connect(m_band, &SpanBand::changed, this, [this] {
        m_figures = Figures::Span;
        refreshFigures();
    });
    connect(&m_panel, &SpanPanel::removeRequested, this, &StoredOverlay::removeTrace);
    connect(&m_panel, &SpanPanel::cutoffRequested, this, &StoredOverlay::showCutoff);
    connect(&m_panel, &SpanPanel::exportRequested, this, &StoredOverlay::exportFigures);
}

void StoredOverlay::setColumnName(const QString& name)
{
    m_traces.first().name = name;
    showTraces();
}

void StoredOverlay::setColumn(SeriesSource source, const ColumnUnit& unit)
{
    m_traces.first().series.reset();
    m_source = std::move(source);
    m_unit = unit;
    for (int i = 1; i < m_traces.size(); ++i)
        setRecordingValues(m_graph, m_traces[i].plot, *m_traces[i].series, unit);
    showTraces();
}

void StoredOverlay::columnShown()
{
    // A charge left from the list's column before would place this one's points.
    m_graph.setPlotCharge(1, ChargeAxis());
    if (m_graph.xReading() == XReading::Capacity)
        prepareReading(XReading::Capacity);
    refreshFigures();
}

const ReadingSeries* StoredOverlay::series(int index)
{
    Trace& t = m_traces[index];
    if (!t.series && index == 0 && m_source)
        t.series = m_source();
    return t.series && t.series->rows() > 0 ? &*t.series : nullptr;
}

bool StoredOverlay::addFile(const QString& path)
{
    LoadedSeries loaded = loadReadingSeries(path);
    if (!loaded.failure.isEmpty()) {
        m_prompts.message(QStringLiteral("The recording was not added."), Prompts::Icon::Critical,
                          m_window.windowTitle(), loaded.failure);
        return false;
    }
    if (!loaded.warning.isEmpty())
        m_prompts.message(QStringLiteral("The recording was added without its last line."),
                          Prompts::Icon::Information, m_window.windowTitle(), loaded.warning);
    const int index = int(m_traces.size());
    const QString name = QFileInfo(path).fileName();
    const int plot = addRecordingPlot(m_graph, loaded.series, name, index, m_unit);
    m_traces.append({name, overlayColour(index), plot, std::move(loaded.series)});
    showTraces();
    refreshFigures();
    emit tracesChanged(true);
    return true;
}

void StoredOverlay::removeTrace(int index)
{
    if (index < 1 || index >= m_traces.size())
        return;
    if (QCPGraph* g = m_graph.plot(m_traces[index].plot)) {
        // Plot numbers stay as they are: the plot is emptied and hidden for good.
        g->data()->clear();
        g->setVisible(false);
        g->removeFromLegend();
    }
    m_traces.removeAt(index);
    showTraces();
    refreshFigures();
    m_graph.requestReplot();
    emit tracesChanged(false);
}

void StoredOverlay::showTraces()
{
    QList<SpanPanel::Entry> entries;
    for (const Trace& t : m_traces)
        entries.append({t.name, t.colour});
    m_panel.setTraces(entries);
    if (QCPGraph* g = m_graph.plot(1))
        g->setName(m_traces.first().name);
    // One recording needs no legend: the window's title names it.
    m_graph.legend->setVisible(m_traces.size() > 1);
    m_graph.requestReplot();
}

void StoredOverlay::prepareReading(XReading reading)
{
    if (reading != XReading::Capacity)
        return;
    if (const ReadingSeries* s = series(0); s && !m_graph.places().hasCharge(0))
        m_graph.setPlotCharge(1, ChargeAxis::of(*s));
}

void StoredOverlay::readingChanged()
{
    m_band->clear();
    if (m_figures == Figures::Span)
        m_figures = Figures::None;
    refreshFigures();
}

void StoredOverlay::setMarking(bool on)
{
    m_band->setMarking(on);
}

void StoredOverlay::showCutoff(double volts)
{
    m_cutoffVolts = volts;
    m_figures = Figures::Cutoff;
    m_band->clear();
    refreshFigures();
}

void StoredOverlay::refreshFigures()
{
    const std::optional<std::pair<double, double>> span = m_band->span();
    if (m_figures == Figures::None || (m_figures == Figures::Span && !span)) {
        m_panel.setFigures(QStringLiteral("Mark a span with Span, or choose Cut-off."), {}, {});
        return;
    }
    QList<std::pair<int, RowSpan>> spans;
    QStringList names;
    for (int i = 0; i < m_traces.size(); ++i) {
        names.append(m_traces[i].name);
        const ReadingSeries* s = series(i);
        if (!s) {
            spans.append({i, RowSpan{}});
            continue;
        }
        RowSpan rows;
        if (m_figures == Figures::Span) {
            const auto [first, last] = m_graph.places().rowsBetween(
                m_traces[i].plot - 1, m_graph.shownReading(), s->rows(), span->first, span->second);
            rows = {first, last};
        } else {
            rows = {0, cutoffRow(*s, m_cutoffVolts, 0, s->rows() - 1).value_or(s->rows() - 1)};
        }
        spans.append({i, rows});
    }
    const QString what =
        m_figures == Figures::Span
            ? QStringLiteral("From %1 to %2")
                  .arg(m_graph.recordText(span->first), m_graph.recordText(span->second))
            : QStringLiteral("From the start to below %1 V")
                  .arg(formatNumber(m_cutoffVolts, u"0.###"));
    m_panel.setFigures(what, names, figureRows(spans));
}

QList<QStringList> StoredOverlay::figureRows(const QList<std::pair<int, RowSpan>>& spans)
{
    const QString unit = m_unit.unit;
    QList<QStringList> rows{
        {QStringLiteral("Duration (h:mm:ss)")},    {QStringLiteral("Start (%1)").arg(unit)},
        {QStringLiteral("End (%1)").arg(unit)},    {QStringLiteral("Min (%1)").arg(unit)},
        {QStringLiteral("Max (%1)").arg(unit)},    {QStringLiteral("Mean (%1)").arg(unit)},
        {QStringLiteral("Charge out (Ah)")},       {QStringLiteral("Out-Cap rise (Ah)")},
        {QStringLiteral("Energy out (Wh)")},       {QStringLiteral("Charge in (Ah)")},
        {QStringLiteral("In-Cap rise (Ah)")},      {QStringLiteral("Energy in (Wh)")},
        {QStringLiteral("Resistance mean (mOhm)")}};
    for (const auto& [index, span] : spans) {
        const ReadingSeries* s = series(index);
        if (!s || span.last < span.first) {
            for (QStringList& row : rows)
                row.append(QString());
            continue;
        }
        const SpanFigures f = spanFigures(*s, span.first, span.last);
        const ValueStats v = valueStats(s->column(m_unit.channel), span.first, span.last);
        const auto shown = [&](double x) {
            return figure(m_unit.shown(x, s->temperatureUnit()), unitFormat(unit));
        };
        const QStringList texts{std::isfinite(f.durationS)
                                    ? RowTimes::xText(XReading::Elapsed, f.durationS)
                                    : QString(),
                                shown(v.start),
                                shown(v.end),
                                shown(v.min),
                                shown(v.max),
                                shown(v.mean),
                                figure(f.chargeOutAh, kChargeFormat),
                                figure(f.counterOutAh, kChargeFormat),
                                figure(f.energyOutWh, kEnergyFormat),
                                figure(f.chargeInAh, kChargeFormat),
                                figure(f.counterInAh, kChargeFormat),
                                figure(f.energyInWh, kEnergyFormat),
                                figure(f.resistanceMeanOhm * 1000, unitFormat(u"mOhm"))};
        for (int r = 0; r < rows.size(); ++r)
            rows[r].append(texts[r]);
    }
    return rows;
}

void StoredOverlay::exportFigures()
{
    if (!m_panel.hasFigures())
        return;
    const QString path = m_prompts.saveFileName(
        &m_window, {QStringLiteral("CSV Files (*.csv)"), QStringLiteral("All Files (*)")},
        QStringLiteral("span-figures.csv"), QStringLiteral("csv"));
    if (path.isEmpty())
        return;
    if (const QString reason = writeWholeFile(path, m_panel.figuresCsv()); !reason.isEmpty())
        m_prompts.message(QStringLiteral("Cannot save %1").arg(QDir::toNativeSeparators(path)),
                          Prompts::Icon::Critical, m_window.windowTitle(), reason);
}

int addRecordingPlot(GraphView& graph, const ReadingSeries& series, const QString& name, int index,
                     const ColumnUnit& unit)
{
    const int plot = graph.addPlot(2, overlayColour(index));
    graph.plot(plot)->setName(name);
    graph.setPlotTimes(
        plot, RowTimes::fromElapsed(series.firstSecondOfDay().value_or(0), series.elapsedColumn()));
    graph.setPlotCharge(plot, ChargeAxis::of(series));
    setRecordingValues(graph, plot, series, unit);
    return plot;
}

void setRecordingValues(GraphView& graph, int plot, const ReadingSeries& series,
                        const ColumnUnit& unit)
{
    std::vector<float> values(std::size_t(series.rows()));
    for (qsizetype r = 0; r < series.rows(); ++r) {
        const double v = unit.shown(series.value(unit.channel, r), series.temperatureUnit());
        values[std::size_t(r)] = std::isfinite(v) ? float(v) : qQNaN();
    }
    graph.setPlotData(plot, values);
}
