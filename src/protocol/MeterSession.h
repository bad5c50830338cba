#pragma once

#include "CommandChannel.h"
#include "MeterLink.h"
#include "PanelModel.h"
#include "PollCycle.h"
#include "PollTimers.h"
#include "SerialLink.h"

#include <QObject>

class Clock;
struct CurrentReading;

/// Everything that talks to the meter over one open port, wired together: the port
/// wrapper, the link state, the poll and keep-alive timers, the command channel and the
/// live poll that fills the panel model, and decodes the display frames that the command
/// channel skips. The main window owns one for the whole run.
class MeterSession : public QObject
{
    Q_OBJECT
public:
    /// `clock` stamps each decoded frame with when it was received.
    MeterSession(QIODevice* port, const PortChoice& choice, CurrentReading& reading,
                 MeterStatus& status, QString& linkTag, const bool& displayFrozen,
                 const Clock& clock, QObject* parent = nullptr);

    /// Starts the live poll and the keep-alive (the end of the main window's load step).
    void start() { m_timers.start(); }
    /// The program ends: waits on the meter give up and the timers stop for good.
    void shutDown();
    /// Milliseconds between poll ticks (10 in the window, which keeps the display live); the
    /// program sleeps through what the meter sends in between.
    void setPollInterval(int ms);

    [[nodiscard]] SerialLink& serial() { return m_serial; }
    [[nodiscard]] MeterLink& link() { return m_link; }
    [[nodiscard]] PollTimers& timers() { return m_timers; }
    [[nodiscard]] CommandChannel& channel() { return m_channel; }
    [[nodiscard]] PollCycle& poll() { return m_poll; }
    [[nodiscard]] PanelModel& panel() { return m_panel; }

private:
    void refreshStatusAfterReopen();

    SerialLink m_serial;
    MeterLink m_link;
    PollTimers m_timers;
    CommandChannel m_channel;
    PanelModel m_panel;
    PollCycle m_poll;
    bool m_statusDue = false; // the port was opened again; the meter's status is not yet asked
};
