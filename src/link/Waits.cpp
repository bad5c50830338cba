#include "Waits.h"

#include "SerialLink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QIODevice>
#include <QTimer>

#include <cmath>

namespace {

bool s_abandoned = false;

void connectWake(const QObject* wakeOn, QEventLoop& loop, const std::function<bool()>& done)
{
    const auto check = [&loop, &done] {
        if (done())
            loop.quit();
    };
    if (auto* link = qobject_cast<const SerialLink*>(wakeOn)) {
        QObject::connect(link, &SerialLink::readyRead, &loop, check);
        QObject::connect(link, &SerialLink::gone, &loop, check);
    } else if (auto* device = qobject_cast<const QIODevice*>(wakeOn))
        QObject::connect(device, &QIODevice::readyRead, &loop, check);
}

} // namespace

bool waitUntil(double seconds, const std::function<bool()>& done, const QObject* wakeOn)
{
    QElapsedTimer clock;
    clock.start();
    const qint64 totalMs = std::max<qint64>(0, std::llround(seconds * 1000.0));
    // A wait that is already over still lets pending events run once; one that is about to
    // sleep in its own event loop runs them there.
    if (done && done()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return true;
    }
    if (totalMs == 0)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    for (qint64 left = totalMs - clock.elapsed(); left > 0 && !s_abandoned;
         left = totalMs - clock.elapsed()) {
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        if (done && wakeOn)
            connectWake(wakeOn, loop, done);
        timer.start(static_cast<int>(left));
        loop.exec();
        if (done && done())
            return true;
    }
    return done ? done() : true;
}

void WaitSeconds(double seconds)
{
    waitUntil(seconds, {}, nullptr);
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
