// What the graph windows show of their data: pan and zoom with the mouse, times on the X axis,
// Fit (on opening, by its triggers) and Reset.
#include "GraphWindowRig.h"

class TestGraphWindowView : public QObject
{
    Q_OBJECT
private slots:
    void panAndZoom_data();
    void panAndZoom();
    void timeAxis_data();
    void timeAxis();
    void fitOnOpen_data();
    void fitOnOpen();
    void fitTriggers_data();
    void fitTriggers();
    void resetAfterZoom();
    void detailReset();
};

void TestGraphWindowView::panAndZoom_data()
{
    QTest::addColumn<int>("entry");   // stored-graph list entry
    QTest::addColumn<QPoint>("from"); // in tenths of the plot area
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<bool>("xMoves");
    QTest::addColumn<bool>("yMoves");
    // A left-button drag from `from` to `to`, unless the row names another gesture: the wheel
    // turned at `from` (with Ctrl or Shift), or a drag with the middle button.
    QTest::newRow("PanX") << 3 << QPoint(5, 5) << QPoint(3, 3) << true << false;
    QTest::newRow("PanY") << 4 << QPoint(5, 5) << QPoint(3, 3) << false << true;
    QTest::newRow("PanXY") << 2 << QPoint(5, 5) << QPoint(3, 3) << true << true;
    QTest::newRow("ZoomXY") << 5 << QPoint(2, 2) << QPoint(6, 6) << true << true;
    QTest::newRow("ZoomX") << 6 << QPoint(2, 2) << QPoint(6, 6) << true << false;
    QTest::newRow("ZoomY") << 7 << QPoint(2, 2) << QPoint(6, 6) << false << true;
    QTest::newRow("Normal") << 0 << QPoint(2, 2) << QPoint(6, 6) << false << false;
    QTest::newRow("Cursor Coordinates") << 1 << QPoint(2, 2) << QPoint(6, 6) << false << false;
    QTest::newRow("wheel in Normal") << 0 << QPoint(2, 7) << QPoint() << true << true;
    QTest::newRow("wheel in Cursor Coordinates") << 1 << QPoint(5, 5) << QPoint() << true << true;
    QTest::newRow("Ctrl+wheel in PanX") << 3 << QPoint(2, 7) << QPoint() << false << true;
    QTest::newRow("Shift+wheel in ZoomY") << 7 << QPoint(2, 7) << QPoint() << true << false;
    QTest::newRow("middle in Normal") << 0 << QPoint(5, 5) << QPoint(3, 3) << true << true;
    QTest::newRow("middle in ZoomXY") << 5 << QPoint(5, 5) << QPoint(3, 3) << true << true;
}

