#pragma once

#include "DisplayDecoder.h"

#include <QByteArray>
#include <QObject>

class Clock;
class MeterLink;
class PanelModel;
class SerialLink;
struct CurrentReading;

/// The live poll: one tick receives the next display frame the meter sends on its own,
/// checks its delimiters and decodes it into the reading and the panel's cells. After
/// repeated silence, or as long of input in which no frame decodes, it hands over to the
/// link-lost wait; at once when the port is gone. A tick is never re-entered.
class PollCycle : public QObject
{
    Q_OBJECT
public:
    /// `clock` stamps each frame with when it was received, on its monotonic count.
    PollCycle(SerialLink& serial, MeterLink& link, CurrentReading& reading, PanelModel& panel,
              const bool& displayFrozen, const Clock& clock, QObject* parent = nullptr);

    /// One tick of the poll timer.
    void tick();

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
        Closing
    };
    Receive receive(QByteArray& frame);
    void decode(QByteArrayView frame);

    SerialLink& m_serial;
    MeterLink& m_link;
    CurrentReading& m_reading;
    PanelModel& m_panel;
    const bool& m_displayFrozen;
    const Clock& m_clock;
    bool m_inTick = false;
    quint64 m_framesDecoded = 0;
};
