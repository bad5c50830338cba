#include "RowTimes.h"

#include "AxisText.h"
#include "CsvReadings.h"
#include "ValueText.h"

#include <algorithm>
#include <cmath>

RowTimes RowTimes::fromTexts(const QStringList& texts)
{
    RowTimes t;
    TimeOfDayRun run;
    std::optional<qint64> first;
    qint64 last = 0;
    t.m_elapsed.reserve(std::size_t(texts.size()));
    for (const QString& text : texts) {
        if (const std::optional<qint64> s = run.next(text)) {
            if (!first) {
                first = *s;
                t.m_firstSecondOfDay = double(*s);
            }
            last = *s - *first;
        }
        t.m_elapsed.push_back(double(last));
    }
    if (!first)
        return {};
    return t;
}

RowTimes RowTimes::fromElapsed(double firstSecondOfDay, std::span<const double> elapsed)
{
    RowTimes t;
    t.m_firstSecondOfDay = firstSecondOfDay;
    t.m_elapsed.reserve(elapsed.size());
    std::optional<double> first;
    double last = 0;
    for (const double e : elapsed) {
        if (std::isfinite(e)) {
            if (!first)
                first = e;
            last = e - *first;
        }
        t.m_elapsed.push_back(last);
    }
    if (!first)
        return {};
    return t;
}

RowTimes RowTimes::regular(double firstSecondOfDay, double interval)
{
    RowTimes t;
    t.m_firstSecondOfDay = firstSecondOfDay;
    t.m_interval = interval > 0 ? interval : 1;
    return t;
}

double RowTimes::pace() const
{
    if (m_interval > 0)
        return m_interval;
    const std::size_t n = m_elapsed.size();
    const double span = n > 1 ? m_elapsed.back() - m_elapsed.front() : 0;
    return span > 0 ? span / double(n - 1) : 1.0;
}

double RowTimes::elapsedAt(double record) const
{
    if (m_interval > 0 || m_elapsed.empty())
        return (record - 1) * pace();
    const double last = double(m_elapsed.size());
    if (record <= 1)
        return m_elapsed.front() + (record - 1) * pace();
    if (record >= last)
        return m_elapsed.back() + (record - last) * pace();
    const auto i = std::size_t(std::floor(record)) - 1; // the row at or before `record`
    const double part = record - std::floor(record);
    return m_elapsed[i] + part * (m_elapsed[i + 1] - m_elapsed[i]);
}

double RowTimes::recordAt(double elapsed) const
{
    if (m_interval > 0 || m_elapsed.empty())
        return 1 + elapsed / pace();
    if (elapsed <= m_elapsed.front())
        return 1 + (elapsed - m_elapsed.front()) / pace();
    const auto at = std::lower_bound(m_elapsed.begin(), m_elapsed.end(), elapsed);
    if (at == m_elapsed.end())
        return double(m_elapsed.size()) + (elapsed - m_elapsed.back()) / pace();
    const double row = double(at - m_elapsed.begin()) + 1;
    if (*at == elapsed)
        return row; // the first of the rows that share this time
    const double before = *(at - 1);
    return row - 1 + (elapsed - before) / (*at - before);
}

double RowTimes::x(XReading reading, double record) const
{
    if (reading == XReading::Record || reading == XReading::Capacity || isEmpty())
        return record;
    const double elapsed = elapsedAt(record);
    return reading == XReading::Clock ? m_firstSecondOfDay + elapsed : elapsed;
}

double RowTimes::recordAtX(XReading reading, double x) const
{
    if (reading == XReading::Record || reading == XReading::Capacity || isEmpty())
        return x;
    return recordAt(reading == XReading::Clock ? x - m_firstSecondOfDay : x);
}

QString RowTimes::xText(XReading reading, double x)
{
    switch (reading) {
    case XReading::Clock:
        return clockText(x);
    case XReading::Elapsed:
        return elapsedText(x);
    case XReading::Record:
    case XReading::Capacity:
        break;
    }
    return formatNumber(x, u"0.###");
}

QString RowTimes::text(XReading reading, double record) const
{
    return xText(isEmpty() ? XReading::Record : reading, x(reading, record));
}
