#pragma once

#include "PlotRequest.h"
#include "RowTimes.h"
#include "TwipsScale.h"
#include "WindowHandlers.h"

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <array>

class Clock;
class Prompts;
class QToolBar;
class TextGrid;

/// One trace of the list plot: a grid column, drawn when on.
struct ListPlotSeries
{
    bool on = false;
    int column = 0;
};

/// The list plot window ("Plot Data/File "): the listed records of a grid as up to three line
/// traces, record numbers across and values up, drawn straight onto the window without a graph
/// control. Its toolbar opens the range dialog ("Limit", via limitClicked), prints the
/// window ("Print") and saves its picture ("Save image").
///
/// Every resize draws the whole plot anew into an image that the window shows, from the
/// window's size and the plot request it was opened with (its own copy: a column click in
/// another list rewrites the program's request, not this plot): frame, value ticks and labels,
/// legend, then the records one by one with their grid, traces, record marks and time labels. A
/// resize during a drawing starts it again. While the records are drawn the caption counts them and
/// the grid's current row follows (both about 20 times a second). Closing the window ends a
/// drawing; the object is deleted once its own handlers have ended.
///
/// Value labels carry just enough decimals (at least one) to tell them apart. "Fit" (the key F,
/// a double-click on the plot) draws every listed record over the range of their values; the
/// list `XReading` chooses how the records stand across: at their time of day (the start) or
/// the time since the first record, with ticks at round times, or by their number, with the
/// marks at the fifths and tenths of the records.
class ListPlot : public QWidget
{
    Q_OBJECT
public:
    /// Left offset of the plot area, in pixels of the client area.
    static constexpr int LeftOffset = 60;
    /// Outer size below which nothing is drawn, in twips (400 × 391 px at 96 dpi).
    static constexpr int MinWidthTwips = 6000;
    static constexpr int MinHeightTwips = 5865;
    /// Colours of series 1, 2 and 3: blue, black, red.
    static const std::array<QColor, 3> SeriesColours;
    /// Least time between two progress steps (caption, events, row selection).
    static constexpr int ProgressIntervalMs = 50;

    /// The load step: placed at the main window's right edge, top 0. Draws `grid`'s column of
    /// each series that is on, over the ranges of a copy of `request`. `clock` dates the
    /// printouts.
    ListPlot(const PlotRequest& request, const TextGrid& grid,
             const std::array<ListPlotSeries, 3>& series, Prompts& prompts, const Clock& clock,
             QWidget* mainWindow);
    ~ListPlot() override;

    /// The window's caption while it is not drawing.
    [[nodiscard]] static QString caption() { return QStringLiteral("Plot Data/File "); }

    /// What the window shows: the last drawing, or the one in progress.
    [[nodiscard]] const QImage& surface() const { return m_surface; }
    /// The title and ranges this plot draws.
    [[nodiscard]] const PlotRequest& request() const { return m_request; }
    [[nodiscard]] bool isDrawing() const { return m_drawing; }
    /// The Y coordinate of the baseline and the plot height for the current size.
    [[nodiscard]] int baseline() const { return height() - 27; }
    [[nodiscard]] int plotHeight() const { return height() - 100; }
    /// The plot width for the current size: (width - 60) rounded down to a multiple of 30.
    [[nodiscard]] int plotWidth() const;

    /// What the plot shows (the set of its list), for the printout's header and the picture's
    /// title; set by the opener.
    void setSource(const QString& source) { m_source = source; }

    /// Toolbar1_ButtonClick: "Limit", "Print", "Fit" or "Save image".
    void runToolbarCommand(const QString& key);
    /// "Fit": the records 1 to the last listed over their values' range with a margin, widened
    /// to eighths of a round step (and kept inside the full scale where the values are), then
    /// a redraw; requestChanged follows.
    void fit();
    /// What the record marks read; a redraw follows.
    void setXReading(XReading reading);
    [[nodiscard]] XReading xReading() const { return m_reading; }
    /// Asks for a printer and prints the window's image without its toolbar under the page
    /// header; the toolbar shows again on every path.
    void print();
    /// Saves the drawing, at the window's size, under a title line as a PNG, SVG or PDF
    /// picture (a bigger drawing: resize the window first).
    void saveImage();

signals:
    /// The toolbar's Limit: the opener shows the range dialog.
    void limitClicked();
    /// Record `row` of the grid is being drawn (the grid selects it).
    void recordReached(int row);
    /// A whole drawing has ended (also one that stopped on a record beyond the list).
    void drawn();
    /// Fit changed request(): the range dialog starts from it.
    void requestChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    /// Draws until a drawing ends without being restarted.
    void redraw();
    /// One drawing; false when it was cut short (closed, restarted or the list gone).
    bool drawOnce();

    [[nodiscard]] QString valueAxisTitle() const;

    PlotRequest m_request;
    QPointer<const TextGrid> m_grid;
    std::array<ListPlotSeries, 3> m_series;
    Prompts& m_prompts;
    const Clock& m_clock;
    QString m_source;
    TwipsScale m_scale;
    QToolBar* m_toolbar = nullptr;
    QImage m_surface;
    XReading m_reading = XReading::Clock;
    QTimer m_redrawDue;
    WindowHandlers m_handlers{*this}; // dialogs, saves and prints running: they run events
    bool m_drawing = false;
    bool m_restart = false;
};
