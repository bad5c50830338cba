#pragma once

#include <QtGlobal>

#include <span>
#include <vector>

class ReadingSeries;

/// Where the rows of a recording stand on an X axis of capacity: the charge drawn so far, in
/// Ah, from the meter's own counter. Each rise of the counter adds to it; where the counter
/// falls (it was reset, or jumped back) or has no number, nothing is added and the curve breaks
/// there instead of drawing a line back, going on from the charge reached.
class ChargeAxis
{
public:
    /// No rows: the recording has no counter to place its rows by.
    ChargeAxis() = default;
    /// From a counter column in Ah (NaN where a row has no number).
    [[nodiscard]] static ChargeAxis fromCounter(std::span<const double> counterAh);
    /// A recording's discharge curve: by Out-Cap, or by In-Cap when In-Cap rose more (a charge).
    [[nodiscard]] static ChargeAxis of(const ReadingSeries& series);

    [[nodiscard]] bool isEmpty() const { return m_drawn.empty(); }
    [[nodiscard]] qsizetype rows() const { return qsizetype(m_drawn.size()); }
    /// The charge drawn by `row` (NaN where its counter has no number).
    [[nodiscard]] double at(qsizetype row) const { return m_drawn[std::size_t(row)]; }
    /// Whether the curve breaks between `row` - 1 and `row`.
    [[nodiscard]] bool breaksBefore(qsizetype row) const
    {
        return m_breakBefore[std::size_t(row)] != 0;
    }

    /// The first row placed at or after `x`, or rows() when none is.
    [[nodiscard]] qsizetype firstRowFrom(double x) const;
    /// The last row placed at or before `x`, or -1 when none is.
    [[nodiscard]] qsizetype lastRowUpTo(double x) const;

private:
    std::vector<double> m_drawn;
    std::vector<char> m_breakBefore;
};
