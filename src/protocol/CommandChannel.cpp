#include "CommandChannel.h"

#include "Commands.h"
#include "MeterLink.h"
#include "SerialLink.h"
#include "Waits.h"

namespace {
constexpr int TriesPerSeries = 10;
}

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
    m_serial.discardInput();
    int tries = 0;
    while (!m_link.closing()) {
        QByteArray answer;
        do {
            if (m_serial.isGone())
                return false; // nothing is written to a gone port; the series has failed
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

void CommandChannel::send(char command, const QByteArray& params, double pauseAfter)
{
    TimerPause pause(m_timers, PollTimers::Both);
    StatusQuery();
    writeCommand(command, params);
    if (pauseAfter > 0)
        WaitSeconds(pauseAfter);
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
                                          const QByteArray& params)
{
    TimerPause pause(m_timers, PollTimers::Both);
    StatusQuery();
    m_serial.discardInput();
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
