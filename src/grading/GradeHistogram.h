#pragma once

#include <qcustomplot.h>

#include <QList>

#include <span>

/// A limit drawn across a histogram: where it stands (in the values' unit) and whether it is
/// a warning level.
struct HistogramMark
{
    double at = 0;
    bool warning = false;
};

/// One histogram of the Cell Grading window: the cells' values of one channel as bars, the
/// session's limits as vertical lines (red; the warning levels orange).
class GradeHistogram : public QCustomPlot
{
    Q_OBJECT
public:
    /// `title` names the axis ("Voltage (V)"); values are shown `scale` times their SI value
    /// (1000 for milliohms).
    GradeHistogram(const QString& title, double scale, QWidget* parent = nullptr);

    /// Shows `values` (SI), binned no finer than `step` (SI), and `marks` (SI).
    void showValues(std::span<const double> values, double step, const QList<HistogramMark>& marks);

private:
    double m_scale;
    QCPBars* m_bars = nullptr;
    QList<QCPItemStraightLine*> m_lines;
};
