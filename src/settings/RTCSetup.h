#pragma once

#include "WindowHandlers.h"

#include <QDialog>
#include <QTimer>

class ClickLabel;
class Clock;
class CommandChannel;
class Prompts;
class QPushButton;
struct AppState;

/// The clock window: the meter's clock beside the PC's, refreshed every 350 ms, and one
/// button that sets the meter's clock to the PC's. The live poll and the keep-alive go on
/// while it is open; each clock exchange holds the line for itself alone, and the display
/// frames that arrive between its answers still reach the reading.
class RTCSetup : public QDialog
{
    Q_OBJECT
public:
    /// Refresh period of the two lines.
    static constexpr int TickMs = 350;

    /// The "TimeSet" command: refuses while the meter records into its own memory, otherwise
    /// opens the window modally over `mainWindow`. The window deletes itself once closed and
    /// its last exchange has ended. Returns it, or null when refused.
    static RTCSetup* open(AppState& state, CommandChannel& channel, Clock& clock, Prompts& prompts,
                          QWidget* mainWindow);

    RTCSetup(AppState& state, CommandChannel& channel, Clock& clock, Prompts& prompts,
             QWidget* mainWindow);
    ~RTCSetup() override;

    [[nodiscard]] bool meterReadOn() const { return m_meterRead; }
    [[nodiscard]] bool pcClockOn() const { return m_pcClock; }
    /// Closed by the user or by itself (it may still be finishing an exchange).
    [[nodiscard]] bool isClosed() const { return m_running.closed(); }

    /// Timer1: one refresh of both lines.
    void tick();
    /// CmdSetTime: writes the PC's date and time into the meter.
    void setMeterTime();

    void done(int result) override;

private:
    void place(QWidget* mainWindow);
    void readMeterClock();
    void sendClock();
    void runPendingSet();
    /// True while another exchange with the meter holds the line.
    [[nodiscard]] bool lineBusy() const;

    AppState& m_state;
    CommandChannel& m_channel;
    Clock& m_clock;
    Prompts& m_prompts;
    QTimer m_timer;
    ClickLabel* m_meterLine = nullptr;
    ClickLabel* m_pcLine = nullptr;
    QPushButton* m_setButton = nullptr;
    bool m_meterRead = false;
    bool m_pcClock = true;
    bool m_setPending = false;
    // The window's own code that waits on the meter: a close meanwhile deletes it only after.
    WindowHandlers m_running{*this};
};
