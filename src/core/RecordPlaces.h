#pragma once

#include "ChargeAxis.h"
#include "RowTimes.h"

#include <QList>

#include <vector>

/// Where the records of a graph's plots stand on its record axis, as the axis reads: at their
/// numbers; at their times of day or elapsed times, each plot by its own times (RowTimes), or
/// for plots taken at a steady pace (the live graph) at their numbers read as times; or at the
/// charge drawn so far, each plot by its own counter (ChargeAxis), for discharge curves.
///
/// The record positions are 1-based and may be fractional (a cursor between two records).
class RecordPlaces
{
public:
    /// A plot with neither times nor charge; plots are counted from 0 in the order added.
    void addPlot();
    void setTimes(qsizetype plot, RowTimes times);
    void setCharge(qsizetype plot, ChargeAxis charge);
    /// The records are taken one each `interval` seconds from `firstSecondOfDay` on.
    void setPace(double firstSecondOfDay, double interval);
    [[nodiscard]] const RowTimes& pace() const { return m_pace; }

    /// Whether some plot has times, or there is a pace.
    [[nodiscard]] bool hasTimes() const;
    /// Whether some plot has a counter to be placed by.
    [[nodiscard]] bool hasCharge() const;
    [[nodiscard]] bool hasCharge(qsizetype plot) const;
    [[nodiscard]] bool hasTimes(qsizetype plot) const
    {
        return plot >= 0 && plot < m_times.size() && !m_times[plot].isEmpty();
    }
    /// `reading` where it can be shown (times, or charge for Capacity), else Record.
    [[nodiscard]] XReading shownFor(XReading reading) const;

    /// Where record `record` of `plot` stands under `reading` (as shownFor gives it). Under
    /// Capacity: the charge drawn by that row, NaN where its counter has no number; a plot
    /// without a counter stays at its numbers.
    [[nodiscard]] double x(qsizetype plot, XReading reading, double record) const;
    /// Whether `plot`'s curve breaks between row `row` - 1 and `row` (0-based) under `reading`.
    [[nodiscard]] bool breaksBefore(qsizetype plot, XReading reading, qsizetype row) const;
    /// Where record `record` of the reference plot (the first with times, or with a counter
    /// under Capacity) stands under `reading`; the record number itself for the live graph.
    [[nodiscard]] double xOfRecord(XReading reading, double record) const;
    /// Record axis position `x` under `reading` as the axis and the read-outs show it.
    [[nodiscard]] QString text(XReading reading, double x) const;
    /// Axis position `x` under `from` moved to where the same record of the reference plot
    /// stands under `to`; nothing where that cannot be told (to or from Capacity).
    [[nodiscard]] std::optional<double> moved(double x, XReading from, XReading to) const;

    /// The rows (0-based, [first, last]) of `plot`'s `rows` that stand from `from` to `to`
    /// under `reading`; last < first when none does.
    [[nodiscard]] std::pair<qsizetype, qsizetype>
    rowsBetween(qsizetype plot, XReading reading, qsizetype rows, double from, double to) const;

private:
    [[nodiscard]] const RowTimes& referenceTimes() const;
    /// The times of `plot` (by reference: a copy per record would cost a copy of every row).
    [[nodiscard]] const RowTimes& timesOf(qsizetype plot) const;

    QList<RowTimes> m_times;
    QList<ChargeAxis> m_charge;
    RowTimes m_pace;
};
