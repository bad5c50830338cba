#pragma once

#include <QObject>
#include <QTimer>

/// The live poll timer (`Timer1`, 10 ms) and the keep-alive timer (`Timer3`, 10 s), with
/// counted pauses: an exchange with the meter pauses them and they run again only when the
/// outermost exchange has ended, so an exchange nested in another can never restart the
/// poll in the middle of a download.
class PollTimers : public QObject
{
    Q_OBJECT
public:
    enum Which
    {
        Poll = 1,
        KeepAlive = 2,
        Both = Poll | KeepAlive
    };

    explicit PollTimers(QObject* parent = nullptr);

    /// Enables both timers (the end of the main window's load step).
    void start();
    void pause(Which which);
    void resume(Which which);

    /// True while some exchange holds `which` paused.
    [[nodiscard]] bool paused(Which which) const
    {
        return ((which & Poll) && m_pollPauses > 0) ||
               ((which & KeepAlive) && m_keepAlivePauses > 0);
    }

    [[nodiscard]] QTimer& poll() { return m_poll; }
    [[nodiscard]] QTimer& keepAlive() { return m_keepAlive; }

private:
    void update();

    QTimer m_poll;
    QTimer m_keepAlive;
    bool m_started = false;
    int m_pollPauses = 0;
    int m_keepAlivePauses = 0;
};

/// Pauses timers for its lifetime: every exit path of an exchange resumes them.
class TimerPause
{
public:
    TimerPause(PollTimers& timers, PollTimers::Which which) : m_timers(timers), m_which(which)
    {
        m_timers.pause(m_which);
    }
    ~TimerPause() { m_timers.resume(m_which); }
    TimerPause(const TimerPause&) = delete;
    TimerPause& operator=(const TimerPause&) = delete;

private:
    PollTimers& m_timers;
    PollTimers::Which m_which;
};
