#include "Waits.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <ctime>

namespace {

double processCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

} // namespace

class TestWaits : public QObject
{
    Q_OBJECT
private slots:
    void zeroWaitProcessesEventsOnce();
    void waitRunsTimersAndEndsOnTime();
    void longWaitDoesNotSpin();
    void waitEndsEarlyWhenDone();
};

void TestWaits::zeroWaitProcessesEventsOnce()
{
    int ran = 0;
    QMetaObject::invokeMethod(
        this, [&] { ++ran; }, Qt::QueuedConnection);
    WaitSeconds(0);
    QCOMPARE(ran, 1);
}

void TestWaits::waitRunsTimersAndEndsOnTime()
{
    int ticks = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, this, [&] { ++ticks; });
    timer.start(20);
    QElapsedTimer clock;
    clock.start();
    WaitSeconds(0.2);
    QVERIFY(clock.elapsed() >= 200);
    QVERIFY(ticks >= 3);
}

void TestWaits::longWaitDoesNotSpin()
{
    const double before = processCpuSeconds();
    WaitSeconds(2.0);
    const double used = processCpuSeconds() - before;
    QVERIFY2(used < 0.05, qPrintable(QString("a 2 s wait used %1 s of CPU").arg(used)));
}

void TestWaits::waitEndsEarlyWhenDone()
{
    bool arrived = false;
    QTimer::singleShot(30, this, [&] { arrived = true; });
    QElapsedTimer clock;
    clock.start();
    QVERIFY(waitUntil(5.0, [&] { return arrived; }));
    QVERIFY(clock.elapsed() < 2000);
    QVERIFY(!waitUntil(0.05, [] { return false; }));
}

QTEST_GUILESS_MAIN(TestWaits)
#include "tst_waits.moc"
