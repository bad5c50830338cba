// The detail dialog and the detail graph of the live all-channel graph: opened by a click on
// the live graph, over the history the live graph keeps (also once it has wrapped), and reset
// after the live graph closed.
#include "LiveGraphRig.h"

class TestLiveGraphDetail : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { Rig::settle(); }
    void detailFromGraphClick_data();
    void detailFromGraphClick();
    void detailAfterTheWrap();
    void detailResetAfterTheGraphClosed();
};

void TestLiveGraphDetail::detailFromGraphClick_data()
{
    QTest::addColumn<int>("samples");
    QTest::addColumn<Choice>("collected");
    QTest::addColumn<Choice>("drawn");
    QTest::addColumn<int>("gap"); // the second without a frame, 0 for none
    QTest::newRow("empty") << 0 << kAll << kAll << 0;
    QTest::newRow("one sample") << 1 << kAll << Choice{true, true, true, true, false} << 0;
    QTest::newRow("three, voltage and capacity") << 3 << Choice{true, false, false, false, true}
                                                 << Choice{true, false, false, false, true} << 0;
    QTest::newRow("three, capacity left out") << 3 << Choice{true, false, true, false, true}
                                              << Choice{false, false, true, false, false} << 0;
    QTest::newRow("four, the second a gap") << 4 << kAll << kAll << 2;
}

void TestLiveGraphDetail::detailFromGraphClick()
{
    const int samples = fetched<int>("samples");
    const Choice collected = fetched<Choice>("collected");
    const Choice drawn = fetched<Choice>("drawn");
    const int gap = fetched<int>("gap");
    Rig rig;
    rig.state.reading.TempUnitText = "Fahrenheih";
    QVERIFY(rig.start(collected));
    for (int i = 1; i <= samples; ++i) {
        rig.state.reading.valueTexts[CurrentReading::Voltage] = QString::number(i);
        if (i == gap)
            rig.live()->tick();
        else
            rig.ticks(1);
    }
    rig.state.allChannelGraph.range(GraphChannel::Temperature) = {90, 10};
    rig.clickGraph();
    ChannelDialog* d = rig.detailDialog();
    QVERIFY(d);
    QCOMPARE(d->windowTitle(), QString("Graph Detail"));
    for (int c = 0; c < GraphChannelCount; ++c) {
        const bool on = collected[std::size_t(c)];
        QCOMPARE(child<QGroupBox>(d, kFrames[c])->isEnabled(), on);
        QCOMPARE(child<QCheckBox>(d, kChecks[c])->isChecked(), on);
    }
    QCOMPARE(edit(d, "Max", 2)->value(), 90.0); // the live pairs

    Rig::check(d, drawn);
    edit(d, "Max", 0)->setValue(20);
    Rig::ok(d);
    QVERIFY(!rig.detailDialog());
    GraphWindow* w = rig.detail();
    QVERIFY(w);
    GraphView* g = w->graph();

    // X 1..N; an empty or one-sample history shows 1 and 1.
    const double n = qMax(1, samples);
    QCOMPARE(w->axisMinBox(1)->value(), 1.0);
    QCOMPARE(w->axisMaxBox(1)->value(), n);
    QCOMPARE(range(g, 1), samples > 1 ? QCPRange(1, n) : QCPRange(0.5, 1.5));

    int axis = 2;
    for (int c = 0; c < GraphChannelCount; ++c)
        axis += drawn[std::size_t(c)] ? 1 : 0;
    QCOMPARE(g->axisCount(), axis - 1);
    QCOMPARE(shown(w, "LblV"), drawn[0]);
    QCOMPARE(shown(w, "LblT"), drawn[2]);
    for (const QString& name : kCapacityLabels)
        QCOMPARE(shown(w, name), drawn[4]);
    QCOMPARE(child<QLabel>(w, "LblT")->text(), QString("Fahrenheih"));
    QCOMPARE(child<QLabel>(w, "LblO")->text(), QString("mOhm"));
    if (drawn[0]) {
        QCOMPARE(range(g, 2).upper, 20.0);
        QList<double> expected;
        for (int i = 1; i <= samples; ++i)
            expected << (i == gap ? -1e9 : i);
        QCOMPARE(gapsMarked(values(g, GraphWindow::VoltagePlot)), expected);
    }
    if (drawn[4]) {
        QList<double> inCap(samples, 1.5);
        QList<double> tCap(samples, 9999);
        if (gap > 0)
            inCap[gap - 1] = tCap[gap - 1] = -1e9;
        QCOMPARE(gapsMarked(values(g, GraphWindow::InCapPlot)), inCap);
        QCOMPARE(gapsMarked(values(g, GraphWindow::TCapPlot)), tCap);
    }
    const AllChannelGraph& s = rig.state.allChannelGraph;
    QCOMPARE(s.DetailShow, drawn);
    QCOMPARE(s.DetailRanges[0].max, 20.0f);

    // Fit: the voltage's samples 1..N, the charges without the T-Cap's overload (9999).
    w->findChild<QPushButton*>("CmdFit")->click();
    if (drawn[0] && samples > 1) {
        QVERIFY(range(g, 2).lower < 1 && range(g, 2).lower > 0.5);
        QVERIFY(range(g, 2).upper > samples && range(g, 2).upper < samples + 0.5);
        QCOMPARE(g->axis(2)->label(), QString("Voltage (V)"));
    }
    if (drawn[4] && samples > 0)
        QVERIFY(range(g, g->axisCount()).upper < 2);
    if (samples == 0)
        QCOMPARE(range(g, 1), QCPRange(0.5, 1.5));
}

