#pragma once

#include "ColumnPlot.h"
#include "PlotRequest.h"
#include "ReadingSeries.h"
#include "RowTimes.h"
#include "TwipsScale.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <span>

class AxisEdit;
class Clock;
class GraphView;
class Prompts;
class QComboBox;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class SpanPanel;
class StoredOverlay;

/// The twin graph windows with range boxes, a pan/zoom mode list, a cursor read-out, a reset,
/// a print and a save-image button: the stored-data graph `Plot`, which shows one column of a data
/// list against the record number, and the detail graph `RealTimeGraph`, which shows a stretch of
/// the live graph's history on five value axes with a legend. Each window is deleted when it
/// closes; its opener builds a fresh one, which starts in "Normal" with its design-time axes.
///
/// Beyond that, "Fit" (`CmdFit`, the key F, a double-click on the graph) fits the axes to the
/// data and writes their ranges into the boxes (at each filling too under "Fit on open"), which
/// also follow the wheel's zooms and the pans; a click in "Normal" reads out the point of the trace
/// nearest to it. Where the rows carry times the list `XReading` puts the records at the time of
/// day or the elapsed time they were taken instead of their number, and the X boxes and read-out
/// show and take times.
///
/// The stored-data graph also overlays recordings: "Add file..." (`CmdAddFile`) and files
/// dropped on the window add a data file or a CellDesk CSV as another trace of the same
/// column, each in its own colour and named in the legend; X then reads "Capacity (Ah)" too.
/// "Span" (`CmdSpan`) marks a span by dragging; the panel beside the graph (SpanPanel) lists
/// the recordings and gives the figures of the span, or of each recording down to a cut-off
/// voltage.
class GraphWindow : public QWidget
{
    Q_OBJECT
public:
    enum class Kind
    {
        Stored, ///< `Plot`
        Detail  ///< `RealTimeGraph`
    };

    /// Value axes of the detail graph, by graph axis number.
    enum DetailAxis
    {
        VoltageAxis = 2,
        CurrentAxis,
        TemperatureAxis,
        ResistanceAxis,
        CapacityAxis
    };
    /// Plots of the detail graph, by plot number.
    enum DetailPlot
    {
        VoltagePlot = 1,
        CurrentPlot,
        TemperaturePlot,
        ResistancePlot,
        InCapPlot,
        OutCapPlot,
        TCapPlot
    };

    /// `clock` dates the printouts.
    GraphWindow(Kind kind, Prompts& prompts, const Clock& clock, QWidget* parent = nullptr);

    /// Shows the window held in `window`, building it first if there is none (or it closed);
    /// beside `opener` when its own place is taken.
    static GraphWindow* open(QPointer<GraphWindow>& window, Kind kind, Prompts& prompts,
                             const Clock& clock, QWidget* opener = nullptr);

    [[nodiscard]] Kind kind() const { return m_kind; }
    /// `CWGraph1`.
    [[nodiscard]] GraphView* graph() const { return m_graph; }
    /// `AxisMin_1`/`AxisMax_1` (record axis) and `AxisMin_2`/`AxisMax_2` (first value axis).
    [[nodiscard]] AxisEdit* axisMinBox(int index) const;
    [[nodiscard]] AxisEdit* axisMaxBox(int index) const;
    /// A label of the window by object name (the detail graph's legend, `LblUnit`, ...).
    [[nodiscard]] QLabel* label(const QString& name) const;

    /// Applies track-mode list entry `index`: hides both cursors, sets the graph's mode and
    /// writes the mode's help text; "Cursor Coordinates" shows cursor 1 in the middle of the
    /// plot area. An index outside the list only shows "Select a valid TrackMode.".
    void applyTrackMode(int index);
    /// Sets the record axis and the first value axis to their boxes' ranges, unless the setup
    /// flag is raised.
    void applyBoxes();

    /// Raised while an opener fills the window: box changes then leave the axes alone.
    /// Lowering it copies the ranges of the record axis and the first value axis into the
    /// boxes, so that the next box change starts from what the graph shows.
    void setSetupFlag(bool raised);
    [[nodiscard]] bool setupFlag() const { return m_setupFlag; }
    /// Sets the boxes of pair `index` (1 record axis, 2 first value axis) at once.
    void setBoxes(int index, double min, double max);

