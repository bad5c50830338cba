#pragma once

#include "LabPublisher.h"
#include "SessionPublishing.h"

#include <QCommandLineOption>

#include <memory>
#include <optional>

class Clock;
class MeterSession;
class SubcommandLine;

/// The lab options of record and watch: --publish URL and what goes with it (the meter's
/// name, the topic prefix, the user name and password, TLS files, the queue's size). The
/// password never comes from the command line: from --password-file or the environment
/// (CELLDESK_MQTT_PASSWORD).
class CliPublish
{
public:
    /// Adds the options to `line`.
    explicit CliPublish(SubcommandLine& line);

    /// Reads the options once `line` is parsed. Returns Exit::Usage (told) for a mistake, or
    /// Exit::FileError for a password file that cannot be read.
    [[nodiscard]] std::optional<int> read(const SubcommandLine& line);
    /// True when --publish was given.
    [[nodiscard]] bool wanted() const { return m_options.has_value(); }

    /// With --publish, starts publishing the session's meter on `devicePath` (its default
    /// name comes from it): its link state, and with EveryReading each reading decoded into
    /// `reading`. The publisher's lines go to stderr.
    void start(MeterSession& session, const QString& devicePath, const CurrentReading& reading,
               const Clock& clock, SessionPublishing::Readings readings);
    /// The publisher once started, else null.
    [[nodiscard]] LabPublisher* publisher() const { return m_publisher.get(); }
    /// The clean stop: the queue and the offline status go out while the broker answers, for
    /// a few seconds at most; what stays undelivered is told.
    void finish();

private:
    QCommandLineOption m_publish;
    QCommandLineOption m_name;
    QCommandLineOption m_prefix;
    QCommandLineOption m_username;
    QCommandLineOption m_passwordFile;
    QCommandLineOption m_caFile;
    QCommandLineOption m_certFile;
    QCommandLineOption m_keyFile;
    QCommandLineOption m_queue;
    std::optional<LabPublisher::Options> m_options;
    bool m_nameGiven = false;
    std::unique_ptr<LabPublisher> m_publisher;
    std::unique_ptr<SessionPublishing> m_session;
};
