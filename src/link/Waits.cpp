#include "Waits.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cmath>

namespace {

bool s_abandoned = false;

} // namespace

bool waitUntil(double seconds, const std::function<bool()>& done)
{
    QElapsedTimer clock;
    clock.start();
    const qint64 totalMs = std::max<qint64>(0, std::llround(seconds * 1000.0));
    // A wait that is already over still lets pending events run once.
    if (done && done()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return true;
    }
    if (totalMs == 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return done ? done() : true;
    }
    // Each pass sleeps until some event source fires (the port, a timer, a window event) and
    // handles what is ready; done() is looked at after every pass. No nested loop has to be
    // told to quit, so a frame costs no extra wake-up of the event dispatcher.
    bool timedOut = false;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, [&timedOut] { timedOut = true; });
    timer.start(static_cast<int>(totalMs));
    while (!s_abandoned) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (done && done())
            return true;
        if (timedOut || clock.elapsed() >= totalMs)
            break;
    }
    return done ? done() : true;
}

void WaitSeconds(double seconds)
{
    waitUntil(seconds, {});
}

void abandonWaits()
{
    s_abandoned = true;
    // Ends the event loops of the waits that are running now; later waits see the flag.
    QCoreApplication::exit(0);
}

bool waitsAbandoned()
{
    return s_abandoned;
}
