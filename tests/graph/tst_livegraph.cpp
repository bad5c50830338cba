// The live all-channel graph and its channel dialog, driven through the windows' controls
// (found by object name) on a fresh AppState, without a meter: what the dialog keeps, what the
// window draws each second, when it closes, and how it follows and fits.
#include "LiveGraphRig.h"

class TestLiveGraph : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { Rig::settle(); }
    void graphDialogLoad();
    void editsStoreAtOnce();
    void noBoxCheckedStartsNothing();
    void graphCommandWhileRunning();
    void liveWindowLoad_data();
    void liveWindowLoad();
    void uncheckedAxesAreRemoved_data();
    void uncheckedAxesAreRemoved();
    void ticksFillTracesAndHistory();
    void tracesKeepTheLatestHour();
    void fedReadingsAreHeldWhileYoung_data();
    void fedReadingsAreHeldWhileYoung();
    void closeChecks_data();
    void closeChecks();
    void reopeningRestartsTheHistory();
    void resizeReopensWithNewChoice();
    void fitFollowAndTime();
};

void TestLiveGraph::graphDialogLoad()
{
    Rig rig;
    rig.state.reading.milliAmps = true;
    rig.state.reading.pointPos[CurrentReading::Current] = 0;
    rig.state.reading.RangeText = "40 mOhm";
    rig.state.allChannelGraph.ShowTemperature = true;
    rig.graph.runGraphCommand();
    ChannelDialog* d = rig.graphDialog();
    QVERIFY(d);
    QCOMPARE(d->windowTitle(), QString("Graph"));
    QVERIFY(!d->isModal());
    QVERIFY(d->findChild<QLabel*>("LblHint")->text() ==
            "Check the box and set up the maximum / mininum of YAxis for the Graphic Display.");
    QCOMPARE(child<QGroupBox>(d, "AFrame")->title(), QString("mAmpere"));
    QCOMPARE(child<QGroupBox>(d, "OFrame")->title(), QString("Resistance"));
    QVERIFY(rig.state.allChannelGraph.MilliAmpAtOpen);

    // Boxes from the choice; a channel's limits are shown exactly while its box is checked.
    for (int c = 0; c < GraphChannelCount; ++c) {
        const bool on = c == int(GraphChannel::Temperature);
        QCOMPARE(child<QCheckBox>(d, kChecks[c])->isChecked(), on);
        for (const char* prefix : {"AxisMin", "AxisMax", "LblMin", "LblMax"})
            QCOMPARE(child<QWidget>(d, prefix + QString(kSuffix[c]))->isVisible(), on);
    }
    QCOMPARE(child<QLabel>(d, "LblMaxT")->text(), QString("Max"));
    QCOMPARE(child<QLabel>(d, "LblMinT")->text(), QString("Min"));
    child<QCheckBox>(d, "CkCap")->click();
    QVERIFY(edit(d, "Min", 4)->isVisible());
    child<QCheckBox>(d, "CkTemp")->click();
    QVERIFY(!edit(d, "Max", 2)->isVisible());
    QVERIFY(!child<QLabel>(d, "LblMaxT")->isVisible());

    // The default ranges, whole (the current's 6500 and the capacity's -10000 included).
    const double expected[5][2] = {{-60, 60}, {-6500, 6500}, {-20, 60}, {0, 40}, {-10000, 10000}};
    for (int c = 0; c < GraphChannelCount; ++c) {
        QCOMPARE(edit(d, "Min", c)->value(), expected[c][0]);
        QCOMPARE(edit(d, "Max", c)->value(), expected[c][1]);
    }
    QCOMPARE(edit(d, "Max", 1)->text(), QString("6500"));
    QCOMPARE(edit(d, "Min", 0)->singleStep(), 0.001);
    QCOMPARE(edit(d, "Min", 2)->format(), QString("0.0"));
    // The resistance edits follow the range shown now: 40 mOhm steps by 0.01, two decimals.
    QCOMPARE(edit(d, "Max", 3)->singleStep(), 0.01);
    QCOMPARE(edit(d, "Max", 3)->text(), QString("40.00"));
}

