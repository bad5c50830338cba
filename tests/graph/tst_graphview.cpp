#include "AxisEdit.h"
#include "Fetch.h"
#include "GraphView.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

namespace {

QCPRange rangeOf(const GraphView& g, int axis)
{
    return g.axis(axis)->range();
}

} // namespace

class TestGraphView : public QObject
{
    Q_OBJECT
private slots:
    void axisRanges_data();
    void axisRanges();
    void removingAnAxis();
    void plotsFromArrays();
    void cursorsReport();
    void clicks_data();
    void clicks();
    void fit_data();
    void fit();
    void tickLabelsReadApart_data();
    void tickLabelsReadApart();
    void axisEditKeepsItsValue();
    void axisEditTyping_data();
    void axisEditTyping();
};

void TestGraphView::axisRanges_data()
{
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<double>("shownMin");
    QTest::addColumn<double>("shownMax");
    QTest::addColumn<double>("keptMax"); // axisMaximum() afterwards
    QTest::newRow("ordinary") << -60.0 << 60.0 << -60.0 << 60.0 << 60.0;
    QTest::newRow("equal ends") << 5.0 << 5.0 << 4.5 << 5.5 << 5.0;
    QTest::newRow("max below min: left alone") << 10.0 << 2.0 << 0.0 << 7.0 << 7.0;
    QTest::newRow("not a number: left alone") << qQNaN() << 2.0 << 0.0 << 7.0 << 7.0;
}

void TestGraphView::axisRanges()
{
    GraphView g;
    g.setAxisRange(2, 0, 7);
    g.setAxisRange(2, fetched<double>("min"), fetched<double>("max"));
    QCOMPARE(rangeOf(g, 2).lower, fetched<double>("shownMin"));
    QCOMPARE(rangeOf(g, 2).upper, fetched<double>("shownMax"));
    QCOMPARE(g.axisMaximum(2), fetched<double>("keptMax"));
}

void TestGraphView::removingAnAxis()
{
    GraphView g;
    for (int i = 0; i < 4; ++i)
        g.addValueAxis(); // axes 2..6
    for (int axis = 2; axis <= 6; ++axis)
        g.setAxisRange(axis, -axis, axis);
    QCOMPARE(g.addPlot(2, Qt::red), 1);
    QCOMPARE(g.addPlot(3, Qt::green), 2);
    QCOMPARE(g.addPlot(6, Qt::blue), 3);
    QCOMPARE(g.addPlot(6, Qt::cyan), 4);
    QCOMPARE(g.addPlot(7, Qt::cyan), 0); // no such axis
    QCOMPARE(g.addPlot(1, Qt::cyan), 0); // the record axis takes no plot

    QVERIFY(!g.removeAxis(1));
    QVERIFY(!g.removeAxis(7));
    // As the detail dialog does, from the last: capacity, then current.
    QVERIFY(g.removeAxis(6));
    QVERIFY(g.removeAxis(3));
    QCOMPARE(g.axisCount(), 4);
    QCOMPARE(g.axisMaximum(3), 4.0); // the old axis 4 moved down
    QCOMPARE(g.axisMaximum(4), 5.0);
    QVERIFY(g.plot(1));
    QVERIFY(!g.plot(2));
    QVERIFY(!g.plot(3));
    QVERIFY(!g.plot(4));
    QCOMPARE(g.graphCount(), 1);
    QVERIFY(!g.setPlotData(2, std::vector<float>{1, 2}));
    QVERIFY(!g.appendPoint(3, 1));
    QCOMPARE(g.plotCount(), 4); // numbers stay with their plots

    // The first value axis can go too; the cursors follow the next one.
    QVERIFY(g.removeAxis(2));
    QCOMPARE(g.axisMaximum(2), 4.0);
    QVERIFY(!g.plot(1));
    g.setCursorVisible(1, true);
    g.setCursorPosition(1, 3, 2);
    QCOMPARE(g.cursorPosition(1), QPointF(3, 2));
}

void TestGraphView::plotsFromArrays()
{
    GraphView g;
    const int p = g.addPlot(2, Qt::green);
    QVERIFY(g.setPlotData(p, std::vector<float>{1.5f, -60.f, 70.f}));
    QCPGraphDataContainer& data = *g.plot(p)->data();
    QCOMPARE(data.size(), 3);
    QCOMPARE(data.at(0)->key, 1.0);
    QCOMPARE(data.at(2)->key, 3.0);
    QCOMPARE(data.at(1)->value, -60.0);
    QVERIFY(g.appendPoint(p, 12.5));
    QCOMPARE(data.size(), 4);
    QCOMPARE(data.at(3)->key, 4.0);
    QVERIFY(g.setPlotData(p, std::vector<float>{}));
    QCOMPARE(g.plot(p)->dataCount(), 0);
}

