#pragma once

#include <QString>
#include <QStringList>

#include <span>
#include <vector>

/// How a graph's record axis reads: the record number, the time of day the record was taken
/// ("hh:mm:ss", across midnight), the time since the first record ("h:mm:ss"), or the charge
/// drawn by then in Ah (RecordPlaces and ChargeAxis place the records for that).
enum class XReading
{
    Record,
    Clock,
    Elapsed,
    Capacity
};

/// When the rows of a recording were taken, for an X axis that reads in time: the seconds from
/// record 1 to each record, and the time of day of record 1. Each recording has its own, so
/// that recordings of different paces and starts can share one time axis.
class RowTimes
{
public:
    /// No times: the axis can only read in records.
    RowTimes() = default;
    /// From the rows' "hh:mm:ss" texts: each time that goes back from the one before passed a
    /// midnight; a row without a time takes the time before it (rows before the first time,
    /// the first time). No times when no row has one.
    [[nodiscard]] static RowTimes fromTexts(const QStringList& texts);
    /// Rows taken `elapsed` seconds after record 1 (a row without a time, NaN, takes the time
    /// before it), record 1 at `firstSecondOfDay`. No times when no row has one.
    [[nodiscard]] static RowTimes fromElapsed(double firstSecondOfDay,
                                              std::span<const double> elapsed);
    /// Rows `interval` seconds apart, record 1 at `firstSecondOfDay`.
    [[nodiscard]] static RowTimes regular(double firstSecondOfDay, double interval);

    [[nodiscard]] bool isEmpty() const { return m_elapsed.empty() && m_interval <= 0; }
    /// Seconds since midnight of record 1.
    [[nodiscard]] double firstSecondOfDay() const { return m_firstSecondOfDay; }
    /// Seconds from record 1 to `record` (1-based; between two rows in proportion, before the
    /// first and after the last at the rows' average pace).
    [[nodiscard]] double elapsedAt(double record) const;
    /// The record (fractional) taken `elapsed` seconds after record 1: the inverse of
    /// elapsedAt, the first of rows that share a time.
    [[nodiscard]] double recordAt(double elapsed) const;

    /// Where record position `record` (1-based, fractional between rows) stands on an X axis
    /// reading `reading`: at its number, at its time of day (seconds from the midnight before
    /// record 1: on past 86400 after a midnight) or at the seconds since record 1. Without
    /// times, and under Capacity, at its number.
    [[nodiscard]] double x(XReading reading, double record) const;
    /// The record position at `x` on an axis reading `reading`: the inverse of x().
    [[nodiscard]] double recordAtX(XReading reading, double x) const;
    /// Position `x` of an axis reading `reading` as its ticks and read-outs show it: the
    /// number (three decimals at most; Ah under Capacity), "hh:mm:ss" or "h:mm:ss".
    [[nodiscard]] static QString xText(XReading reading, double x);

    /// The text of record position `record` as an axis reading `reading` shows it: the number
    /// (three decimals at most), or its time when there are times.
    [[nodiscard]] QString text(XReading reading, double record) const;

private:
    [[nodiscard]] double pace() const;

    std::vector<double> m_elapsed; // per row; empty for regular rows
    double m_firstSecondOfDay = 0;
    double m_interval = 0; // regular rows only
};
