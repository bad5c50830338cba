#include "GradeHistogram.h"

#include "GradeStatistics.h"

#include <algorithm>

GradeHistogram::GradeHistogram(const QString& title, double scale, QWidget* parent)
    : QCustomPlot(parent), m_scale(scale)
{
    xAxis->setLabel(title);
    yAxis->setLabel(QStringLiteral("cells"));
    yAxis->ticker()->setTickCount(4);
    m_bars = new QCPBars(xAxis, yAxis);
    m_bars->setPen(QPen(QColor(0x2f, 0x5d, 0xa8)));
    m_bars->setBrush(QColor(0x6f, 0x9d, 0xe0));
    m_bars->setWidthType(QCPBars::wtPlotCoords);
    setMinimumSize(220, 150);
    showValues({}, 0, {});
}

void GradeHistogram::showValues(std::span<const double> values, double step,
                                const QList<HistogramMark>& marks)
{
    const Histogram h = histogram(values, step);
    QList<double> keys;
    QList<double> counts;
    int highest = 1;
    for (qsizetype k = 0; k < h.counts.size(); ++k) {
        keys.append(h.centre(k) * m_scale);
        counts.append(h.counts[k]);
        highest = std::max(highest, h.counts[k]);
    }
    m_bars->setWidth(h.width * m_scale);
    m_bars->setData(keys, counts, true);

    // The bars and every limit in view, with a little room either side.
    double lo = h.counts.isEmpty() ? 0 : h.first * m_scale;
    double hi = h.counts.isEmpty() ? 1 : (h.first + h.width * double(h.counts.size())) * m_scale;
    for (const HistogramMark& m : marks) {
        lo = std::min(lo, m.at * m_scale);
        hi = std::max(hi, m.at * m_scale);
    }
    if (h.counts.isEmpty() && !marks.isEmpty()) {
        lo -= 0.5;
        hi += 0.5;
    }
    const double room = (hi - lo) * 0.05;
    xAxis->setRange(lo - room, hi + room);
    yAxis->setRange(0, highest * 1.15);

    while (m_lines.size() > marks.size())
        removeItem(m_lines.takeLast());
    while (m_lines.size() < marks.size())
        m_lines.append(new QCPItemStraightLine(this));
    for (qsizetype k = 0; k < marks.size(); ++k) {
        QCPItemStraightLine* line = m_lines[k];
        const double x = marks[k].at * m_scale;
        line->point1->setCoords(x, 0);
        line->point2->setCoords(x, 1);
        line->setPen(QPen(marks[k].warning ? QColor(0xe0, 0x8a, 0x00) : QColor(0xd0, 0x20, 0x20), 2,
                          marks[k].warning ? Qt::DashLine : Qt::SolidLine));
    }
    replot();
}