void TestLiveGraph::editsStoreAtOnce()
{
    Rig rig;
    rig.graph.runGraphCommand();
    ChannelDialog* d = rig.graphDialog();
    edit(d, "Max", 1)->setValue(3.25);
    edit(d, "Min", 4)->setValue(-99999);
    QCOMPARE(rig.state.allChannelGraph.range(GraphChannel::Current), (AxisPair{3.25f, -6.5f}));
    QCOMPARE(rig.state.allChannelGraph.range(GraphChannel::Capacity).min, -99999.0f);
    // Typed, not only set by code.
    AxisEdit* vmax = edit(d, "Max", 0);
    vmax->selectAll();
    QTest::keyClicks(vmax, "14.5");
    QCOMPARE(rig.state.allChannelGraph.range(GraphChannel::Voltage).max, 14.5f);
}

void TestLiveGraph::noBoxCheckedStartsNothing()
{
    Rig rig;
    rig.graph.runGraphCommand();
    Rig::ok(rig.graphDialog());
    QVERIFY(!rig.graphDialog());
    QVERIFY(!rig.live());
    const AllChannelGraph& g = rig.state.allChannelGraph;
    QVERIFY(!g.GraphActive);
    QVERIFY(g.RangeAtOpen.isEmpty());
    QVERIFY(!g.ChannelHistory.allocated());
}

void TestLiveGraph::graphCommandWhileRunning()
{
    Rig rig;
    QVERIFY(rig.start({true, false, false, false, false}));
    AllChannelGraph& g = rig.state.allChannelGraph;
    g.range(GraphChannel::Voltage) = {15, 10};
    rig.state.reading.milliAmps = true;
    rig.graph.runGraphCommand();
    QVERIFY(!rig.graphDialog());
    QCOMPARE(g.range(GraphChannel::Voltage), (AxisPair{15, 10}));
    QVERIFY(!g.MilliAmpAtOpen);
}

void TestLiveGraph::liveWindowLoad_data()
{
    QTest::addColumn<bool>("celsius");
    QTest::addColumn<QString>("range");
    QTest::addColumn<bool>("milliAmps");
    QTest::addColumn<QString>("lblT");
    QTest::addColumn<QString>("lblO");
    QTest::addColumn<QString>("lblA");
    QTest::newRow("Celsius, mOhm, A") << true << "400 mOhm" << false << "Celsius"
                                      << "mOhm"
                                      << "Ampere";
    QTest::newRow("Fahrenheit, Ohm, mA") << false << "4 Ohm" << true << "Fahrenheit"
                                         << "Ohm"
                                         << "mAmpere";
}

void TestLiveGraph::liveWindowLoad()
{
    Rig rig;
    CurrentReading& r = rig.state.reading;
    r.celsius = fetched<bool>("celsius");
    r.RangeText = fetched<QString>("range");
    r.milliAmps = fetched<bool>("milliAmps");
    LiveGraphWindow* w = rig.start(kAll);
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QString("Real Time Graph"));
    QCOMPARE(w->pos(), QPoint(rig.main.frameGeometry().right() + 1, 0));
    QCOMPARE(w->palette().color(QPalette::Window), kTeal);
    QCOMPARE(child<QLabel>(w, "LblT")->text(), fetched<QString>("lblT"));
    QCOMPARE(child<QLabel>(w, "LblO")->text(), fetched<QString>("lblO"));
    QCOMPARE(child<QLabel>(w, "LblA")->text(), fetched<QString>("lblA"));
    QCOMPARE(child<QLabel>(w, "LblV")->text(), QString("Voltage"));
    QStringList capacity;
    for (const QString& name : kCapacityLabels)
        capacity << child<QLabel>(w, name)->text();
    QCOMPARE(capacity, (QStringList{"Capacity", "(", "in", "Out", "Total", ")"}));

    auto* timer = child<QTimer>(w, "Timer1");
    QCOMPARE(timer->interval(), 1000);
    QVERIFY(timer->isActive());
    QStringList keys;
    for (QAction* a : child<QToolBar>(w, "Toolbar1")->actions()) {
        if (!a->property("Key").toString().isEmpty())
            keys << a->property("Key").toString();
    }
    QCOMPARE(keys, (QStringList{"Resize", "Print", "Save image", "Fit"}));
    GraphView* g = w->graph();
    QCOMPARE(g->objectName(), QString("CWGraph1"));
    QCOMPARE(g->axisCount(), 6);
    QCOMPARE(g->plotCount(), 7);
    for (int p = 5; p <= 7; ++p)
        QCOMPARE(g->plot(p)->valueAxis(), g->axis(6)); // the three charges share axis 6
}

