#pragma once

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
