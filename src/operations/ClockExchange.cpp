#include "ClockExchange.h"

#include "Commands.h"
#include "MeterClock.h"

std::optional<QByteArray> readMeterClock(CommandChannel& channel,
                                         const CommandChannel::GoAhead& goAhead)
{
    channel.skipInput();
    for (int attempt = 0; attempt < ClockReadAttempts; ++attempt) {
        const QByteArray answer = channel.requestCounted(Command::ReportClock, ClockAnswerLength,
                                                         ClockAnswerSeconds, {}, goAhead);
        if (goAhead && !goAhead())
            return std::nullopt;
        if (isClockAnswer(answer))
            return answer.first(ClockAnswerLength);
    }
    return std::nullopt;
}

bool setMeterClock(CommandChannel& channel, const QDateTime& now,
                   const CommandChannel::GoAhead& goAhead)
{
    // Day and time from one reading, so a set at midnight cannot pair the old day with 00:00.
    return channel.send(Command::SetClock, clockSetBytes(now), CommandChannel::ByteGapSeconds,
                        goAhead);
}
