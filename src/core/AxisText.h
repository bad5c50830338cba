#pragma once

#include "AllChannelGraph.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <span>

/// The labels of an axis's ticks (ascending values): every label with the same number of
/// decimals, the fewest (at least `minDecimals`) with which each label is within a twentieth of
/// the tick spacing of its tick and no two adjacent labels read the same; never an exponent,
/// never "-0". Used by every graph, on screen and in print.
[[nodiscard]] QStringList tickLabels(std::span<const double> ticks, int minDecimals = 0);

/// The title of a list column's value axis, quantity and unit as the column holds them:
/// "Voltage (V)", "Resistance (mOhm)" or "(Ohm)" by the range in `headerText`, "Current (A)"
/// or "(mA)" ("mAmp"), "Temperature (°C)" or "(°F)", "In-Cap (mAh)" or "(Ah)" by `milli`
/// (the cells carry "(m)"). Empty for the record and time columns.
[[nodiscard]] QString columnAxisTitle(int column, QStringView headerText, bool milli);

/// The title of a live graph channel's value axis: voltage in V, current in A or mA, the
/// temperature in °C under "Celsius" and in °F otherwise, the resistance in the range's unit,
/// the charges in Ah.
[[nodiscard]] QString channelAxisTitle(GraphChannel channel, bool milliAmps, QStringView rangeText,
                                       QStringView tempUnitText);

/// A time of day as "hh:mm:ss", from seconds since a midnight (later days wrap round).
[[nodiscard]] QString clockText(double secondsOfDay);
/// A duration as "h:mm:ss", hours running on past a day ("-" before a negative one).
[[nodiscard]] QString elapsedText(double seconds);
/// A time as typed into a time box, read as clockText and elapsedText write it: hours, then
/// minutes and seconds ("10:05" is 10 h 5 min; "-0:00:30" is half a minute back). Nothing for
/// any other text, or for minutes or seconds of 60 or more.
[[nodiscard]] std::optional<double> secondsFromText(QStringView text);
/// The spacing of time ticks for `spanSeconds`: a step of the clock (1, 2, 5, 10, 15, 30 s,
/// 1, 2, 5, 10, 15, 30 min, 1, 2, 3, 6, 12 h, then whole days) giving about `wanted` ticks.
[[nodiscard]] double timeTickStep(double spanSeconds, int wanted);
