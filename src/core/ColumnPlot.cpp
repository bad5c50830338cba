#include "ColumnPlot.h"

#include "ValueText.h"

#include <algorithm>
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