void TestLiveGraph::uncheckedAxesAreRemoved_data()
{
    QTest::addColumn<Choice>("choice");
    QTest::newRow("all") << kAll;
    QTest::newRow("current unchecked") << Choice{true, false, true, true, true};
    QTest::newRow("voltage only") << Choice{true, false, false, false, false};
    QTest::newRow("capacity only") << Choice{false, false, false, false, true};
    QTest::newRow("temperature and resistance") << Choice{false, false, true, true, false};
}

void TestLiveGraph::uncheckedAxesAreRemoved()
{
    const Choice choice = fetched<Choice>("choice");
    Rig rig;
    rig.graph.runGraphCommand();
    ChannelDialog* d = rig.graphDialog();
    const AxisPair ranges[] = {{15, 10}, {2, -2}, {45, 15}, {100, 0}, {3, -1}};
    for (int c = 0; c < GraphChannelCount; ++c) {
        edit(d, "Max", c)->setValue(ranges[c].max);
        edit(d, "Min", c)->setValue(ranges[c].min);
    }
    Rig::check(d, choice);
    Rig::ok(d);
    LiveGraphWindow* w = rig.live();
    QVERIFY(w);
    QVERIFY(!rig.graphDialog());
    QVERIFY(rig.state.allChannelGraph.GraphActive);
    QCOMPARE(rig.state.allChannelGraph.choice(), choice);

    // The axes left, in order, each with its own channel's range.
    GraphView* g = w->graph();
    int axis = 2;
    for (int c = 0; c < GraphChannelCount; ++c) {
        if (!choice[std::size_t(c)])
            continue;
        QCOMPARE(range(g, axis).lower, double(ranges[c].min));
        QCOMPARE(range(g, axis).upper, double(ranges[c].max));
        ++axis;
    }
    QCOMPARE(g->axisCount(), axis - 1);
    const char* legend[] = {"LblV", "LblA", "LblT", "LblO"};
    for (int c = 0; c < 4; ++c)
        QCOMPARE(shown(w, legend[c]), choice[std::size_t(c)]);
    for (const QString& name : kCapacityLabels)
        QCOMPARE(shown(w, name), choice[4]);
}

void TestLiveGraph::ticksFillTracesAndHistory()
{
    Rig rig;
    LiveGraphWindow* w = rig.start({true, false, false, false, false});
    rig.ticks(2);
    rig.state.reading.valueTexts[CurrentReading::Voltage] = "-0L";
    rig.ticks(1);
    w->tick(); // a second without a frame (the poll rests, the link is lost): a gap
    rig.ticks(1);
    GraphView* g = w->graph();
    QCOMPARE(gapsMarked(values(g, 1)), (QList<double>{12.53f, 12.53f, -60, -1e9, -60}));
    QCOMPARE(keys(g, 1), (QList<double>{1, 2, 3, 4, 5}));
    for (int p = 2; p <= 7; ++p)
        QVERIFY(!g->plot(p)); // their axes were removed with their traces

    // All seven series advance, chosen or not, gap or not.
    const ChannelRing& h = rig.state.allChannelGraph.ChannelHistory;
    QCOMPARE(h.historyIndex(), 5);
    const LiveSample first{12.53f, -0.511f, 25.3f, 41.2f, 1.5f, 1.234f, 9999};
    for (int s = 0; s < LiveSeriesCount; ++s) {
        QCOMPARE(h.at(LiveSeries(s), 0), first[std::size_t(s)]);
        QVERIFY(std::isnan(h.at(LiveSeries(s), 3)));
    }
    QCOMPARE(h.at(LiveSeries::Voltage, 2), -60.0f);
}

void TestLiveGraph::fedReadingsAreHeldWhileYoung_data()
{
    QTest::addColumn<int>("holdMs");           // 0: the meter of this program, no feed
    QTest::addColumn<QList<int>>("tickAtSec"); // ticks without a new reading, seconds after it
    QTest::addColumn<QList<double>>("drawn");  // -1e9 for a gap

    QTest::newRow("this program's meter: a gap at once")
        << 0 << QList<int>{1, 2} << QList<double>{12.53f, -1e9, -1e9};
    QTest::newRow("fed: drawn again up to the hold, then a gap")
        << 10000 << QList<int>{1, 10, 11} << QList<double>{12.53f, 12.53f, 12.53f, -1e9};
}

