#include "LabSettings.h"

#include "LabMessages.h"

#include <QSettings>

LabSettings LabSettings::load()
{
    QSettings s(QStringLiteral("CellDesk"), QStringLiteral("CellDesk"));
    s.beginGroup(QStringLiteral("lab"));
    LabSettings lab;
    lab.url = s.value(QStringLiteral("url")).toString();
    lab.prefix = s.value(QStringLiteral("prefix"), DefaultLabPrefix).toString();
    lab.username = s.value(QStringLiteral("username")).toString();
    lab.passwordFile = s.value(QStringLiteral("passwordFile")).toString();
    lab.caFile = s.value(QStringLiteral("caFile")).toString();
    lab.certFile = s.value(QStringLiteral("certFile")).toString();
    lab.keyFile = s.value(QStringLiteral("keyFile")).toString();
    lab.publish = s.value(QStringLiteral("publish"), false).toBool();
    lab.meterName = s.value(QStringLiteral("meterName")).toString();
    return lab;
}

void LabSettings::save() const
{
    QSettings s(QStringLiteral("CellDesk"), QStringLiteral("CellDesk"));
    s.beginGroup(QStringLiteral("lab"));
    s.setValue(QStringLiteral("url"), url);
    s.setValue(QStringLiteral("prefix"), prefix);
    s.setValue(QStringLiteral("username"), username);
    s.setValue(QStringLiteral("passwordFile"), passwordFile);
    s.setValue(QStringLiteral("caFile"), caFile);
    s.setValue(QStringLiteral("certFile"), certFile);
    s.setValue(QStringLiteral("keyFile"), keyFile);
    s.setValue(QStringLiteral("publish"), publish);
    s.setValue(QStringLiteral("meterName"), meterName);
    s.endGroup();
    s.sync();
}

std::optional<BrokerSettings> LabSettings::broker(QString& error) const
{
    const std::optional<BrokerAddress> address = parseBrokerUrl(url, error);
    if (!address)
        return std::nullopt;
    BrokerSettings broker;
    broker.address = *address;
    broker.username = username;
    if (!username.isEmpty() && !passwordFile.isEmpty()) {
        QString reason;
        broker.password = readPasswordFile(passwordFile, reason);
        if (!broker.password) {
            error = QStringLiteral("The password file cannot be read: %1.").arg(reason);
            return std::nullopt;
        }
    } else if (!username.isEmpty() && qEnvironmentVariableIsSet("CELLDESK_MQTT_PASSWORD")) {
        broker.password = qgetenv("CELLDESK_MQTT_PASSWORD");
    }
    if (address->tls) {
        broker.caFile = caFile;
        broker.certFile = certFile;
        broker.keyFile = keyFile;
    }
    return broker;
}