// After five days and five seconds the detail shows every sample held, oldest first.
void TestLiveGraphDetail::detailAfterTheWrap()
{
    Rig rig;
    QVERIFY(rig.start({true, false, false, false, false}));
    ChannelRing& h = rig.state.allChannelGraph.ChannelHistory;
    for (int i = 1; i <= ChannelRing::Capacity + 4; ++i) {
        LiveSample s{};
        s[0] = float(i);
        h.append(s);
    }
    rig.state.reading.valueTexts[CurrentReading::Voltage] = "-5";
    rig.ticks(1); // the newest sample, through the tick
    rig.clickGraph();
    Rig::ok(rig.detailDialog());
    GraphWindow* w = rig.detail();
    QVERIFY(w);
    const QCPGraph* p = w->graph()->plot(GraphWindow::VoltagePlot);
    QCOMPARE(p->dataCount(), ChannelRing::Capacity);
    QCOMPARE(w->axisMaxBox(1)->value(), double(ChannelRing::Capacity));
    QCOMPARE(p->data()->at(0)->value, 6.0);
    QCOMPARE(p->data()->at(0)->key, 1.0);
    QCOMPARE(p->data()->at(ChannelRing::Capacity - 2)->value, double(ChannelRing::Capacity + 4));
    QCOMPARE(p->data()->at(ChannelRing::Capacity - 1)->value, -5.0);
}

// The history outlives the live window: the detail window's Reset, then OK, still shows it,
// with the detail dialog's own last choice and ranges, on a complete graph again.
void TestLiveGraphDetail::detailResetAfterTheGraphClosed()
{
    Rig rig;
    LiveGraphWindow* live = rig.start(kAll);
    rig.ticks(3);
    rig.clickGraph();
    ChannelDialog* d = rig.detailDialog();
    Rig::check(d, {true, true, false, true, true});
    edit(d, "Min", 0)->setValue(-3);
    Rig::ok(d);
    QCOMPARE(rig.detail()->graph()->axisCount(), 5);
    rig.state.reading.RangeText = "4 Ohm";
    live->tick(); // the range changed: the live graph closes
    QVERIFY(!rig.live());

    child<QPushButton>(rig.detail(), "CmdReset")->click();
    QVERIFY(!rig.detail());
    d = rig.detailDialog();
    QVERIFY(d);
    QVERIFY(!child<QCheckBox>(d, "CkTemp")->isChecked());
    QVERIFY(child<QCheckBox>(d, "CkOhm")->isChecked());
    QCOMPARE(edit(d, "Min", 0)->value(), -3.0);
    QCOMPARE(edit(d, "Max", 0)->value(), 60.0);
    Rig::check(d, kAll);
    Rig::ok(d);
    GraphWindow* w = rig.detail();
    QVERIFY(w);
    QCOMPARE(w->graph()->axisCount(), 6);
    QCOMPARE(values(w->graph(), GraphWindow::TemperaturePlot), QList<double>(3, 25.3f));
    QCOMPARE(values(w->graph(), GraphWindow::ResistancePlot), QList<double>(3, 41.2f));

    // A click on the live graph closes the detail window first.
    rig.start(kAll)->tick();
    rig.clickGraph();
    QVERIFY(!rig.detail());
    QVERIFY(rig.detailDialog());
}

QTEST_MAIN(TestLiveGraphDetail)
#include "tst_livegraphdetail.moc"
