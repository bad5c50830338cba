// The clock window end to end: toolbar "TimeSet" on the real main window, the emulator's clock
// on the pty, the live display that goes on beside it and every way out of it.
#include "Fetch.h"
#include "FrontPanel.h"
#include "MeterClock.h"
#include "RTCSetup.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <functional>

namespace {

RTCSetup* clockWindow(const FrontPanel& p)
{
    return p.window.findChild<RTCSetup*>(QStringLiteral("RTCSetup"));
}

QString line(RTCSetup* w, const char* name)
{
    return w->findChild<QLabel*>(QLatin1String(name))->text();
}

void click(RTCSetup* w, const char* name)
{
    QTest::mouseClick(w->findChild<QWidget*>(QLatin1String(name)), Qt::LeftButton);
}

bool timersRun(FrontPanel& p)
{
    PollTimers& t = p.controller->session().timers();
    return t.poll().isActive() && t.keepAlive().isActive();
}

// Opens the clock window with the meter's log emptied once the poll has stopped writing.
RTCSetup* open(FrontPanel& p)
{
    p.settledCommands();
    p.clickToolbar(QStringLiteral("TimeSet"));
    p.meter.sim.clearReceived();
    return clockWindow(p);
}

using WayOut = std::function<void(FrontPanel&, RTCSetup*)>;

} // namespace

Q_DECLARE_METATYPE(WayOut)

class TestClockSetup : public QObject
{
    Q_OBJECT
private slots:
    void refusedInRecordingMode();
    void opensPlacedWithTheDisplayLive();
    void setSendsOneClockReading();
    void meterReadSwitch();
    void pcSwitch();
    void waysOut_data();
    void waysOut();
    void unansweredClockRequest();
    void exitDuringLinkLostWait();
    void setDuringReadWaitsForIt();
};

void TestClockSetup::refusedInRecordingMode()
{
    FrontPanel p;
    QVERIFY(p.start());
    SimReading recording;
    recording.extraIndicatorBits[10] = 0x06; // TIME and INTV: the meter records by itself
    p.meter.sim.setReading(recording);
    QTRY_VERIFY(p.state.reading.MeterRecordingFlag);
    p.settledCommands();
    p.meter.sim.clearReceived();
    p.clickToolbar(QStringLiteral("TimeSet"));
    QVERIFY(!clockWindow(p));
    QCOMPARE(p.prompts.asked.size(), 1);
    QCOMPARE(p.prompts.asked[0].text, QString("Recording mode, stop record then try again !"));
    QCOMPARE(p.prompts.asked[0].icon, Prompts::Icon::Critical);
    QVERIFY(p.prompts.asked[0].title.isEmpty());
    QVERIFY(timersRun(p));
    QCOMPARE(p.settledCommands(), QByteArray());
}

void TestClockSetup::opensPlacedWithTheDisplayLive()
{
    FrontPanel p;
    QVERIFY(p.start());
    p.window.move(40, 30);
    RTCSetup* w = open(p);
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QString("Setup"));
    QVERIFY(w->isVisible() && w->isModal());
    QCOMPARE(w->findChild<QWidget*>("FrameTime")->property("title").toString(), QString("Time"));
    QCOMPARE(w->findChild<QPushButton*>("CmdSetTime")->text(),
             QString("Set Meter Time To System Time"));
    QCOMPARE(w->findChild<QPushButton*>("CmdExit")->text(), QString("Exit"));
    auto* timer = w->findChild<QTimer*>("Timer1");
    QVERIFY(timer && timer->isActive());
    QCOMPARE(timer->interval(), 350);
    const QRect main = p.window.frameGeometry();
    QCOMPARE(w->x(), main.left() + (main.width() - w->width()) / 2);
    QCOMPARE(w->y(), main.top() + TwipsScale::forScreen(p.window.screen()).px(1000));
    QVERIFY(!w->meterReadOn() && w->pcClockOn());
    // The window leaves the meter's display on show: the poll and the keep-alive go on.
    QVERIFY(timersRun(p));
    const quint64 frames = p.controller->session().poll().framesDecoded();
    QTRY_COMPARE(line(w, "LblPCTime"), QString("06:12:00:00"));
    QCOMPARE(line(w, "LblMeterTime"), QString("Meter Time"));
    QTest::qWait(800); // nothing is sent while both switches leave the meter alone
    QCOMPARE(p.meter.sim.received(), QByteArray());
    QVERIFY(p.controller->session().poll().framesDecoded() > frames + 5);
}

