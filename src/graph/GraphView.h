#pragma once

#include "RecordPlaces.h"

#include <qcustomplot.h>

#include <QList>
#include <QPointer>
#include <QTimer>

#include <array>
#include <memory>
#include <span>

/// The graph control of the graph windows: a record axis (axis 1) and value axes on the left
/// (axes 2, 3, ...), plots of single-precision arrays against the record numbers 1, 2, 3...,
/// two crosshair cursors, and track modes for dragging a cursor, panning and zooming.
///
/// Track modes: 1 none; 2 dragging moves cursor 1; 3 pan both ways, 4 horizontally,
/// 5 vertically; 6 zoom to a dragged rectangle both ways, 7 horizontally, 8 vertically.
/// Panning and zooming move the record axis and every value axis.
///
/// In every mode the wheel zooms about the pointer (with Ctrl the value axes only, with Shift
/// the record axis only), a drag with the middle button pans, and a double-click on the plot
/// area asks for a Fit. A click is reported once the time for a double-click has passed
/// without one, so that a double-click is never also a click. Tick labels carry just enough
/// decimals to tell adjacent ticks apart.
///
/// The record axis can read in time instead. A plot with times of its own (setPlotTimes)
/// then has its points at their times, each plot at its own: X is seconds since the midnight
/// before its first record (time of day) or since its first record (elapsed time), and a hole
/// in the recording shows as wide as it lasted. Plots taken at a steady pace (setRecordPace,
/// the live graph) keep X as the record number and read it as time. Under Capacity a plot
/// with a counter (setPlotCharge) has its points at the charge drawn by then, its curve broken
/// where the counter fell. The legend (QCustomPlot's, hidden at first) is drawn in the plot
/// area's colours.
class CrossCursor;

class GraphView : public QCustomPlot
{
    Q_OBJECT
public:
    static constexpr int CursorCount = 2;

    explicit GraphView(QWidget* parent = nullptr);
    ~GraphView() override;

    // Axes: 1 is the record axis, 2 and on the value axes, in the order they were added.

    /// Axes in the collection, the record axis included.
    [[nodiscard]] int axisCount() const { return static_cast<int>(m_axes.size()); }
    /// Axis `index` (1-based), or nullptr.
    [[nodiscard]] QCPAxis* axis(int index) const;
    /// Adds a value axis to the left of the others; returns its index.
    int addValueAxis();
    /// Removes value axis `index` (2 or more) with its plots; later axes move down one place.
    /// Returns false for any other index.
    bool removeAxis(int index);
    /// Sets axis `index` to min..max. Equal ends show ±0.5 around the value; a maximum below
    /// the minimum leaves the axis as it is.
    void setAxisRange(int index, double min, double max);
    /// The range of axis `index` as last set, or as panned or zoomed since.
    [[nodiscard]] double axisMinimum(int index) const;
    [[nodiscard]] double axisMaximum(int index) const;
    void setAxisCaption(int index, const QString& caption);
    /// Draws axis `index` (line, ticks, numbers, caption) in `colour` (darker on a light
    /// background).
    void setAxisColor(int index, const QColor& colour);

    // Plots: numbered from 1 in the order they were added. A plot keeps its number when the
    // axis of another plot is removed; a plot whose axis was removed is gone for good.

    /// Adds a plot on value axis `axisIndex`, drawn in `colour` (darker on a light plot area);
    /// returns its number (0 when there is no such value axis).
    int addPlot(int axisIndex, const QColor& colour);
    [[nodiscard]] int plotCount() const { return static_cast<int>(m_plots.size()); }
    /// Plot `number`, or nullptr when there is none (or its axis was removed).
    [[nodiscard]] QCPGraph* plot(int number) const;
    /// Replaces plot `number`'s points with `values` at records 1, 2, 3... (at their times
    /// when the plot has times and the axis reads in time); false without a plot.
    bool setPlotData(int number, std::span<const float> values);
    /// Appends one point at the next record; false without a plot.
    bool appendPoint(int number, double value);
    /// The values that stand for overloads in plot `number`: Fit leaves them out.
    void setPlotOverloads(int number, QList<double> values);

    // Fit.

    /// The record axis to the extent of the plots' points, then fitValueAxes over it. Axes
    /// without points keep their ranges.
    void fit();
    /// The record axis alone to the extent of the plots' points; the extent, or nothing when
    /// there are no points.
    std::optional<std::pair<double, double>> fitRecordAxis();
    /// Each value axis to the points of its plots between records `from` and `to` (FitSpan:
    /// gaps and overloads left out, a margin added, a flat trace given a span around it).
    void fitValueAxes(double from, double to);

    // The record axis's reading.

