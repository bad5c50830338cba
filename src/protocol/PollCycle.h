#pragma once

#include "DisplayDecoder.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QTimer>

class Clock;
class MeterLink;
class PanelModel;
class PollTimers;
class SerialLink;
struct CurrentReading;

/// The live poll: one tick receives the next display frame the meter sends on its own,
/// checks its delimiters and decodes it into the reading and the panel's cells. After
/// repeated silence, or as long of input in which no frame decodes, it hands over to the
/// link-lost wait; at once when the port is gone. Ticks run one at a time, except that a tick
/// buried under a dialog's own event loop (a click during its wait opened the dialog) gives way
/// to ticks in that loop, so no dialog stops the display and the samples taken from it; an
/// exchange with the meter that holds the line (the poll timer paused) stops them all.
///
/// It is also the one decoder of display frames: a frame that another step read off the line
/// between its answers (takeFrameFrom) goes to the reading by the same code.
class PollCycle : public QObject
{
    Q_OBJECT
public:
    /// How long a tick may wait before it is looked at whether a dialog buried it, and how
    /// soon a tick follows the last while it stays buried.
    static constexpr int BuriedCheckMs = 250;
    static constexpr int BuriedTickGapMs = 10;

    /// `clock` stamps each frame with when it was received, on its monotonic count; `timers`
    /// say when an exchange holds the line.
    PollCycle(SerialLink& serial, MeterLink& link, CurrentReading& reading, PanelModel& panel,
              const bool& displayFrozen, const Clock& clock, const PollTimers& timers,
              QObject* parent = nullptr);

    /// One tick of the poll timer.
    void tick();
    /// Decodes the newest whole display frame in `bytes`, input that an exchange with the meter
    /// skipped between its answers, as if a tick had received it just now. Nothing when
    /// `bytes` holds none.
    void takeFrameFrom(QByteArrayView bytes);

    [[nodiscard]] quint64 framesDecoded() const { return m_framesDecoded; }
    /// True while a tick runs (it may be waiting inside the link-lost state).
    [[nodiscard]] bool inTick() const { return m_inTick; }

signals:
    /// A frame was decoded; the panel's dirty cells are ready to be shown.
    void frameDecoded();

private:
    enum class Receive
    {
        Frame,
        Silence,
        Garbage,
        Gone, // the port is gone: nothing can arrive
        Closing,
        Superseded // a newer tick ran meanwhile, above this one
    };
    void runTick();
    void checkBuried();
    Receive receive(QByteArray& frame);
    void decode(QByteArrayView frame);
    [[nodiscard]] bool superseded() const { return m_ticksStarted != m_thisTick; }

    SerialLink& m_serial;
    MeterLink& m_link;
    CurrentReading& m_reading;
    PanelModel& m_panel;
    const bool& m_displayFrozen;
    const Clock& m_clock;
    const PollTimers& m_timers;
    // The poll timer does not fire while its own handler, a tick, is on the stack: this one
    // finds a tick buried under a dialog and runs the ticks above it.
    QTimer m_buriedCheck;
    bool m_inTick = false;
    int m_tickLevel = 0;        // event-loop level of the innermost running tick
    quint64 m_ticksStarted = 0; // ticks begun so far
    quint64 m_thisTick = 0;     // the number of the innermost running tick
    quint64 m_framesDecoded = 0;
};
