#include "CliPublish.h"

#include "CliCommon.h"
#include "InputFile.h"

#include <QSysInfo>

namespace {

// How long a clean stop waits for the broker to take what is queued and the goodbye.
constexpr int kFinishMs = 3000;

} // namespace

CliPublish::CliPublish(SubcommandLine& line)
    : m_publish(QStringLiteral("publish"),
                QStringLiteral("Also publish each reading to the MQTT broker at URL "
                               "(mqtt://host[:port] or mqtts://host[:port]), QoS 1, on "
                               "<prefix>/<name>/reading, and the status on "
                               "<prefix>/<name>/status."),
                QStringLiteral("URL")),
      m_name(QStringLiteral("name"),
             QStringLiteral("The meter's name in the topics (default: the host's name and the "
                            "port's, e.g. bench3-ttyUSB0)."),
             QStringLiteral("NAME")),
      m_prefix(QStringLiteral("topic-prefix"),
               QStringLiteral("The topics' first part (default celldesk)."),
               QStringLiteral("PREFIX"), DefaultLabPrefix),
      m_username(QStringLiteral("username"), QStringLiteral("The user name at the broker."),
                 QStringLiteral("USER")),
      m_passwordFile(QStringLiteral("password-file"),
                     QStringLiteral("Read the broker password from FILE's first line (else "
                                    "from CELLDESK_MQTT_PASSWORD)."),
                     QStringLiteral("FILE")),
      m_caFile(QStringLiteral("cafile"),
               QStringLiteral("Trust the broker's certificate signed by the CA in FILE (PEM); "
                              "default: the system's CAs. mqtts:// only."),
               QStringLiteral("FILE")),
      m_certFile(QStringLiteral("certfile"),
                 QStringLiteral("The client certificate (PEM), where the broker asks for one."),
                 QStringLiteral("FILE")),
      m_keyFile(QStringLiteral("keyfile"),
                QStringLiteral("The client certificate's private key (PEM, no pass phrase)."),
                QStringLiteral("FILE")),
      m_queue(QStringLiteral("queue"),
              QStringLiteral("Readings kept while the broker is away (default 100000); when "
                             "full, the oldest go first."),
              QStringLiteral("COUNT"), QString::number(OutgoingQueue::DefaultLimit))
{
    for (const QCommandLineOption* option :
         {&m_publish, &m_name, &m_prefix, &m_username, &m_passwordFile, &m_caFile, &m_certFile,
          &m_keyFile, &m_queue})
        line.addOption(*option);
}

std::optional<int> CliPublish::read(const SubcommandLine& line)
{
    if (!line.isSet(m_publish)) {
        for (const QCommandLineOption* option : {&m_name, &m_prefix, &m_username, &m_passwordFile,
                                                 &m_caFile, &m_certFile, &m_keyFile, &m_queue}) {
            if (line.isSet(*option))
                return line.usageError(
                    QStringLiteral("--%1 goes with --publish").arg(option->names().constFirst()));
        }
        return std::nullopt;
    }
    QString error;
    const std::optional<BrokerAddress> address = parseBrokerUrl(line.value(m_publish), error);
    if (!address)
        return line.usageError(error);
    LabPublisher::Options options;
    options.broker.address = *address;

    m_nameGiven = line.isSet(m_name);
    options.meter = line.value(m_name);
    if (m_nameGiven && !isValidMeterName(options.meter))
        return line.usageError(
            QStringLiteral("--name wants a name without /, + or #, not '%1'").arg(options.meter));
    options.prefix = line.value(m_prefix);
    if (options.prefix.isEmpty() || options.prefix.contains(u'+') || options.prefix.contains(u'#'))
        return line.usageError(QStringLiteral("--topic-prefix wants a topic without + or #"));

    bool countOk = false;
    options.queueLimit = line.value(m_queue).toLongLong(&countOk);
    if (!countOk || options.queueLimit < 1 || options.queueLimit > 10000000)
        return line.usageError(QStringLiteral("--queue wants a count from 1 to 10000000"));

    BrokerSettings& broker = options.broker;
    broker.username = line.value(m_username);
    if (line.isSet(m_passwordFile)) {
        if (broker.username.isEmpty())
            return line.usageError(QStringLiteral("--password-file goes with --username"));
        QString failure;
        broker.password = readPasswordFile(line.value(m_passwordFile), failure);
        if (!broker.password)
            return fail(Exit::FileError, failure);
    } else if (!broker.username.isEmpty() && qEnvironmentVariableIsSet("CELLDESK_MQTT_PASSWORD")) {
        broker.password = qgetenv("CELLDESK_MQTT_PASSWORD");
    }

    broker.caFile = line.value(m_caFile);
    broker.certFile = line.value(m_certFile);
    broker.keyFile = line.value(m_keyFile);
    const bool anyTls = line.isSet(m_caFile) || line.isSet(m_certFile) || line.isSet(m_keyFile);
    if (anyTls && !broker.address.tls)
        return line.usageError(QStringLiteral("--cafile, --certfile and --keyfile want an "
                                              "mqtts:// URL"));
    if (broker.certFile.isEmpty() != broker.keyFile.isEmpty())
        return line.usageError(QStringLiteral("--certfile and --keyfile go together"));
    // The client library opens them later, where a pipe would block it: refused here.
    for (const QString& file : {broker.caFile, broker.certFile, broker.keyFile}) {
        if (const OpenedFile opened = file.isEmpty() ? OpenedFile() : openRegularFile(file);
            opened.refusal != OpenedFile::Refusal::None)
            return fail(Exit::FileError, opened.problem(file));
    }
    m_options = std::move(options);
    return std::nullopt;
}

void CliPublish::start(MeterSession& session, const QString& devicePath,
                       const CurrentReading& reading, const Clock& clock,
                       SessionPublishing::Readings readings)
{
    if (!m_options)
        return;
    LabPublisher::Options options = *m_options;
    if (!m_nameGiven)
        options.meter = defaultMeterName(QSysInfo::machineHostName(), devicePath);
    m_publisher = std::make_unique<LabPublisher>(std::move(options));
    QObject::connect(m_publisher.get(), &LabPublisher::told,
                     [](const QString& line) { tell(line); });
    m_session =
        std::make_unique<SessionPublishing>(*m_publisher, session, reading, clock, readings);
    m_publisher->start();
}

void CliPublish::finish()
{
    if (!m_publisher)
        return;
    m_session.reset();
    const qsizetype left = m_publisher->finish(kFinishMs);
    if (left > 0) {
        tell(QStringLiteral("%1 reading(s) never reached the broker at %2")
                 .arg(left)
                 .arg(m_publisher->client().brokerUrl()));
    }
}
