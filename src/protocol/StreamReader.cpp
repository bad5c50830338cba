#include "StreamReader.h"

#include "CommandChannel.h"
#include "MeterLink.h"
#include "SerialLink.h"
#include "Waits.h"

#include <QElapsedTimer>

#include <algorithm>

StreamReader::StreamReader(CommandChannel& channel, MeterLink& link, QObject* parent)
    : QObject(parent), m_channel(channel), m_link(link)
{
}

StreamReader::Result StreamReader::read(char command, qsizetype expected, const Limits& limits)
{
    return run(
        command, [expected](const MeterStatus&) { return expected; }, limits, false);
}

StreamReader::Result StreamReader::read(char command, const ExpectedCount& expectedCount,
                                        const Limits& limits)
{
    return run(command, expectedCount, limits, true);
}

StreamReader::Result StreamReader::run(char command, const ExpectedCount& expectedCount,
                                       const Limits& limits, bool countFromStatus)
{
    TimerPause pause(m_channel.timers(), PollTimers::Both);
    m_cancelled = false;
    m_reading = true;
    const auto ended = [this](Result& result, Outcome outcome) {
        m_reading = false;
        result.outcome = outcome;
        return result;
    };

    Result result;
    SerialLink& serial = m_channel.serial();
    serial.discardInput();
    result.statusAnswered = m_channel.StatusQuery();
    if (m_link.closing())
        return ended(result, Outcome::ProgramClosing);
    if (m_cancelled)
        return ended(result, Outcome::Cancelled);
    if (countFromStatus && !result.statusAnswered)
        return ended(result, Outcome::NoReply);
    result.expected = expectedCount(m_channel.status());
    if (result.expected <= 0)
        return ended(result, Outcome::Complete);

    // A display frame that came in behind the status answer is not part of this answer.
    serial.discardInput();
    serial.writeByte(static_cast<quint8>(command));
    QElapsedTimer sinceCommand;
    QElapsedTimer sinceByte;
    sinceCommand.start();
    sinceByte.start();
    WaitSeconds(CommandChannel::ByteGapSeconds);

    while (result.bytes.size() < result.expected) {
        if (m_link.closing())
            return ended(result, Outcome::ProgramClosing);
        if (m_cancelled)
            return ended(result, Outcome::Cancelled);
        const qsizetype missing = result.expected - result.bytes.size();
        const QByteArray arrived = serial.readAll();
        if (!arrived.isEmpty()) {
            result.bytes.append(arrived.first(std::min(arrived.size(), missing)));
            sinceByte.restart();
            emit progress(result.bytes.size(), result.expected);
            continue;
        }
        const double silence = result.bytes.isEmpty() ? limits.firstByteSeconds : limits.gapSeconds;
        double left = silence - sinceByte.elapsed() / 1000.0;
        if (limits.totalSeconds > 0)
            left = std::min(left, limits.totalSeconds - sinceCommand.elapsed() / 1000.0);
        if (left <= 0)
            return ended(result, result.bytes.isEmpty() ? Outcome::NoReply : Outcome::StoppedShort);
        serial.waitForBytes(std::min(missing, MaxBytesPerWake), std::min(left, CancelCheckSeconds));
    }
    return ended(result, Outcome::Complete);
}