void TestGraphView::cursorsReport()
{
    GraphView g;
    QSignalSpy moved(&g, &GraphView::cursorChanged);
    g.setCursorPosition(2, 7, -3);
    QCOMPARE(moved.size(), 1);
    QCOMPARE(moved[0], (QVariantList{2, 7.0, -3.0}));
    QVERIFY(!g.cursorVisible(2));
    g.setCursorVisible(2, true);
    QVERIFY(g.cursorVisible(2));
    g.setCursorPosition(3, 1, 1); // no third cursor
    QCOMPARE(moved.size(), 1);
}

void TestGraphView::clicks_data()
{
    QTest::addColumn<int>("trackMode");
    QTest::addColumn<QPoint>("moved"); // between press and release, in pixels
    QTest::addColumn<bool>("clicked");
    QTest::newRow("click") << 1 << QPoint(0, 0) << true;
    QTest::newRow("a little slack") << 4 << QPoint(2, 1) << true;
    QTest::newRow("a pan is no click") << 4 << QPoint(30, 0) << false;
    QTest::newRow("a zoom is no click") << 6 << QPoint(30, 30) << false;
    QTest::newRow("a double-click is no click, but a Fit") << 1 << QPoint(0, 0) << false;
}

void TestGraphView::clicks()
{
    GraphView g;
    g.resize(400, 300);
    g.setAxisRange(1, 0, 100);
    g.setAxisRange(2, -50, 50);
    g.setTrackMode(fetched<int>("trackMode"));
    g.show();
    g.replotNow();
    QSignalSpy clicked(&g, &GraphView::clicked);
    QSignalSpy fitAsked(&g, &GraphView::fitRequested);
    const QPoint at(int(g.xAxis->coordToPixel(25)), int(g.yAxis->coordToPixel(10)));
    const QPoint to = at + fetched<QPoint>("moved");
    QTest::mousePress(&g, Qt::LeftButton, {}, at);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), g.mapToGlobal(QPointF(to)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&g, &move);
    QTest::mouseRelease(&g, Qt::LeftButton, {}, to);
    const bool twice = QString(QTest::currentDataTag()).contains("double");
    if (twice) {
        QTest::mouseDClick(&g, Qt::LeftButton, {}, to);
        QCOMPARE(fitAsked.size(), 1);
    }
    // A click counts once no double-click can follow.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QCOMPARE(clicked.size(), fetched<bool>("clicked") ? 1 : 0);
    if (!clicked.isEmpty()) {
        QVERIFY(qAbs(clicked[0][0].toDouble() - 25) < 1);
        QVERIFY(qAbs(clicked[0][1].toDouble() - 10) < 1);
    }
}

using Floats = QList<float>;

void TestGraphView::fit_data()
{
    QTest::addColumn<Floats>("values"); // plot 1 on axis 2, at records 1, 2, 3 ...
    QTest::addColumn<QList<double>>("overloads");
    QTest::addColumn<double>("low"); // axis 2 after Fit
    QTest::addColumn<double>("high");
    QTest::addColumn<double>("xLow");
    QTest::addColumn<double>("xHigh");
    QTest::newRow("a falling voltage")
        << Floats{12.7f, 12.65f, 12.5f} << QList<double>{} << 12.49 << 12.71 << 1.0 << 3.0;
    QTest::newRow("flat: a span around it")
        << Floats{12.5f, 12.5f} << QList<double>{} << 12.375 << 12.625 << 1.0 << 2.0;
    QTest::newRow("flat at zero") << Floats{0, 0, 0} << QList<double>{} << -1.0 << 1.0 << 1.0
                                  << 3.0;
    QTest::newRow("one point") << Floats{-4} << QList<double>{} << -4.04 << -3.96 << 0.5 << 1.5;
    QTest::newRow("overloads left out")
        << Floats{60, 12.5f, -60, 12.7f} << QList<double>{60, -60} << 12.49 << 12.71 << 1.0 << 4.0;
    QTest::newRow("gaps left out") << Floats{float(qQNaN()), 3, float(qQNaN()), 5}
                                   << QList<double>{} << 2.9 << 5.1 << 1.0 << 4.0;
    QTest::newRow("only overloads: the value axis stays")
        << Floats{60, 60} << QList<double>{60} << -7.0 << 7.0 << 1.0 << 2.0;
    QTest::newRow("empty: nothing moves")
        << Floats{} << QList<double>{} << -7.0 << 7.0 << 0.0 << 10.0;
}

void TestGraphView::fit()
{
    GraphView g;
    g.addValueAxis(); // axis 3 with an empty plot stays as it is
    g.setAxisRange(2, -7, 7);
    g.setAxisRange(3, -1, 1);
    const int p = g.addPlot(2, Qt::green);
    g.addPlot(3, Qt::red);
    const Floats values = fetched<Floats>("values");
    g.setPlotData(p, std::vector<float>(values.begin(), values.end()));
    g.setPlotOverloads(p, fetched<QList<double>>("overloads"));
    g.fit();
    const auto near = [](double a, double b) { return qAbs(a - b) < 1e-4; };
    QVERIFY2(near(g.axisMinimum(2), fetched<double>("low")),
             qPrintable(QString::number(g.axisMinimum(2))));
    QVERIFY2(near(g.axisMaximum(2), fetched<double>("high")),
             qPrintable(QString::number(g.axisMaximum(2))));
    QVERIFY(near(g.axisMinimum(1), fetched<double>("xLow")));
    QVERIFY(near(g.axisMaximum(1), fetched<double>("xHigh")));
    QCOMPARE(g.axisMaximum(3), 1.0);
}

