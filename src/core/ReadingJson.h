#pragma once

#include "CurrentReading.h"

#include <QByteArray>
#include <QDateTime>

#include <array>

/// The channels in display order (CurrentReading::Group) with the names they carry in a line.
inline constexpr std::array<const char*, CurrentReading::GroupCount> ReadingChannelNames{
    "voltage",     "resistance",   "current",       "temperature",
    "in_capacity", "out_capacity", "total_capacity"};

/// `text` as a JSON string: in double quotes, with quotes, backslashes and control characters
/// escaped.
[[nodiscard]] QString jsonString(const QString& text);

/// One reading as a line of JSON (no line end), for programs that read a stream of them:
/// the time it was taken (ISO 8601 with the offset from UTC) and each channel as the number
/// the display shows with its unit, e.g. "resistance":1.234,"resistance_unit":"mOhm". A
/// channel in overload has the value null and is named in "flags" ("OL:voltage",
/// "-OL:current"); a channel without digits (not shown) is null alone.
[[nodiscard]] QByteArray readingJsonLine(const CurrentReading& reading, const QDateTime& time);

/// A local time in ISO 8601 with its offset from UTC written out ("2026-12-08T23:59:58+01:00",
/// "+00:00" included), as spreadsheets and the CSV export read it.
[[nodiscard]] QString isoTimeWithOffset(const QDateTime& time);
/// The unit a channel (a CurrentReading::Group) of the reading is shown in: "V", the range's
/// unit ("mOhm"), "A" or "mA", "C" or "F", and the charges' "mAh" or "Ah"; empty when unknown.
[[nodiscard]] QString readingUnit(const CurrentReading& reading, int channel);
