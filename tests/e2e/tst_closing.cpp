// Closing the main window ends the program, also while the meter is silent and the link-lost
// wait is running, and while another window is open. (A test of its own: the end of the
// program stops every later wait in this process.)
#include "FrontPanel.h"

#include <QElapsedTimer>
#include <QTimer>

class TestClosing : public QObject
{
    Q_OBJECT
private slots:
    void closingDuringLinkLostEndsTheProgram();
};

void TestClosing::closingDuringLinkLostEndsTheProgram()
{
    FrontPanel p;
    QVERIFY(p.start());
    QWidget otherWindow;
    otherWindow.show();
    p.meter.sim.setFault(MeterSim::Fault::Silent);
    bool closedWhileLost = false;
    connect(&p.controller->session().link(), &MeterLink::blinkStep, this, [&] {
        if (!closedWhileLost) {
            closedWhileLost = true;
            p.window.close();
        }
    });
    QTimer::singleShot(30000, qApp, [] { QCoreApplication::exit(2); }); // a hang fails
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(closedWhileLost);
    QVERIFY(!p.controller->session().timers().poll().isActive());
    QVERIFY(!p.controller->session().timers().keepAlive().isActive());
    QVERIFY(clock.elapsed() < 20000);
}

QTEST_MAIN(TestClosing)
#include "tst_closing.moc"
