#include "CommandChannel.h"

#include "Commands.h"
#include "MeterLink.h"
#include "SerialLink.h"
#include "Waits.h"

#include <QElapsedTimer>

namespace {
constexpr int TriesPerSeries = 10;
// A retry first waits until the line has been quiet this long (a display frame's tail takes
// under 19 ms), at most SettleLimitSeconds in all.
constexpr double QuietSeconds = 0.02;
constexpr double SettleLimitSeconds = 0.1;
} // namespace

CommandChannel::CommandChannel(SerialLink& serial, MeterLink& link, PollTimers& timers,
                               MeterStatus& status, QString& linkTag, QObject* parent)
    : QObject(parent), m_serial(serial), m_link(link), m_timers(timers), m_status(status),
      m_linkTag(linkTag)
{
}

// One series of ten writes of "A". Each write's answer is read once and replaces the
// previous one; the tenth answer is never examined.
bool CommandChannel::runSeries(Series series)
{
    const double wait = series == Series::Fast ? FastWaitSeconds : SlowWaitSeconds;
    skipInput();
    int tries = 0;
    while (!m_link.closing()) {
        QByteArray answer;
        do {
            if (m_serial.isGone())
                return false; // nothing is written to a gone port; the series has failed
            if (tries > 0)
                settleLine();
            ++tries;
            m_serial.writeByte(Command::Status);
            m_serial.waitForBytes(StatusAnswerLength, wait);
            answer = m_serial.readAll();
        } while (answer.size() < StatusAnswerLength && tries != TriesPerSeries);
        if (tries >= TriesPerSeries)
            return false;
        if (const auto status = parseStatusAnswer(answer)) {
            m_status = *status;
            m_linkTag = series == Series::Fast ? QStringLiteral("F") : QStringLiteral("S");
            return true;
        }
    }
    return false;
}

// A display frame in flight when "A" went out puts its tail in front of the answer; read in
// nine-byte steps, every later answer of the series would then be out of step. Before a
// retry the rest of that traffic is let in and thrown away.
void CommandChannel::settleLine()
{
    QElapsedTimer settling;
    settling.start();
    QByteArray traffic;
    do {
        traffic += m_serial.readAll();
    } while (settling.elapsed() < SettleLimitSeconds * 1000 && !m_link.closing() &&
             m_serial.waitForBytes(1, QuietSeconds));
    traffic += m_serial.readAll();
    m_serial.discardInput();
    if (m_frameSink)
        m_frameSink(traffic);
}

void CommandChannel::skipInput()
{
    const QByteArray skipped = m_serial.readAll();
    m_serial.discardInput();
    if (m_frameSink && !skipped.isEmpty())
        m_frameSink(skipped);
}

bool CommandChannel::StatusQuery()
{
    return runSeries(Series::Fast) || StatusQuerySlow();
}

bool CommandChannel::StatusQuerySlow()
{
    if (runSeries(Series::Slow))
        return true;
    m_link.WaitForMeter();
    return false;
}

void CommandChannel::writeCommand(char command, const QByteArray& params)
{
    m_serial.writeByte(static_cast<quint8>(command));
    for (char byte : params) {
        WaitSeconds(ByteGapSeconds);
        m_serial.writeByte(static_cast<quint8>(byte));
    }
}

bool CommandChannel::send(char command, const QByteArray& params, double pauseAfter,
                          const GoAhead& goAhead)
{
    TimerPause pause(m_timers, PollTimers::Both);
    StatusQuery();
    if (goAhead && !goAhead())
        return false;
    writeCommand(command, params);
    if (pauseAfter > 0)
        WaitSeconds(pauseAfter);
    return true;
}

QByteArray CommandChannel::request(char command, const QByteArray& params)
{
    TimerPause pause(m_timers, PollTimers::Both);
    StatusQuery();
    writeCommand(command, params);
    WaitSeconds(ByteGapSeconds);
    return m_serial.readAll();
}

QByteArray CommandChannel::requestCounted(char command, qsizetype expected, double timeoutSeconds,
                                          const QByteArray& params, const GoAhead& goAhead)
{
    TimerPause pause(m_timers, PollTimers::Both);
    StatusQuery();
    if (goAhead && !goAhead())
        return {};
    skipInput();
    writeCommand(command, params);
    m_serial.waitForBytes(expected, timeoutSeconds);
    return m_serial.readAll();
}

void CommandChannel::keepAlive()
{
    TimerPause pause(m_timers, PollTimers::Poll);
    StatusQuery();
    m_serial.writeByte(static_cast<quint8>(Command::KeepAlive));
}