void TestGraphWindowView::panAndZoom()
{
    ScriptedPrompts prompts;
    const auto w = storedGraph(prompts, 120);
    w->show();
    w->applyTrackMode(fetched<int>("entry"));
    GraphView* g = w->graph();
    g->replotNow();
    const QRect area = g->axisRect()->rect();
    auto at = [&](QPoint tenths) {
        return QPoint(area.left() + area.width() * tenths.x() / 10,
                      area.top() + area.height() * tenths.y() / 10);
    };
    const QString gesture = QTest::currentDataTag();
    const QPoint from = at(fetched<QPoint>("from"));
    const QPoint to = at(fetched<QPoint>("to"));
    const QPointF fromX(g->axis(1)->pixelToCoord(from.x()), g->axis(2)->pixelToCoord(from.y()));
    if (gesture.contains("wheel")) {
        const Qt::KeyboardModifiers keys = gesture.startsWith("Ctrl")    ? Qt::ControlModifier
                                           : gesture.startsWith("Shift") ? Qt::ShiftModifier
                                                                         : Qt::NoModifier;
        QWheelEvent turn(from, g->mapToGlobal(from), {}, {0, 240}, Qt::NoButton, keys,
                         Qt::NoScrollPhase, false);
        QApplication::sendEvent(g, &turn);
        // Zoomed in about the pointer: the record and value under it stay where they were.
        QVERIFY(qAbs(g->axis(1)->pixelToCoord(from.x()) - fromX.x()) < 0.5);
        QVERIFY(qAbs(g->axis(2)->pixelToCoord(from.y()) - fromX.y()) < 0.5);
    } else if (gesture.contains("middle")) {
        const auto press = [g](QEvent::Type type, QPoint p, Qt::MouseButtons held) {
            QMouseEvent e(type, QPointF(p), g->mapToGlobal(QPointF(p)), Qt::MiddleButton, held,
                          Qt::NoModifier);
            QApplication::sendEvent(g, &e);
        };
        press(QEvent::MouseButtonPress, from, Qt::MiddleButton);
        press(QEvent::MouseMove, to, Qt::MiddleButton);
        press(QEvent::MouseButtonRelease, to, Qt::NoButton);
        // The point under the pointer went along with it.
        QVERIFY(qAbs(g->axis(1)->pixelToCoord(to.x()) - fromX.x()) < 0.5);
        QVERIFY(g->selectionRect() == nullptr || !g->selectionRect()->isActive());
    } else {
        drag(g, from, to);
    }
    const QCPRange x = range(*w, 1);
    const QCPRange y = range(*w, 2);
    QCOMPARE(x.lower != 1.0 || x.upper != 120.0, fetched<bool>("xMoves"));
    QCOMPARE(y.lower != -60.0 || y.upper != 60.0, fetched<bool>("yMoves"));
    // The boxes follow, so that the next box change starts from what the graph shows.
    QCOMPARE(w->axisMinBox(1)->value(), x.lower);
    QCOMPARE(w->axisMaxBox(1)->value(), x.upper);
    QCOMPARE(w->axisMinBox(2)->value(), y.lower);
    QCOMPARE(w->axisMaxBox(2)->value(), y.upper);
}

void TestGraphWindowView::timeAxis_data()
{
    QTest::addColumn<XReading>("reading");
    QTest::addColumn<QList<double>>("places"); // of the records on the X axis
    QTest::addColumn<QStringList>("ticks");
    QTest::addColumn<QStringList>("boxes"); // min and max as shown
    QTest::addColumn<QString>("typed");     // into the min box
    QTest::addColumn<double>("typedAt");    // where the axis then starts
    QTest::addColumn<QString>("clicked");   // the read-out of a click on record 3
    QTest::newRow("time of day") << XReading::Clock << QList<double>{36000, 36002, 36044, 36300}
                                 << QStringList{"10:00:00", "10:01:00", "10:02:00",
                                                "10:03:00", "10:04:00", "10:05:00"}
                                 << QStringList{"10:00:00", "10:05:00"} << "10:00:30" << 36030.0
                                 << "10:00:44";
    QTest::newRow("elapsed time") << XReading::Elapsed << QList<double>{0, 2, 44, 300}
                                  << QStringList{"0:00:00", "0:01:00", "0:02:00",
                                                 "0:03:00", "0:04:00", "0:05:00"}
                                  << QStringList{"0:00:00", "0:05:00"} << "0:01" << 60.0
                                  << "0:00:44";
    QTest::newRow("record number") << XReading::Record << QList<double>{1, 2, 3, 4} << QStringList{}
                                   << QStringList{"1", "4"} << "2" << 2.0 << "3";
}

