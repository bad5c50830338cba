#include "OutgoingQueue.h"

#include <algorithm>

bool OutgoingQueue::push(QByteArray payload)
{
    bool dropped = false;
    if (size() >= m_limit) {
        // In flight or not, the oldest goes; a late acknowledgement of it finds nothing.
        if (m_inFlight > 0)
            --m_inFlight;
        m_messages.pop_front();
        ++m_dropped;
        dropped = true;
    }
    m_messages.push_back({std::move(payload), 0});
    return dropped;
}

const QByteArray* OutgoingQueue::nextToSend() const
{
    if (m_inFlight >= size())
        return nullptr;
    return &m_messages[std::size_t(m_inFlight)].payload;
}

void OutgoingQueue::markSent(int messageId)
{
    if (m_inFlight < size())
        m_messages[std::size_t(m_inFlight++)].messageId = messageId;
}

void OutgoingQueue::acknowledge(int messageId)
{
    const auto end = m_messages.begin() + m_inFlight;
    const auto it = std::find_if(m_messages.begin(), end,
                                 [messageId](const Entry& e) { return e.messageId == messageId; });
    if (it == end)
        return;
    m_messages.erase(it);
    --m_inFlight;
}

void OutgoingQueue::connectionLost()
{
    for (qsizetype i = 0; i < m_inFlight; ++i)
        m_messages[std::size_t(i)].messageId = 0;
    m_inFlight = 0;
}
