#pragma once

#include <QObject>
#include <QString>

class Clock;
class MeterConnection;

/// The link's story on stderr for a command that runs unattended (record as a service): one
/// line at each change, each with its time, so journalctl or a log file shows what happened
/// and for how long. It tells an unplugged adapter, a silent meter and bytes that are no
/// display frames apart, and when the meter sends again, how long no reading came.
class LinkLog : public QObject
{
    Q_OBJECT
public:
    /// Follows the link of `meter`, whose session must be open; times from `clock`.
    LinkLog(MeterConnection& meter, const Clock& clock, QObject* parent = nullptr);

    /// Tells `text` as one line with the time of day in front.
    void tell(const QString& text) const;

private:
    const Clock& m_clock;
    qint64 m_lastFrameMs = 0; // monotonic, of the last display frame (or the start)
    bool m_goneTold = false;
};