// With times on X the records stand at their times: a 42 s hole after a 2 s step is 21 times as
// wide, the minute ticks are equally spaced, and the boxes and the read-out are in time.
void TestGraphWindowView::timeAxis()
{
    ScriptedPrompts prompts;
    GraphWindow w(Kind::Stored, prompts, kClock);
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    PlotRequest request;
    const std::vector<float> values =
        preparePlotRequest(request, *columnKind(2, "V"), {"12.7", "12.6", "12.5", "11.0"});
    w.setXReading(fetched<XReading>("reading"));
    w.showColumn(request, values,
                 RowTimes::fromTexts({"10:00:00", "10:00:02", "10:00:44", "10:05:00"}));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    GraphView* g = w.graph();
    g->replotNow();

    QList<double> places;
    for (const QCPGraphData& p : *g->plot(1)->data())
        places << p.key;
    QCOMPARE(places, fetched<QList<double>>("places"));
    const QStringList ticks = fetched<QStringList>("ticks");
    if (!ticks.isEmpty()) {
        const QList<QString> labels = g->axis(1)->tickVectorLabels();
        QCOMPARE(labels, ticks);
        const QList<double> at = g->axis(1)->tickVector();
        const double step = g->axis(1)->coordToPixel(at[1]) - g->axis(1)->coordToPixel(at[0]);
        for (qsizetype i = 2; i < at.size(); ++i) {
            const double gap =
                g->axis(1)->coordToPixel(at[i]) - g->axis(1)->coordToPixel(at[i - 1]);
            QVERIFY2(qAbs(gap - step) < 0.01, qPrintable(QString::number(i)));
        }
    }
    const QStringList boxes = fetched<QStringList>("boxes");
    QCOMPARE(w.axisMinBox(1)->text(), boxes[0]);
    QCOMPARE(w.axisMaxBox(1)->text(), boxes[1]);

    // A click in Normal reads out the record nearest to it.
    QTest::mouseClick(
        g, Qt::LeftButton, {},
        QPoint(int(g->axis(1)->coordToPixel(places[2] + 0.4)), g->axisRect()->rect().center().y()));
    QTRY_COMPARE(text(w, "XPosition"), fetched<QString>("clicked"));
    QCOMPARE(text(w, "YPosition"), QString("12.5"));

    QLineEdit* min = w.axisMinBox(1)->findChild<QLineEdit*>();
    min->setFocus();
    min->selectAll();
    QTest::keyClicks(min, fetched<QString>("typed"));
    QCOMPARE(range(w, 1).lower, fetched<double>("typedAt"));
    QCOMPARE(range(w, 1).upper, places.last());
}

void TestGraphWindowView::fitOnOpen_data()
{
    QTest::addColumn<bool>("kept"); // what the settings hold; false: nothing
    QTest::newRow("off at first: the column's full scale") << false;
    QTest::newRow("kept on: fitted to the column") << true;
}

// The user's last choice, kept in the settings; the window's box shows and sets it.
void TestGraphWindowView::fitOnOpen()
{
    QTemporaryDir dir;
    QSettings settings(dir.filePath("graphs.ini"), QSettings::IniFormat);
    const bool kept = fetched<bool>("kept");
    if (kept)
        settings.setValue("graphs/fitOnOpen", true);
    FitOnOpen::choice().keepIn(&settings);
    ScriptedPrompts prompts;
    const auto w = storedGraph(prompts, 120);
    FitOnOpen::choice().keepIn(nullptr); // off again for the other tests, whatever happens
    QVERIFY2(qAbs(range(*w, 2).upper - (kept ? 12.5595 : 60)) < 1e-3,
             qPrintable(QString::number(range(*w, 2).upper)));
    auto* box = w->findChild<QCheckBox*>("CkFitOnOpen");
    QVERIFY(!box->isChecked());
    FitOnOpen::choice().keepIn(&settings);
    QCOMPARE(box->isChecked(), kept);
    box->click();
    QCOMPARE(settings.value("graphs/fitOnOpen").toBool(), !kept);
    FitOnOpen::choice().keepIn(nullptr);
}

void TestGraphWindowView::fitTriggers_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<bool>("fits");
    QTest::newRow("stored, Fit button") << Kind::Stored << true;
    QTest::newRow("stored, key F") << Kind::Stored << true;
    QTest::newRow("stored, double-click") << Kind::Stored << true;
    QTest::newRow("stored, F typed into a range box") << Kind::Stored << false;
    QTest::newRow("detail, Fit button") << Kind::Detail << true;
    QTest::newRow("detail, key F") << Kind::Detail << true;
}

