#pragma once

#include <QDateTime>
#include <QElapsedTimer>

/// Time as the program sees it: the time of day for stamps and the meter clock, and a
/// monotonic count for durations and the age of a reading. Tests install a clock they set by
/// hand.
class Clock
{
public:
    virtual ~Clock() = default;
    [[nodiscard]] virtual QDateTime now() const = 0;
    /// Milliseconds on a monotonic clock (never jumps back, not reset at midnight, not moved
    /// when the time of day is set).
    [[nodiscard]] virtual qint64 monotonicMs() const = 0;
};

/// The PC's clock. Its monotonic count is the same for every instance in the process, and it
/// goes on while the computer sleeps: a reading taken before a suspend is old after it.
class SystemClock final : public Clock
{
public:
    [[nodiscard]] QDateTime now() const override { return QDateTime::currentDateTime(); }
    [[nodiscard]] qint64 monotonicMs() const override;
};

/// A clock that only moves when told to, or with the real time once asked to.
class ManualClock final : public Clock
{
public:
    explicit ManualClock(QDateTime start = QDateTime(QDate(2026, 12, 6), QTime(12, 0)))
        : m_now(std::move(start))
    {
    }
    [[nodiscard]] QDateTime now() const override { return m_now.addMSecs(realMs()); }
    [[nodiscard]] qint64 monotonicMs() const override { return m_ms + realMs(); }
    /// Time passes: both the time of day and the monotonic count move on.
    void advanceMs(qint64 ms)
    {
        m_ms += ms;
        m_now = m_now.addMSecs(ms);
    }
    /// The time of day is set: it jumps by `ms`, the monotonic count stays.
    void stepTimeOfDayMs(qint64 ms) { m_now = m_now.addMSecs(ms); }
    /// From now on the clock also runs with the real time, `speed` times as fast (for timers
    /// that a test runs that much faster).
    void runWithRealTime(int speed = 1)
    {
        m_speed = speed;
        m_real.start();
    }

private:
    [[nodiscard]] qint64 realMs() const
    {
        return m_real.isValid() ? m_real.elapsed() * m_speed : 0;
    }

    QDateTime m_now;
    qint64 m_ms = 0;
    QElapsedTimer m_real;
    int m_speed = 1;
};
