#include "Clock.h"
#include "Fetch.h"
#include "FrameBytes.h"
#include "MeterSession.h"
#include "SimPort.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

// The live poll of the program over the emulator's pty, ticked by hand.
struct Poll
{
    SimPort meter;
    CurrentReading reading;
    MeterStatus status;
    QString linkTag;
    bool frozen = false;
    ManualClock clock;
    std::unique_ptr<MeterSession> session;

    bool open()
    {
        if (!meter.open(true))
            return false;
        session = std::make_unique<MeterSession>(&meter.port, choosePort("COM2"), reading, status,
                                                 linkTag, frozen, clock);
        return true;
    }
};

} // namespace

class TestPollCycle : public QObject
{
    Q_OBJECT
private slots:
    void findFrame_data();
    void findFrame();
    void mirrorsBackToBackStream();
    void wrongDelimitersAreNotDecoded();
    void pauseAfterWrongDelimiters();
    void silenceLosesLinkUntilFramesReturn();
    void timers_data();
    void timers();
};

void TestPollCycle::findFrame_data()
{
    const QByteArray frame = frameWith({{2, 0x02}, {3, 0x03}});
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("at");
    QTest::newRow("aligned") << frame << 0;
    QTest::newRow("aligned, more follows") << frame + frame.left(10) << 0;
    QTest::newRow("tail, then a whole frame") << frame.mid(20) + frame << 16;
    QTest::newRow("tail, frame, head of next") << frame.mid(5) + frame + frame.left(3) << 31;
    QTest::newRow("too short") << frame.left(35) << -1;
    QTest::newRow("wrong ETX") << frameWith({{36, 0x04}}) << -1;
    // Mid-stream, a 0x02 data byte with 0x03 35 bytes on must be followed by a frame start.
    QTest::newRow("no false start in data")
        << frame.mid(1) + frame.left(2) + QByteArray(34, 0x11) << -1;
}

void TestPollCycle::findFrame()
{
    QCOMPARE(int(findDisplayFrame(fetched<QByteArray>("bytes"))), fetched<int>("at"));
}

void TestPollCycle::mirrorsBackToBackStream()
{
    Poll p;
    QVERIFY(p.open());
    SimReading shown;
    shown.voltage = "-1.234";
    shown.inCap = "012.3";
    shown.capMilli = {true, false, false};
    shown.rangeCode = 4;
    p.meter.sim.setReading(shown);
    p.meter.sim.setPaced(true);
    p.meter.sim.setFramePeriodMs(0);
    for (int i = 0; i < 10; ++i)
        p.session->poll().tick();
    QCOMPARE(p.session->poll().framesDecoded(), quint64(10));
    QCOMPARE(p.reading.valueTexts[CurrentReading::Voltage], QString("-1.234"));
    QCOMPARE(p.reading.valueTexts[CurrentReading::InCap], QString("012.3"));
    QCOMPARE(p.reading.capUnitTexts[0], QString("mAh"));
    QCOMPARE(p.reading.RangeText, QString("4 mOhm"));
    QVERIFY(p.session->panel().cell(Cell::RS_1).visible);
}

void TestPollCycle::wrongDelimitersAreNotDecoded()
{
    Poll p;
    QVERIFY(p.open());
    p.meter.sim.setFramePeriodMs(100);
    p.meter.sim.setFault(MeterSim::Fault::WrongEtx);
    QTimer::singleShot(1000, this, [&] { p.meter.sim.setFault(MeterSim::Fault::None); });
    QSignalSpy lost(&p.session->link(), &MeterLink::linkLost);
    QElapsedTimer clock;
    clock.start();
    p.session->poll().tick(); // keeps receiving without counting tries
    QVERIFY(clock.elapsed() >= 1000);
    QCOMPARE(p.session->poll().framesDecoded(), quint64(1));
    QCOMPARE(lost.count(), 0);
}

// After a frame with wrong delimiters the receive rests 0.2 s before it listens again.
void TestPollCycle::pauseAfterWrongDelimiters()
{
    Poll p;
    QVERIFY(p.open());
    p.meter.sim.setPaced(true);
    p.meter.sim.setFramePeriodMs(0);
    p.meter.sim.setFault(MeterSim::Fault::WrongEtx);
    QTest::qWait(50); // the frames in flight end wrong too
    // The first receive ends with wrong frames only (after two frame lengths, about 40 ms).
    QTimer::singleShot(80, this, [&] { p.meter.sim.setFault(MeterSim::Fault::None); });
    QElapsedTimer clock;
    clock.start();
    p.session->poll().tick();
    QCOMPARE(p.session->poll().framesDecoded(), quint64(1));
    QVERIFY2(clock.elapsed() >= 230 && clock.elapsed() < 450,
             qPrintable(QString::number(clock.elapsed())));
}

void TestPollCycle::silenceLosesLinkUntilFramesReturn()
{
    Poll p;
    QVERIFY(p.open());
    p.meter.sim.setStreaming(false);
    QSignalSpy lost(&p.session->link(), &MeterLink::linkLost);
    QSignalSpy restored(&p.session->link(), &MeterLink::linkRestored);
    connect(&p.session->link(), &MeterLink::linkLost, this,
            [&] { QTimer::singleShot(500, this, [&] { p.meter.sim.setStreaming(true); }); });
    QElapsedTimer clock;
    qint64 lostAtMs = -1;
    connect(&p.session->link(), &MeterLink::linkLost, this, [&] { lostAtMs = clock.elapsed(); });
    clock.start();
    p.session->poll().tick();
    // Four 2-s waits before the link counts as lost, not three, not five.
    QVERIFY2(lostAtMs >= 8000 && lostAtMs < 9500, qPrintable(QString::number(lostAtMs)));
    QCOMPARE(lost.count(), 1);
    QCOMPARE(restored.count(), 1);
    QCOMPARE(p.session->poll().framesDecoded(), quint64(0)); // the recovering tick decodes nothing
    p.session->poll().tick();
    QCOMPARE(p.session->poll().framesDecoded(), quint64(1));
}

void TestPollCycle::timers_data()
{
    QTest::addColumn<QString>("timer");
    QTest::addColumn<int>("intervalMs");
    QTest::addColumn<QByteArray>("twoTicksSend"); // what the meter receives from two ticks
    QTest::newRow("live poll only listens") << "Timer1" << 10 << QByteArray();
    QTest::newRow("keep-alive") << "Timer3" << 10000 << QByteArray("AaAa");
}

void TestPollCycle::timers()
{
    Poll p;
    QVERIFY(p.open());
    const bool poll = fetched<QString>("timer") == "Timer1";
    auto* timer = p.session->findChild<QTimer*>(fetched<QString>("timer"));
    QVERIFY(timer);
    QCOMPARE(timer->interval(), fetched<int>("intervalMs"));
    QVERIFY(!timer->isSingleShot());
    QVERIFY(!timer->isActive());
    p.session->start();
    QVERIFY(timer->isActive());
    // What a tick does, without waiting for the whole period: this timer alone, sped up.
    p.session->timers().pause(poll ? PollTimers::KeepAlive : PollTimers::Poll);
    timer->setInterval(20);
    QTRY_VERIFY(poll ? p.session->poll().framesDecoded() >= 2 : p.meter.sim.commands().size() >= 4);
    QCOMPARE(withoutStatusRetries(p.meter.sim.commands()).left(4),
             fetched<QByteArray>("twoTicksSend"));
    p.session->shutDown();
}

QTEST_GUILESS_MAIN(TestPollCycle)
#include "tst_pollcycle.moc"
