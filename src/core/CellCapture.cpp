#include "CellCapture.h"

#include "CsvReadings.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Sums of decimal values are not exact in binary: a spread of exactly one digit must pass.
constexpr double kSlack = 1e-9;

struct Channel
{
    std::optional<double> value;
    double step = 0;
};

Channel channelOf(const CurrentReading& reading, CurrentReading::Group group)
{
    const CsvValue v = csvValue(group, reading.valueTexts[group], CsvSource::of(reading),
                                TemperatureUnit::Celsius);
    if (v.kind != CsvValue::Number)
        return {};
    return {v.number.toDouble(), std::pow(10.0, -v.decimals)};
}

std::optional<double> lowerMedian(std::vector<double>& values)
{
    if (values.empty())
        return std::nullopt;
    const auto middle = values.begin() + (values.size() - 1) / 2;
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

} // namespace

CaptureFrame captureFrameOf(const CurrentReading& reading, qint64 ms)
{
    const Channel voltage = channelOf(reading, CurrentReading::Voltage);
    const Channel resistance = channelOf(reading, CurrentReading::Resistance);
    return {.number = reading.frameNumber,
            .ms = ms,
            .values = {voltage.value, resistance.value,
                       channelOf(reading, CurrentReading::Temperature).value},
            .voltageStep = voltage.step,
            .resistanceStep = resistance.step};
}

bool CellCapture::probesOff(const CaptureFrame& frame)
{
    return !frame.values.resistance || !frame.values.voltage ||
           *frame.values.voltage < ProbesOffVolts;
}

std::optional<CellValues> CellCapture::feed(const CaptureFrame& frame)
{
    if (m_lastNumber && frame.number == *m_lastNumber)
        return std::nullopt; // the same frame again: nothing new was seen
    const bool gap = m_lastNumber && frame.ms - m_lastMs > MaxFrameGapMs;
    m_lastNumber = frame.number;
    m_lastMs = frame.ms;
    if (m_paused || gap) {
        m_paused = false;
        restart();
        m_heldUnseen = m_holding;
    }
    if (probesOff(frame)) {
        m_holding = false;
        m_heldUnseen = false;
        restart();
        return std::nullopt;
    }
    if (m_holding && !m_heldUnseen) {
        m_taken = frame.values;
        return std::nullopt;
    }
    while (!m_run.empty() && !steadyWith(frame))
        m_run.pop_front();
    m_run.push_back(frame);
    if (m_run.back().ms - m_run.front().ms < m_settings.settleMs)
        return std::nullopt;

    const CellValues cell = median();
    const bool again = m_heldUnseen && sameAsTaken(cell, frame);
    m_holding = true;
    m_heldUnseen = false;
    m_taken = cell;
    restart();
    if (again)
        return std::nullopt; // the cell held across the gap, still on the probes
    return cell;
}

void CellCapture::pause()
{
    m_paused = true;
    restart();
}

void CellCapture::holdUntilLifted()
{
    m_holding = true;
    m_heldUnseen = false;
    restart();
}

CellCapture::State CellCapture::state() const
{
    if (m_paused)
        return State::Paused;
    if (m_holding)
        return State::Holding;
    return m_run.empty() ? State::Waiting : State::Settling;
}

bool CellCapture::steadyWith(const CaptureFrame& frame) const
{
    double vStep = frame.voltageStep;
    double rStep = frame.resistanceStep;
    double vMin = *frame.values.voltage, vMax = vMin;
    double rMin = *frame.values.resistance, rMax = rMin;
    for (const CaptureFrame& f : m_run) {
        vStep = std::max(vStep, f.voltageStep);
        rStep = std::max(rStep, f.resistanceStep);
        vMin = std::min(vMin, *f.values.voltage);
        vMax = std::max(vMax, *f.values.voltage);
        rMin = std::min(rMin, *f.values.resistance);
        rMax = std::max(rMax, *f.values.resistance);
    }
    const double digits = 1 + m_settings.toleranceDigits;
    return vMax - vMin <= digits * vStep * (1 + kSlack) &&
           rMax - rMin <= digits * rStep * (1 + kSlack);
}

CellValues CellCapture::median() const
{
    std::vector<double> v, r, t;
    for (const CaptureFrame& f : m_run) {
        v.push_back(*f.values.voltage);
        r.push_back(*f.values.resistance);
        if (f.values.temperature)
            t.push_back(*f.values.temperature);
    }
    return {lowerMedian(v), lowerMedian(r), lowerMedian(t)};
}

bool CellCapture::sameAsTaken(const CellValues& values, const CaptureFrame& frame) const
{
    if (!m_taken.voltage || !m_taken.resistance)
        return false;
    const double digits = 1 + m_settings.toleranceDigits;
    return std::abs(*values.voltage - *m_taken.voltage) <=
               digits * frame.voltageStep * (1 + kSlack) &&
           std::abs(*values.resistance - *m_taken.resistance) <=
               digits * frame.resistanceStep * (1 + kSlack);
}

void CellCapture::restart()
{
    m_run.clear();
}
