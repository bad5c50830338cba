#include "AllChannelGraph.h"
#include "CurrentReading.h"
#include "Fetch.h"

#include <QTest>

#include <numeric>
#include <vector>

Q_DECLARE_METATYPE(LiveSeries)
Q_DECLARE_METATYPE(AxisPair)

namespace {

LiveSample numbered(int n)
{
    LiveSample s{};
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = float(n) + float(i) * 0.25f;
    return s;
}

std::vector<float> oldestFirst(const ChannelRing& ring, LiveSeries series)
{
    std::vector<float> out(static_cast<std::size_t>(ring.held()));
    out.resize(ring.copyOldestFirst(series, out));
    return out;
}

} // namespace

class TestAllChannelGraph : public QObject
{
    Q_OBJECT
private slots:
    void conversion_data();
    void conversion();
    void sampleOrder();
    void defaultRanges_data();
    void defaultRanges();
    void resistanceRule_data();
    void resistanceRule();
    void closeCheck_data();
    void closeCheck();
    void ringIsTakenOnlyWhenAsked();
    void ringHoldsWhatWasWritten_data();
    void ringHoldsWhatWasWritten();
    void ringWrapsToIndexZero();
    void rewindStartsAgain();
};

void TestAllChannelGraph::conversion_data()
{
    QTest::addColumn<LiveSeries>("series");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("milli");
    QTest::addColumn<QString>("range");
    QTest::addColumn<QString>("tempUnit");
    QTest::addColumn<float>("value");
    using S = LiveSeries;
    const QString c = "Celsius";
    const QString r = "40 mOhm";
    QTest::newRow("volts overload") << S::Voltage << " 0L " << false << r << c << 60.0f;
    QTest::newRow("volts negative overload") << S::Voltage << "-0L " << false << r << c << -60.0f;
    QTest::newRow("amps overload") << S::Current << " 0L " << false << r << c << 600.0f;
    QTest::newRow("amps negative overload") << S::Current << "-0L" << false << r << c << -600.0f;
    QTest::newRow("ohms overload, 40 mOhm") << S::Resistance << " 0L " << false << r << c << 40.0f;
    QTest::newRow("ohms overload, 4 Ohm") << S::Resistance << "0L" << false << "4 Ohm" << c << 4.0f;
    QTest::newRow("ohms overload, no range") << S::Resistance << "0L" << false << "" << c << 0.0f;
    QTest::newRow("temp overload, Celsius") << S::Temperature << "0L" << false << r << c << 60.0f;
    QTest::newRow("temp negative, Celsius") << S::Temperature << "-0L" << false << r << c << -20.0f;
    QTest::newRow("temp overload, Fahrenheit")
        << S::Temperature << "0L" << false << r << "Fahrenheit" << 140.0f;
    QTest::newRow("temp negative, Fahrenheih")
        << S::Temperature << "-0L" << false << r << "Fahrenheih" << -4.0f;
    QTest::newRow("temp overload, no unit") << S::Temperature << "0L" << false << r << "" << 140.0f;
    QTest::newRow("1500 mAh") << S::InCap << "1500" << true << r << c << 1.5f;
    QTest::newRow("1.5 Ah") << S::OutCap << "1.500" << false << r << c << 1.5f;
    QTest::newRow("negative mAh") << S::TCap << "-12.50" << true << r << c << -0.0125f;
    QTest::newRow("overload in mAh is not scaled") << S::TCap << "0L" << true << r << c << 9999.0f;
    QTest::newRow("negative charge overload") << S::InCap << "-0L" << true << r << c << -9999.0f;
    QTest::newRow("padded number") << S::Resistance << " 41.2" << false << r << c << 41.2f;
    QTest::newRow("milli flag leaves volts alone")
        << S::Voltage << "12.53" << true << r << c << 12.53f;
    QTest::newRow("no number") << S::Voltage << "----" << false << r << c << 0.0f;
    QTest::newRow("blank") << S::Current << "    " << false << r << c << 0.0f;
}

void TestAllChannelGraph::conversion()
{
    QCOMPARE(graphValue(fetched<LiveSeries>("series"), fetched<QString>("text"),
                        fetched<bool>("milli"), fetched<QString>("range"),
                        fetched<QString>("tempUnit")),
             fetched<float>("value"));
}

