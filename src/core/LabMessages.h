#pragma once

#include "CurrentReading.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringView>

#include <optional>

// The lab's messages on an MQTT broker: one topic per meter and kind,
// <prefix>/<meter>/reading and <prefix>/<meter>/status, JSON payloads.

/// The topic prefix when none is chosen.
inline const QString DefaultLabPrefix = QStringLiteral("celldesk");
/// The longest payload the overview reads; a reading message is about 500 bytes.
inline constexpr qsizetype MaxLabPayload = 16 * 1024;

/// What a lab topic carries.
enum class LabTopicKind
{
    Reading,
    Status
};

/// The topic of `meter`'s readings or status under `prefix`.
[[nodiscard]] QByteArray labTopic(QStringView prefix, QStringView meter, LabTopicKind kind);
/// The subscription that takes every meter's messages of one kind ("celldesk/+/reading").
[[nodiscard]] QByteArray labSubscription(QStringView prefix, LabTopicKind kind);

/// A meter and the kind of message a topic names.
struct LabTopic
{
    QString meter;
    LabTopicKind kind = LabTopicKind::Reading;
};
/// The meter and kind of a topic under `prefix`; nothing for any other topic.
[[nodiscard]] std::optional<LabTopic> parseLabTopic(QStringView prefix, QByteArrayView topic);

/// Whether `name` can stand as one level of a topic: not empty, at most 200 characters, and
/// without "/", "+", "#" or control characters (which would split the topic or make it a
/// wildcard).
[[nodiscard]] bool isValidMeterName(QStringView name);
/// The name a meter gets when none is chosen: the host's name and the port's base name
/// ("bench3-ttyUSB0"), with every character a topic level cannot hold replaced by "_".
[[nodiscard]] QString defaultMeterName(const QString& hostName, const QString& devicePath);

/// One reading as a message: the keys of a watch line, plus "seq" (its number since the
/// publisher started, from 1) and "date_time" (ISO 8601 with the offset from UTC).
[[nodiscard]] QByteArray labReadingMessage(const CurrentReading& reading, const QDateTime& time,
                                           quint64 seq);

/// The status a publisher keeps on the broker (retained): online with the meter's link up or
/// lost, and the readings dropped from its full queue so far when there were any.
[[nodiscard]] QByteArray labOnlineStatus(bool linkUp, quint64 dropped = 0);
/// The status of a publisher that has gone: its clean goodbye and its last will.
[[nodiscard]] QByteArray labOfflineStatus();

/// A reading message as the overview takes it.
struct LabReading
{
    quint64 seq = 0;
    QDateTime time; ///< "date_time", invalid when missing
    /// The display as the message tells it: value texts ("12.53", "OL", "-OL", "" for a
    /// channel not shown), units, range, temperature unit and the meter's recording flag.
    CurrentReading reading;
};
/// Reads a reading message; nothing when it is not a JSON object or larger than
/// MaxLabPayload. Missing or mistyped keys leave their channel empty.
[[nodiscard]] std::optional<LabReading> parseLabReading(QByteArrayView payload);

/// A status message as the overview takes it.
struct LabStatus
{
    bool online = false;
    bool linkUp = true;
    quint64 dropped = 0;
};
/// Reads a status message; nothing unless it is a JSON object whose "state" is "online" or
/// "offline".
[[nodiscard]] std::optional<LabStatus> parseLabStatus(QByteArrayView payload);

/// A channel of a reading as the overview's table shows it: the value text and its unit
/// ("12.53 V", "OL", "-OL mA"); empty when the channel is not shown.
[[nodiscard]] QString labValueText(const CurrentReading& reading, CurrentReading::Group group);
