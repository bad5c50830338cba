#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

/// Where the lab's broker listens: `mqtt://host[:port]` (1883 by default) or
/// `mqtts://host[:port]` (TLS, 8883 by default).
struct BrokerAddress
{
    QString host;
    int port = 1883;
    bool tls = false;

    /// The address as a URL again, with its port ("mqtt://bench-pi:1883").
    [[nodiscard]] QString url() const;
};

/// Reads a broker URL. Nothing, with the reason in `error`, for another scheme, a missing
/// host, a port outside 1..65535, a path or query, or credentials in the URL (they would show
/// in the process list and in the shell's history).
[[nodiscard]] std::optional<BrokerAddress> parseBrokerUrl(const QString& url, QString& error);

/// Everything a connection to the broker needs.
struct BrokerSettings
{
    BrokerAddress address;
    QString username;                   ///< empty: none
    std::optional<QByteArray> password; ///< only with a user name
    QString caFile;   ///< trusted CA certificates (PEM); the system's own when empty
    QString certFile; ///< a client certificate (PEM), where the broker asks for one
    QString keyFile;  ///< its private key (PEM)
};

/// The password in the file at `path`: its first line without the line end. Only a regular
/// file of at most 4 KiB; nothing otherwise, and `failure` says why in one line naming the file.
[[nodiscard]] std::optional<QByteArray> readPasswordFile(const QString& path, QString& failure);
