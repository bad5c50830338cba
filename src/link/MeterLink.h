#pragma once

#include "PortName.h"
#include "Waits.h"

#include <QObject>
#include <QString>
#include <QTimer>

class SerialLink;

/// The caption of the main window before any click on the link label.
inline const QString PanelCaption = QStringLiteral("Panel   V7.1");

/// The main window's caption after a click on the link label: the long caption with the
/// version date and the tag of the last successful status exchange, or back to the short one.
[[nodiscard]] QString toggledPanelCaption(const QString& current, const QString& linkTag);

/// The link to the meter: whether it is up, and the link-lost wait that listens until the
/// meter sends a frame again. When the port itself is gone (the adapter pulled out), it tries
/// to open the same device again once a second. The link label follows the signals.
class MeterLink : public QObject
{
    Q_OBJECT
public:
    /// Time between two tries to open a gone port again.
    static constexpr int ReopenIntervalMs = 1000;

    MeterLink(SerialLink& serial, PortChoice port, QObject* parent = nullptr);

    /// Why the link was taken for lost.
    enum class Loss
    {
        Silence,  ///< nothing arrived, or no answer
        NoFrames, ///< bytes arrived, but no display frame among them
        PortGone  ///< the port itself went (the adapter was pulled out)
    };

    /// Listens (sends nothing) until a whole display frame (36 bytes from STX to ETX) has
    /// arrived, blinking the link label every 0.2 s. Blocks of other lengths do not count, even
    /// between STX and ETX. Returns early only when the program closes. `cause` is what the
    /// caller saw; a gone port overrides it.
    void WaitForMeter(Loss cause = Loss::Silence);

    [[nodiscard]] bool isLost() const { return m_lost; }
    /// Why the link was lost last.
    [[nodiscard]] Loss lossCause() const { return m_cause; }
    [[nodiscard]] const PortChoice& port() const { return m_port; }
    /// "COM1" (or the device name) as the link label shows it while the link is up.
    [[nodiscard]] QString upCaption() const { return linkUpCaption(m_port); }

    /// The program is closing: every wait on the meter gives up at once, and a gone port is
    /// left closed.
    void shutDown();
    [[nodiscard]] bool closing() const { return m_closing || waitsAbandoned(); }

signals:
    /// The meter fell silent: the label shows "No COM" and the keep-alive must pause.
    void linkLost();
    /// One blink step of the "No COM" label.
    void blinkStep();
    /// The meter sends again; `caption` is the label text (shown steadily).
    void linkRestored(const QString& caption);
    /// The gone port has been opened again; the meter behind it may have changed meanwhile.
    void portReopened();

private:
    void tryReopen();

    SerialLink& m_serial;
    PortChoice m_port;
    QTimer m_reopen;
    bool m_lost = false;
    Loss m_cause = Loss::Silence;
    int m_depth = 0; // link-lost waits running, one inside another
    bool m_closing = false;
};
