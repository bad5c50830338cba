#include "ChargeAxis.h"

#include "ReadingSeries.h"

#include <cmath>
#include <limits>

ChargeAxis ChargeAxis::fromCounter(std::span<const double> counterAh)
{
    ChargeAxis axis;
    axis.m_drawn.reserve(counterAh.size());
    axis.m_breakBefore.reserve(counterAh.size());
    // Within a stretch where the counter only rises, the charge drawn is the counter plus an
    // offset (summing the steps would gather rounding); a fall moves the offset, so that the
    // charge goes on from where it was.
    double offset = 0;
    double drawn = 0;
    double last = std::numeric_limits<double>::quiet_NaN(); // the counter's last number
    bool missed = false;                                    // rows without one since
    for (const double counter : counterAh) {
        if (!std::isfinite(counter)) {
            axis.m_drawn.push_back(std::numeric_limits<double>::quiet_NaN());
            axis.m_breakBefore.push_back(1);
            missed = true;
            continue;
        }
        bool breaks = missed;
        if (!std::isfinite(last))
            offset = -counter;
        else if (counter < last) {
            offset = drawn - counter;
            breaks = true;
        }
        drawn = counter + offset;
        axis.m_drawn.push_back(drawn);
        axis.m_breakBefore.push_back(breaks ? 1 : 0);
        last = counter;
        missed = false;
    }
    return axis;
}

ChargeAxis ChargeAxis::of(const ReadingSeries& series)
{
    ChargeAxis out = fromCounter(series.column(ReadingSeries::OutCap));
    ChargeAxis in = fromCounter(series.column(ReadingSeries::InCap));
    const auto reached = [](const ChargeAxis& a) {
        double top = 0;
        for (const double x : a.m_drawn) {
            if (x > top)
                top = x;
        }
        return top;
    };
    return reached(in) > reached(out) ? in : out;
}

qsizetype ChargeAxis::firstRowFrom(double x) const
{
    for (std::size_t i = 0; i < m_drawn.size(); ++i) {
        if (m_drawn[i] >= x)
            return qsizetype(i);
    }
    return rows();
}

qsizetype ChargeAxis::lastRowUpTo(double x) const
{
    for (std::size_t i = m_drawn.size(); i-- > 0;) {
        if (m_drawn[i] <= x)
            return qsizetype(i);
    }
    return -1;
}