    /// When the records of plot `number` were taken (empty: records only). Under a time
    /// reading its points move to their times.
    void setPlotTimes(int number, RowTimes times);
    /// The records are taken one each `interval` seconds from `firstSecondOfDay` on: X stays
    /// the record number and reads as the time it was taken.
    void setRecordPace(double firstSecondOfDay, double interval);
    /// The charge drawn by each record of plot `number`, for a record axis reading Capacity.
    void setPlotCharge(int number, ChargeAxis charge);
    /// Where the records of the plots stand on the record axis.
    [[nodiscard]] const RecordPlaces& places() const { return m_places; }
    /// Record numbers (with `recordCaption` as the axis title), time of day, elapsed time or
    /// capacity; the record number while there are no times (or no counters). The record axis's
    /// range and the cursors move with the points, so the same records stay in view; to or from
    /// Capacity the record axis fits its points instead.
    void setXReading(XReading reading);
    /// The reading chosen (setXReading), whether or not there are times to show it.
    [[nodiscard]] XReading xReading() const { return m_reading; }
    /// The reading the record axis shows: the one chosen where it can be shown, else Record.
    [[nodiscard]] XReading shownReading() const { return m_places.shownFor(m_reading); }
    /// The record axis's title while it reads records (setAxisCaption(1, ...) alike).
    void setRecordCaption(const QString& caption);
    /// Where record position `record` (1-based) of the first plot with times stands on the
    /// record axis as it reads now.
    [[nodiscard]] double xOfRecord(double record) const;
    /// Record axis position `x` as the axis reads it now (the cursor read-out).
    [[nodiscard]] QString recordText(double x) const;
    /// The point of the first plot on the first value axis nearest to record axis position
    /// `x` (the point a cursor lands on); (x, y) itself where that plot has no points.
    [[nodiscard]] QPointF nearestPoint(double x, double y) const;

    // Cursors 1 and 2: crosshairs on the record axis and the first value axis.

    void setCursorVisible(int index, bool visible);
    [[nodiscard]] bool cursorVisible(int index) const;
    /// Moves cursor `index`; cursorChanged follows.
    void setCursorPosition(int index, double x, double y);
    [[nodiscard]] QPointF cursorPosition(int index) const;

    void setTrackMode(int code);
    [[nodiscard]] int trackMode() const { return m_trackMode; }

    [[nodiscard]] QColor plotAreaColor() const { return m_plotAreaColour; }
    void setPlotAreaColor(const QColor& colour);
    /// The colour around the plot area; numbers and captions are drawn black or white,
    /// whichever reads on it, unless an axis has its own colour.
    [[nodiscard]] QColor backgroundColor() const { return m_backgroundColour; }
    void setBackgroundColor(const QColor& colour);

    /// Redraws at the next turn of the event loop (several changes, one redraw).
    void requestReplot();
    /// Redraws now at the widget's current size (before an image of it is taken).
    void replotNow();

signals:
    /// Cursor `index` moved to (x, y), by dragging or by code.
    void cursorChanged(int index, double x, double y);
    /// A click (press and release in one place) on the plot area, at (x, y) in the record
    /// axis's and first value axis's units; not part of a double-click.
    void clicked(double x, double y);
    /// A double-click on the plot area: the window fits its axes.
    void fitRequested();
    /// The user moved the axes of `directions` (wheel, middle-button or track-mode drag).
    void movedByHand(Qt::Orientations directions);
    /// The range of axis `index` moved by hand (wheel, pan or zoom; not by setAxisRange).
    void rangeMoved(int index, double min, double max);

protected:
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    struct Range
    {
        double min = 0;
        double max = 10;
    };

    void applyTrackMode();
    void bindCursors();
    void styleAxes();
    [[nodiscard]] QList<QCPAxis*> valueAxes() const;
    void watchRange(QCPAxis* axis);
    void onMousePress(QMouseEvent* event);
    void onMouseMove(QMouseEvent* event);
    void onMouseRelease(QMouseEvent* event);
    void applyXReading();
    /// Re-keys plot `i` (0-based) to its records' places under the shown reading.
    void placePoints(qsizetype i);
    /// Plot `i`'s points afresh from its values, breaks included.
    void rebuildPoints(qsizetype i);
    [[nodiscard]] bool inPlotArea(QPointF at) const;

    QList<QCPAxis*> m_axes;
    QList<Range> m_ranges;
    QList<QPointer<QCPGraph>> m_plots;
    QList<QColor> m_plotColours; // as added; drawn darker on a light plot area
    QList<QList<double>> m_plotOverloads;
    std::array<std::unique_ptr<CrossCursor>, CursorCount> m_cursors;
    QList<QColor> m_axisColours; // invalid: follow the background
    int m_trackMode = 1;
    bool m_settingRange = false;
    bool m_draggingCursor = false;
    QPoint m_pressAt;
    bool m_pressed = false;
    QColor m_plotAreaColour;
    QColor m_backgroundColour;
    RecordPlaces m_places;
    // Per plot, as m_plots: the values of plots with a counter, whose points are rebuilt
    // (with breaks) as the reading changes.
    QList<std::vector<float>> m_plotValues;
    XReading m_reading = XReading::Record;
    XReading m_shown = XReading::Record; // what the points and the axis are placed by
    QString m_recordCaption;
    QTimer m_clickDue; // a click waits to see whether it is half of a double-click
    QPointF m_clickAt;
    bool m_panning = false; // the middle button is down
    QPointF m_panFrom;
};
