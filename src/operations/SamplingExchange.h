#pragma once

#include "CommandChannel.h"

#include <QString>

#include <optional>

/// What the sampling command says when the meter does not report its interval.
inline const QString SamplingNoAnswer = QStringLiteral("No answer from the meter !");

/// Longest wait for the meter's 3-byte interval answer, and how often it is asked.
inline constexpr double IntervalAnswerSeconds = 0.5;
inline constexpr int IntervalRequests = 3;

/// The meter's own sampling interval in seconds from a good answer to "V" (STX, the
/// interval, ETX), or nothing after IntervalRequests requests.
[[nodiscard]] std::optional<quint8> readMeterInterval(CommandChannel& channel);

/// Sets the meter's own sampling interval with "S" and one byte (1..255 s); nothing is
/// answered. False when `goAhead` stopped it before the command.
bool sendMeterInterval(CommandChannel& channel, int seconds,
                       const CommandChannel::GoAhead& goAhead = {});