void TestGraphView::tickLabelsReadApart_data()
{
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::newRow("a 12 V battery") << 12.6 << 12.75;
    QTest::newRow("a hundredth") << 0.0 << 0.01;
    QTest::newRow("full scale") << -60.0 << 60.0;
    QTest::newRow("records") << 0.0 << 100000.0;
    QTest::newRow("fitted flat trace") << 12.573 << 12.827;
    QTest::newRow("narrow, far from zero") << 9999.9991 << 9999.9999;
    QTest::newRow("widest the boxes take") << -1e15 << 1e15;
    QTest::newRow("across zero, a millivolt") << -0.0007 << 0.0003;
}

void TestGraphView::tickLabelsReadApart()
{
    GraphView g;
    g.resize(500, 900); // a tall axis: many ticks
    g.setAxisRange(2, fetched<double>("min"), fetched<double>("max"));
    g.replotNow();
    const QVector<double> ticks = g.axis(2)->tickVector();
    const QVector<QString> labels = g.axis(2)->tickVectorLabels();
    QVERIFY(ticks.size() >= 3);
    const double gap = ticks[1] - ticks[0];
    for (int i = 0; i < labels.size(); ++i) {
        QVERIFY2(!labels[i].contains('e'), qPrintable(labels[i]));
        QVERIFY2(qAbs(labels[i].toDouble() - ticks[i]) <= gap / 20, qPrintable(labels[i]));
        if (i > 0)
            QVERIFY2(labels[i] != labels[i - 1], qPrintable(labels[i]));
    }
}

void TestGraphView::axisEditKeepsItsValue()
{
    AxisEdit box;
    box.setFormat("0.###");
    QSignalSpy changed(&box, &AxisEdit::valueChanged);
    box.setValue(12.3456);
    QCOMPARE(box.value(), 12.3456);
    QCOMPARE(box.text(), QString("12.346"));
    QCOMPARE(changed.size(), 1);
    box.setFormat("0.00#");
    QCOMPARE(box.text(), QString("12.346"));
    box.setValue(12.3);
    QCOMPARE(box.text(), QString("12.30"));
    box.setValue(-60);
    QCOMPARE(box.value(), -60.0);
    box.setValue(432001);
    QCOMPARE(box.value(), 432001.0);
    box.setFormat("0");
    box.setValue(60.5);
    QCOMPARE(box.text(), QString("61"));
    QCOMPARE(box.value(), 60.5);
    // Leaving the box without typing keeps the value, not its rounded text.
    box.interpretText();
    QCOMPARE(box.value(), 60.5);
}

void TestGraphView::axisEditTyping_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<double>("start");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QList<double>>("values"); // after each key that makes a number
    const QString number("0.###");
    QTest::newRow("maximum") << number << 7.0 << "25" << QList<double>{2, 25};
    QTest::newRow("negative") << number << 7.0 << "-60" << QList<double>{-6, -60};
    QTest::newRow("decimals") << number << 7.0 << "1.25" << QList<double>{1, 1.2, 1.25};
    QTest::newRow("letters refused") << number << 7.0 << "4x0" << QList<double>{4, 40};
    // Hours, then minutes: a time of day on the day nearest the value it replaces (00:30:00 of
    // an axis's second day).
    QTest::newRow("time of day after midnight")
        << AxisEdit::ClockFormat << 88200.0 << "00:10" << QList<double>{86400, 86460, 87000};
    QTest::newRow("time of day before midnight")
        << AxisEdit::ClockFormat << 88200.0 << "23:5" << QList<double>{93600, 82800, 83100};
    QTest::newRow("elapsed, letters refused")
        << AxisEdit::ElapsedFormat << 7.0 << "1:3x0" << QList<double>{3600, 3780, 5400};
}

void TestGraphView::axisEditTyping()
{
    AxisEdit box;
    box.setFormat(fetched<QString>("format"));
    box.setValue(fetched<double>("start"));
    box.show();
    QSignalSpy changed(&box, &AxisEdit::valueChanged);
    auto* edit = box.findChild<QLineEdit*>();
    QVERIFY(edit);
    edit->selectAll();
    QTest::keyClicks(edit, fetched<QString>("typed"));
    QList<double> seen;
    for (const QList<QVariant>& c : changed)
        seen << c[0].toDouble();
    QList<double> expected = fetched<QList<double>>("values");
    QCOMPARE(seen.size(), expected.size());
    for (int i = 0; i < seen.size(); ++i)
        QVERIFY2(qFuzzyCompare(float(seen[i]), float(expected[i])),
                 qPrintable(QString::number(seen[i])));
}

QTEST_MAIN(TestGraphView)
#include "tst_graphview.moc"
