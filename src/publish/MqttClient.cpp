#include "MqttClient.h"

#include <QPointer>
#include <QSocketNotifier>

#include <mosquitto.h>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <thread>
#include <utility>

namespace {

void initialiseLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

bool isNumericAddress(const QByteArray& host)
{
    unsigned char address[sizeof(in6_addr)];
    return inet_pton(AF_INET, host.constData(), address) == 1 ||
           inet_pton(AF_INET6, host.constData(), address) == 1;
}

QString resultText(int result, int error)
{
    if (result == MOSQ_ERR_ERRNO)
        return QString::fromLocal8Bit(std::strerror(error));
    return QString::fromUtf8(mosquitto_strerror(result)).remove(QLatin1Char('.'));
}

// A private key with a pass phrase would make the library ask for it on the terminal; a
// service has none, so such a key fails instead.
int noKeyPassword(char*, int, int, void*)
{
    return 0;
}

} // namespace

// What the library's callbacks reported during one call into it; looked at once the call has
// returned, because inside a callback the handle must not be destroyed.
struct MqttClient::Events
{
    bool answered = false; // the broker answered the connect
    int answer = 0;
    bool disconnected = false;
    int disconnectCode = 0;
    QList<int> acknowledged;
    struct Message
    {
        QByteArray topic;
        QByteArray payload;
        bool retained = false;
    };
    QList<Message> messages;
};

// A name lookup and connect() running beside the event loop. Whoever finishes last destroys
// the handle: the thread when the client has given the attempt up, the client otherwise.
struct MqttClient::Attempt
{
    std::mutex mutex;
    MqttClient* owner = nullptr; // null once the client gave the attempt up
    mosquitto* handle = nullptr;
    bool done = false;
};

MqttClient::MqttClient(BrokerSettings settings, QObject* parent)
    : QObject(parent), m_settings(std::move(settings)), m_events(std::make_unique<Events>())
{
    initialiseLibrary();
    m_misc.setInterval(1000);
    connect(&m_misc, &QTimer::timeout, this, &MqttClient::serviceMisc);
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &MqttClient::attempt);
    m_connectTimeout.setSingleShot(true);
    connect(&m_connectTimeout, &QTimer::timeout, this, [this] {
        if (m_state == State::Closing) {
            closeHandle();
            m_state = State::Idle;
            emit stopped();
        } else if (m_state == State::Resolving || m_state == State::Connecting) {
            fail(QStringLiteral("no answer within %1 s").arg(m_connectTimeoutMs / 1000.0));
        }
    });
}

MqttClient::~MqttClient()
{
    closeHandle();
}

void MqttClient::setSession(const QString& clientId, bool cleanSession)
{
    m_clientId = clientId.toUtf8();
    m_cleanSession = cleanSession;
}

void MqttClient::setWill(const QByteArray& topic, const QByteArray& payload, bool retain)
{
    m_willTopic = topic;
    m_willPayload = payload;
    m_willRetain = retain;
}

void MqttClient::setPacing(int firstRetryMs, int lastRetryMs, int connectTimeoutMs)
{
    m_firstRetryMs = firstRetryMs;
    m_lastRetryMs = lastRetryMs;
    m_connectTimeoutMs = connectTimeoutMs;
}

void MqttClient::subscribe(const QByteArray& filter)
{
    m_subscriptions.append(filter);
    if (m_state == State::Connected && m_handle) {
        mosquitto_subscribe(m_handle, nullptr, filter.constData(), 1);
        m_writer->setEnabled(mosquitto_want_write(m_handle));
    }
}

void MqttClient::start()
{
    if (m_state != State::Idle)
        return;
    m_retryMs = m_firstRetryMs;
    attempt();
}

