#pragma once

#include <QList>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

/// The range a graph's Fit gives a value axis: the lowest and highest of the values taken,
/// leaving out gaps (NaN) and the values that stand for overloads, with a margin.
class FitSpan
{
public:
    /// Values equal to one of `overloads` are left out: they are the stand-ins of "OL" cells.
    explicit FitSpan(QList<double> overloads = {}) : m_overloads(std::move(overloads)) {}

    void add(double value)
    {
        // Most values lie inside what was taken already: one test each and nothing changes.
        if (value >= m_low && value <= m_high)
            return;
        if (!std::isfinite(value) || m_overloads.contains(value))
            return;
        m_low = std::min(m_low, value);
        m_high = std::max(m_high, value);
    }
    /// Nothing was taken (no points, or only gaps and overloads).
    [[nodiscard]] bool isEmpty() const { return m_low > m_high; }
    [[nodiscard]] double low() const { return m_low; }
    [[nodiscard]] double high() const { return m_high; }
    /// low..high widened by a twentieth of the span at each end; a single value (a flat trace)
    /// gets one hundredth of its size above and below it, 1 at 0. (0, 0) when empty.
    [[nodiscard]] std::pair<double, double> padded() const;

    /// padded(), widened outward to `divisions` equal steps of 1, 2 or 5 times a power of ten,
    /// so that a plot whose labels divide its range evenly reads round numbers.
    [[nodiscard]] std::pair<double, double> roundedSteps(int divisions) const;

private:
    QList<double> m_overloads;
    double m_low = std::numeric_limits<double>::infinity();
    double m_high = -std::numeric_limits<double>::infinity();
};
