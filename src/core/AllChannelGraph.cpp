#include "AllChannelGraph.h"

#include "CurrentReading.h"
#include "ValueText.h"

#include <algorithm>
#include <limits>

void ChannelRing::allocate()
{
    if (m_values)
        return;
    // Not zeroed: a value is only ever read after it was written, and untouched pages cost
    // no resident memory until the history reaches them.
    m_values = std::make_unique_for_overwrite<float[]>(std::size_t(LiveSeriesCount) * Capacity);
}

void ChannelRing::rewind()
{
    m_index = 0;
    m_held = 0;
}

void ChannelRing::append(const LiveSample& sample)
{
    allocate();
    for (std::size_t s = 0; s < sample.size(); ++s)
        m_values[s * Capacity + std::size_t(m_index)] = sample[s];
    m_index = m_index + 1 == Capacity ? 0 : m_index + 1;
    m_held = std::min(m_held + 1, Capacity);
}

const float* ChannelRing::ring(LiveSeries series) const
{
    return m_values.get() + std::size_t(series) * Capacity;
}

float ChannelRing::at(LiveSeries series, int index) const
{
    if (!m_values || index < 0 || index >= Capacity)
        return 0.0f;
    return ring(series)[index];
}

std::size_t ChannelRing::copyOldestFirst(LiveSeries series, std::span<float> out) const
{
    const std::size_t held = std::min(std::size_t(m_held), out.size());
    if (!m_values || held == 0)
        return 0;
    const float* values = ring(series);
    // Until the first wrap the samples are 0..index-1; after it the oldest is at the index.
    const std::size_t oldest = m_held < Capacity ? 0 : std::size_t(m_index);
    const std::size_t firstPart = std::min(held, std::size_t(Capacity) - oldest);
    std::copy_n(values + oldest, firstPart, out.begin());
    std::copy_n(values, held - firstPart, out.begin() + std::ptrdiff_t(firstPart));
    return held;
}

bool AllChannelGraph::shows(GraphChannel channel) const
{
    switch (channel) {
    case GraphChannel::Voltage:
        return ShowVoltage;
    case GraphChannel::Current:
        return ShowCurrent;
    case GraphChannel::Temperature:
        return ShowTemperature;
    case GraphChannel::Resistance:
        return ShowResistance;
    case GraphChannel::Capacity:
        return ShowCapacity;
    }
    return false;
}

void AllChannelGraph::setShows(GraphChannel channel, bool shown)
{
    switch (channel) {
    case GraphChannel::Voltage:
        ShowVoltage = shown;
        break;
    case GraphChannel::Current:
        ShowCurrent = shown;
        break;
    case GraphChannel::Temperature:
        ShowTemperature = shown;
        break;
    case GraphChannel::Resistance:
        ShowResistance = shown;
        break;
    case GraphChannel::Capacity:
        ShowCapacity = shown;
        break;
    }
}

std::array<bool, GraphChannelCount> AllChannelGraph::choice() const
{
    std::array<bool, GraphChannelCount> c{};
    for (int i = 0; i < GraphChannelCount; ++i)
        c[std::size_t(i)] = shows(GraphChannel(i));
    return c;
}

AxisPairs defaultGraphRanges(const CurrentReading& reading)
{
    AxisPairs r{};
    r[std::size_t(GraphChannel::Voltage)] = {60, -60};
    float current = 6500;
    switch (reading.pointPos[CurrentReading::Current]) {
    case 1:
        current = 6.5f;
        break;
    case 2:
        current = 65;
        break;
    case 3:
        current = 650;
        break;
    default:
        break;
    }
    r[std::size_t(GraphChannel::Current)] = {current, -current};
    r[std::size_t(GraphChannel::Temperature)] =
        reading.celsius ? AxisPair{60, -20} : AxisPair{140, -4};
    r[std::size_t(GraphChannel::Resistance)] = {leadingNumber(reading.RangeText), 0};
    r[std::size_t(GraphChannel::Capacity)] = {10000, -10000};
    return r;
}

float graphValue(LiveSeries series, QStringView text, bool milliCharge, QStringView rangeAtOpen,
                 QStringView tempUnitAtOpen)
{
    if (isOverload(text)) {
        const bool negative = isNegativeOverload(text);
        switch (series) {
        case LiveSeries::Voltage:
            return negative ? -60.0f : 60.0f;
        case LiveSeries::Current:
            // Negative overloads sit at the bottom of the chart, as on every other channel.
            return negative ? -600.0f : 600.0f;
        case LiveSeries::Resistance:
            return leadingNumber(rangeAtOpen);
        case LiveSeries::Temperature:
            if (tempUnitAtOpen == QLatin1String("Celsius"))
                return negative ? -20.0f : 60.0f;
            return negative ? -4.0f : 140.0f;
        case LiveSeries::InCap:
        case LiveSeries::OutCap:
        case LiveSeries::TCap:
            return negative ? -9999.0f : 9999.0f;
        }
    }
    const float value = leadingNumber(text);
    const bool charge =
        series == LiveSeries::InCap || series == LiveSeries::OutCap || series == LiveSeries::TCap;
    return charge && milliCharge ? float(double(value) / 1000.0) : value;
}

QList<double> overloadStandIns(LiveSeries series, QStringView rangeAtOpen,
                               QStringView tempUnitAtOpen)
{
    return {graphValue(series, u"OL", false, rangeAtOpen, tempUnitAtOpen),
            graphValue(series, u"-OL", false, rangeAtOpen, tempUnitAtOpen)};
}

LiveSample graphSample(const CurrentReading& reading, QStringView rangeAtOpen,
                       QStringView tempUnitAtOpen)
{
    // The reading's groups in LiveSeries order.
    static constexpr std::array<CurrentReading::Group, LiveSeriesCount> groups{
        CurrentReading::Voltage,    CurrentReading::Current, CurrentReading::Temperature,
        CurrentReading::Resistance, CurrentReading::InCap,   CurrentReading::OutCap,
        CurrentReading::TCap};
    LiveSample sample{};
    for (std::size_t s = 0; s < groups.size(); ++s) {
        const bool milli = s >= std::size_t(LiveSeries::InCap) &&
                           reading.capMilli[s - std::size_t(LiveSeries::InCap)];
        sample[s] = graphValue(LiveSeries(s), reading.valueTexts[groups[s]], milli, rangeAtOpen,
                               tempUnitAtOpen);
    }
    return sample;
}

LiveSample gapSample()
{
    LiveSample sample;
    sample.fill(std::numeric_limits<float>::quiet_NaN());
    return sample;
}

bool liveGraphMustClose(const AllChannelGraph& graph, const CurrentReading& reading)
{
    return !graph.GraphActive || reading.milliAmps != graph.MilliAmpAtOpen ||
           reading.RangeText != graph.RangeAtOpen;
}

EditRule resistanceEditRule(QStringView rangeText)
{
    const float range = leadingNumber(rangeText);
    if (range == 4.0f)
        return {0.001, QStringLiteral("0.000")};
    if (range == 40.0f)
        return {0.01, QStringLiteral("0.00")};
    return {0.1, QStringLiteral("0.0")};
}

bool isMilliOhmRange(QStringView rangeText)
{
    return rangeText.trimmed().endsWith(QLatin1String("mOhm"));
}