// "Q" and its five bytes 0.02 s apart, after the status exchange, all from one reading of
// the PC's clock.
void TestClockSetup::setSendsOneClockReading()
{
    FrontPanel p;
    QVERIFY(p.start());
    p.clock.advanceMs((11 * 3600 + 59 * 60 + 58) * 1000); // 2026-12-06 23:59:58
    RTCSetup* w = open(p);
    QVERIFY(w);
    QElapsedTimer since;
    since.start();
    QList<qint64> byteMs;
    connect(&p.meter.sim, &MeterSim::bytesReceived, this, [&](const QByteArray& bytes) {
        for (qsizetype i = 0; i < bytes.size(); ++i)
            byteMs.append(since.elapsed());
    });
    click(w, "CmdSetTime");
    QTRY_VERIFY(p.meter.sim.received().endsWith('Q' + QByteArray::fromHex("0623595858")));
    const QByteArray sent = p.meter.sim.received();
    QVERIFY2(QRegularExpression("^A+Q.{5}$", QRegularExpression::DotMatchesEverythingOption)
                 .match(QString::fromLatin1(sent))
                 .hasMatch(),
             sent.toHex().constData());
    const qsizetype q = sent.indexOf('Q');
    for (qsizetype i = q + 1; i < sent.size(); ++i)
        QVERIFY2(byteMs[i] - byteMs[i - 1] >= 15, qPrintable(QString::number(i)));
    const QDateTime meterClock = p.meter.sim.clock();
    QCOMPARE(meterClock.date().day(), 6);
    QVERIFY(meterClock.time() >= QTime(23, 59, 58) && meterClock.time() <= QTime(23, 59, 59));
    QVERIFY(w->findChild<QTimer*>("Timer1")->isActive());
}

void TestClockSetup::meterReadSwitch()
{
    FrontPanel p;
    QVERIFY(p.start());
    p.meter.sim.setClock(6, 10, 20, 30);
    RTCSetup* w = open(p);
    click(w, "LblMeterTime");
    QVERIFY(w->meterReadOn());
    QTRY_VERIFY(line(w, "LblMeterTime").startsWith("06:10:20:"));
    QTRY_VERIFY(p.meter.sim.commands().count('U') >= 3);
    click(w, "LblMeterTime");
    QTRY_COMPARE(line(w, "LblMeterTime"), QString("Meter Time"));
    const QByteArray reads = p.settledCommands();
    QVERIFY2(QRegularExpression("^(A+U)+$").match(QString::fromLatin1(reads)).hasMatch(),
             reads.constData());
    QTest::qWait(800);
    QCOMPARE(p.meter.sim.commands(), reads); // switched off: no more "U"
}