    /// Stored-data graph: shows `values` against the records 1, 2, 3... with the value range,
    /// formats and title of `request`, which Reset returns to later; `times` are when the rows
    /// were taken (none: the X axis reads record numbers only).
    void showColumn(const PlotRequest& request, std::span<const float> values, RowTimes times = {});
    /// Stored-data graph: what the next showColumn shows, for the overlay of recordings: the
    /// list's recording read from `source` when first needed, its column's `unit`.
    void setColumnSource(std::function<ReadingSeries()> source, const ColumnUnit& unit);
    /// Stored-data graph: adds the recording at `path` as a trace ("Add file..."); a file that
    /// cannot be read is told. True when added.
    bool addFile(const QString& path);
    /// The recordings and their span (stored-data graph only, else null).
    [[nodiscard]] StoredOverlay* overlay() const { return m_overlay; }
    [[nodiscard]] SpanPanel* spanPanel() const { return m_panel; }
    /// `CmdSpan`: a drag on the graph marks a span while on.
    void setSpanMarking(bool on);
    /// The filters of "Add file...".
    [[nodiscard]] static QStringList recordingFilters();

    /// The request the stored-data graph was last filled with.
    [[nodiscard]] const PlotRequest& shownRequest() const { return m_request; }

    /// `CmdReset`: the stored-data graph returns to the ranges it was filled with; the detail
    /// graph asks for its detail dialog (resetRequested) and closes.
    void reset();
    /// `CmdFit`: every axis to its data (GraphView::fit), the boxes to the new ranges.
    void fit();
    /// Chooses how the record axis, its boxes and the X read-out read (record number without
    /// times).
    void setXReading(XReading reading);

    /// What the graph shows (a file, the live history), for the printout's header and the
    /// saved picture's title; set by the opener. The file's name names its trace.
    void setSource(const QString& source);
    [[nodiscard]] const QString& source() const { return m_source; }

    /// `CmdPrint`: asks for a printer and prints the window's client area on one page under
    /// the page header, in print colours and without the control frame; the window is
    /// restored on every path.
    void print();
    /// `CmdSaveImage`: saves the graph with its title and legend as a PNG, SVG or PDF
    /// picture, of the graph's size or one the user types.
    void saveImage();

signals:
    /// The detail graph's Reset: its opener shows the detail dialog again.
    void resetRequested();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    class PrintLook;

    void buildFrame();
    void layOut();
    /// Height of the control frame: its design height, or more where its controls need it.
    [[nodiscard]] int frameHeight() const;
    /// The least window size at which the graph and every control still fit side by side.
    [[nodiscard]] QSize minimumLayoutSize() const;
    void setBoxesQuietly(int index, double min, double max);
    void onBoxChanged();
    void onCursorChanged(int index, double x, double y);
    void onClicked(double x, double y);
    void showReadOut(double x, double y);
    /// The X boxes' format for the record axis's reading, and their ranges afresh.
    void showXReading();
    void setBackgroundColour(const QColor& colour);
    /// Shows the span panel while there is something for it (recordings, a span, figures).
    void showPanel();

    Kind m_kind;
    Prompts& m_prompts;
    TwipsScale m_scale;
    GraphView* m_graph = nullptr;
    QFrame* m_frame = nullptr;
    QWidget* m_legend = nullptr;
    QComboBox* m_modes = nullptr;
    QPlainTextEdit* m_description = nullptr;
    std::array<AxisEdit*, 2> m_min{};
    std::array<AxisEdit*, 2> m_max{};
    QLabel* m_xPosition = nullptr;
    QLabel* m_yPosition = nullptr;
    QLabel* m_unit = nullptr;
    QPushButton* m_reset = nullptr;
    QPushButton* m_print = nullptr;
    QPushButton* m_fit = nullptr;
    QComboBox* m_xReading = nullptr;
    QPushButton* m_saveImage = nullptr;
    QPushButton* m_addFile = nullptr;
    QPushButton* m_span = nullptr;
    SpanPanel* m_panel = nullptr;
    StoredOverlay* m_overlay = nullptr;
    const Clock& m_clock;
    QString m_source;
    QString m_yFormat;
    QColor m_screenBackground;
    PlotRequest m_request;
    bool m_setupFlag = false;
    bool m_quiet = false;       // boxes are being set together: apply once at the end
    bool m_printLayout = false; // printing: the geometry is set by hand
};
