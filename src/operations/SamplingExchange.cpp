#include "SamplingExchange.h"

#include "Commands.h"
#include "DisplayDecoder.h"

namespace {

constexpr qsizetype kIntervalAnswerLength = 3;

} // namespace

std::optional<quint8> readMeterInterval(CommandChannel& channel)
{
    for (int request = 0; request < IntervalRequests; ++request) {
        const QByteArray answer = channel.requestCounted(
            Command::ReportInterval, kIntervalAnswerLength, IntervalAnswerSeconds);
        if (answer.size() >= kIntervalAnswerLength && answer.at(0) == Stx && answer.at(2) == Etx)
            return static_cast<quint8>(answer.at(1));
    }
    return std::nullopt;
}

bool sendMeterInterval(CommandChannel& channel, int seconds, const CommandChannel::GoAhead& goAhead)
{
    return channel.send(Command::SetInterval, QByteArray(1, static_cast<char>(seconds)), 0,
                        goAhead);
}