mosquitto* MqttClient::newHandle()
{
    mosquitto* h = mosquitto_new(m_clientId.isEmpty() ? nullptr : m_clientId.constData(),
                                 m_cleanSession, this);
    if (!h)
        return nullptr;
    mosquitto_int_option(h, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    // Readings are small and each should leave at once, not wait for the next.
    mosquitto_int_option(h, MOSQ_OPT_TCP_NODELAY, 1);
    mosquitto_connect_callback_set(h, &MqttClient::onConnect);
    mosquitto_disconnect_callback_set(h, &MqttClient::onDisconnect);
    mosquitto_publish_callback_set(h, &MqttClient::onPublish);
    mosquitto_message_callback_set(h, &MqttClient::onMessage);
    const BrokerSettings& s = m_settings;
    if (!s.username.isEmpty()) {
        const QByteArray user = s.username.toUtf8();
        mosquitto_username_pw_set(h, user.constData(),
                                  s.password ? s.password->constData() : nullptr);
    }
    if (!m_willTopic.isEmpty()) {
        mosquitto_will_set(h, m_willTopic.constData(), int(m_willPayload.size()),
                           m_willPayload.constData(), 1, m_willRetain);
    }
    return h;
}

void MqttClient::attempt()
{
    if (m_state != State::Idle && m_state != State::Waiting)
        return;
    m_handle = newHandle();
    if (!m_handle) {
        fail(QStringLiteral("out of memory"));
        return;
    }
    const BrokerSettings& s = m_settings;
    if (s.address.tls) {
        const QByteArray ca = s.caFile.toLocal8Bit();
        const QByteArray cert = s.certFile.toLocal8Bit();
        const QByteArray key = s.keyFile.toLocal8Bit();
        // Without a CA file the system's certificates vouch for the broker.
        const int result = mosquitto_tls_set(
            m_handle, ca.isEmpty() ? nullptr : ca.constData(),
            ca.isEmpty() ? "/etc/ssl/certs" : nullptr, cert.isEmpty() ? nullptr : cert.constData(),
            key.isEmpty() ? nullptr : key.constData(), &noKeyPassword);
        if (result != MOSQ_ERR_SUCCESS) {
            fail(QStringLiteral("the TLS files cannot be used (%1)").arg(resultText(result, 0)));
            return;
        }
    }
    m_state = State::Resolving;
    m_connectTimeout.start(m_connectTimeoutMs);
    const QByteArray host = s.address.host.toUtf8();
    const int port = s.address.port;
    if (isNumericAddress(host)) {
        const int result =
            mosquitto_connect_async(m_handle, host.constData(), port, KeepAliveSeconds);
        attemptStarted(result, errno);
        return;
    }
    // The library looks the name up with a blocking call; a name server that does not answer
    // would stop the recording for seconds. The lookup and the connect() run beside the loop.
    auto job = std::make_shared<Attempt>();
    job->owner = this;
    job->handle = m_handle;
    m_attempt = job;
    std::thread([job, host, port] {
        const int result =
            mosquitto_connect_async(job->handle, host.constData(), port, KeepAliveSeconds);
        const int error = errno;
        const std::lock_guard<std::mutex> lock(job->mutex);
        job->done = true;
        if (!job->owner) {
            mosquitto_destroy(job->handle);
            return;
        }
        MqttClient* owner = job->owner;
        QMetaObject::invokeMethod(
            owner,
            [owner, job, result, error] {
                if (owner->m_attempt == job)
                    owner->attemptStarted(result, error);
            },
            Qt::QueuedConnection);
    }).detach();
}

void MqttClient::attemptStarted(int result, int error)
{
    m_attempt.reset();
    if (result != MOSQ_ERR_SUCCESS) {
        fail(resultText(result, error));
        return;
    }
    m_state = State::Connecting;
    watchSocket();
}

void MqttClient::watchSocket()
{
    const int fd = mosquitto_socket(m_handle);
    if (fd < 0) {
        fail(QStringLiteral("no socket"));
        return;
    }
    m_reader = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_reader, &QSocketNotifier::activated, this, &MqttClient::serviceRead);
    m_writer = new QSocketNotifier(fd, QSocketNotifier::Write, this);
    connect(m_writer, &QSocketNotifier::activated, this, &MqttClient::serviceWrite);
    m_writer->setEnabled(mosquitto_want_write(m_handle));
    m_misc.start();
}

void MqttClient::serviceRead()
{
    if (m_handle)
        service(mosquitto_loop_read(m_handle, 1));
}

void MqttClient::serviceWrite()
{
    if (m_handle)
        service(mosquitto_loop_write(m_handle, 1));
}

void MqttClient::serviceMisc()
{
    if (m_handle && m_reader)
        service(mosquitto_loop_misc(m_handle));
}

