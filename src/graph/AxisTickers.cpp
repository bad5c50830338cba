#include "AxisTickers.h"

#include "AxisText.h"

#include <cmath>

namespace {

class ReadableTicker final : public QCPAxisTicker
{
protected:
    QVector<QString> createLabelVector(const QVector<double>& ticks, const QLocale&, QChar,
                                       int) override
    {
        const QStringList labels = tickLabels(ticks);
        return QVector<QString>(labels.begin(), labels.end());
    }
};

class TimeTicker final : public QCPAxisTicker
{
public:
    TimeTicker(const RowTimes* pace, XReading reading) : m_pace(pace), m_reading(reading) {}

    void generate(const QCPRange& range, const QLocale&, QChar, int, QVector<double>& ticks,
                  QVector<double>* subTicks, QVector<QString>* tickLabels) override
    {
        ticks.clear();
        if (subTicks)
            subTicks->clear();
        if (tickLabels)
            tickLabels->clear();
        const double from = timeAt(range.lower);
        const double to = timeAt(range.upper);
        if (!std::isfinite(from) || !std::isfinite(to) || to < from)
            return;
        const double step = timeTickStep(to - from, tickCount());
        for (double t = std::ceil(from / step) * step; t <= to + step * 1e-9 && ticks.size() < 1000;
             t += step) {
            ticks.append(m_pace ? m_pace->recordAtX(m_reading, t) : t);
            if (tickLabels)
                tickLabels->append(RowTimes::xText(m_reading, t));
        }
    }

private:
    [[nodiscard]] double timeAt(double x) const { return m_pace ? m_pace->x(m_reading, x) : x; }

    const RowTimes* m_pace; // null: X is the time
    XReading m_reading;
};

} // namespace

QSharedPointer<QCPAxisTicker> readableTicker()
{
    return QSharedPointer<QCPAxisTicker>(new ReadableTicker);
}

QSharedPointer<QCPAxisTicker> timeTicker(const RowTimes* pace, XReading reading)
{
    return QSharedPointer<QCPAxisTicker>(new TimeTicker(pace, reading));
}
