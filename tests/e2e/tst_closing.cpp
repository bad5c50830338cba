// Closing the main window ends the program, also while the link-lost wait is running (a silent
// meter, or its adapter pulled out), and while another window is open. The end of the program
// stops every later wait in this process, so each row runs in a process of its own: without
// arguments the first row runs and the others are skipped; CTest runs each by name.
#include "Fetch.h"
#include "FrontPanel.h"
#include "Waits.h"

#include <QElapsedTimer>
#include <QTimer>

#include <functional>

using Silence = std::function<void(FrontPanel&)>;
Q_DECLARE_METATYPE(Silence)

class TestClosing : public QObject
{
    Q_OBJECT
private slots:
    void closingDuringLinkLostEndsTheProgram_data();
    void closingDuringLinkLostEndsTheProgram();
};

void TestClosing::closingDuringLinkLostEndsTheProgram_data()
{
    QTest::addColumn<Silence>("silence");
    QTest::newRow("silent meter") << Silence(
        [](FrontPanel& p) { p.meter.sim.setFault(MeterSim::Fault::Silent); });
    QTest::newRow("adapter unplugged") << Silence([](FrontPanel& p) { p.meter.sim.unplug(); });
}

void TestClosing::closingDuringLinkLostEndsTheProgram()
{
    if (waitsAbandoned())
        QSKIP("the program has already ended in this process");
    FrontPanel p;
    QVERIFY(p.start(true));
    QWidget otherWindow;
    otherWindow.show();
    fetched<Silence>("silence")(p);
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
