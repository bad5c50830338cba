#pragma once

#include "Clock.h"
#include "CommandChannel.h"
#include "MeterSession.h"
#include "OpenMeterPort.h"
#include "PortName.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class QSerialPort;
struct AppState;

/// The meter on a serial port without any window: the port opened by the port dialog's rules
/// and the session over it (link, timers, command channel, live poll), filling the state's
/// reading and status. A program without windows opens one for its run.
class MeterConnection : public QObject
{
    Q_OBJECT
public:
    /// Longest wait, when the connection ends, for the last bytes written to leave.
    static constexpr int FinalWriteMs = 1000;

    explicit MeterConnection(AppState& state, QObject* parent = nullptr);
    ~MeterConnection() override;

    /// Opens the port `portText` names: "COM1".."COM8" and "Auto" (/dev/ttyS0../dev/ttyS7) or
    /// a device path, at 19200,n,8,1. On failure the result says why, in words a user can act
    /// on, and nothing is set up.
    PortOpenResult open(const QString& portText);

    /// Starts the live poll and the keep-alive and waits, at most `seconds`, until a display
    /// frame has been decoded into the state's reading. False when none came (the connection
    /// has then given up).
    bool start(double seconds);

    /// From now on a meter that stays silent for `seconds` after the link was lost ends the
    /// session: every wait on the meter gives up and gaveUp() is emitted. For one exchange
    /// that cannot wait for ever; a recording leaves it off and waits for the meter. 0 turns
    /// it off again, once such an exchange is over.
    void giveUpWhenSilentFor(double seconds);
    [[nodiscard]] bool hasGivenUp() const { return m_gaveUp; }

    /// Asked before each command: false once the session has ended.
    [[nodiscard]] CommandChannel::GoAhead goAhead() const;

    [[nodiscard]] const PortChoice& port() const { return m_choice; }
    /// The session; only after open() succeeded.
    [[nodiscard]] MeterSession& session() { return *m_session; }

    /// Ends the session: waits on the meter give up at once, the timers stop for good.
    void shutDown();

signals:
    /// The meter stayed silent too long; the session has ended.
    void gaveUp();

private:
    void giveUp();

    AppState& m_state;
    SystemClock m_clock; // stamps the frames; its monotonic count is the process's own
    PortChoice m_choice;
    std::unique_ptr<QSerialPort> m_port;
    std::unique_ptr<MeterSession> m_session;
    QTimer m_silence;
    bool m_gaveUp = false;
};
