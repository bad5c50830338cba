// The main window over a hostile line: the meter's adapter pulled out and plugged in again,
// and a meter whose framed blocks have the wrong length.
#include "FrameBytes.h"
#include "FrontPanel.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTimer>

#include <algorithm>
#include <ctime>
#include <functional>

namespace {

double processCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

// Texts and visibility of the link label at each blink step of the link-lost state.
struct LabelWatch
{
    QObject context;
    QStringList texts;
    QList<bool> shown;

    explicit LabelWatch(FrontPanel& p)
    {
        QObject::connect(&p.controller->session().link(), &MeterLink::blinkStep, &context, [&] {
            texts << p.text(QStringLiteral("LblCOM"));
            shown << p.shown(QStringLiteral("LblCOM"));
        });
    }
    [[nodiscard]] bool blinkedNoCom() const
    {
        return shown.contains(true) && shown.contains(false) &&
               texts.count(QStringLiteral("No COM")) == texts.size();
    }
};

} // namespace

class TestLinkFaults : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void unplugAndReplugTwice();
    void wrongLengthBlocksLoseTheLink();
};

void TestLinkFaults::init()
{
    // Among others, a write to the closed port would warn "device not open".
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
}

// The link-lost wait runs inside a poll tick and a key's wait inside it, so what happens during
// the outage is driven from timers and watched from there; the test looks at it afterwards.
void TestLinkFaults::unplugAndReplugTwice()
{
    FrontPanel p;
    QVERIFY(p.start(true));
    SimReading reading;
    for (const QString& voltage : {QStringLiteral("11.11"), QStringLiteral("22.22")}) {
        QTRY_VERIFY(p.controller->session().poll().framesDecoded() > 0);
        QCOMPARE(p.text("LblCOM"), QString("COM1"));

        LabelWatch label(p);
        bool closedInTime = false;
        bool keepAliveRested = false;
        double cpuBefore = 0;
        double cpu = -1;
        QElapsedTimer sinceReplug;
        qint64 statusAfterMs = -1;
        QObject context;
        const auto at = [&](int ms, const std::function<void()>& step) {
            QTimer::singleShot(ms, &context, step);
        };
        // Pulled out while mirroring: noticed and closed within about a second.
        at(1200, [&] {
            closedInTime = !p.meter.port.isOpen() && p.meter.port.bytesToWrite() == 0;
            keepAliveRested = !p.controller->session().timers().keepAlive().isActive();
            cpuBefore = processCpuSeconds();
        });
        // A key pressed meanwhile waits for the meter too.
        at(1300, [&] {
            QTest::mousePress(p.find("CmdArrow_0"), Qt::LeftButton);
            QTest::mouseRelease(p.find("CmdArrow_0"), Qt::LeftButton);
        });
        // Plugged in again behind the same path, with a new reading on its display, after an
        // outage that the program's clock counts as 6 s.
        at(2700, [&] {
            p.clock.advanceMs(6000);
            cpu = processCpuSeconds() - cpuBefore;
            reading.voltage = voltage;
            p.meter.sim.setReading(reading);
            p.meter.sim.clearReceived();
            sinceReplug.start();
            QVERIFY(p.meter.sim.replug());
        });
        connect(&p.meter.sim, &MeterSim::commandReceived, &context, [&](char command) {
            if (command == 'A' && statusAfterMs < 0)
                statusAfterMs = sinceReplug.elapsed();
        });
        p.meter.sim.unplug();

        QTRY_VERIFY_WITH_TIMEOUT(statusAfterMs >= 0, 8000);
        QVERIFY(closedInTime);
        QVERIFY(keepAliveRested);
        QVERIFY(label.blinkedNoCom());
        QVERIFY2(cpu >= 0 && cpu < 0.3,
                 qPrintable(QString("%1 s of CPU in 1.5 s unplugged").arg(cpu)));
        // The status is asked for within 3 s, the display is mirrored again and the
        // keep-alive runs.
        QVERIFY2(statusAfterMs < 3000, qPrintable(QString::number(statusAfterMs)));
        QTRY_COMPARE(p.text("LblV"), voltage);
        QCOMPARE(p.text("LblCOM"), QString("COM1"));
        QVERIFY(p.shown("LblCOM"));
        // The keep-alive (10 s) asked nothing meanwhile; made quicker, it runs.
        QVERIFY(!p.meter.sim.commands().contains('a'));
        p.controller->session().timers().keepAlive().setInterval(300);
        QTRY_VERIFY(p.meter.sim.commands().contains('a'));
        p.controller->session().timers().keepAlive().setInterval(10000);
        // The key reaches the meter once it is back, as after a silent meter, and as the
        // click it was, not a long press; nothing else was held back.
        const QByteArray received = p.meter.sim.received();
        QCOMPARE(received.count('E'), 1);
        QVERIFY2(std::all_of(received.cbegin(), received.cend(),
                             [](char c) { return QByteArray("AEa").contains(c); }),
                 received.constData());
    }
}

// Blocks from STX to ETX of 35 and 37 bytes never decode: after as long as a silent meter
// takes, the link counts as lost, and only a true frame brings it back.
void TestLinkFaults::wrongLengthBlocksLoseTheLink()
{
    FrontPanel p;
    QVERIFY(p.start());
    QTRY_VERIFY(p.controller->session().poll().framesDecoded() > 0);
    const QString shownBefore = p.text("LblV");
    const QByteArray frame = frameWith();
    MeterLink& link = p.controller->session().link();
    LabelWatch label(p);
    QSignalSpy restored(&link, &MeterLink::linkRestored);
    QElapsedTimer clock;
    qint64 lostAtMs = -1;
    bool stayedLost = false;
    QString shownWhileLost;
    QElapsedTimer sinceTrueFrames;
    QObject context;
    p.meter.sim.setRawFrame(frame.left(34) + '\x03');
    QTimer::singleShot(3000, &context, [&] {
        p.meter.sim.setRawFrame(frame.left(35) + QByteArray("\x00\x03", 2));
    });
    // Inside the link-lost state: 37-byte blocks go on for 2 s, then the meter's true display.
    connect(&link, &MeterLink::linkLost, &context, [&] {
        lostAtMs = clock.elapsed();
        QTimer::singleShot(2000, &context, [&] {
            stayedLost = link.isLost() && restored.isEmpty();
            shownWhileLost = p.text("LblV");
            SimReading reading;
            reading.voltage = QStringLiteral("-9.876");
            p.meter.sim.setReading(reading);
            p.meter.sim.setRawFrame({});
            sinceTrueFrames.start();
        });
    });
    clock.start();
    QTRY_VERIFY_WITH_TIMEOUT(p.text("LblV") == "-9.876", 15000);
    QVERIFY2(sinceTrueFrames.elapsed() < 1000,
             qPrintable(QString::number(sinceTrueFrames.elapsed())));
    QVERIFY2(lostAtMs >= 5500 && lostAtMs < 9000, qPrintable(QString::number(lostAtMs)));
    QVERIFY(stayedLost);
    QCOMPARE(shownWhileLost, shownBefore); // nothing decoded from the wrong blocks
    QVERIFY(label.blinkedNoCom());
    QCOMPARE(restored.count(), 1);
    QCOMPARE(p.text("LblCOM"), QString("COM1"));
    QVERIFY(p.shown("LblCOM"));
}

QTEST_MAIN(TestLinkFaults)
#include "tst_linkfaults.moc"
