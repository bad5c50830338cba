#pragma once

#include <QDateTime>
#include <QElapsedTimer>

/// Time as the program sees it: the time of day for stamps and the meter clock, and a
/// monotonic count for durations. Tests install a clock they set by hand.
class Clock
{
public:
    virtual ~Clock() = default;
    [[nodiscard]] virtual QDateTime now() const = 0;
    /// Milliseconds on a monotonic clock (never jumps back, not reset at midnight).
    [[nodiscard]] virtual qint64 monotonicMs() const = 0;
};

/// The PC's clock.
class SystemClock final : public Clock
{
public:
    SystemClock() { m_elapsed.start(); }
    [[nodiscard]] QDateTime now() const override { return QDateTime::currentDateTime(); }
    [[nodiscard]] qint64 monotonicMs() const override { return m_elapsed.elapsed(); }

private:
    QElapsedTimer m_elapsed;
};

/// A clock that only moves when told to.
class ManualClock final : public Clock
{
public:
    explicit ManualClock(QDateTime start = QDateTime(QDate(2026, 12, 6), QTime(12, 0)))
        : m_now(std::move(start))
    {
    }
    [[nodiscard]] QDateTime now() const override { return m_now; }
    [[nodiscard]] qint64 monotonicMs() const override { return m_ms; }
    void advanceMs(qint64 ms)
    {
        m_ms += ms;
        m_now = m_now.addMSecs(ms);
    }

private:
    QDateTime m_now;
    qint64 m_ms = 0;
};