void TestGraphWindowView::fitTriggers()
{
    ScriptedPrompts prompts;
    const auto w = window(fetched<Kind>("kind"), prompts);
    GraphView* g = w->graph();
    if (w->kind() == Kind::Detail)
        g->setPlotData(GraphWindow::VoltagePlot, std::vector<float>{12.5f, 12.4f, 12.3f, 12.2f});
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    g->replotNow();
    const QString how = QTest::currentDataTag();
    if (how.contains("button")) {
        w->findChild<QPushButton*>("CmdFit")->click();
    } else if (how.contains("range box")) {
        QLineEdit* box = w->axisMaxBox(2)->findChild<QLineEdit*>();
        box->setFocus();
        QTest::keyClick(box, Qt::Key_F);
    } else if (how.contains("key")) {
        g->setFocus();
        QTest::keyClick(g, Qt::Key_F);
    } else {
        QTest::mouseDClick(g, Qt::LeftButton, {}, g->axisRect()->rect().center());
    }
    // The stored column falls from 12.5 to 11.31, the detail voltage from 12.5 to 12.2.
    const double top = w->kind() == Kind::Stored ? 12.5595 : 12.515;
    const double last = w->kind() == Kind::Stored ? 120 : 4;
    if (!fetched<bool>("fits")) {
        QCOMPARE(range(*w, 2).upper, 60.0);
        return;
    }
    QVERIFY2(qAbs(range(*w, 2).upper - top) < 1e-3,
             qPrintable(QString::number(range(*w, 2).upper)));
    QCOMPARE(range(*w, 1), QCPRange(1, last));
    // The boxes show the fitted ranges; Reset Scale still returns to the column's own.
    QCOMPARE(w->axisMaxBox(2)->value(), range(*w, 2).upper);
    QCOMPARE(w->axisMaxBox(1)->value(), last);
    if (w->kind() == Kind::Stored) {
        w->reset();
        QCOMPARE(range(*w, 2), QCPRange(-60, 60));
    }
}

void TestGraphWindowView::resetAfterZoom()
{
    ScriptedPrompts prompts;
    PlotRequest shared;
    const auto w = storedGraph(prompts, 120, shared);
    QCOMPARE(shared.RecordAxisMax, 120.f);
    w->show();
    w->axisMaxBox(2)->setValue(20);
    QCOMPARE(range(*w, 2).upper, 20.0);
    w->applyTrackMode(5);
    GraphView* g = w->graph();
    g->replotNow();
    const QRect area = g->axisRect()->rect();
    drag(g, area.center(), area.center() + QPoint(40, 30));
    QVERIFY(range(*w, 1).upper < 120.0);
    QVERIFY(range(*w, 2).upper < 20.0);

    // The shared request changes meanwhile (the list plot and its range dialog use it too).
    shared.ValueMax = 5;
    shared.ValueMin = 0;
    shared.RecordAxisMax = 7;

    w->findChild<QPushButton*>("CmdReset")->click();
    QCOMPARE(range(*w, 1).lower, 1.0);
    QCOMPARE(range(*w, 1).upper, 120.0);
    QCOMPARE(range(*w, 2).lower, -60.0);
    QCOMPARE(range(*w, 2).upper, 60.0);
    QCOMPARE(w->axisMinBox(1)->value(), 1.0);
    QCOMPARE(w->axisMaxBox(1)->value(), 120.0);
    QCOMPARE(w->axisMinBox(2)->value(), -60.0);
    QCOMPARE(w->axisMaxBox(2)->value(), 60.0);
    QVERIFY(w->isVisible());
}

void TestGraphWindowView::detailReset()
{
    ScriptedPrompts prompts;
    QPointer<GraphWindow> slot;
    GraphWindow* w = GraphWindow::open(slot, Kind::Detail, prompts, kClock);
    QCOMPARE(GraphWindow::open(slot, Kind::Detail, prompts, kClock), w); // one window at a time
    QSignalSpy asked(w, &GraphWindow::resetRequested);
    w->findChild<QPushButton*>("CmdReset")->click();
    QCOMPARE(asked.size(), 1);
    QTRY_VERIFY(slot.isNull()); // closed and deleted
    GraphWindow* again = GraphWindow::open(slot, Kind::Detail, prompts, kClock);
    QCOMPARE(again->graph()->axisCount(), 6); // built afresh with its design-time axes
    delete again;
}

QTEST_MAIN(TestGraphWindowView)
#include "tst_graphwindowview.moc"