// A reading fed from the lab's broker may come only every few seconds: the graph draws it
// again while it is young instead of a gap between every two.
void TestLiveGraph::fedReadingsAreHeldWhileYoung()
{
    Rig rig;
    const int holdMs = fetched<int>("holdMs");
    if (holdMs > 0)
        rig.graph.setFeed(QStringLiteral("bench1"), holdMs);
    LiveGraphWindow* w = rig.start({true, false, false, false, false});
    QCOMPARE(w->windowTitle(),
             holdMs > 0 ? QString("Real Time Graph - bench1") : QString("Real Time Graph"));
    rig.ticks(1);
    int at = 0;
    for (const int second : fetched<QList<int>>("tickAtSec")) {
        rig.clock.advanceMs((second - at) * 1000);
        at = second;
        w->tick();
    }
    QCOMPARE(gapsMarked(values(w->graph(), 1)), fetched<QList<double>>("drawn"));
}

void TestLiveGraph::tracesKeepTheLatestHour()
{
    Rig rig;
    LiveGraphWindow* w = rig.start(kAll);
    GraphView* g = w->graph();
    QCOMPARE(range(g, 1), QCPRange(1, LiveGraphWindow::MinimumSpan));
    rig.ticks(LiveGraphWindow::MinimumSpan + 5);
    QCOMPARE(range(g, 1), QCPRange(1, LiveGraphWindow::MinimumSpan + 5));
    rig.ticks(LiveGraphWindow::TraceWindow - LiveGraphWindow::MinimumSpan + 5);
    const double last = LiveGraphWindow::TraceWindow + 10;
    QCOMPARE(w->records(), qint64(last));
    for (int p = 1; p <= 7; ++p) {
        QCOMPARE(g->plot(p)->dataCount(), LiveGraphWindow::TraceWindow);
        QCOMPARE(g->plot(p)->data()->constBegin()->key, 11.0);
        QCOMPARE((g->plot(p)->data()->constEnd() - 1)->key, last);
    }
    QCOMPARE(range(g, 1), QCPRange(11, last));
    QCOMPARE(rig.state.allChannelGraph.ChannelHistory.held(), int(last));
}

void TestLiveGraph::closeChecks_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("closes");
    QTest::newRow("resistance range") << "range" << true;
    QTest::newRow("current unit") << "milliAmps" << true;
    QTest::newRow("graph no longer active") << "inactive" << true;
    QTest::newRow("temperature unit") << "tempUnit" << false;
}

void TestLiveGraph::closeChecks()
{
    const QString change = fetched<QString>("change");
    Rig rig;
    LiveGraphWindow* w = rig.start(kAll);
    rig.ticks(2);
    CurrentReading& r = rig.state.reading;
    if (change == "range")
        r.RangeText = "4 Ohm";
    else if (change == "milliAmps")
        r.milliAmps = true;
    else if (change == "inactive")
        rig.state.allChannelGraph.GraphActive = false;
    else
        r.TempUnitText = "Fahrenheit";
    QVERIFY(rig.live()); // nothing happens before the tick
    w->tick();
    const bool closes = fetched<bool>("closes");
    const ChannelRing& h = rig.state.allChannelGraph.ChannelHistory;
    QCOMPARE(!rig.live(), closes);
    QCOMPARE(h.held(), closes ? 2 : 3); // a closing tick samples nothing
    QCOMPARE(rig.state.allChannelGraph.GraphActive, !closes);
    if (closes) {
        QVERIFY(!w->timer()->isActive());
        Rig::settle();
        QVERIFY(!rig.graph.window());
    }
}

void TestLiveGraph::reopeningRestartsTheHistory()
{
    Rig rig;
    rig.start(kAll)->close();
    QVERIFY(!rig.state.allChannelGraph.GraphActive);
    LiveGraphWindow* w = rig.start(kAll);
    rig.ticks(4);
    w->close();
    const ChannelRing& h = rig.state.allChannelGraph.ChannelHistory;
    QCOMPARE(h.held(), 4); // kept after the close, for the detail graph
    rig.start(kAll);
    QCOMPARE(h.historyIndex(), 0);
    QCOMPARE(h.held(), 0);
    rig.ticks(1);
    QCOMPARE(h.historyIndex(), 1);
}

