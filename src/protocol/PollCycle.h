#pragma once

#include <QByteArray>
#include <QObject>

class MeterLink;
class PanelModel;
class SerialLink;
struct CurrentReading;

/// Where a whole display frame sits in received bytes: at the start (the usual case), or
/// later when the receive began in the middle of a frame of a back-to-back stream.
/// Returns the offset of the newest complete frame, or -1.
[[nodiscard]] qsizetype findDisplayFrame(QByteArrayView bytes);

/// The live poll: one tick receives the next display frame the meter sends on its own,
/// checks its delimiters and decodes it into the reading and the panel's cells. After
/// repeated silence it hands over to the link-lost wait. A tick is never re-entered.
class PollCycle : public QObject
{
    Q_OBJECT
public:
    PollCycle(SerialLink& serial, MeterLink& link, CurrentReading& reading, PanelModel& panel,
              const bool& displayFrozen, QObject* parent = nullptr);

    /// One tick of the poll timer.
    void tick();

    [[nodiscard]] quint64 framesDecoded() const { return m_framesDecoded; }

signals:
    /// A frame was decoded; the panel's dirty cells are ready to be shown.
    void frameDecoded();

private:
    enum class Receive
    {
        Frame,
        Silence,
        Garbage,
        Closing
    };
    Receive receive(QByteArray& frame);

    SerialLink& m_serial;
    MeterLink& m_link;
    CurrentReading& m_reading;
    PanelModel& m_panel;
    const bool& m_displayFrozen;
    bool m_inTick = false;
    quint64 m_framesDecoded = 0;
};
