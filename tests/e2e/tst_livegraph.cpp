// The live all-channel graph end to end: the main window's toolbar, the real one-second tick
// and the meter emulator streaming a known reading; the detail graph filled from the history.
#include "AxisEdit.h"
#include "ChannelDialog.h"
#include "FrontPanel.h"
#include "GraphView.h"
#include "GraphWindow.h"
#include "LiveGraph.h"
#include "LiveGraphWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTest>

namespace {

QList<double> values(const GraphView* g, int plot)
{
    QList<double> v;
    if (const QCPGraph* p = g->plot(plot)) {
        for (auto it = p->data()->constBegin(); it != p->data()->constEnd(); ++it)
            v << it->value;
    }
    return v;
}

GraphWindow* detailWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("RealTimeGraph") && w->isVisible())
            return qobject_cast<GraphWindow*>(w);
    }
    return nullptr;
}

} // namespace

class TestLiveGraphEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void graphsWhatTheMeterShows();
};

void TestLiveGraphEndToEnd::graphsWhatTheMeterShows()
{
    FrontPanel p;
    QVERIFY(p.start());
    SimReading r;
    r.voltage = "12.53";
    r.resistance = "41.2";
    r.current = "-0.511";
    r.temperature = "25.3";
    r.inCap = "1500";
    r.outCap = "1.234";
    r.tCap = "0L";
    r.capMilli = {true, false, false};
    r.rangeCode = 3;
    p.meter.sim.setReading(r);
    QTRY_COMPARE(p.state.reading.valueTexts[CurrentReading::Resistance], QString(" 41.2"));
    QCOMPARE(p.state.reading.RangeText, QString("400 mOhm"));

    p.clickToolbar("Graph");
    auto* dialog = p.find<ChannelDialog>("AllGraph");
    QVERIFY(dialog && dialog->isVisible());
    dialog->findChild<QCheckBox*>("CkV")->click();
    dialog->findChild<QCheckBox*>("CkCap")->click();
    dialog->findChild<QPushButton*>("CmdOK")->click();
    QPointer<LiveGraphWindow> live = p.find<LiveGraphWindow>("RealTimeAll");
    QVERIFY(live && live->isVisible());
    QCOMPARE(p.state.allChannelGraph.RangeAtOpen, QString("400 mOhm"));

    // Three ticks of the real timer.
    const ChannelRing& history = p.state.allChannelGraph.ChannelHistory;
    QTRY_COMPARE_WITH_TIMEOUT(history.held(), 3, 6000);
    GraphView* g = live->graph();
    QCOMPARE(values(g, 1), QList<double>(3, 12.53f));
    QCOMPARE(values(g, 5), QList<double>(3, 1.5));
    QCOMPARE(values(g, 6), QList<double>(3, 1.234f));
    QCOMPARE(values(g, 7), QList<double>(3, 9999));
    QVERIFY(!g->plot(2) && !g->plot(3) && !g->plot(4));
    const LiveSample expected{12.53f, -0.511f, 25.3f, 41.2f, 1.5f, 1.234f, 9999};
    for (int i = 0; i < 3; ++i) {
        for (int s = 0; s < LiveSeriesCount; ++s)
            QCOMPARE(history.at(LiveSeries(s), i), expected[std::size_t(s)]);
    }

    // A click on the graph (it counts once no double-click follows), then OK in the detail
    // dialog: the samples held so far (the tick cannot run between these lines).
    QTest::mouseClick(g, Qt::LeftButton, {}, g->axisRect()->rect().center());
    QTRY_VERIFY(p.find<ChannelDialog>("GraphDetail"));
    auto* detailDialog = p.find<ChannelDialog>("GraphDetail");
    QVERIFY(detailDialog->isVisible());
    const int held = history.held();
    detailDialog->findChild<QPushButton*>("CmdOK")->click();
    GraphWindow* detail = detailWindow();
    QVERIFY(detail);
    QCOMPARE(detail->axisMaxBox(1)->value(), double(held));
    QCOMPARE(values(detail->graph(), GraphWindow::VoltagePlot), QList<double>(held, 12.53f));
    QCOMPARE(values(detail->graph(), GraphWindow::OutCapPlot), QList<double>(held, 1.234f));
    QCOMPARE(detail->graph()->axisCount(), 3);

    // The meter changes range: the live graph closes at its next tick.
    r.rangeCode = 4;
    p.meter.sim.setReading(r);
    QTRY_VERIFY_WITH_TIMEOUT(!live || !live->isVisible(), 5000); // closed, then deleted
    QVERIFY(!p.state.allChannelGraph.GraphActive);
    QVERIFY(history.held() >= held);
}

QTEST_MAIN(TestLiveGraphEndToEnd)
#include "tst_livegraph.moc"
