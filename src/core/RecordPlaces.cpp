#include "RecordPlaces.h"

#include <algorithm>
#include <cmath>

void RecordPlaces::addPlot()
{
    m_times.append(RowTimes());
    m_charge.append(ChargeAxis());
}

void RecordPlaces::setTimes(qsizetype plot, RowTimes times)
{
    if (plot >= 0 && plot < m_times.size())
        m_times[plot] = std::move(times);
}

void RecordPlaces::setCharge(qsizetype plot, ChargeAxis charge)
{
    if (plot >= 0 && plot < m_charge.size())
        m_charge[plot] = std::move(charge);
}

void RecordPlaces::setPace(double firstSecondOfDay, double interval)
{
    m_pace = RowTimes::regular(firstSecondOfDay, interval);
}

bool RecordPlaces::hasTimes() const
{
    return !m_pace.isEmpty() || !referenceTimes().isEmpty();
}

bool RecordPlaces::hasCharge() const
{
    return std::any_of(m_charge.begin(), m_charge.end(),
                       [](const ChargeAxis& c) { return !c.isEmpty(); });
}

bool RecordPlaces::hasCharge(qsizetype plot) const
{
    return plot >= 0 && plot < m_charge.size() && !m_charge[plot].isEmpty();
}

XReading RecordPlaces::shownFor(XReading reading) const
{
    if (reading == XReading::Capacity)
        return hasCharge() ? reading : XReading::Record;
    return hasTimes() ? reading : XReading::Record;
}

const RowTimes& RecordPlaces::timesOf(qsizetype plot) const
{
    static const RowTimes none;
    return plot >= 0 && plot < m_times.size() ? m_times[plot] : none;
}

const RowTimes& RecordPlaces::referenceTimes() const
{
    for (const RowTimes& t : m_times) {
        if (!t.isEmpty())
            return t;
    }
    static const RowTimes none;
    return none;
}

double RecordPlaces::x(qsizetype plot, XReading reading, double record) const
{
    if (reading == XReading::Capacity) {
        if (!hasCharge(plot))
            return record;
        if (!std::isfinite(record))
            return qQNaN();
        const ChargeAxis& c = m_charge[plot];
        const auto row = qsizetype(std::clamp(std::round(record) - 1, 0.0, double(c.rows() - 1)));
        return c.at(row);
    }
    return timesOf(plot).x(reading, record);
}

bool RecordPlaces::breaksBefore(qsizetype plot, XReading reading, qsizetype row) const
{
    return reading == XReading::Capacity && hasCharge(plot) && row > 0 &&
           row < m_charge[plot].rows() && m_charge[plot].breaksBefore(row);
}

double RecordPlaces::xOfRecord(XReading reading, double record) const
{
    if (!m_pace.isEmpty())
        return record;
    if (reading == XReading::Capacity) {
        // The charge reached by then: a row without a number takes the last one before it.
        for (qsizetype p = 0; p < m_charge.size(); ++p) {
            const ChargeAxis& c = m_charge[p];
            if (c.isEmpty())
                continue;
            double reached = 0;
            if (!std::isfinite(record))
                return reached;
            const auto last = qsizetype(std::clamp(std::round(record), 1.0, double(c.rows())));
            for (qsizetype row = last; row-- > 0;) {
                if (std::isfinite(c.at(row))) {
                    reached = c.at(row);
                    break;
                }
            }
            return reached;
        }
        return record;
    }
    return referenceTimes().x(reading, record);
}

QString RecordPlaces::text(XReading reading, double x) const
{
    return RowTimes::xText(reading, m_pace.isEmpty() ? x : m_pace.x(reading, x));
}

std::optional<double> RecordPlaces::moved(double x, XReading from, XReading to) const
{
    if (from == XReading::Capacity || to == XReading::Capacity)
        return std::nullopt;
    const RowTimes& reference = referenceTimes();
    return reference.x(to, reference.recordAtX(from, x));
}

std::pair<qsizetype, qsizetype> RecordPlaces::rowsBetween(qsizetype plot, XReading reading,
                                                          qsizetype rows, double from,
                                                          double to) const
{
    if (reading == XReading::Capacity && hasCharge(plot)) {
        const ChargeAxis& c = m_charge[plot];
        return {c.firstRowFrom(from), std::min(c.lastRowUpTo(to), rows - 1)};
    }
    const RowTimes& times = timesOf(plot);
    const double first = std::ceil(times.recordAtX(reading, from) - 1e-9);
    const double last = std::floor(times.recordAtX(reading, to) + 1e-9);
    if (!(first <= last) || last < 1 || first > double(rows))
        return {0, -1}; // none, also for a span that is no number
    return {qsizetype(std::max(first, 1.0)) - 1, qsizetype(std::min(last, double(rows))) - 1};
}
