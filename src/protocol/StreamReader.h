#pragma once

#include <QByteArray>
#include <QObject>

#include <functional>

class CommandChannel;
class MeterLink;
struct MeterStatus;

/// Collects a long answer ("W", "I", "T") under the sender convention: both timers paused,
/// input discarded, status exchange, input discarded again, the command, then the expected
/// count gathered through the port's byte-count waits. It sleeps until the driver holds the
/// next block (at most 255 bytes, about seven wakes a second at line rate), returns the moment
/// the last byte is in, and gives up on silence instead of waiting for ever.
///
/// An answer counts only when it came as one piece: the read ends at once, as failed, when
/// the bytes turn into the meter's display stream (a meter that ignored the command or broke
/// off its answer goes on showing its display), or when the port went or was opened anew
/// after the command (what comes then is no continuation of the answer). Display frames are
/// told by what they are, STX ... ETX with the next STX behind, also when an answer is too
/// short to hold three of them (findDisplayTail()).
class StreamReader : public QObject
{
    Q_OBJECT
public:
    /// Longest wait from the command to the first byte.
    static constexpr double FirstByteSeconds = 2.0;
    /// Longest silence between two bytes once the answer has started.
    static constexpr double GapSeconds = 2.0;
    /// A wait never asks for more bytes than a terminal can be told to wake on.
    static constexpr qsizetype MaxBytesPerWake = 255;
    /// Longest sleep before the reader looks whether it was cancelled.
    static constexpr double CancelCheckSeconds = 0.25;
    /// Longest wait, once the count is in, for the bytes that tell whether a display frame
    /// begun in the answer's end goes on: the meter's pause between two frames is a quarter
    /// second.
    static constexpr double FrameFollowSeconds = 0.5;

    enum class Outcome
    {
        Complete,      ///< every expected byte arrived
        NoReply,       ///< not one byte came within the first-byte time-out
        StoppedShort,  ///< the answer broke off (gap or overall time-out)
        DisplayFrames, ///< display frames came instead of the answer or the rest of it
        LinkBroken,    ///< the port went or came back after the command
        Cancelled,     ///< cancel() was called
        ProgramClosing ///< the program is ending
    };

    struct Limits
    {
        double firstByteSeconds = FirstByteSeconds;
        double gapSeconds = GapSeconds;
        /// Longest time from the command to the last byte; 0 for none.
        double totalSeconds = 0;
    };

    /// True when the answer did not come whole for a reason the user is to be told: no reply,
    /// broken off, display frames instead, or the link broken. A cancel and the program's end
    /// are not failures to tell.
    [[nodiscard]] static constexpr bool failed(Outcome outcome)
    {
        return outcome == Outcome::NoReply || outcome == Outcome::StoppedShort ||
               outcome == Outcome::DisplayFrames || outcome == Outcome::LinkBroken;
    }

    struct Result
    {
        Outcome outcome = Outcome::NoReply;
        /// What arrived of the answer, never more than `expected`; with DisplayFrames only the
        /// bytes before the frames.
        QByteArray bytes;
        /// Bytes taken from the line after the command, display frames included (at most
        /// `expected`).
        qsizetype received = 0;
        qsizetype expected = 0;      ///< the count that was asked for
        bool statusAnswered = false; ///< the status exchange before the command succeeded
    };

    /// The expected count, from the status the exchange just refreshed.
    using ExpectedCount = std::function<qsizetype(const MeterStatus&)>;

    StreamReader(CommandChannel& channel, MeterLink& link, QObject* parent = nullptr);

    /// Sends `command` and collects `expected` bytes of its answer; bytes past the count are
    /// ignored. Window events keep running meanwhile.
    Result read(char command, qsizetype expected, const Limits& limits);
    /// The same with a count taken from the fresh status answer; a count of 0 or less sends
    /// no command and completes at once. When the status exchange fails (the link was lost and
    /// came back) no command is sent either: the counts it would take are stale. The outcome
    /// is then NoReply with `statusAnswered` false.
    Result read(char command, const ExpectedCount& expected, const Limits& limits);

    /// Ends a running read at its next wake (within CancelCheckSeconds), outcome Cancelled.
    void cancel() { m_cancelled = true; }
    [[nodiscard]] bool isReading() const { return m_reading; }

signals:
    /// After each wake that brought bytes: how many of how many have arrived. All of them
    /// only when the answer is complete.
    void progress(qsizetype received, qsizetype expected);

private:
    Result run(char command, const ExpectedCount& expected, const Limits& limits,
               bool countFromStatus);

    CommandChannel& m_channel;
    MeterLink& m_link;
    bool m_cancelled = false;
    bool m_reading = false;
};
