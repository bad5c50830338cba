#include "MeterSession.h"

MeterSession::MeterSession(QIODevice* port, const PortChoice& choice, CurrentReading& reading,
                           MeterStatus& status, QString& linkTag, const bool& displayFrozen,
                           QObject* parent)
    : QObject(parent), m_serial(port), m_link(m_serial, choice), m_timers(this),
      m_channel(m_serial, m_link, m_timers, status, linkTag),
      m_poll(m_serial, m_link, reading, m_panel, displayFrozen)
{
    connect(&m_timers.poll(), &QTimer::timeout, &m_poll, &PollCycle::tick);
    connect(&m_timers.keepAlive(), &QTimer::timeout, &m_channel, &CommandChannel::keepAlive);
    // The keep-alive talks to the meter, so it rests while the link is lost.
    connect(&m_link, &MeterLink::linkLost, this, [this] { m_timers.pause(PollTimers::KeepAlive); });
    connect(&m_link, &MeterLink::linkRestored, this,
            [this] { m_timers.resume(PollTimers::KeepAlive); });
}

void MeterSession::shutDown()
{
    m_link.shutDown();
    m_timers.pause(PollTimers::Both);
}
