#include "AxisText.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Beyond this a double has no more decimals to show.
constexpr int kMaxDecimals = 17;

QString fixed(double value, int decimals)
{
    QString text = QString::number(value, 'f', decimals);
    // A value that rounds to zero reads "0.00", not "-0.00".
    if (text.startsWith(QLatin1Char('-')) &&
        std::none_of(text.cbegin(), text.cend(), [](QChar c) { return c > u'0' && c <= u'9'; }))
        text.remove(0, 1);
    return text;
}

} // namespace

QStringList tickLabels(std::span<const double> ticks, int minDecimals)
{
    double gap = 0;
    for (std::size_t i = 1; i < ticks.size(); ++i) {
        const double d = std::abs(ticks[i] - ticks[i - 1]);
        if (d > 0 && (gap == 0 || d < gap))
            gap = d;
    }
    if (gap == 0 && !ticks.empty())
        gap = std::max(std::abs(ticks.front()), 1.0) * 1e-9; // one tick: read it as it is
    QStringList labels;
    for (int decimals = std::max(0, minDecimals); decimals <= kMaxDecimals; ++decimals) {
        const double scale = std::pow(10.0, decimals);
        labels.clear();
        bool readable = true;
        for (std::size_t i = 0; i < ticks.size() && readable; ++i) {
            const double shown = std::round(ticks[i] * scale) / scale;
            readable = std::abs(shown - ticks[i]) <= gap / 20;
            labels.append(fixed(ticks[i], decimals));
            if (i > 0 && labels[qsizetype(i)] == labels[qsizetype(i) - 1])
                readable = false;
        }
        if (readable)
            return labels;
    }
    return labels;
}

QString columnAxisTitle(int column, QStringView headerText, bool milli)
{
    const QStringView header = headerText.trimmed();
    switch (column) {
    case 2:
        return QStringLiteral("Voltage (V)");
    case 3:
        return header.endsWith(QLatin1String("mOhm")) ? QStringLiteral("Resistance (mOhm)")
                                                      : QStringLiteral("Resistance (Ohm)");
    case 4:
        return header.startsWith(QLatin1Char('m')) ? QStringLiteral("Current (mA)")
                                                   : QStringLiteral("Current (A)");
    case 5:
        if (header == QLatin1String("Celsius"))
            return QStringLiteral("Temperature (°C)");
        if (header.startsWith(QLatin1String("Fahrenhei"))) // the display spells it "Fahrenheih"
            return QStringLiteral("Temperature (°F)");
        return QStringLiteral("Temperature");
    case 6:
    case 7:
    case 8: {
        static const std::array<QString, 3> names{
            QStringLiteral("In-Cap"), QStringLiteral("Out-Cap"), QStringLiteral("T-Cap")};
        return names[std::size_t(column - 6)] +
               (milli ? QStringLiteral(" (mAh)") : QStringLiteral(" (Ah)"));
    }
    default:
        return {};
    }
}

QString channelAxisTitle(GraphChannel channel, bool milliAmps, QStringView rangeText,
                         QStringView tempUnitText)
{
    switch (channel) {
    case GraphChannel::Voltage:
        return columnAxisTitle(2, {}, false);
    case GraphChannel::Current:
        return columnAxisTitle(4, milliAmps ? u"mAmp" : u"Amp", false);
    case GraphChannel::Temperature:
        // Any unit but Celsius is drawn on the Fahrenheit scale.
        return columnAxisTitle(
            5, tempUnitText == QLatin1String("Celsius") ? u"Celsius" : u"Fahrenheit", false);
    case GraphChannel::Resistance:
        return columnAxisTitle(3, rangeText, false);
    case GraphChannel::Capacity:
        return QStringLiteral("Charge (Ah)");
    }
    return {};
}

namespace {

QString hms(qint64 seconds, int hourWidth)
{
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, hourWidth, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// Whole seconds, rounded, so that a tick a hair before a full second reads that second.
qint64 wholeSeconds(double seconds)
{
    return std::isfinite(seconds) ? qint64(std::llround(std::clamp(seconds, -1e15, 1e15))) : 0;
}

} // namespace

QString clockText(double secondsOfDay)
{
    constexpr qint64 day = 86400;
    return hms(((wholeSeconds(secondsOfDay) % day) + day) % day, 2);
}

QString elapsedText(double seconds)
{
    const qint64 s = wholeSeconds(seconds);
    return s < 0 ? QLatin1Char('-') + hms(-s, 1) : hms(s, 1);
}

std::optional<double> secondsFromText(QStringView text)
{
    QStringView t = text.trimmed();
    const bool negative = t.startsWith(u'-');
    if (negative)
        t = t.mid(1).trimmed();
    const QList<QStringView> parts = t.split(u':');
    if (parts.size() > 3)
        return std::nullopt;
    double seconds = 0;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QStringView part = parts[i];
        const bool digits =
            !part.isEmpty() && part.size() <= (i == 0 ? 9 : 2) &&
            std::all_of(part.begin(), part.end(), [](QChar c) { return c.isDigit(); });
        if (!digits)
            return std::nullopt;
        const int value = part.toInt();
        if (i > 0 && value >= 60)
            return std::nullopt;
        seconds = seconds * (i == 0 ? 1 : 60) + value;
    }
    // Hours first: what is left out is zero.
    for (qsizetype i = parts.size(); i < 3; ++i)
        seconds *= 60;
    return negative ? -seconds : seconds;
}

double timeTickStep(double spanSeconds, int wanted)
{
    static constexpr std::array<double, 17> steps{
        1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200, 10800, 21600, 43200};
    const double ideal = spanSeconds / std::max(1, wanted);
    for (const double step : steps) {
        if (step >= ideal)
            return step;
    }
    constexpr double day = 86400;
    return day * std::max(1.0, std::ceil(ideal / day));
}
