#include "SpanFigures.h"

#include "ValueText.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double SecondsPerHour = 3600;

// Adds the trapezoid of a quantity that goes linearly from `y0` to `y1` over `dt` to
// `above` (the part above zero) and `below` (the part under it, as a positive amount).
void addTrapezoid(double y0, double y1, double dt, double& above, double& below)
{
    if (y0 >= 0 && y1 >= 0) {
        above += (y0 + y1) / 2 * dt;
    } else if (y0 <= 0 && y1 <= 0) {
        below -= (y0 + y1) / 2 * dt;
    } else {
        // It crosses zero at `t`: a triangle on each side.
        const double t = dt * std::abs(y0) / (std::abs(y0) + std::abs(y1));
        const double first = y0 * t / 2;
        const double second = y1 * (dt - t) / 2;
        (first > 0 ? above : below) += std::abs(first);
        (second > 0 ? above : below) += std::abs(second);
    }
}

// The rise of a counter over rows first..last: its steps up, a fall adding nothing.
double counterRise(std::span<const double> counter, qsizetype first, qsizetype last)
{
    double rise = 0;
    double previous = std::numeric_limits<double>::quiet_NaN();
    bool any = false;
    for (qsizetype i = first; i <= last; ++i) {
        const double v = counter[std::size_t(i)];
        if (!std::isfinite(v))
            continue;
        if (std::isfinite(previous)) {
            rise += std::max(0.0, v - previous);
            any = true;
        }
        previous = v;
    }
    return any ? rise : std::numeric_limits<double>::quiet_NaN();
}

} // namespace

ValueStats valueStats(std::span<const double> column, qsizetype first, qsizetype last)
{
    ValueStats s;
    first = std::max<qsizetype>(first, 0);
    last = std::min<qsizetype>(last, qsizetype(column.size()) - 1);
    double sum = 0;
    qsizetype count = 0;
    for (qsizetype i = first; i <= last; ++i) {
        const double v = column[std::size_t(i)];
        if (!std::isfinite(v))
            continue;
        if (count == 0) {
            s.start = v;
            s.min = v;
            s.max = v;
        }
        s.end = v;
        s.min = std::min(s.min, v);
        s.max = std::max(s.max, v);
        sum += v;
        ++count;
    }
    if (count > 0)
        s.mean = sum / double(count);
    return s;
}

SpanFigures spanFigures(const ReadingSeries& series, qsizetype first, qsizetype last)
{
    SpanFigures f;
    f.first = std::max<qsizetype>(first, 0);
    f.last = std::min<qsizetype>(last, series.rows() - 1);
    if (f.last < f.first)
        return f;
    f.rows = f.last - f.first + 1;
    f.durationS = series.elapsed(f.last) - series.elapsed(f.first);
    f.voltage = valueStats(series.column(ReadingSeries::Voltage), f.first, f.last);
    f.resistanceMeanOhm =
        valueStats(series.column(ReadingSeries::Resistance), f.first, f.last).mean;

    const std::span<const double> volts = series.column(ReadingSeries::Voltage);
    const std::span<const double> amps = series.column(ReadingSeries::Current);
    double positiveAs = 0;
    double negativeAs = 0;
    double positiveWs = 0;
    double negativeWs = 0;
    for (qsizetype i = f.first + 1; i <= f.last; ++i) {
        if (series.gapBefore(i))
            continue;
        const auto k = std::size_t(i);
        const double dt = series.elapsed(i) - series.elapsed(i - 1);
        if (!std::isfinite(amps[k]) || !std::isfinite(amps[k - 1]))
            continue;
        addTrapezoid(amps[k - 1], amps[k], dt, positiveAs, negativeAs);
        if (std::isfinite(volts[k]) && std::isfinite(volts[k - 1]))
            addTrapezoid(volts[k - 1] * amps[k - 1], volts[k] * amps[k], dt, positiveWs,
                         negativeWs);
    }
    const bool positiveOut = series.positiveCurrentIsOut();
    f.chargeOutAh = (positiveOut ? positiveAs : negativeAs) / SecondsPerHour;
    f.chargeInAh = (positiveOut ? negativeAs : positiveAs) / SecondsPerHour;
    f.energyOutWh = (positiveOut ? positiveWs : negativeWs) / SecondsPerHour;
    f.energyInWh = (positiveOut ? negativeWs : positiveWs) / SecondsPerHour;
    f.counterOutAh = counterRise(series.column(ReadingSeries::OutCap), f.first, f.last);
    f.counterInAh = counterRise(series.column(ReadingSeries::InCap), f.first, f.last);
    return f;
}

RowSpan rowsBetween(const ReadingSeries& series, double fromS, double toS)
{
    RowSpan span{series.rows(), -1};
    for (qsizetype i = 0; i < series.rows(); ++i) {
        const double t = series.elapsed(i);
        if (!(t >= fromS && t <= toS))
            continue;
        span.first = std::min(span.first, i);
        span.last = i;
    }
    if (span.last < 0)
        span.first = 0;
    return span;
}

std::optional<qsizetype> cutoffRow(const ReadingSeries& series, double volts, qsizetype first,
                                   qsizetype last)
{
    last = std::min<qsizetype>(last, series.rows() - 1);
    for (qsizetype i = std::max<qsizetype>(first, 0); i <= last; ++i) {
        if (series.value(ReadingSeries::Voltage, i) < volts)
            return i;
    }
    return std::nullopt;
}

QList<StatsField> statsFields(const SpanFigures& f, std::optional<double> cutoffS, bool withCutoff)
{
    QList<StatsField> fields{
        {QStringLiteral("rows"), double(f.rows)},
        {QStringLiteral("duration_s"), f.durationS},
        {QStringLiteral("voltage_V_min"), f.voltage.min},
        {QStringLiteral("voltage_V_max"), f.voltage.max},
        {QStringLiteral("voltage_V_mean"), f.voltage.mean},
        {QStringLiteral("charge_in_Ah"), f.rows > 0 ? f.chargeInAh : qQNaN()},
        {QStringLiteral("charge_out_Ah"), f.rows > 0 ? f.chargeOutAh : qQNaN()},
        {QStringLiteral("energy_in_Wh"), f.rows > 0 ? f.energyInWh : qQNaN()},
        {QStringLiteral("energy_out_Wh"), f.rows > 0 ? f.energyOutWh : qQNaN()},
        {QStringLiteral("counter_out_Ah"), f.counterOutAh},
        {QStringLiteral("resistance_Ohm_mean"), f.resistanceMeanOhm},
    };
    if (withCutoff)
        fields.append({QStringLiteral("cutoff_s"), cutoffS.value_or(qQNaN())});
    return fields;
}

QString figureText(double value)
{
    return std::isfinite(value) ? formatNumber(value, u"0.######") : QString();
}

QByteArray statsJson(const QList<StatsField>& fields)
{
    QByteArray json("{");
    for (const StatsField& f : fields) {
        if (json.size() > 1)
            json += ", ";
        const QString value = figureText(f.value);
        json += '"' + f.key.toLatin1() +
                "\": " + (value.isEmpty() ? QByteArray("null") : value.toLatin1());
    }
    return json + "}\n";
}

QByteArray statsCsv(const QList<StatsField>& fields)
{
    QByteArray header;
    QByteArray row;
    for (const StatsField& f : fields) {
        if (!header.isEmpty()) {
            header += ',';
            row += ',';
        }
        header += f.key.toLatin1();
        row += figureText(f.value).toLatin1();
    }
    return header + '\n' + row + '\n';
}
