#pragma once

#include "CurrentReading.h"

#include <QByteArray>
#include <QDateTime>

/// `text` as a JSON string: in double quotes, with quotes, backslashes and control characters
/// escaped.
[[nodiscard]] QString jsonString(const QString& text);

/// One reading as a line of JSON (no line end), for programs that read a stream of them:
/// the time it was taken (ISO 8601 with the offset from UTC) and each channel as the number
/// the display shows with its unit, e.g. "resistance":1.234,"resistance_unit":"mOhm". A
/// channel in overload has the value null and is named in "flags" ("OL:voltage",
/// "-OL:current"); a channel without digits (not shown) is null alone.
[[nodiscard]] QByteArray readingJsonLine(const CurrentReading& reading, const QDateTime& time);
