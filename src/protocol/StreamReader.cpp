#include "StreamReader.h"

#include "CommandChannel.h"
#include "DisplayDecoder.h"
#include "MeterLink.h"
#include "SerialLink.h"
#include "Waits.h"

#include <QElapsedTimer>

#include <algorithm>
#include <array>

namespace {

// Notes, while it lives, whether the port went or came back, or the link was taken for lost.
class LinkWatch
{
public:
    LinkWatch(SerialLink& serial, MeterLink& link)
    {
        const auto broke = [this] { m_broken = true; };
        m_connections = {QObject::connect(&serial, &SerialLink::gone, broke),
                         QObject::connect(&serial, &SerialLink::back, broke),
                         QObject::connect(&link, &MeterLink::linkLost, broke),
                         QObject::connect(&link, &MeterLink::portReopened, broke)};
    }
    ~LinkWatch()
    {
        for (const QMetaObject::Connection& connection : m_connections)
            QObject::disconnect(connection);
    }
    LinkWatch(const LinkWatch&) = delete;
    LinkWatch& operator=(const LinkWatch&) = delete;

    [[nodiscard]] bool broken() const { return m_broken; }

private:
    std::array<QMetaObject::Connection, 4> m_connections;
    bool m_broken = false;
};

} // namespace

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
    m_channel.skipInput();
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

    // A display frame that came in behind the status answer is not part of this answer, but
    // still the meter's display.
    m_channel.skipInput();
    const LinkWatch link(serial, m_link);
    serial.writeByte(static_cast<quint8>(command));
    QElapsedTimer sinceCommand;
    QElapsedTimer sinceByte;
    sinceCommand.start();
    sinceByte.start();
    WaitSeconds(CommandChannel::ByteGapSeconds);

    // Bytes past the count: no part of the answer, only a look at whether a display frame
    // that began inside it goes on.
    QByteArray after;
    for (;;) {
        if (m_link.closing())
            return ended(result, Outcome::ProgramClosing);
        if (m_cancelled)
            return ended(result, Outcome::Cancelled);
        if (link.broken() || serial.isGone())
            return ended(result, Outcome::LinkBroken);
        const qsizetype missing = result.expected - result.bytes.size();
        const QByteArray arrived = serial.readAll();
        if (!arrived.isEmpty()) {
            // Only the new bytes and the start of a run they may complete are looked at, so a
            // download of megabytes costs one look at each byte.
            const qsizetype from =
                std::max<qsizetype>(0, result.bytes.size() - (DisplayFrameRunLength - 1));
            const qsizetype taken = std::min(arrived.size(), missing);
            result.bytes.append(arrived.first(taken));
            after.append(arrived.sliced(taken).first(
                std::min(arrived.size() - taken, DisplayFrameLength - after.size())));
            result.received = result.bytes.size();
            if (const qsizetype run = findDisplayFrameRun(result.bytes, from); run >= 0) {
                result.bytes.truncate(run);
                return ended(result, Outcome::DisplayFrames);
            }
            sinceByte.restart();
            // The whole count is shown only once its end is known to be no display frames.
            if (taken > 0 && result.bytes.size() < result.expected)
                emit progress(result.bytes.size(), result.expected);
            continue;
        }
        if (missing == 0) {
            // The count is in; its end may still be display frames, too few for a run.
            const QByteArray end = result.bytes.right(DisplayFrameRunLength) + after;
            const DisplayTail tail = findDisplayTail(end, end.size() - after.size());
            if (tail.start >= 0) {
                result.bytes.truncate(result.bytes.size() - (end.size() - after.size()) +
                                      tail.start);
                return ended(result, Outcome::DisplayFrames);
            }
            const double left = FrameFollowSeconds - sinceByte.elapsed() / 1000.0;
            if (!tail.undecided || after.size() >= DisplayFrameLength || left <= 0) {
                emit progress(result.bytes.size(), result.expected);
                return ended(result, Outcome::Complete);
            }
            serial.waitForBytes(DisplayFrameLength - after.size(),
                                std::min(left, CancelCheckSeconds));
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
}