void TestLiveGraph::resizeReopensWithNewChoice()
{
    Rig rig;
    LiveGraphWindow* w = rig.start({true, true, false, false, false});
    rig.state.allChannelGraph.range(GraphChannel::Capacity) = {5, -5};
    child<QToolBar>(w, "Toolbar1")->actions().at(0)->trigger();
    QVERIFY(!rig.live());
    QVERIFY(!rig.state.allChannelGraph.GraphActive);
    ChannelDialog* d = rig.graphDialog();
    QVERIFY(d);
    // Its load shows the choice and the ranges in force.
    QVERIFY(child<QCheckBox>(d, "CkA")->isChecked());
    QVERIFY(!child<QCheckBox>(d, "CkCap")->isChecked());
    QCOMPARE(edit(d, "Max", 4)->value(), 5.0);
    Rig::check(d, {false, false, false, false, true});
    Rig::ok(d);
    LiveGraphWindow* again = rig.live();
    QVERIFY(again);
    QVERIFY(again != w);
    QCOMPARE(again->graph()->axisCount(), 2);
    QCOMPARE(range(again->graph(), 2), QCPRange(-5, 5));
    QVERIFY(!shown(again, "LblV"));
    QVERIFY(shown(again, "LblTotal"));
    rig.ticks(1);
    QCOMPARE(values(again->graph(), 7), QList<double>{9999});
}

// Fit, Follow and the time of day on the record axis, in the live window.
void TestLiveGraph::fitFollowAndTime()
{
    Rig rig; // the first sample is taken at 23:59:58
    LiveGraphWindow* w = rig.start(kAll);
    QVERIFY(w);
    GraphView* g = w->graph();
    const QStringList titles{"Time (s)",         "Voltage (V)",       "Current (A)",
                             "Temperature (°C)", "Resistance (mOhm)", "Charge (Ah)"};
    for (int axis = 1; axis <= 6; ++axis)
        QCOMPARE(g->axis(axis)->label(), titles[axis - 1]);
    for (const char* volts : {"12.53", "OL", "12.43", "12.33"}) {
        rig.state.reading.valueTexts[CurrentReading::Voltage] = volts;
        rig.ticks(1);
    }
    w->runToolbarCommand("Fit");
    QVERIFY(!w->following()); // Fit leaves Follow alone
    QCOMPARE(range(g, 1), QCPRange(1, 4));
    QVERIFY(qAbs(range(g, 2).lower - 12.32) < 1e-4); // the overload (60) left out
    QVERIFY(qAbs(range(g, 2).upper - 12.54) < 1e-4);
    QVERIFY(range(g, 6).upper < 2); // In-Cap 1.5 and Out-Cap 1.234; T-Cap "0L" left out

    // Follow: the newest samples, the value axes fitted at every tick.
    child<QToolBar>(w, "Toolbar1")->findChild<QAction*>("Follow")->trigger();
    QVERIFY(w->following());
    rig.state.reading.valueTexts[CurrentReading::Voltage] = "11.00";
    rig.ticks(1);
    QCOMPARE(range(g, 1), QCPRange(1, 5));
    QVERIFY(range(g, 2).lower < 11 && range(g, 2).lower > 10.9);

    // The wheel by hand ends Follow, and the record axis stays where it was put.
    g->replotNow();
    const QPointF at = g->axisRect()->rect().center();
    QWheelEvent turn(at, g->mapToGlobal(at), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(g, &turn);
    QVERIFY(!w->following());
    const QCPRange zoomed = range(g, 1);
    rig.ticks(2);
    QCOMPARE(range(g, 1), zoomed);
    // A double-click fits (and asks for no detail graph); the axis scrolls again.
    QTest::mouseDClick(g, Qt::LeftButton, {}, at.toPoint());
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QVERIFY(!rig.detailDialog());
    QCOMPARE(range(g, 1), QCPRange(1, 7));
    rig.ticks(1);
    QCOMPARE(range(g, 1), QCPRange(1, 8));

    // The record axis in time of day: record 3 was taken at midnight.
    w->setXReading(XReading::Clock);
    QCOMPARE(g->recordText(3), QString("00:00:00"));
    QCOMPARE(g->axis(1)->label(), QString("Time of day (hh:mm:ss)"));
    g->replotNow();
    QVERIFY(g->axis(1)->tickVectorLabels().contains("00:00:00"));
    w->setXReading(XReading::Elapsed);
    QCOMPARE(g->recordText(8), QString("0:00:07"));
}

QTEST_MAIN(TestLiveGraph)
#include "tst_livegraph.moc"
