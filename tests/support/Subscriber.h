#pragma once

// What a broker delivers, as Mosquitto's own client mosquitto_sub receives it: the test's
// independent witness of what this program published.

#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

class Subscriber
{
public:
    struct Message
    {
        bool retained = false;
        QByteArray topic;
        QByteArray payload;
        [[nodiscard]] QJsonObject json() const { return QJsonDocument::fromJson(payload).object(); }
    };

    /// Subscribes to `filter` on the broker at 127.0.0.1:`port`; with a `sessionId` the
    /// session (QoS 1) outlives the connection and a broker restart, as a lab's recorder's
    /// does, and mosquitto_sub connects again by itself. Returns once the subscription is in
    /// place.
    bool start(int port, const QByteArray& filter, const QString& sessionId = {})
    {
        m_port = port;
        QStringList arguments{"-h", "127.0.0.1",
                              "-p", QString::number(port),
                              "-t", QString::fromUtf8(filter),
                              "-t", QString::fromUtf8(kProbe),
                              "-F", "%r %t %p"};
        if (!sessionId.isEmpty())
            arguments << "-c"
                      << "-i" << sessionId << "-q"
                      << "1";
        m_process.start(QStringLiteral("mosquitto_sub"), arguments);
        if (!m_process.waitForStarted())
            return false;
        // Subscribed once a probe comes back.
        for (int i = 0; i < 50; ++i) {
            QProcess::execute(QStringLiteral("mosquitto_pub"),
                              {"-h", "127.0.0.1", "-p", QString::number(port), "-t",
                               QString::fromUtf8(kProbe), "-m", "probe"});
            QTest::qWait(100);
            if (!messages(kProbe).isEmpty())
                return true;
        }
        return false;
    }

    ~Subscriber()
    {
        m_process.kill();
        m_process.waitForFinished();
    }

    /// Every message so far on topics ending with `suffix` (all without), in arrival order.
    QList<Message> messages(const QByteArray& suffix = {})
    {
        m_buffer += m_process.readAllStandardOutput();
        qsizetype end = 0;
        while ((end = m_buffer.indexOf('\n')) >= 0) {
            const QByteArray line = m_buffer.left(end);
            m_buffer.remove(0, end + 1);
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() >= 3)
                m_messages.append(
                    {parts[0] == "1", parts[1], line.mid(parts[0].size() + parts[1].size() + 2)});
        }
        QList<Message> found;
        for (const Message& m : std::as_const(m_messages)) {
            if (m.topic.endsWith(suffix))
                found.append(m);
        }
        return found;
    }

    /// Waits until at least `count` messages on topics ending with `suffix` arrived.
    bool waitFor(const QByteArray& suffix, qsizetype count, int ms = 20000)
    {
        for (int waited = 0; waited < ms; waited += 50) {
            if (messages(suffix).size() >= count)
                return true;
            QTest::qWait(50);
        }
        return messages(suffix).size() >= count;
    }

private:
    static inline const QByteArray kProbe = "test/probe";
    QProcess m_process;
    QByteArray m_buffer;
    QList<Message> m_messages;
    int m_port = 0;
};
