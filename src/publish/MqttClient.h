#pragma once

#include "BrokerSettings.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class QSocketNotifier;
struct mosquitto;
struct mosquitto_message;

/// One connection to an MQTT broker (MQTT 3.1.1 over libmosquitto), driven from Qt's event
/// loop: the library's socket sits in socket notifiers and its housekeeping (keep-alive
/// pings) runs on a timer, so no thread runs per connection. It connects, and after a failed
/// try or a lost connection tries again with a growing pause (1 s, 2 s, 4 s ... 60 s), until
/// stopped. Each connection starts a fresh session: what was not acknowledged is the caller's
/// to send again. A host name is looked up beside the event loop, so a slow name server
/// holds up nothing.
class MqttClient : public QObject
{
    Q_OBJECT
public:
    /// The first and the longest pause before the next try.
    static constexpr int FirstRetryMs = 1000;
    static constexpr int LastRetryMs = 60000;
    /// A try that has not connected in this time has failed.
    static constexpr int ConnectTimeoutMs = 10000;
    /// Seconds between keep-alive pings; the broker gives up on a silent client after 1.5 ×.
    static constexpr int KeepAliveSeconds = 30;

    explicit MqttClient(BrokerSettings settings, QObject* parent = nullptr);
    /// Closes the connection without a goodbye (the broker then sends the last will).
    ~MqttClient() override;

    /// The client's id and whether each connection starts a clean session (the default, with
    /// an id the library makes up). A subscriber that keeps its session needs a fixed id.
    void setSession(const QString& clientId, bool cleanSession);
    /// The message the broker sends on this client's behalf when it goes without a goodbye.
    void setWill(const QByteArray& topic, const QByteArray& payload, bool retain);
    /// The pause before the first try again and the longest pause (doubling in between), and
    /// how long a try waits for the broker's answer; the constants above by default.
    void setPacing(int firstRetryMs, int lastRetryMs, int connectTimeoutMs);
    /// Subscribes to `filter` at QoS 1, now when connected and on every later connection.
    void subscribe(const QByteArray& filter);

    /// Starts connecting (and reconnecting) until stop().
    void start();
    /// Says goodbye to the broker (no last will then) and tries no more; stopped() follows
    /// once the connection is closed, at once when there is none.
    void stop();
    [[nodiscard]] bool isConnected() const { return m_state == State::Connected; }
    /// True from start() until the connection is closed after stop().
    [[nodiscard]] bool isRunning() const { return m_state != State::Idle; }

    /// Publishes at QoS 1. Returns the message id that acknowledged() will carry, or 0 when
    /// there is no connection (nothing was sent).
    int publish(const QByteArray& topic, const QByteArray& payload, bool retain);

    /// The broker's address as a URL.
    [[nodiscard]] QString brokerUrl() const { return m_settings.address.url(); }
    /// The pause before the next try, after a failure.
    [[nodiscard]] int retryMs() const { return m_retryMs; }

signals:
    /// The broker accepted the connection.
    void connected();
    /// A try failed or the connection broke, for `reason`; the next try is in `retryMs`.
    void connectionLost(const QString& reason, int retryMs);
    /// The broker acknowledged the message with this id.
    void acknowledged(int messageId);
    /// A message arrived on a subscription.
    void received(const QByteArray& topic, const QByteArray& payload, bool retained);
    /// The connection closed after stop().
    void stopped();

private:
    enum class State
    {
        Idle,
        Waiting,    // for the next try
        Resolving,  // the name lookup and the connect() run beside the loop
        Connecting, // waiting for the broker's answer
        Connected,
        Closing // the goodbye is on its way
    };
    struct Attempt;
    struct Events;

    void attempt();
    void attemptStarted(int result, int error);
    [[nodiscard]] mosquitto* newHandle();
    void watchSocket();
    void service(int result);
    void serviceRead();
    void serviceWrite();
    void serviceMisc();
    void fail(const QString& reason);
    void closeHandle();

    static void onConnect(mosquitto*, void* self, int code);
    static void onDisconnect(mosquitto*, void* self, int code);
    static void onPublish(mosquitto*, void* self, int messageId);
    static void onMessage(mosquitto*, void* self, const mosquitto_message* message);

    BrokerSettings m_settings;
    QByteArray m_clientId;
    bool m_cleanSession = true;
    QByteArray m_willTopic;
    QByteArray m_willPayload;
    bool m_willRetain = false;
    QList<QByteArray> m_subscriptions;

    State m_state = State::Idle;
    mosquitto* m_handle = nullptr;
    std::shared_ptr<Attempt> m_attempt; // a lookup running beside the loop
    std::unique_ptr<Events> m_events;   // what the library's callbacks reported
    QSocketNotifier* m_reader = nullptr;
    QSocketNotifier* m_writer = nullptr;
    QTimer m_misc;
    QTimer m_retry;
    QTimer m_connectTimeout;
    int m_firstRetryMs = FirstRetryMs;
    int m_lastRetryMs = LastRetryMs;
    int m_connectTimeoutMs = ConnectTimeoutMs;
    int m_retryMs = FirstRetryMs;
};
