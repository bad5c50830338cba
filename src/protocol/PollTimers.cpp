#include "PollTimers.h"

PollTimers::PollTimers(QObject* parent) : QObject(parent), m_poll(this), m_keepAlive(this)
{
    m_poll.setObjectName(QStringLiteral("Timer1"));
    m_poll.setInterval(10);
    m_keepAlive.setObjectName(QStringLiteral("Timer3"));
    m_keepAlive.setInterval(10000);
}

void PollTimers::start()
{
    m_started = true;
    update();
}

void PollTimers::pause(Which which)
{
    if (which & Poll)
        ++m_pollPauses;
    if (which & KeepAlive)
        ++m_keepAlivePauses;
    update();
}

void PollTimers::resume(Which which)
{
    if ((which & Poll) && m_pollPauses > 0)
        --m_pollPauses;
    if ((which & KeepAlive) && m_keepAlivePauses > 0)
        --m_keepAlivePauses;
    update();
}

void PollTimers::update()
{
    const auto set = [](QTimer& timer, bool run) {
        if (run && !timer.isActive())
            timer.start();
        else if (!run && timer.isActive())
            timer.stop();
    };
    set(m_poll, m_started && m_pollPauses == 0);
    set(m_keepAlive, m_started && m_keepAlivePauses == 0);
}