void MqttClient::service(int result)
{
    const int error = errno;
    const Events events = std::exchange(*m_events, Events{});
    const bool refused = events.answered && events.answer != 0;
    const bool lost = refused || events.disconnected || result != MOSQ_ERR_SUCCESS;
    QString reason;
    if (refused)
        reason = QString::fromUtf8(mosquitto_connack_string(events.answer)).remove(u'.');
    else if (result != MOSQ_ERR_SUCCESS)
        reason = resultText(result, error);
    else if (events.disconnected && events.disconnectCode != MOSQ_ERR_SUCCESS)
        reason = resultText(events.disconnectCode, error);
    else
        reason = QStringLiteral("the broker closed the connection");
    // The library may have closed the socket already: the notifiers go at once, before
    // anything can run the event loop.
    if (lost)
        closeHandle();

    const QPointer<MqttClient> alive(this);
    if (events.answered && !refused && m_handle) {
        m_state = State::Connected;
        m_retryMs = m_firstRetryMs;
        m_connectTimeout.stop();
        for (const QByteArray& filter : std::as_const(m_subscriptions))
            mosquitto_subscribe(m_handle, nullptr, filter.constData(), 1);
        emit connected();
        if (!alive)
            return;
    }
    for (const int id : events.acknowledged) {
        emit acknowledged(id);
        if (!alive)
            return;
    }
    for (const Events::Message& m : events.messages) {
        emit received(m.topic, m.payload, m.retained);
        if (!alive)
            return;
    }
    if (lost) {
        if (m_state == State::Closing) {
            m_connectTimeout.stop();
            m_state = State::Idle;
            emit stopped();
        } else if (m_state != State::Idle) {
            fail(reason);
        }
        return;
    }
    if (m_handle && m_writer)
        m_writer->setEnabled(mosquitto_want_write(m_handle));
}

void MqttClient::fail(const QString& reason)
{
    m_connectTimeout.stop(); // a try that failed waits for no answer any more
    closeHandle();
    m_state = State::Waiting;
    const int delay = m_retryMs;
    m_retryMs = std::min(m_lastRetryMs, m_retryMs * 2);
    m_retry.start(delay);
    emit connectionLost(reason, delay);
}

void MqttClient::closeHandle()
{
    delete m_reader;
    m_reader = nullptr;
    delete m_writer;
    m_writer = nullptr;
    m_misc.stop();
    if (m_attempt) {
        const std::lock_guard<std::mutex> lock(m_attempt->mutex);
        if (!m_attempt->done) {
            m_attempt->owner = nullptr; // the thread destroys the handle when it is done
            m_handle = nullptr;
        }
    }
    m_attempt.reset();
    if (m_handle)
        mosquitto_destroy(m_handle);
    m_handle = nullptr;
}

void MqttClient::stop()
{
    switch (m_state) {
    case State::Idle:
    case State::Closing:
        return;
    case State::Connected:
        m_state = State::Closing;
        m_connectTimeout.start(2000);
        service(mosquitto_disconnect(m_handle));
        return;
    case State::Waiting:
    case State::Resolving:
    case State::Connecting:
        m_retry.stop();
        m_connectTimeout.stop();
        closeHandle();
        m_state = State::Idle;
        emit stopped();
        return;
    }
}

int MqttClient::publish(const QByteArray& topic, const QByteArray& payload, bool retain)
{
    if (m_state != State::Connected || !m_handle)
        return 0;
    int id = 0;
    const int result = mosquitto_publish(m_handle, &id, topic.constData(), int(payload.size()),
                                         payload.constData(), 1, retain);
    // A broken connection shows at the next read, which the read notifier brings at once.
    m_writer->setEnabled(mosquitto_want_write(m_handle));
    return result == MOSQ_ERR_SUCCESS ? id : 0;
}

void MqttClient::onConnect(mosquitto*, void* self, int code)
{
    Events& e = *static_cast<MqttClient*>(self)->m_events;
    e.answered = true;
    e.answer = code;
}

void MqttClient::onDisconnect(mosquitto*, void* self, int code)
{
    Events& e = *static_cast<MqttClient*>(self)->m_events;
    e.disconnected = true;
    e.disconnectCode = code;
}

void MqttClient::onPublish(mosquitto*, void* self, int messageId)
{
    static_cast<MqttClient*>(self)->m_events->acknowledged.append(messageId);
}

void MqttClient::onMessage(mosquitto*, void* self, const mosquitto_message* message)
{
    static_cast<MqttClient*>(self)->m_events->messages.append(
        {QByteArray(message->topic),
         QByteArray(static_cast<const char*>(message->payload), message->payloadlen),
         message->retain});
}
