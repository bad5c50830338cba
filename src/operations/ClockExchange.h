#pragma once

#include "CommandChannel.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

/// The refusal of the clock commands while the meter records into its own memory (it shows
/// TIME and INTV); the clock is then left alone.
inline const QString RecordingModeRefusal =
    QStringLiteral("Recording mode, stop record then try again !");

/// Clock requests of one read before the meter is taken as not answering.
inline constexpr int ClockReadAttempts = 10;
/// Longest wait for the 6-byte clock answer after "U" (behind a USB adapter 0.02 s is too
/// short; the wait ends as soon as the answer is in).
inline constexpr double ClockAnswerSeconds = 0.1;

/// Reads the meter's clock with "U": the first well-formed 6-byte answer of up to
/// ClockReadAttempts requests. Nothing when none was well-formed, or when `goAhead` stopped
/// the read (the caller tells the two apart by asking its `goAhead` again).
[[nodiscard]] std::optional<QByteArray> readMeterClock(CommandChannel& channel,
                                                       const CommandChannel::GoAhead& goAhead = {});

/// Sets the meter's clock to the day and time of `now` with "Q"; nothing is answered. False
/// when `goAhead` stopped it before the command.
bool setMeterClock(CommandChannel& channel, const QDateTime& now,
                   const CommandChannel::GoAhead& goAhead = {});
