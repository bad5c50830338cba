#pragma once

#include "MeterStatus.h"
#include "PollTimers.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QString>

#include <functional>

class MeterLink;
class SerialLink;

/// The command side of the meter protocol: the status exchange that precedes every command,
/// and the one way every sender talks to the meter (pause the poll and keep-alive, status
/// exchange, command and parameter bytes, optional reply, resume). The input it skips between
/// its answers goes to the frame sink, so the display frames in it reach the reading while
/// an exchange holds the line.
class CommandChannel : public QObject
{
    Q_OBJECT
public:
    /// Longest wait for each fast status answer. 9 bytes take under 5 ms at 19200 baud; the
    /// wait ends as soon as 9 bytes are there, so the limit only matters for a silent meter
    /// and leaves room for a frame in flight and USB adapter latency.
    static constexpr double FastWaitSeconds = 0.05;
    /// Longest wait for each slow status answer (the second series of ten tries).
    static constexpr double SlowWaitSeconds = 0.2;
    /// Pause between the bytes of a command and before its reply is read.
    static constexpr double ByteGapSeconds = 0.02;

    CommandChannel(SerialLink& serial, MeterLink& link, PollTimers& timers, MeterStatus& status,
                   QString& linkTag, QObject* parent = nullptr);

    /// The status exchange: up to ten fast tries of "A", then StatusQuerySlow. True when an
    /// answer was accepted; false after the link-lost wait (the status keeps its values).
    bool StatusQuery();
    /// Ten slow tries of "A"; on failure waits in the link-lost state until the meter sends.
    bool StatusQuerySlow();

    /// Asked after the status exchange, before the command is written: false means the
    /// caller no longer wants the exchange (its window closed meanwhile), and nothing is sent.
    using GoAhead = std::function<bool()>;
    /// Takes the input skipped between answers and decodes the display frames in it.
    using FrameSink = std::function<void(QByteArrayView skipped)>;

    /// Where skipped input goes from now on (by default nowhere: it is thrown away).
    void setFrameSink(FrameSink sink) { m_frameSink = std::move(sink); }
    /// Empties the input between two messages, before a request or after an answer that
    /// ended: what arrived meanwhile is no answer, but may hold display frames, which go to
    /// the frame sink. Never for the rest of a long answer, whose bytes are no display.
    void skipInput();

    /// Sends a command as every sender must: pauses both timers, runs StatusQuery, writes
    /// `command` and each of `params` 0.02 s apart, waits `pauseAfter` seconds after the
    /// last byte, and resumes the timers. False when `goAhead` stopped it before the command.
    bool send(char command, const QByteArray& params = {}, double pauseAfter = 0,
              const GoAhead& goAhead = {});
    /// Like send, then waits 0.02 s and returns everything the meter answered.
    QByteArray request(char command, const QByteArray& params = {});
    /// For a command whose answer has a known length: like request, but the input is emptied
    /// between the status exchange and the command (so no display frame in flight is taken for
    /// the answer), and the wait ends as soon as `expected` bytes are there, or after
    /// `timeoutSeconds`. Returns everything received; the caller checks it.
    QByteArray requestCounted(char command, qsizetype expected, double timeoutSeconds,
                              const QByteArray& params = {}, const GoAhead& goAhead = {});
    /// The 10-second keep-alive: pauses the poll only, status exchange, "a".
    void keepAlive();

    [[nodiscard]] PollTimers& timers() { return m_timers; }
    [[nodiscard]] SerialLink& serial() { return m_serial; }
    /// The meter's memory state from the last successful status exchange.
    [[nodiscard]] const MeterStatus& status() const { return m_status; }

private:
    enum class Series
    {
        Fast,
        Slow
    };
    bool runSeries(Series series);
    void settleLine();
    void writeCommand(char command, const QByteArray& params);

    SerialLink& m_serial;
    MeterLink& m_link;
    PollTimers& m_timers;
    MeterStatus& m_status;
    QString& m_linkTag;
    FrameSink m_frameSink;
};
