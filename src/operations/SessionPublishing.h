#pragma once

#include <QObject>

class Clock;
class LabPublisher;
class MeterSession;
struct CurrentReading;

/// A meter session on the lab's broker: the meter's link state goes into the publisher's
/// status as it changes, and with EveryReading each decoded display frame goes out as a
/// reading (watch, the main window). A recording publishes its rows itself (ByCaller).
class SessionPublishing : public QObject
{
    Q_OBJECT
public:
    enum class Readings
    {
        EveryReading,
        ByCaller
    };

    /// `reading` is the one the session decodes into; `clock` stamps the readings.
    SessionPublishing(LabPublisher& publisher, MeterSession& session, const CurrentReading& reading,
                      const Clock& clock, Readings readings, QObject* parent = nullptr);
};