// The reading keeps its groups as voltage, resistance, current, temperature, charges; the
// graph as voltage, current, temperature, resistance, charges.
void TestAllChannelGraph::sampleOrder()
{
    CurrentReading r;
    r.valueTexts[CurrentReading::Voltage] = "12.53";
    r.valueTexts[CurrentReading::Resistance] = " 41.2";
    r.valueTexts[CurrentReading::Current] = "-0.511";
    r.valueTexts[CurrentReading::Temperature] = " 25.3";
    r.valueTexts[CurrentReading::InCap] = "105.0";
    r.valueTexts[CurrentReading::OutCap] = "1.234";
    r.valueTexts[CurrentReading::TCap] = "2500";
    r.capMilli = {true, false, true};
    const LiveSample expected{12.53f, -0.511f, 25.3f, 41.2f, 0.105f, 1.234f, 2.5f};
    QCOMPARE(graphSample(r, u"40 mOhm", u"Celsius"), expected);
}

void TestAllChannelGraph::defaultRanges_data()
{
    QTest::addColumn<int>("currentPoint");
    QTest::addColumn<bool>("celsius");
    QTest::addColumn<QString>("range");
    QTest::addColumn<AxisPair>("current");
    QTest::addColumn<AxisPair>("temperature");
    QTest::addColumn<AxisPair>("resistance");
    QTest::newRow("point 1, Celsius, 4 mOhm")
        << 1 << true << "4 mOhm" << AxisPair{6.5f, -6.5f} << AxisPair{60, -20} << AxisPair{4, 0};
    QTest::newRow("point 2, Fahrenheit, 400 Ohm")
        << 2 << false << "400 Ohm" << AxisPair{65, -65} << AxisPair{140, -4} << AxisPair{400, 0};
    QTest::newRow("point 3, no range")
        << 3 << true << "" << AxisPair{650, -650} << AxisPair{60, -20} << AxisPair{0, 0};
    QTest::newRow("no point") << 0 << false << "40 mOhm" << AxisPair{6500, -6500}
                              << AxisPair{140, -4} << AxisPair{40, 0};
    QTest::newRow("point 4") << 4 << true << "40 Ohm" << AxisPair{6500, -6500} << AxisPair{60, -20}
                             << AxisPair{40, 0};
}

void TestAllChannelGraph::defaultRanges()
{
    CurrentReading r;
    r.pointPos[CurrentReading::Current] = fetched<int>("currentPoint");
    r.pointPos[CurrentReading::Voltage] = 2; // only the current's point counts
    r.celsius = fetched<bool>("celsius");
    r.RangeText = fetched<QString>("range");
    const AxisPairs d = defaultGraphRanges(r);
    QCOMPARE(d[std::size_t(GraphChannel::Voltage)], (AxisPair{60, -60}));
    QCOMPARE(d[std::size_t(GraphChannel::Current)], fetched<AxisPair>("current"));
    QCOMPARE(d[std::size_t(GraphChannel::Temperature)], fetched<AxisPair>("temperature"));
    QCOMPARE(d[std::size_t(GraphChannel::Resistance)], fetched<AxisPair>("resistance"));
    QCOMPARE(d[std::size_t(GraphChannel::Capacity)], (AxisPair{10000, -10000}));
}

void TestAllChannelGraph::resistanceRule_data()
{
    QTest::addColumn<QString>("range");
    QTest::addColumn<double>("step");
    QTest::addColumn<QString>("format");
    QTest::newRow("4 mOhm") << "4 mOhm" << 0.001 << "0.000";
    QTest::newRow("40 mOhm") << "40 mOhm" << 0.01 << "0.00";
    QTest::newRow("400 mOhm") << "400 mOhm" << 0.1 << "0.0";
    QTest::newRow("4 Ohm") << "4 Ohm" << 0.001 << "0.000";
    QTest::newRow("40 Ohm") << "40 Ohm" << 0.01 << "0.00";
    QTest::newRow("400 Ohm") << "400 Ohm" << 0.1 << "0.0";
    QTest::newRow("none yet") << "" << 0.1 << "0.0";
}

void TestAllChannelGraph::resistanceRule()
{
    const EditRule rule = resistanceEditRule(fetched<QString>("range"));
    QCOMPARE(rule.step, fetched<double>("step"));
    QCOMPARE(rule.format, fetched<QString>("format"));
}

void TestAllChannelGraph::closeCheck_data()
{
    QTest::addColumn<bool>("active");
    QTest::addColumn<bool>("milliAmps");
    QTest::addColumn<QString>("range");
    QTest::addColumn<QString>("tempUnit");
    QTest::addColumn<bool>("close");
    QTest::newRow("as opened") << true << false << "400 mOhm"
                               << "Celsius" << false;
    QTest::newRow("no longer active") << false << false << "400 mOhm"
                                      << "Celsius" << true;
    QTest::newRow("amps became milliamps") << true << true << "400 mOhm"
                                           << "Celsius" << true;
    QTest::newRow("400 mOhm to 4 Ohm") << true << false << "4 Ohm"
                                       << "Celsius" << true;
    QTest::newRow("temperature unit changed") << true << false << "400 mOhm"
                                              << "Fahrenheit" << false;
}

