#include "DemoBattery.h"

#include "MeterSim.h"

#include <algorithm>

namespace {

// A 12 V lead-acid battery of 40 Ah on a 1.25 A load.
constexpr double kCapacityMah = 40000.0;
constexpr double kLoadAmps = 1.250;
constexpr double kOpenVolts = 12.70;
constexpr double kCutOffVolts = 10.50;
constexpr double kVoltsPerSecond = 0.00004;
constexpr double kMilliOhms = 3.450;
constexpr double kStartCelsius = 25.0;
constexpr double kMaxCelsius = 45.0;
// Anything outside 0-15 and 42-47 keeps every cell steady.
constexpr quint8 kNoBlink = 0xFF;

// The value with as many decimals as four display digits allow.
QString fourDigits(double value)
{
    for (int decimals = 3; decimals > 0; --decimals) {
        const QString text = QString::number(value, 'f', decimals);
        if (text.size() <= 5)
            return text.rightJustified(5, QLatin1Char(' '));
    }
    const QString text = QString::number(value, 'f', 0);
    return text.size() <= 4 ? text.rightJustified(4, QLatin1Char(' ')) : QStringLiteral("  0L");
}

// A capacity in mAh while it fits four digits, in Ah beyond.
QString capacityText(double mah, bool& milli)
{
    milli = mah < 9999.5;
    return fourDigits(milli ? mah : mah / 1000.0);
}

} // namespace

DemoBattery::DemoBattery(MeterSim& meter, QObject* parent) : QObject(parent), m_meter(meter)
{
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &DemoBattery::step);
}

void DemoBattery::start()
{
    m_timer.start();
    step();
}

void DemoBattery::stop()
{
    m_timer.stop();
}

void DemoBattery::step()
{
    auto noise = [this](double amplitude) {
        return (m_random.generateDouble() * 2.0 - 1.0) * amplitude;
    };
    const double amps = kLoadAmps + noise(0.002);
    if (m_seconds > 0)
        m_dischargedMah += amps * 1000.0 / 3600.0;
    const double volts =
        std::max(kCutOffVolts, kOpenVolts - kVoltsPerSecond * m_seconds + noise(0.003));
    const double milliOhms = std::min(39.99, kMilliOhms + 0.00002 * m_seconds + noise(0.004));
    const double celsius = std::min(kMaxCelsius, kStartCelsius + m_seconds / 1200.0) + noise(0.05);
    const int percent =
        std::clamp(int(100.0 - 100.0 * m_dischargedMah / kCapacityMah + 0.5), 0, 100);

    SimReading r = m_meter.reading();
    r.voltage = fourDigits(volts);
    r.current = fourDigits(amps);
    r.milliAmps = false;
    r.resistance = QString::asprintf("%05.2f", milliOhms);
    r.resistanceMinus = false;
    r.rangeCode = 1; // "40 mOhm": the point after two digits
    r.temperature = QString::number(celsius, 'f', 1).rightJustified(5, QLatin1Char(' '));
    r.tempUnit = SimReading::TempUnit::Celsius;
    r.inCap = QStringLiteral("0.000");
    r.capMilli[0] = false;
    r.outCap = capacityText(m_dischargedMah, r.capMilli[1]);
    r.tCap = capacityText(m_dischargedMah, r.capMilli[2]);
    r.percent = QString::number(percent).rightJustified(3, QLatin1Char(' '));
    const QDateTime now = m_meter.clock();
    r.twoChar = now.toString(QStringLiteral("dd"));
    r.hours = now.toString(QStringLiteral("hh"));
    r.minutes = now.toString(QStringLiteral("mm"));
    r.seconds = now.toString(QStringLiteral("ss"));
    r.functionCode = 0;
    r.blinkSelector = kNoBlink;
    // mOhm, In-Cap, Out-Cap and T-Cap labels, the percent sign and the three Ah cells.
    r.extraIndicatorBits = {0x08, 0, 0, 0, 0x01, 0x04, 0, 0x08, 0xF0, 0x0E, 0};
    m_meter.setReading(r);
    ++m_seconds;
}