void TestClockSetup::pcSwitch()
{
    FrontPanel p;
    QVERIFY(p.start());
    RTCSetup* w = open(p);
    QTRY_COMPARE(line(w, "LblPCTime"), QString("06:12:00:00"));
    click(w, "LblPCTime");
    QVERIFY(!w->pcClockOn());
    QTRY_COMPARE(line(w, "LblPCTime"), QString("PC System Time"));
    p.clock.advanceMs(61'000);
    click(w, "LblPCTime");
    QTRY_COMPARE(line(w, "LblPCTime"), QString("06:12:01:01"));
}

void TestClockSetup::waysOut_data()
{
    QTest::addColumn<WayOut>("wayOut");
    QTest::newRow("Exit") << WayOut([](FrontPanel&, RTCSetup* w) { click(w, "CmdExit"); });
    QTest::newRow("close box") << WayOut([](FrontPanel&, RTCSetup* w) { w->close(); });
    QTest::newRow("Escape") << WayOut(
        [](FrontPanel&, RTCSetup* w) { QTest::keyClick(w, Qt::Key_Escape); });
    QTest::newRow("the meter starts recording") << WayOut([](FrontPanel& p, RTCSetup*) {
        SimReading recording;
        recording.extraIndicatorBits[10] = 0x06; // TIME and INTV, from the next frame on
        p.meter.sim.setReading(recording);
    });
    QTest::newRow("Exit while a read runs") << WayOut([](FrontPanel& p, RTCSetup* w) {
        click(w, "LblMeterTime");
        QTRY_VERIFY(p.meter.sim.commands().contains('U'));
        click(w, "CmdExit");
    });
}

void TestClockSetup::waysOut()
{
    FrontPanel p;
    QVERIFY(p.start());
    QPointer<RTCSetup> w = open(p);
    QVERIFY(w);
    fetched<WayOut>("wayOut")(p, w);
    QTRY_VERIFY(w.isNull());
    QVERIFY(timersRun(p));
    p.meter.sim.setReading(SimReading());
    // The next decoded frame says the meter is not recording (the window refuses to open
    // while it is).
    QTRY_VERIFY(!p.state.reading.MeterRecordingFlag);
    p.clickToolbar(QStringLiteral("TimeSet")); // and it opens again
    QVERIFY(clockWindow(p));
}

// "U" unanswered: ten tries, then the read switches off and says so; the window stays usable.
void TestClockSetup::unansweredClockRequest()
{
    FrontPanel p;
    QVERIFY(p.start());
    p.meter.sim.muteAnswers("U");
    RTCSetup* w = open(p);
    click(w, "LblMeterTime");
    QTRY_COMPARE_WITH_TIMEOUT(p.prompts.asked.size(), 1, 5000);
    QCOMPARE(p.prompts.asked[0].text, QString("The meter does not answer the clock request."));
    QCOMPARE(p.prompts.asked[0].icon, Prompts::Icon::Exclamation);
    QCOMPARE(p.meter.sim.commands().count('U'), 10);
    QVERIFY(!w->meterReadOn());
    QCOMPARE(line(w, "LblMeterTime"), QString("Meter Time"));
    click(w, "LblPCTime");
    QTRY_COMPARE(line(w, "LblPCTime"), QString("PC System Time"));
    p.meter.sim.clearAnswerShapes();
    click(w, "LblMeterTime");
    QTRY_VERIFY(line(w, "LblMeterTime") != QString("Meter Time"));
    QCOMPARE(p.prompts.asked.size(), 1);
}

// A meter that does not even answer "A": the link-lost wait runs inside the read. Exit closes
// the window at once; once the meter is back nothing more is sent and the timers run again.
void TestClockSetup::exitDuringLinkLostWait()
{
    FrontPanel p;
    QVERIFY(p.start());
    QPointer<RTCSetup> w = open(p);
    p.meter.sim.setFault(MeterSim::Fault::Silent);
    MeterLink& link = p.controller->session().link();
    bool exited = false;
    connect(&link, &MeterLink::blinkStep, this, [&] {
        if (exited || !w)
            return;
        exited = true;
        click(w, "CmdExit");
        QVERIFY(!w->isVisible()); // at once, though the read is still on the stack
        p.meter.sim.clearReceived();
        QTimer::singleShot(500, this, [&] { p.meter.sim.setFault(MeterSim::Fault::None); });
    });
    click(w, "LblMeterTime");
    QTRY_VERIFY_WITH_TIMEOUT(exited, 8000);
    QTRY_VERIFY_WITH_TIMEOUT(w.isNull(), 5000);
    QVERIFY(!link.isLost());
    QVERIFY(!p.meter.sim.commands().contains('U'));
    QTRY_VERIFY(timersRun(p));
}

// Set clicked while a read runs: it goes out after that read, never inside it.
void TestClockSetup::setDuringReadWaitsForIt()
{
    FrontPanel p;
    QVERIFY(p.start());
    RTCSetup* w = open(p);
    bool clicked = false;
    connect(&p.meter.sim, &MeterSim::commandReceived, this, [&](char c) {
        if (c == 'U' && !clicked) {
            clicked = true;
            click(w, "CmdSetTime");
        }
    });
    click(w, "LblMeterTime");
    QTRY_VERIFY(p.meter.sim.commands().contains('Q'));
    const QByteArray commands = p.meter.sim.commands();
    QVERIFY2(QRegularExpression("^(A+U)+A+Q").match(QString::fromLatin1(commands)).hasMatch(),
             commands.constData());
}

QTEST_MAIN(TestClockSetup)
#include "tst_clocksetup.moc"
