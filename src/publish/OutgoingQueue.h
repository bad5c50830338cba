#pragma once

#include <QByteArray>

#include <deque>

/// The readings on their way to the broker, oldest first: each waits until the broker has
/// acknowledged it, through lost connections, so nothing is lost while the broker or the
/// network is away. It is bounded: when full, the oldest reading goes to make room, and the
/// count of readings dropped so grows.
class OutgoingQueue
{
public:
    /// The limit when none is chosen: about a day of one reading a second.
    static constexpr qsizetype DefaultLimit = 100000;

    explicit OutgoingQueue(qsizetype limit = DefaultLimit) : m_limit(limit < 1 ? 1 : limit) {}

    /// Adds a message at the end. Returns true when the oldest message had to go for it.
    bool push(QByteArray payload);
    /// The oldest message not handed to the broker yet, or null.
    [[nodiscard]] const QByteArray* nextToSend() const;
    /// The message nextToSend() gave went to the broker under `messageId`.
    void markSent(int messageId);
    /// The broker acknowledged `messageId`: its message leaves the queue. An id of a message
    /// that is no longer here changes nothing.
    void acknowledge(int messageId);
    /// The connection went: every message handed over and not acknowledged is sent again
    /// (first) on the next connection.
    void connectionLost();

    /// Messages waiting, those in flight included.
    [[nodiscard]] qsizetype size() const { return qsizetype(m_messages.size()); }
    /// Messages handed to the broker and not acknowledged yet.
    [[nodiscard]] qsizetype inFlight() const { return m_inFlight; }
    /// Messages dropped from the full queue since it was made.
    [[nodiscard]] quint64 dropped() const { return m_dropped; }
    [[nodiscard]] qsizetype limit() const { return m_limit; }

private:
    struct Entry
    {
        QByteArray payload;
        int messageId = 0; // 0 while not handed over
    };

    std::deque<Entry> m_messages; // the first m_inFlight entries are in flight
    qsizetype m_limit;
    qsizetype m_inFlight = 0;
    quint64 m_dropped = 0;
};
