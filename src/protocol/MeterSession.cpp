#include "MeterSession.h"

#include <QTimer>

MeterSession::MeterSession(QIODevice* port, const PortChoice& choice, CurrentReading& reading,
                           MeterStatus& status, QString& linkTag, const bool& displayFrozen,
                           const Clock& clock, QObject* parent)
    : QObject(parent), m_serial(port), m_link(m_serial, choice), m_timers(this),
      m_channel(m_serial, m_link, m_timers, status, linkTag),
      m_poll(m_serial, m_link, reading, m_panel, displayFrozen, clock, m_timers)
{
    // One reader of the port: whichever step read a display frame, it reaches the reading.
    m_channel.setFrameSink([this](QByteArrayView skipped) { m_poll.takeFrameFrom(skipped); });
    connect(&m_timers.poll(), &QTimer::timeout, &m_poll, &PollCycle::tick);
    connect(&m_timers.keepAlive(), &QTimer::timeout, &m_channel, &CommandChannel::keepAlive);
    // The keep-alive talks to the meter, so it rests while the link is lost.
    connect(&m_link, &MeterLink::linkLost, this, [this] { m_timers.pause(PollTimers::KeepAlive); });
    connect(&m_link, &MeterLink::linkRestored, this,
            [this] { m_timers.resume(PollTimers::KeepAlive); });
    // A meter plugged in again may not be the one that was pulled out: its status is asked
    // for right after the first frame it is mirrored with.
    connect(&m_link, &MeterLink::portReopened, this, [this] { m_statusDue = true; });
    connect(&m_poll, &PollCycle::frameDecoded, this, [this] {
        if (m_statusDue)
            QTimer::singleShot(0, this, &MeterSession::refreshStatusAfterReopen);
    });
}

// Runs between poll ticks; while another exchange or a tick is talking to the meter it waits
// for the next frame.
void MeterSession::refreshStatusAfterReopen()
{
    if (!m_statusDue || m_timers.paused(PollTimers::Poll) || m_poll.inTick() || m_link.closing())
        return;
    m_statusDue = false;
    TimerPause pause(m_timers, PollTimers::Both);
    m_channel.StatusQuery();
}

void MeterSession::setPollInterval(int ms)
{
    m_timers.poll().setInterval(ms);
}

void MeterSession::shutDown()
{
    m_link.shutDown();
    m_timers.pause(PollTimers::Both);
}
