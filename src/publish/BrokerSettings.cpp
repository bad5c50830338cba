#include "BrokerSettings.h"

#include "InputFile.h"

#include <QUrl>

namespace {

// A password file holds one line; anything longer is no password file.
constexpr qint64 kLongestPasswordFile = 4096;

} // namespace

QString BrokerAddress::url() const
{
    const QString shownHost = host.contains(u':') ? u'[' + host + u']' : host;
    return QStringLiteral("%1://%2:%3").arg(tls ? "mqtts" : "mqtt", shownHost).arg(port);
}

std::optional<BrokerAddress> parseBrokerUrl(const QString& url, QString& error)
{
    const QUrl parsed(url.trimmed(), QUrl::StrictMode);
    const QString scheme = parsed.scheme().toLower();
    if (!parsed.isValid() || (scheme != u"mqtt" && scheme != u"mqtts")) {
        error = QStringLiteral("'%1' is no broker URL: mqtt://host[:port] or mqtts://host[:port]")
                    .arg(url);
        return std::nullopt;
    }
    if (!parsed.userInfo().isEmpty()) {
        error = QStringLiteral("no user name or password in the URL: use --username with "
                               "--password-file or CELLDESK_MQTT_PASSWORD");
        return std::nullopt;
    }
    if (parsed.host().isEmpty()) {
        error = QStringLiteral("'%1' names no host").arg(url);
        return std::nullopt;
    }
    if ((!parsed.path().isEmpty() && parsed.path() != u"/") || parsed.hasQuery() ||
        parsed.hasFragment()) {
        error = QStringLiteral("'%1': a broker URL has no path: mqtt://host[:port]").arg(url);
        return std::nullopt;
    }
    BrokerAddress address;
    address.tls = scheme == u"mqtts";
    address.host = parsed.host();
    address.port = parsed.port(address.tls ? 8883 : 1883);
    if (address.port <= 0) {
        error = QStringLiteral("'%1': the port is 1 to 65535").arg(url);
        return std::nullopt;
    }
    return address;
}

std::optional<QByteArray> readPasswordFile(const QString& path, QString& failure)
{
    const std::optional<QByteArray> text = readRegularFile(path, kLongestPasswordFile, failure);
    if (!text)
        return std::nullopt;
    QByteArray password = text->left(text->indexOf('\n'));
    if (password.endsWith('\r'))
        password.chop(1);
    return password;
}
