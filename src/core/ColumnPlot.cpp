#include "ColumnPlot.h"

#include "ValueText.h"

#include <algorithm>
#include <array>
#include <limits>

namespace {

const QString kMilliSuffix = QStringLiteral("(m)");

ColumnKind kind(QString title, float max, float min, const char* format, const char* step)
{
    return {std::move(title), max, min, QString::fromLatin1(format), QString::fromLatin1(step)};
}

} // namespace

std::optional<ColumnKind> columnKind(int column, const QString& headerText)
{
    const bool celsius = headerText == QLatin1String("Celsius");
    switch (column) {
    case 2:
        return kind(headerText, 60, -60, "0.###", "0.001");
    case 3:
        return kind(headerText, leadingNumber(headerText), 0, "0.###", "0.001");
    case 4:
        return kind(headerText, 650, -650, "0.##", "0.01");
    case 5:
        return kind(headerText, celsius ? 60 : 140, celsius ? -20 : -4, "0.#", "0.1");
    case 6:
        return kind(QStringLiteral("In-Cap"), 10000, 0, "0.###", "0.001");
    case 7:
        return kind(QStringLiteral("Out-Cap"), 10000, 0, "0.###", "0.001");
    case 8:
        return kind(QStringLiteral("T-Cap"), 10000, 0, "0.###", "0.001");
    default:
        return std::nullopt;
    }
}

ColumnValues columnValues(const QStringList& texts, float valueMax, float valueMin)
{
    bool milli = false;
    bool plain = false;
    for (const QString& text : texts) {
        if (isOverload(text))
            continue;
        if (text.contains(kMilliSuffix))
            milli = true;
        else
            plain = true;
    }
    const bool mixedUnits = milli && plain;

    ColumnValues out;
    out.values.reserve(static_cast<std::size_t>(texts.size()));
    for (const QString& text : texts) {
        float value;
        if (isOverload(text)) {
            value = isNegativeOverload(text) ? valueMin : valueMax;
            if (std::find(out.overloadValues.begin(), out.overloadValues.end(), value) ==
                out.overloadValues.end())
                out.overloadValues.push_back(value);
        } else {
            value = leadingNumber(text);
            if (mixedUnits && !text.contains(kMilliSuffix)) {
                const double scaled = double(value) * 1000.0;
                constexpr double largest = std::numeric_limits<float>::max();
                value = static_cast<float>(qBound(-largest, scaled, largest));
            }
        }
        if (value > valueMax)
            valueMax = value;
        if (value < valueMin)
            valueMin = value;
        out.values.push_back(value);
    }
    out.valueMax = valueMax;
    out.valueMin = valueMin;
    out.milli = milli;
    return out;
}

double ColumnUnit::shown(double value, TemperatureUnit unitOfValue) const
{
    if (temperature && *temperature != unitOfValue)
        return convertedTemperature(value, *temperature);
    return value * scale;
}

ColumnUnit columnUnit(int column, QStringView title, bool milli)
{
    using Channel = ReadingSeries::Channel;
    if (column < 2 || column > 8)
        column = 2;
    ColumnUnit u;
    u.channel = Channel(column - 2);
    switch (u.channel) {
    case ReadingSeries::Resistance: {
        const bool m = title.endsWith(QLatin1StringView("mOhm"));
        u.scale = m ? 1000 : 1;
        u.unit = m ? QStringLiteral("mOhm") : QStringLiteral("Ohm");
        break;
    }
    case ReadingSeries::Current:
        u.scale = title == QLatin1StringView("mAmp") ? 1000 : 1;
        u.unit = u.scale > 1 ? QStringLiteral("mA") : QStringLiteral("A");
        break;
    case ReadingSeries::Temperature:
        u.temperature = title == QLatin1StringView("Celsius") ? TemperatureUnit::Celsius
                                                              : TemperatureUnit::Fahrenheit;
        u.unit = title == QLatin1StringView("Celsius") ? QStringLiteral("Celsius")
                                                       : QStringLiteral("Fahrenheit");
        break;
    case ReadingSeries::InCap:
    case ReadingSeries::OutCap:
    case ReadingSeries::TCap:
        u.scale = milli ? 1000 : 1;
        u.unit = milli ? QStringLiteral("mAh") : QStringLiteral("Ah");
        break;
    default:
        u.unit = QStringLiteral("V");
        break;
    }
    return u;
}

ColumnUnit plainUnit(ReadingSeries::Channel channel, TemperatureUnit temperature)
{
    static const std::array<const char*, ReadingSeries::ChannelCount> units{"V",  "Ohm", "A", "",
                                                                            "Ah", "Ah",  "Ah"};
    ColumnUnit u;
    u.channel = channel;
    u.unit = QString::fromLatin1(units[std::size_t(channel)]);
    if (channel == ReadingSeries::Temperature) {
        u.temperature = temperature;
        u.unit = temperature == TemperatureUnit::Celsius ? QStringLiteral("Celsius")
                                                         : QStringLiteral("Fahrenheit");
    }
    return u;
}