void TestAllChannelGraph::closeCheck()
{
    AllChannelGraph g;
    g.GraphActive = fetched<bool>("active");
    g.MilliAmpAtOpen = false;
    g.RangeAtOpen = "400 mOhm";
    g.TempUnitAtOpen = "Celsius";
    CurrentReading r;
    r.milliAmps = fetched<bool>("milliAmps");
    r.RangeText = fetched<QString>("range");
    r.TempUnitText = fetched<QString>("tempUnit");
    QCOMPARE(liveGraphMustClose(g, r), fetched<bool>("close"));
}

void TestAllChannelGraph::ringIsTakenOnlyWhenAsked()
{
    AllChannelGraph g;
    QVERIFY(!g.ChannelHistory.allocated());
    QCOMPARE(g.ChannelHistory.held(), 0);
    std::vector<float> out(4, -1.0f);
    QCOMPARE(g.ChannelHistory.copyOldestFirst(LiveSeries::Voltage, out), std::size_t(0));
    g.ChannelHistory.allocate();
    QVERIFY(g.ChannelHistory.allocated());
    QCOMPARE(g.ChannelHistory.held(), 0);
}

void TestAllChannelGraph::ringHoldsWhatWasWritten_data()
{
    QTest::addColumn<int>("writes");
    QTest::addColumn<int>("first"); // the oldest sample held
    QTest::addColumn<int>("index");
    // The number itself, not the ring's own constant: five days of seconds, and one.
    constexpr int full = 432001;
    QTest::newRow("none") << 0 << 1 << 0;
    QTest::newRow("one") << 1 << 1 << 1;
    QTest::newRow("three") << 3 << 1 << 3;
    QTest::newRow("one short of full") << full - 1 << 1 << full - 1;
    QTest::newRow("full") << full << 1 << 0;
    QTest::newRow("full and five") << full + 5 << 6 << 5;
}

void TestAllChannelGraph::ringHoldsWhatWasWritten()
{
    const int writes = fetched<int>("writes");
    const int first = fetched<int>("first");
    ChannelRing ring;
    for (int n = 1; n <= writes; ++n)
        ring.append(numbered(n));
    QCOMPARE(ring.historyIndex(), fetched<int>("index"));
    const int held = writes - first + 1;
    QCOMPARE(ring.held(), held);
    for (int s = 0; s < LiveSeriesCount; ++s) {
        const std::vector<float> values = oldestFirst(ring, LiveSeries(s));
        std::vector<float> expected(static_cast<std::size_t>(held));
        std::iota(expected.begin(), expected.end(), float(first));
        for (float& e : expected)
            e += float(s) * 0.25f;
        QCOMPARE(values.size(), expected.size());
        QVERIFY2(values == expected, qPrintable(QStringLiteral("series %1").arg(s)));
    }
}

void TestAllChannelGraph::ringWrapsToIndexZero()
{
    ChannelRing ring;
    for (int n = 1; n <= 432001; ++n)
        ring.append(numbered(n));
    QCOMPARE(ring.historyIndex(), 0);
    ring.append(numbered(-7));
    QCOMPARE(ring.historyIndex(), 1);
    QCOMPARE(ring.at(LiveSeries::Voltage, 0), -7.0f);
    QCOMPARE(ring.at(LiveSeries::TCap, 0), -7.0f + 6 * 0.25f);
    QCOMPARE(ring.at(LiveSeries::Voltage, 1), 2.0f); // the second sample is still there
    QCOMPARE(ring.held(), 432001);
}

void TestAllChannelGraph::rewindStartsAgain()
{
    ChannelRing ring;
    for (int n = 1; n <= 10; ++n)
        ring.append(numbered(n));
    ring.rewind();
    QCOMPARE(ring.historyIndex(), 0);
    QCOMPARE(ring.held(), 0);
    ring.append(numbered(100));
    ring.append(numbered(101));
    QCOMPARE(oldestFirst(ring, LiveSeries::Current), (std::vector<float>{100.25f, 101.25f}));
}

QTEST_GUILESS_MAIN(TestAllChannelGraph)
#include "tst_allchannelgraph.moc"
