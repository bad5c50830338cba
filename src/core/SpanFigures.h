#pragma once

#include "ReadingSeries.h"

#include <QList>
#include <QString>

#include <limits>
#include <optional>
#include <span>

/// The start, end, lowest, highest and mean of a column over a span of rows; NaN where the
/// span holds no number.
struct ValueStats
{
    double start = std::numeric_limits<double>::quiet_NaN();
    double end = std::numeric_limits<double>::quiet_NaN();
    double min = std::numeric_limits<double>::quiet_NaN();
    double max = std::numeric_limits<double>::quiet_NaN();
    double mean = std::numeric_limits<double>::quiet_NaN();
};

/// What a span of a recording tells of the battery. The charge and the energy are the current
/// and the power (V × I) integrated over time by trapezoids between neighbouring rows, never
/// across a gap in the stamps or a row without a number; a step in which the current changes
/// sign is split where it crosses zero, so charge in and charge out are kept apart by the
/// current's sign (ReadingSeries::positiveCurrentIsOut tells which is which). The counters'
/// figures are the rises of the meter's own In-Cap and Out-Cap over the span (a fall, a reset,
/// adds nothing).
struct SpanFigures
{
    qsizetype first = 0; ///< the span's first and last rows
    qsizetype last = -1;
    qsizetype rows = 0;
    double durationS = std::numeric_limits<double>::quiet_NaN();
    ValueStats voltage;
    double chargeInAh = 0;
    double chargeOutAh = 0;
    double energyInWh = 0;
    double energyOutWh = 0;
    double counterInAh = std::numeric_limits<double>::quiet_NaN();
    double counterOutAh = std::numeric_limits<double>::quiet_NaN();
    double resistanceMeanOhm = std::numeric_limits<double>::quiet_NaN();
};

/// Rows `first` to `last` of `column` (clamped to it; none when last < first).
[[nodiscard]] ValueStats valueStats(std::span<const double> column, qsizetype first,
                                    qsizetype last);

/// The figures of rows `first` to `last` of `series` (clamped to its rows).
[[nodiscard]] SpanFigures spanFigures(const ReadingSeries& series, qsizetype first, qsizetype last);

/// The rows of `series` taken from `fromS` to `toS` seconds after its first row, as
/// [first, last]; last < first when none is.
struct RowSpan
{
    qsizetype first = 0;
    qsizetype last = -1;
};
[[nodiscard]] RowSpan rowsBetween(const ReadingSeries& series, double fromS, double toS);

/// The first row from `first` to `last` whose voltage is below `volts`: where a discharge
/// reached its cut-off.
[[nodiscard]] std::optional<qsizetype> cutoffRow(const ReadingSeries& series, double volts,
                                                 qsizetype first, qsizetype last);

/// The figures as `celldesk-cli stats` prints them, in its order: rows, duration_s,
/// voltage_V_min, voltage_V_max, voltage_V_mean, charge_in_Ah, charge_out_Ah, energy_in_Wh,
/// energy_out_Wh, counter_out_Ah, resistance_Ohm_mean and, when asked for a cut-off,
/// cutoff_s (NaN: the voltage never fell below it). NaN is a figure the span cannot give.
struct StatsField
{
    QString key;
    double value;
};
[[nodiscard]] QList<StatsField> statsFields(const SpanFigures& figures,
                                            std::optional<double> cutoffS, bool withCutoff);
/// A figure as text: a plain number with up to six decimals, or empty for NaN.
[[nodiscard]] QString figureText(double value);
/// The fields as one JSON object on one line (null for NaN), and as a CSV header and row.
[[nodiscard]] QByteArray statsJson(const QList<StatsField>& fields);
[[nodiscard]] QByteArray statsCsv(const QList<StatsField>& fields);
