// Closing the main window while the clock window reads an unanswering meter ends the program
// at once: no more requests, no message. (A test of its own: the end of the program stops
// every later wait in this process.)
#include "FrontPanel.h"
#include "RTCSetup.h"

#include <QElapsedTimer>
#include <QTimer>

class TestClosingClock : public QObject
{
    Q_OBJECT
private slots:
    void closingDuringAClockRead();
};

void TestClosingClock::closingDuringAClockRead()
{
    FrontPanel p;
    QVERIFY(p.start());
    p.meter.sim.muteAnswers("U");
    p.clickToolbar(QStringLiteral("TimeSet"));
    auto* w = p.window.findChild<RTCSetup*>(QStringLiteral("RTCSetup"));
    QVERIFY(w);
    QTest::mouseClick(w->findChild<QWidget*>(QStringLiteral("LblMeterTime")), Qt::LeftButton);
    int requestsAtClose = -1;
    connect(&p.meter.sim, &MeterSim::commandReceived, this, [&](char c) {
        if (c == 'U' && requestsAtClose < 0) {
            requestsAtClose = int(p.meter.sim.commands().count('U'));
            p.window.close();
        }
    });
    QTimer::singleShot(30000, qApp, [] { QCoreApplication::exit(2); }); // a hang fails
    QCOMPARE(QCoreApplication::exec(), 0);
    QTest::qWait(300);
    QCOMPARE(requestsAtClose, 1);
    QCOMPARE(int(p.meter.sim.commands().count('U')), requestsAtClose);
    QVERIFY(p.prompts.asked.isEmpty());
}

QTEST_MAIN(TestClosingClock)
#include "tst_closingclock.moc"
