#pragma once

#include "BrokerSettings.h"
#include "LabMessages.h"
#include "MqttClient.h"
#include "OutgoingQueue.h"

#include <QObject>
#include <QString>

struct CurrentReading;

/// One meter on the lab's broker: its readings as messages on <prefix>/<meter>/reading
/// (QoS 1, numbered from 1) and its status, retained, on <prefix>/<meter>/status: online
/// with the meter's link up or lost, published again at every connection, and offline as the
/// last will and at a clean finish. Readings wait in a bounded queue while the broker is
/// away and go out in order when it is back; publishing never waits for the broker.
class LabPublisher : public QObject
{
    Q_OBJECT
public:
    /// Readings handed to the broker before the first is acknowledged: enough to keep a link
    /// busy, few enough that a broken connection sends few twice.
    static constexpr int Window = 20;

    struct Options
    {
        BrokerSettings broker;
        QString meter;
        QString prefix = DefaultLabPrefix;
        qsizetype queueLimit = OutgoingQueue::DefaultLimit;
    };

    explicit LabPublisher(Options options, QObject* parent = nullptr);

    /// Connects, and keeps connecting until finish().
    void start();
    /// Queues one reading taken at `time`; it goes out at once while the broker is there.
    void publishReading(const CurrentReading& reading, const QDateTime& time);
    /// The meter's link went (false) or came back (true).
    void setLinkUp(bool up);
    /// The clean stop: waits at most `waitMs` for the queued readings to be acknowledged,
    /// publishes the offline status and says goodbye. Returns the readings not delivered.
    qsizetype finish(int waitMs);

    /// The last reading's sequence number (0 before the first).
    [[nodiscard]] quint64 lastSeq() const { return m_seq; }
    [[nodiscard]] const OutgoingQueue& queue() const { return m_queue; }
    [[nodiscard]] const MqttClient& client() const { return m_client; }
    [[nodiscard]] QByteArray readingTopic() const;
    [[nodiscard]] QByteArray statusTopic() const;

signals:
    /// A line for the user (a log): the broker went or came back, readings were dropped.
    void told(const QString& line);

private:
    void connected();
    void connectionLost(const QString& reason);
    void acknowledged(int messageId);
    void publishStatus();
    void drain();

    Options m_options;
    MqttClient m_client;
    OutgoingQueue m_queue;
    quint64 m_seq = 0;
    bool m_linkUp = true;
    bool m_everConnected = false;
    bool m_away = false;       // a failure was told and the broker has not come back
    quint64 m_droppedTold = 0; // drops told so far
    bool m_toldFull = false;   // the queue filling up was told since the last connection
    bool m_finishing = false;
    int m_goodbyeId = 0;
    bool m_goodbyeAcknowledged = false;
};
