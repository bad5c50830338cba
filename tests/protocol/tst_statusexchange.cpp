#include "CommandChannel.h"
#include "Commands.h"
#include "Fetch.h"
#include "MeterLink.h"
#include "SerialLink.h"
#include "SimChannel.h"
#include "SimPort.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

// The program's side of one status exchange, over the emulator's pty.
using Exchange = SimChannel;

const QByteArray validAnswer = QByteArray::fromHex("02dd0101020303ff03");

} // namespace

class TestStatusExchange : public QObject
{
    Q_OBJECT
private slots:
    void answers_data();
    void answers();
    void commandCharacters_data();
    void commandCharacters();
    void silentMeterEntersLinkLostAndRecovers();
    void senderPausesAndResumesTimers();
    void parameterBytesAreSpaced();
    void keepAlivePausesOnlyThePoll();
    void countedRequestTakesOnlyTheAnswer();
    void frameInFlightDoesNotDerailTheSeries();
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

void TestStatusExchange::commandCharacters_data()
{
    QTest::addColumn<char>("constant");
    QTest::addColumn<char>("onTheLine");
    QTest::newRow("status") << Command::Status << 'A';
    QTest::newRow("keep-alive") << Command::KeepAlive << 'a';
    QTest::newRow("send automatic memory") << Command::SendAutoMemory << 'I';
    QTest::newRow("send manual memory") << Command::SendManualMemory << 'T';
    QTest::newRow("erase automatic memory") << Command::EraseAutoMemory << 'Y';
    QTest::newRow("erase manual memory") << Command::EraseManualMemory << 'Z';
    QTest::newRow("send comparators") << Command::SendComparators << 'W';
    QTest::newRow("write comparator") << Command::WriteComparator << 'R';
    QTest::newRow("report interval") << Command::ReportInterval << 'V';
    QTest::newRow("set interval") << Command::SetInterval << 'S';
    QTest::newRow("report clock") << Command::ReportClock << 'U';
    QTest::newRow("set clock") << Command::SetClock << 'Q';
    QTest::newRow("arrow 0 short") << Command::Arrow0Short << 'E';
    QTest::newRow("arrow 0 long") << Command::Arrow0Long << 'K';
    QTest::newRow("arrow 0 very long") << Command::Arrow0VeryLong << 'L';
    QTest::newRow("arrow 1 short") << Command::Arrow1Short << 'D';
    QTest::newRow("arrow 1 long") << Command::Arrow1Long << 'J';
    QTest::newRow("arrow 2 short") << Command::Arrow2Short << 'C';
    QTest::newRow("arrow 2 long") << Command::Arrow2Long << '\\';
    QTest::newRow("arrow 3") << Command::Arrow3 << 'B';
    QTest::newRow("grey 0 short") << Command::Gray0Short << 'H';
    QTest::newRow("grey 0 long") << Command::Gray0Long << 'O';
    QTest::newRow("grey 0 very long") << Command::Gray0VeryLong << '[';
    QTest::newRow("grey 1 short") << Command::Gray1Short << 'G';
    QTest::newRow("grey 1 long") << Command::Gray1Long << 'N';
    QTest::newRow("grey 2 short") << Command::Gray2Short << 'F';
    QTest::newRow("grey 2 long") << Command::Gray2Long << 'X';
}

// The meter knows its commands by these characters only.
void TestStatusExchange::commandCharacters()
{
    QCOMPARE(fetched<char>("constant"), fetched<char>("onTheLine"));
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
    QElapsedTimer clock;
    qint64 lostAtMs = -1;
    QList<qint64> blinkMs;
    connect(&x.link, &MeterLink::blinkStep, this, [&] { blinkMs << clock.elapsed(); });
    // Once the link is lost, the meter comes back and streams frames again.
    connect(&x.link, &MeterLink::linkLost, this, [&] {
        lostAtMs = clock.elapsed();
        QTimer::singleShot(1000, this, [&] {
            x.meter.sim.setFault(MeterSim::Fault::None);
            x.meter.sim.setStreaming(true);
        });
    });
    clock.start();
    QVERIFY(!x.channel.StatusQuery());
    QCOMPARE(x.meter.sim.commands(), QByteArray(20, 'A'));
    QCOMPARE(lost.count(), 1);
    QCOMPARE(restored.count(), 1);
    QCOMPARE(restored.first().first().toString(), QString("COM1"));
    // Ten fast tries of up to 0.05 s and ten slow ones of up to 0.2 s.
    QVERIFY2(lostAtMs >= 2400 && lostAtMs < 3500, qPrintable(QString::number(lostAtMs)));
    // "No COM" blinks one step per 0.2 s.
    QVERIFY(blinkMs.size() >= 4);
    const qint64 meanStep = (blinkMs.last() - blinkMs.first()) / (blinkMs.size() - 1);
    QVERIFY2(meanStep >= 190 && meanStep < 260, qPrintable(QString::number(meanStep)));
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

// Each parameter byte follows the one before after 0.02 s.
void TestStatusExchange::parameterBytesAreSpaced()
{
    Exchange x;
    QVERIFY(x.meter.open());
    const QByteArray clock = QByteArray::fromHex("0c0b1e0506");
    QElapsedTimer elapsed;
    elapsed.start();
    x.channel.send(Command::SetClock, clock);
    QVERIFY2(elapsed.elapsed() >= 100 && elapsed.elapsed() < 400,
             qPrintable(QString::number(elapsed.elapsed())));
    QTRY_COMPARE(x.meter.sim.received(), QByteArray("AQ") + clock);
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

// Frames fill half the line, so "A" often goes out while one is on its way and the answer
// comes behind its tail. Each exchange must still succeed after a retry or so.
void TestStatusExchange::frameInFlightDoesNotDerailTheSeries()
{
    Exchange x;
    QVERIFY(x.meter.open(true));
    x.meter.sim.setPaced(true);
    x.meter.sim.setFramePeriodMs(40);
    QSignalSpy lost(&x.link, &MeterLink::linkLost);
    for (int i = 0; i < 30; ++i) {
        QTest::qWait(160 + 7 * (i % 6)); // past the meter's quiet time, at varying phases
        x.meter.sim.clearReceived();
        QVERIFY(x.channel.StatusQuery());
        QVERIFY2(x.meter.sim.commands().size() <= 4, x.meter.sim.commands().constData());
    }
    QCOMPARE(lost.count(), 0);
}

QTEST_GUILESS_MAIN(TestStatusExchange)
#include "tst_statusexchange.moc"
