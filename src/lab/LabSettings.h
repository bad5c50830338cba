#pragma once

#include "BrokerSettings.h"

#include <QString>

#include <optional>

/// The lab's broker as the windows remember it between runs (the user's settings,
/// organisation and application "CellDesk", group "lab"): the overview's broker and, when
/// "Publish to lab" is on, where the main window's meter publishes. The password itself is
/// never stored: it comes from the password file or CELLDESK_MQTT_PASSWORD.
struct LabSettings
{
    QString url;    ///< mqtt://host[:port] or mqtts://host[:port]; empty before the first
    QString prefix; ///< the topics' first part
    QString username;
    QString passwordFile;
    QString caFile;
    QString certFile;
    QString keyFile;
    bool publish = false; ///< the main window's meter publishes
    QString meterName;    ///< its name in the topics; empty for the host's and the port's

    /// The remembered settings (defaults where none are).
    [[nodiscard]] static LabSettings load();
    void save() const;

    /// The connection these settings describe: the URL read, the password from the file or
    /// the environment. Nothing, with the reason, when the URL or a file is wrong.
    [[nodiscard]] std::optional<BrokerSettings> broker(QString& error) const;
};
