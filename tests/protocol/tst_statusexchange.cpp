#include "CommandChannel.h"
#include "Commands.h"
#include "Fetch.h"
#include "MeterLink.h"
#include "SerialLink.h"
#include "SimPort.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

// The program's side of one status exchange, over the emulator's pty.
struct Exchange
{
    SimPort meter;
    SerialLink serial{&meter.port};
    MeterLink link{serial, choosePort(QStringLiteral("COM1"))};
    PollTimers timers;
    MeterStatus status;
    QString linkTag;
    CommandChannel channel{serial, link, timers, status, linkTag};
};

const QByteArray validAnswer = QByteArray::fromHex("02dd0101020303ff03");

} // namespace

class TestStatusExchange : public QObject
{
    Q_OBJECT
private slots:
    void answers_data();
    void answers();
    void silentMeterEntersLinkLostAndRecovers();
    void senderPausesAndResumesTimers();
    void keepAlivePausesOnlyThePoll();
    void countedRequestTakesOnlyTheAnswer();
};

void TestStatusExchange::answers_data()
{
    QTest::addColumn<QList<QByteArray>>("answers"); // one per "A", then the meter's own
    QTest::addColumn<int>("writes");
    QTest::addColumn<uint>("memPointer");
    QTest::newRow("valid") << QList<QByteArray>{validAnswer} << 1 << 197121u;
    QTest::newRow("12 bytes, first nine valid")
        << QList<QByteArray>{validAnswer + QByteArray::fromHex("aabbcc")} << 1 << 197121u;
    QTest::newRow("wrong marker, then valid")
        << QList<QByteArray>{QByteArray::fromHex("02dc0101020303ff03"), validAnswer} << 2
        << 197121u;
    QTest::newRow("short, then valid")
        << QList<QByteArray>{validAnswer.left(5), validAnswer} << 2 << 197121u;
}

void TestStatusExchange::answers()
{
    Exchange x;
    QVERIFY(x.meter.open());
    x.meter.sim.queueStatusAnswers(fetched<QList<QByteArray>>("answers"));
    QVERIFY(x.channel.StatusQuery());
    QCOMPARE(x.linkTag, QString("F"));
    QCOMPARE(x.meter.sim.commands().count('A'), fetched<int>("writes"));
    QCOMPARE(uint(x.status.MemPointer), fetched<uint>("memPointer"));
    QCOMPARE(int(x.status.ManualCount), 0xFF03);
}

void TestStatusExchange::silentMeterEntersLinkLostAndRecovers()
{
    Exchange x;
    QVERIFY(x.meter.open());
    x.status.ManualCount = 7;
    x.linkTag = "F";
    x.meter.sim.setFault(MeterSim::Fault::Silent);
    QSignalSpy lost(&x.link, &MeterLink::linkLost);
    QSignalSpy restored(&x.link, &MeterLink::linkRestored);
    QSignalSpy blinks(&x.link, &MeterLink::blinkStep);
    // Once the link is lost, the meter comes back and streams frames again.
    connect(&x.link, &MeterLink::linkLost, this, [&] {
        QTimer::singleShot(600, this, [&] {
            x.meter.sim.setFault(MeterSim::Fault::None);
            x.meter.sim.setStreaming(true);
        });
    });
    QVERIFY(!x.channel.StatusQuery());
    QCOMPARE(x.meter.sim.commands(), QByteArray(20, 'A'));
    QCOMPARE(lost.count(), 1);
    QCOMPARE(restored.count(), 1);
    QCOMPARE(restored.first().first().toString(), QString("COM1"));
    QVERIFY(blinks.count() >= 2);
    QCOMPARE(int(x.status.ManualCount), 7); // kept on failure
    QCOMPARE(x.linkTag, QString("F"));
}

void TestStatusExchange::senderPausesAndResumesTimers()
{
    Exchange x;
    QVERIFY(x.meter.open());
    x.timers.start();
    bool pausedDuringExchange = false;
    // The meter sees the status request while the sender is still inside its exchange.
    connect(&x.meter.sim, &MeterSim::commandReceived, this, [&](char c) {
        if (c == Command::Status)
            pausedDuringExchange = !x.timers.poll().isActive() && !x.timers.keepAlive().isActive();
    });
    x.channel.send(Command::EraseAutoMemory);
    QTRY_COMPARE(x.meter.sim.commands(), QByteArray("AY"));
    QVERIFY(pausedDuringExchange);
    QVERIFY(x.timers.poll().isActive() && x.timers.keepAlive().isActive());
    // Parameter bytes follow their command 0.02 s apart and are not taken as commands.
    x.meter.sim.clearReceived();
    x.channel.send(Command::SetInterval, QByteArray(1, Command::Status));
    QTRY_COMPARE(x.meter.sim.samplingSeconds(), quint8('A'));
    QCOMPARE(x.meter.sim.received(), QByteArray("ASA"));
}

void TestStatusExchange::keepAlivePausesOnlyThePoll()
{
    Exchange x;
    QVERIFY(x.meter.open());
    x.timers.start();
    bool onlyPollPaused = false;
    connect(&x.meter.sim, &MeterSim::commandReceived, this, [&](char c) {
        if (c == Command::Status)
            onlyPollPaused = !x.timers.poll().isActive() && x.timers.keepAlive().isActive();
    });
    x.channel.keepAlive();
    QTRY_COMPARE(x.meter.sim.commands(), QByteArray("Aa"));
    QVERIFY(onlyPollPaused);
    QVERIFY(x.timers.poll().isActive());
}

// Frames stream throughout; the answer is read after the status exchange, from an emptied
// input, and the wait ends with the third byte instead of running to its limit.
void TestStatusExchange::countedRequestTakesOnlyTheAnswer()
{
    Exchange x;
    QVERIFY(x.meter.open(true));
    x.meter.sim.setPaced(true);
    x.meter.sim.setFramePeriodMs(0);
    x.meter.sim.setSamplingSeconds(7);
    x.timers.start();
    QElapsedTimer clock;
    clock.start();
    const QByteArray answer = x.channel.requestCounted(Command::ReportInterval, 3, 2.0);
    QCOMPARE(answer.left(3).toHex(), QByteArray("020703")); // the next frame may follow it
    QVERIFY(clock.elapsed() < 1500);
    QVERIFY(x.timers.poll().isActive() && x.timers.keepAlive().isActive());
    x.meter.sim.setStreaming(false);
    QCOMPARE(withoutStatusRetries(x.meter.sim.commands()), QByteArray("AV"));
}

QTEST_GUILESS_MAIN(TestStatusExchange)
#include "tst_statusexchange.moc"
