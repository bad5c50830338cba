#include "CellTray.h"

#include "MeterSim.h"

#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

// Which range shows a resistance, and how: the meter's own ranges, the finest that holds it.
struct RangeShown
{
    quint8 code;
    double scale; // shown = ohms × scale
    int decimals;
};

RangeShown rangeFor(double ohms)
{
    if (ohms < 0.040)
        return {1, 1000.0, 2}; // "40 mOhm": 38.02
    if (ohms < 0.400)
        return {3, 1000.0, 1}; // "400 mOhm": 041.2
    if (ohms < 4.0)
        return {5, 1.0, 3}; // "4 Ohm": 1.234
    return {6, 1.0, 2};     // "40 Ohm": 12.34
}

// A value in four display digits with `decimals` of them after the point, zeros in front.
QString fourDigits(double value, int decimals)
{
    return QString::number(value, 'f', decimals).rightJustified(5, QLatin1Char('0'));
}

} // namespace

CellTray::CellTray(MeterSim& meter, QList<TrayCell> cells, QObject* parent)
    : QObject(parent), m_meter(meter), m_cells(std::move(cells))
{
    connect(&m_timer, &QTimer::timeout, this, &CellTray::step);
}

void CellTray::start()
{
    m_index = 0;
    m_phaseMs = 0;
    m_timer.start(m_timing.stepMs);
    step();
}

void CellTray::stop()
{
    m_timer.stop();
}

void CellTray::show(double volts, std::optional<double> ohms, double celsius)
{
    SimReading r = m_meter.reading();
    r.voltage = volts < 10 ? QString::number(volts, 'f', 3) : QString::number(volts, 'f', 2);
    if (ohms) {
        const RangeShown range = rangeFor(*ohms);
        r.rangeCode = range.code;
        r.resistance = fourDigits(*ohms * range.scale, range.decimals);
    } else {
        r.resistance = QStringLiteral(" 0L ");
    }
    r.resistanceMinus = false;
    r.temperature = QString::number(celsius, 'f', 1);
    r.tempUnit = SimReading::TempUnit::Celsius;
    r.functionCode = 0;
    r.blinkSelector = 0xFF;
    m_meter.setReading(r);
}

void CellTray::step()
{
    const qint64 holdEnds = qint64(m_timing.gapMs) + m_timing.rampMs + m_timing.holdMs;
    if (m_index >= m_cells.size()) {
        show(0.0, std::nullopt, 25.0);
        m_timer.stop();
        emit finished();
        return;
    }
    const TrayCell& cell = m_cells[m_index];
    if (m_phaseMs < m_timing.gapMs) {
        show(0.0, std::nullopt, cell.celsius);
    } else if (m_phaseMs < m_timing.gapMs + m_timing.rampMs) {
        // The contact closes: resistance falls from three times its value, voltage rises.
        const double share = double(m_phaseMs - m_timing.gapMs) / std::max(1, m_timing.rampMs);
        const double left = std::exp(-4.0 * share);
        show(cell.volts * (1.0 - 0.3 * left), cell.ohms * (1.0 + 2.0 * left), cell.celsius);
    } else {
        const bool first = m_phaseMs - m_timing.stepMs < m_timing.gapMs + m_timing.rampMs;
        // A digit of flicker: now and then the last digit one higher.
        const RangeShown range = rangeFor(cell.ohms);
        const double ohmDigit = std::pow(10.0, -range.decimals) / range.scale;
        const bool up = !first && m_random.bounded(2) == 1;
        const bool ohmsUp = !first && m_random.bounded(2) == 1;
        show(cell.volts + (up ? 0.001 : 0.0), cell.ohms + (ohmsUp ? ohmDigit : 0.0), cell.celsius);
        if (first)
            emit steady(m_index);
    }
    m_phaseMs += m_timing.stepMs;
    if (m_phaseMs >= holdEnds) {
        ++m_index;
        m_phaseMs = 0;
    }
}

QList<TrayCell> CellTray::generated(int count, quint32 seed)
{
    QRandomGenerator random(seed);
    const auto gauss = [&random] {
        return std::sqrt(-2.0 * std::log(1.0 - random.generateDouble())) *
               std::cos(6.283185307179586 * random.generateDouble());
    };
    QList<TrayCell> cells;
    for (int i = 0; i < count; ++i) {
        TrayCell c;
        c.id = QStringLiteral("T%1").arg(i + 1, 3, 10, QLatin1Char('0'));
        // Rounded to what the display shows, so the reading held is the cell's own.
        c.volts = std::round(std::clamp(3.95 + 0.12 * gauss(), 3.3, 4.25) * 1000) / 1000;
        c.ohms = std::round(std::clamp(42.0 + 7.0 * gauss(), 15.0, 95.0) * 10) / 10 / 1000;
        c.celsius = std::round((25.0 + 0.6 * gauss()) * 10) / 10;
        cells.append(c);
    }
    return cells;
}

std::optional<QList<TrayCell>> CellTray::fromCsv(QByteArrayView bytes, QString& error)
{
    const QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    QStringList titles = lines.value(0).trimmed().split(QLatin1Char(','));
    for (QString& t : titles)
        t = t.trimmed();
    const qsizetype idAt = titles.indexOf(QStringLiteral("cell_id"));
    const qsizetype voltsAt = titles.indexOf(QStringLiteral("voltage_V"));
    const qsizetype ohmsAt = titles.indexOf(QStringLiteral("resistance_Ohm"));
    const qsizetype celsiusAt = titles.indexOf(QStringLiteral("temperature_C"));
    if (idAt < 0 || voltsAt < 0 || ohmsAt < 0) {
        error = QStringLiteral("line 1 names no cell_id, voltage_V and resistance_Ohm");
        return std::nullopt;
    }
    QList<TrayCell> cells;
    for (int n = 1; n < lines.size(); ++n) {
        const QString line = lines[n].trimmed();
        if (line.isEmpty())
            continue;
        const QStringList fields = line.split(QLatin1Char(','));
        const auto number = [&](qsizetype at, double& out) {
            bool ok = false;
            out = QLocale::c().toDouble(fields.value(at).trimmed(), &ok);
            return ok && std::isfinite(out);
        };
        TrayCell c;
        c.id = fields.value(idAt).trimmed();
        if (!number(voltsAt, c.volts) || !number(ohmsAt, c.ohms) || c.volts < 0 || c.ohms <= 0 ||
            c.volts >= 100 || c.ohms >= 40 || (celsiusAt >= 0 && !number(celsiusAt, c.celsius))) {
            error = QStringLiteral("line %1 holds no cell the display can show").arg(n + 1);
            return std::nullopt;
        }
        cells.append(c);
    }
    if (cells.isEmpty()) {
        error = QStringLiteral("it holds no cell");
        return std::nullopt;
    }
    return cells;
}
