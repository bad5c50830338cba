#pragma once

#include "CsvReadings.h"
#include "CurrentReading.h"

#include <QByteArrayView>
#include <QDate>
#include <QString>

#include <array>
#include <optional>
#include <span>
#include <vector>

/// A recording's readings as numbers, one row per reading, for graphs that overlay recordings
/// and for the figures of a span: V, Ohm, A, degrees and Ah, and the seconds since the first
/// row. A value that is no number (an overload, a blank cell) is NaN, and so is the time of a
/// row without one.
///
/// Read from a CellDesk CSV, whose columns are found by their names (so older and newer
/// layouts read alike), or from a data file or a list's save, which is read as its CSV
/// conversion: one set of unit rules for both.
class ReadingSeries
{
public:
    /// The value columns, in the CSV's order: the groups of the meter's reading.
    using Channel = CurrentReading::Group;
    using enum CurrentReading::Group;
    static constexpr int ChannelCount = CurrentReading::GroupCount;

    /// A step between two rows longer than this many times the recording's usual step is a
    /// gap in the stamps: samples are missing there.
    static constexpr double GapFactor = 1.5;

    /// Nothing read.
    ReadingSeries() = default;

    /// Reads a CellDesk CSV; error() says why when the bytes are none.
    [[nodiscard]] static ReadingSeries fromCsv(QByteArrayView bytes);
    /// Reads a data file (a recording or a list's save): its first row's time of day is on
    /// `firstDate` when valid, which keeps the elapsed times right across a change of the
    /// clock's offset.
    [[nodiscard]] static ReadingSeries fromDataFile(QByteArrayView bytes, QDate firstDate = {});
    /// fromCsv() when the first line is a CellDesk CSV header, else fromDataFile().
    [[nodiscard]] static ReadingSeries fromFile(QByteArrayView bytes, QDate firstDate = {});
    /// Whether `bytes` start with a CellDesk CSV header.
    [[nodiscard]] static bool isCsv(QByteArrayView bytes);

    /// Why the bytes are no recording; empty when read.
    [[nodiscard]] const QString& error() const { return m_error; }
    /// What of a data file was left out (its last line, cut off); empty when nothing.
    [[nodiscard]] const QString& warning() const { return m_warning; }
    [[nodiscard]] qsizetype rows() const { return qsizetype(m_elapsed.size()); }

    /// Seconds from the first row to `row` (NaN without a time).
    [[nodiscard]] double elapsed(qsizetype row) const { return m_elapsed[std::size_t(row)]; }
    [[nodiscard]] std::span<const double> elapsedColumn() const { return m_elapsed; }
    /// Value of `channel` at `row` (NaN: no number).
    [[nodiscard]] double value(Channel channel, qsizetype row) const
    {
        return m_values[channel][std::size_t(row)];
    }
    [[nodiscard]] std::span<const double> column(Channel channel) const
    {
        return m_values[channel];
    }
    /// Whether the stamps have a gap between `row` - 1 and `row`: a step more than GapFactor
    /// times the usual one, a step back, or a row marked as the first after skipped samples.
    [[nodiscard]] bool gapBefore(qsizetype row) const { return m_gapBefore[std::size_t(row)] != 0; }
    /// Seconds since midnight of the first timed row, if the file names its time of day.
    [[nodiscard]] std::optional<double> firstSecondOfDay() const { return m_firstSecondOfDay; }
    [[nodiscard]] TemperatureUnit temperatureUnit() const { return m_temperatureUnit; }

    /// Which sign of the current is charge flowing out of the battery. The meter's own counters
    /// tell: the sign that went with the rise of Out-Cap rather than In-Cap. Where they tell
    /// nothing (neither moved), a positive current is charge in.
    [[nodiscard]] bool positiveCurrentIsOut() const { return m_positiveIsOut; }

    /// Appends one row (for readers and tests); finish() then works out the gaps, the usual
    /// step and the current's direction.
    void append(double elapsed, const std::array<double, ChannelCount>& values,
                bool afterSkippedSamples = false);
    void finish();

private:
    std::vector<double> m_elapsed;
    std::array<std::vector<double>, ChannelCount> m_values;
    std::vector<char> m_gapBefore;
    std::vector<char> m_marked; // rows marked in the file as the first after skipped samples
    std::optional<double> m_firstSecondOfDay;
    TemperatureUnit m_temperatureUnit = TemperatureUnit::Celsius;
    bool m_positiveIsOut = false;
    QString m_warning;
    QString m_error;
};
