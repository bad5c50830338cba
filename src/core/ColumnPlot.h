#pragma once

#include "ReadingSeries.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

/// How a column of a data list is plotted: the title the graph shows, the default value range
/// of the column's kind and the number format and step of the graph's value boxes.
struct ColumnKind
{
    QString title;
    float fullScaleMax = 0;
    float fullScaleMin = 0;
    QString valueFormat;
    QString valueStep;
};

/// The kind of list column `column` (0-8) titled `headerText`: voltage ±60, resistance 0 up to
/// the range's number, current ±650, temperature -20..60 for exactly "Celsius" and -4..140
/// otherwise, the three capacities 0..10000. No kind for the record number and time columns
/// (0, 1) or any column past the ninth.
[[nodiscard]] std::optional<ColumnKind> columnKind(int column, const QString& headerText);

/// The values of a plotted column and the working range they widened.
struct ColumnValues
{
    std::vector<float> values;
    float valueMax = 0;
    float valueMin = 0;
    std::vector<float> overloadValues; ///< the values overload cells took, each once
    bool milli = false;                ///< plotted in milli units: some cell carries "(m)"
};

/// Turns a column's cell texts into the numbers to plot, starting from the working range
/// `valueMax`/`valueMin` (the column's full scale): a negative overload takes the range's
/// minimum so far, an overload its maximum so far, any other text its leading number; each
/// value widens the range. A capacity column that holds both mAh ("(m)") and Ah values - the
/// meter switches as a counter grows - is plotted in mAh throughout, its Ah values times 1000.
[[nodiscard]] ColumnValues columnValues(const QStringList& texts, float valueMax, float valueMin);

/// How a recording's numbers (V, Ohm, A, degrees, Ah) are drawn beside a list's column: in the
/// column's own unit, so that every trace of a graph reads on its one value axis.
struct ColumnUnit
{
    ReadingSeries::Channel channel = ReadingSeries::Voltage;
    double scale = 1; ///< times the number in V, Ohm, A or Ah
    QString unit;     ///< "V", "mOhm", "Ohm", "mA", "A", "Celsius", "Fahrenheit", "mAh", "Ah"
    std::optional<TemperatureUnit> temperature; ///< temperatures are drawn in this unit

    /// `value` of a recording whose temperatures are in `unitOfValue`, as drawn.
    [[nodiscard]] double shown(double value, TemperatureUnit unitOfValue) const;
};

/// The unit of list column `column` (2-8) titled `title` (a range such as "400 mOhm", "mAmp",
/// "Celsius"); capacities plotted in mAh when `milli`. Voltage for any other column.
[[nodiscard]] ColumnUnit columnUnit(int column, QStringView title, bool milli);
/// `channel` in V, Ohm, A, degrees of `temperature` or Ah.
[[nodiscard]] ColumnUnit plainUnit(ReadingSeries::Channel channel, TemperatureUnit temperature);
