#include "PollCycle.h"

#include "Clock.h"
#include "DisplayDecoder.h"
#include "MeterLink.h"
#include "PanelModel.h"
#include "PollTimers.h"
#include "SerialLink.h"
#include "Waits.h"

#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <utility>

namespace {

constexpr double FrameWaitSeconds = 2.0;
constexpr double GarbagePauseSeconds = 0.2;
constexpr int SilentWaitsBeforeLinkLost = 3;

} // namespace

PollCycle::PollCycle(SerialLink& serial, MeterLink& link, CurrentReading& reading,
                     PanelModel& panel, const bool& displayFrozen, const Clock& clock,
                     const PollTimers& timers, QObject* parent)
    : QObject(parent), m_serial(serial), m_link(link), m_reading(reading), m_panel(panel),
      m_displayFrozen(displayFrozen), m_clock(clock), m_timers(timers)
{
    m_buriedCheck.setSingleShot(true);
    connect(&m_buriedCheck, &QTimer::timeout, this, &PollCycle::checkBuried);
}

void PollCycle::decode(QByteArrayView frame)
{
    m_panel.applyFrame(frame, m_reading, m_displayFrozen);
    m_reading.frameReceivedMs = m_clock.monotonicMs();
    ++m_framesDecoded;
}

void PollCycle::takeFrameFrom(QByteArrayView bytes)
{
    const qsizetype at = findDisplayFrame(bytes);
    if (at < 0)
        return;
    decode(bytes.sliced(at, DisplayFrameLength));
    emit frameDecoded();
}

// Empties the input, then collects what arrives until a whole frame is there or the
// 2-s window ends. A receive that starts in the middle of a frame keeps collecting until
// it has seen two frame lengths, so a back-to-back stream is still mirrored.
PollCycle::Receive PollCycle::receive(QByteArray& frame)
{
    if (m_serial.isGone())
        return Receive::Gone;
    m_serial.discardInput();
    // The port rests between ticks, so emptying it is where a line that went is found.
    if (m_serial.isGone())
        return Receive::Gone;
    QByteArray bytes;
    quint64 reads = m_serial.readCount();
    QElapsedTimer clock;
    clock.start();
    qsizetype want = DisplayFrameLength;
    for (;;) {
        const double left = FrameWaitSeconds - clock.elapsed() / 1000.0;
        m_serial.waitForBytes(want - bytes.size(), std::max(0.0, left));
        if (superseded())
            return Receive::Superseded;
        // An exchange that ran during the wait took bytes off the line: what this receive
        // holds is no longer one piece of it, and joined to the rest could pass for a frame.
        if (m_serial.readCount() != reads) {
            bytes.clear();
            want = DisplayFrameLength;
        }
        bytes += m_serial.readAll();
        reads = m_serial.readCount();
        if (m_link.closing())
            return Receive::Closing;
        if (m_serial.isGone())
            return Receive::Gone;
        if (bytes.size() < DisplayFrameLength)
            return Receive::Silence;
        const qsizetype at = findDisplayFrame(bytes);
        if (at >= 0) {
            frame = bytes.mid(at, DisplayFrameLength);
            return Receive::Frame;
        }
        if (bytes.size() >= 2 * DisplayFrameLength || clock.elapsed() >= FrameWaitSeconds * 1000)
            return Receive::Garbage;
        // Any two frame lengths of a stream hold a whole frame. Asking for one more frame
        // length (rather than topping up to exactly two) keeps the port's wake-up count where
        // it is, so the driver is not reconfigured on every frame.
        want = bytes.size() + DisplayFrameLength;
    }
}

void PollCycle::tick()
{
    // A modal dialog opened by a click that came in during a tick's wait runs its own event
    // loop on top of that tick, which cannot go on until the dialog closes. Ticks then run in
    // the dialog's loop, and the buried one ends once it is back.
    const int level = QThread::currentThread()->loopLevel();
    if (m_inTick && level <= m_tickLevel)
        return;
    const int outerLevel = std::exchange(m_tickLevel, level);
    const quint64 outerTick = std::exchange(m_thisTick, ++m_ticksStarted);
    const bool outerInTick = std::exchange(m_inTick, true);
    m_buriedCheck.start(BuriedCheckMs);
    runTick();
    m_inTick = outerInTick;
    m_thisTick = outerTick;
    m_tickLevel = outerLevel;
    if (!m_inTick)
        m_buriedCheck.stop();
}

void PollCycle::checkBuried()
{
    if (!m_inTick)
        return;
    const bool buried = QThread::currentThread()->loopLevel() > m_tickLevel;
    if (buried && !m_timers.paused(PollTimers::Poll))
        tick();
    if (m_inTick)
        m_buriedCheck.start(buried ? BuriedTickGapMs : BuriedCheckMs);
}

void PollCycle::runTick()
{
    int silentWaits = 0;
    QElapsedTimer undecoded; // since the tick began; it ends at the first decoded frame
    undecoded.start();
    for (;;) {
        QByteArray frame;
        const Receive got = receive(frame);
        if (got == Receive::Closing || got == Receive::Superseded)
            break;
        if (got == Receive::Gone) {
            silentWaits = SilentWaitsBeforeLinkLost; // nothing can come: no use waiting more
        } else if (got == Receive::Silence && silentWaits < SilentWaitsBeforeLinkLost) {
            ++silentWaits;
            continue;
        }
        if (silentWaits >= SilentWaitsBeforeLinkLost) {
            // The fourth wait gives up whatever it received: the link is lost until the
            // meter sends a frame again, and that frame is not decoded.
            m_link.WaitForMeter(got == Receive::Garbage ? MeterLink::Loss::NoFrames
                                                        : MeterLink::Loss::Silence);
            if (superseded())
                break;
            m_serial.discardInput();
            m_panel.forgetBlinkSelector();
            break;
        }
        if (got == Receive::Frame) {
            decode(frame);
            // Until the next tick empties the input, what arrives is not needed: sleep
            // through it. The next read or wait on the port, of any reader, ends the rest.
            m_serial.restUntilNextRead();
            emit frameDecoded();
            break;
        }
        WaitSeconds(GarbagePauseSeconds);
        if (m_link.closing() || superseded())
            break;
        // Input in which no frame decodes (blocks of the wrong length, wrong delimiters) counts
        // like silence: each 2 s of it is one wait, so it ends in the link-lost state as soon
        // as a silent meter would, instead of leaving the last reading on show as live.
        silentWaits = std::max(silentWaits,
                               static_cast<int>(undecoded.elapsed() / (FrameWaitSeconds * 1000)));
    }
}
