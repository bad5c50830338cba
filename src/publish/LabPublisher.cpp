#include "LabPublisher.h"

#include <QEventLoop>
#include <QTimer>

LabPublisher::LabPublisher(Options options, QObject* parent)
    : QObject(parent), m_options(std::move(options)), m_client(m_options.broker),
      m_queue(m_options.queueLimit)
{
    m_client.setWill(statusTopic(), labOfflineStatus(), true);
    connect(&m_client, &MqttClient::connected, this, &LabPublisher::connected);
    connect(&m_client, &MqttClient::connectionLost, this,
            [this](const QString& reason) { connectionLost(reason); });
    connect(&m_client, &MqttClient::acknowledged, this, &LabPublisher::acknowledged);
}

QByteArray LabPublisher::readingTopic() const
{
    return labTopic(m_options.prefix, m_options.meter, LabTopicKind::Reading);
}

QByteArray LabPublisher::statusTopic() const
{
    return labTopic(m_options.prefix, m_options.meter, LabTopicKind::Status);
}

void LabPublisher::start()
{
    m_client.start();
}

void LabPublisher::connected()
{
    // A broker restarted without persistence has forgotten the retained status.
    publishStatus();
    if (!m_everConnected) {
        emit told(QStringLiteral("publishing to %1 as %2")
                      .arg(m_client.brokerUrl(), QString::fromUtf8(readingTopic())));
    } else if (m_away) {
        emit told(QStringLiteral("the broker at %1 is back; sending the %2 reading(s) that waited")
                      .arg(m_client.brokerUrl())
                      .arg(m_queue.size()));
    }
    if (m_queue.dropped() > m_droppedTold) {
        emit told(QStringLiteral("%1 reading(s) were dropped while the broker was away (the "
                                 "queue holds %2)")
                      .arg(m_queue.dropped() - m_droppedTold)
                      .arg(m_queue.limit()));
        m_droppedTold = m_queue.dropped();
    }
    m_everConnected = true;
    m_away = false;
    m_toldFull = false;
    drain();
}

void LabPublisher::connectionLost(const QString& reason)
{
    m_queue.connectionLost();
    if (m_away || m_finishing)
        return;
    m_away = true;
    emit told(QStringLiteral("the broker at %1 is not available (%2); readings wait in a queue "
                             "of up to %3 and go out when it is back")
                  .arg(m_client.brokerUrl(), reason)
                  .arg(m_queue.limit()));
}

void LabPublisher::acknowledged(int messageId)
{
    if (messageId == m_goodbyeId) {
        m_goodbyeAcknowledged = true;
        return;
    }
    m_queue.acknowledge(messageId);
    drain();
}

void LabPublisher::publishStatus()
{
    if (!m_finishing)
        m_client.publish(statusTopic(), labOnlineStatus(m_linkUp, m_queue.dropped()), true);
}

void LabPublisher::drain()
{
    while (m_queue.inFlight() < Window) {
        const QByteArray* next = m_queue.nextToSend();
        if (!next)
            return;
        const int id = m_client.publish(readingTopic(), *next, false);
        if (id == 0)
            return;
        m_queue.markSent(id);
    }
}

void LabPublisher::publishReading(const CurrentReading& reading, const QDateTime& time)
{
    if (m_finishing)
        return;
    if (m_queue.push(labReadingMessage(reading, time, ++m_seq))) {
        if (!m_toldFull) {
            emit told(QStringLiteral("the queue of %1 readings for the broker is full: the oldest "
                                     "go first")
                          .arg(m_queue.limit()));
            m_toldFull = true;
        }
        if (m_client.isConnected())
            publishStatus(); // the status carries the count dropped
    }
    drain();
}

void LabPublisher::setLinkUp(bool up)
{
    if (m_linkUp == up)
        return;
    m_linkUp = up;
    publishStatus();
}

qsizetype LabPublisher::finish(int waitMs)
{
    m_finishing = true;
    QEventLoop loop;
    // Each step waits for the one before: the queue acknowledged, then the offline status,
    // then the goodbye; a broker that is not there ends it at once.
    const auto advance = [&] {
        if (!m_client.isRunning()) {
            loop.quit();
        } else if (!m_client.isConnected()) {
            m_client.stop();
        } else if (m_queue.size() > 0) {
            return;
        } else if (m_goodbyeId == 0) {
            m_goodbyeId = m_client.publish(statusTopic(), labOfflineStatus(), true);
            if (m_goodbyeId == 0)
                m_client.stop();
        } else if (m_goodbyeAcknowledged) {
            m_client.stop();
        }
    };
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    const auto a = connect(&m_client, &MqttClient::acknowledged, &loop, advance);
    const auto s = connect(&m_client, &MqttClient::stopped, &loop, advance);
    const auto l = connect(&m_client, &MqttClient::connectionLost, &loop, advance);
    advance();
    if (m_client.isRunning()) {
        deadline.start(waitMs);
        loop.exec();
    }
    disconnect(a);
    disconnect(s);
    disconnect(l);
    return m_queue.size();
}
