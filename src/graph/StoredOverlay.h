#pragma once

#include "ColumnPlot.h"
#include "ReadingSeries.h"
#include "RowTimes.h"
#include "SpanFigures.h"

#include <QColor>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class GraphView;
class Prompts;
class SpanBand;
class SpanPanel;
class QWidget;

/// The recordings of the stored-data graph and what a span of them tells. Plot 1 is the
/// list's column; each file added beside it (setColumn's column of that file) is a trace of its
/// own colour, named by its file in the legend and the panel, placed by its own times and
/// counter, and removable. Under Capacity every trace stands on the charge drawn so far. A span
/// marked with the band, or each recording up to its cut-off voltage, gives the figures in the
/// panel.
class StoredOverlay : public QObject
{
    Q_OBJECT
public:
    /// Reads the list's recording when it is first needed (it costs a conversion of every row).
    using SeriesSource = std::function<ReadingSeries()>;

    StoredOverlay(GraphView& graph, SpanPanel& panel, Prompts& prompts, QWidget& window);

    /// The list's column that plot 1 shows next: drawn in `unit`, its recording read from
    /// `source` (none: no capacity and no figures for it). The added files are drawn afresh in
    /// the same column.
    void setColumn(SeriesSource source, const ColumnUnit& unit);
    /// The list's recording as the legend and the panel name it.
    void setColumnName(const QString& name);
    /// Plot 1 was filled (GraphWindow::showColumn): it is placed by charge under Capacity.
    void columnShown();

    /// Adds the recording at `path` as a trace; a file that cannot be read is told. True when
    /// added.
    bool addFile(const QString& path);
    /// Takes trace `index` (1 or more; 0 is the list's column) off the graph.
    void removeTrace(int index);
    [[nodiscard]] int traceCount() const { return int(m_traces.size()); }

    /// Before the record axis reads `reading`: under Capacity every trace gets its counter.
    void prepareReading(XReading reading);
    /// The record axis reads anew: a span marked on it is gone.
    void readingChanged();

    [[nodiscard]] SpanBand& band() { return *m_band; }
    /// Marks spans by dragging while on.
    void setMarking(bool on);
    /// The figures of each recording from its start to where its voltage first fell below
    /// `volts`.
    void showCutoff(double volts);
    /// Asks for a file and writes the figures there as CSV.
    void exportFigures();

signals:
    /// A trace was added or removed.
    void tracesChanged(bool added);

private:
    struct Trace
    {
        QString name;
        QColor colour;
        int plot = 0;
        std::optional<ReadingSeries> series; // the list's own: read when first needed
    };
    enum class Figures
    {
        None,
        Span,
        Cutoff
    };

    /// The recording of trace `index`, or null where there is none.
    const ReadingSeries* series(int index);
    void showTraces();
    void refreshFigures();
    [[nodiscard]] QList<QStringList> figureRows(const QList<std::pair<int, RowSpan>>& spans);

    GraphView& m_graph;
    SpanPanel& m_panel;
    Prompts& m_prompts;
    QWidget& m_window;
    SpanBand* m_band;
    QList<Trace> m_traces;
    SeriesSource m_source;
    ColumnUnit m_unit;
    Figures m_figures = Figures::None;
    double m_cutoffVolts = 3.0;
};

/// The colour of trace `index` of a graph that overlays recordings: the stored-data graph's
/// green first, then colours that read apart from it and from each other.
[[nodiscard]] QColor overlayColour(int index);

/// Draws `series` on `graph` as a new plot in overlay colour `index`, named `name` in the
/// legend, its records placed by their own times and counter, its values in `unit`; returns
/// the plot's number. The stored-data graph and `celldesk --plot` draw recordings alike.
int addRecordingPlot(GraphView& graph, const ReadingSeries& series, const QString& name, int index,
                     const ColumnUnit& unit);
/// Sets the values of `series` in `unit` on `plot`, a gap wherever a value is no number.
void setRecordingValues(GraphView& graph, int plot, const ReadingSeries& series,
                        const ColumnUnit& unit);
