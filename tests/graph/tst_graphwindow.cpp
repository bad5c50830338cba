// The graph windows as they open: their controls and captions, the track modes and the cursor
// read-out, the axis boxes and the setup frame.
#include "GraphWindowRig.h"

class TestGraphWindow : public QObject
{
    Q_OBJECT
private slots:
    void load();
    void trackModes_data();
    void trackModes();
    void invalidTrackMode_data();
    void invalidTrackMode();
    void cursorCoordinates();
    void readOutFormats_data();
    void readOutFormats();
    void boxesMoveTheAxes_data();
    void boxesMoveTheAxes();
    void setupFlag();
};

void TestGraphWindow::load()
{
    ScriptedPrompts prompts;
    const auto plot = window(Kind::Stored, prompts);
    const auto detail = window(Kind::Detail, prompts);
    QCOMPARE(plot->windowTitle(), QString("Plot"));
    QCOMPARE(plot->objectName(), QString("Plot"));
    QCOMPARE(detail->windowTitle(), QString("Real Time Graph"));
    QCOMPARE(detail->objectName(), QString("RealTimeGraph"));
    QCOMPARE(plot->pos(), QPoint(0, 0));
    QCOMPARE(detail->pos(), QPoint(0, 0));

    auto entries = [](const GraphWindow& w) {
        const auto* c = w.findChild<QComboBox*>("Combo1");
        QStringList e;
        for (int i = 0; i < c->count(); ++i)
            e << c->itemText(i);
        return e;
    };
    QCOMPARE(entries(*plot), (QStringList{"Normal", "Cursor Coordinates", "PanXY", "PanX", "PanY",
                                          "ZoomXY", "ZoomX", "ZoomY"}));
    QCOMPARE(entries(*detail),
             (QStringList{"Normal", "PanXY", "PanX", "PanY", "ZoomXY", "ZoomX", "ZoomY"}));
    QCOMPARE(text(*plot, "txtDescription"), QString("Normal mode"));
    QCOMPARE(plot->graph()->trackMode(), 1);

    // The detail graph at design time: five value axes, seven plots, capacity on axis 6.
    GraphView* g = detail->graph();
    QCOMPARE(g->axisCount(), 6);
    QCOMPARE(g->plotCount(), 7);
    for (int p = 5; p <= 7; ++p)
        QCOMPARE(g->plot(p)->valueAxis(), g->axis(6));
    QCOMPARE(g->plot(4)->valueAxis(), g->axis(5));
    const QStringList legend{"LblV",       "LblO",  "LblA",   "LblT",     "LblCap",
                             "LblSymbol1", "LblIn", "LblOut", "LblTotal", "LblSymbol2"};
    const QStringList texts{"Voltage", "mOhm", "Ampere", "Fahrenheit", "Capacity",
                            "(",       "in",   "Out",    "Total",      ")"};
    for (int i = 0; i < legend.size(); ++i)
        QCOMPARE(text(*detail, qPrintable(legend[i])), texts[i]);
    QCOMPARE(plot->findChild<QPushButton*>("CmdReset")->text(), QString("Reset Scale"));
    QCOMPARE(plot->findChild<QPushButton*>("CmdPrint")->text(), QString("Print"));
    QCOMPARE(text(*plot, "LblUnit"), QString("V"));
}

void TestGraphWindow::trackModes_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QList<int>>("entries"); // chosen in this order
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("help");
    QTest::addColumn<bool>("cursor1");
    QTest::newRow("ZoomX then Normal")
        << Kind::Stored << QList<int>{6, 0} << 1 << "Normal mode" << false;
    QTest::newRow("stored Cursor Coordinates")
        << Kind::Stored << QList<int>{1} << 2
        << "Drag the cursor with your mouse to get X (Count) and Y (Value) position." << true;
    QTest::newRow("cursor hidden again") << Kind::Stored << QList<int>{1, 2} << 3
                                         << "Click anywhere on the plot area and drag to pan the "
                                            "graph both horizontally and vertically."
                                         << false;
    QTest::newRow("stored PanX")
        << Kind::Stored << QList<int>{3} << 4
        << "Click anywhere on the plot area and drag to pan the graph horizontally." << false;
    QTest::newRow("stored ZoomY") << Kind::Stored << QList<int>{7} << 8
                                  << "Select a region on the graph to zoom vertically." << false;
    QTest::newRow("detail PanXY") << Kind::Detail << QList<int>{1} << 3
                                  << "Click anywhere on the plot area and drag to pan the graph "
                                     "both horizontally and vertically."
                                  << false;
    QTest::newRow("detail PanY")
        << Kind::Detail << QList<int>{3} << 5
        << "Click anywhere on the plot area and drag to pan the graph vertically." << false;
    QTest::newRow("detail ZoomXY")
        << Kind::Detail << QList<int>{4} << 6
        << "Select a region on the graph to zoom both horizontally and vertically." << false;
    QTest::newRow("detail ZoomX") << Kind::Detail << QList<int>{5} << 7
                                  << "Select a region on the graph to zoom horizontally." << false;
    QTest::newRow("detail ZoomY") << Kind::Detail << QList<int>{6} << 8
                                  << "Select a region on the graph to zoom vertically." << false;
}

void TestGraphWindow::trackModes()
{
    ScriptedPrompts prompts;
    const auto w = window(fetched<Kind>("kind"), prompts);
    auto* combo = w->findChild<QComboBox*>("Combo1");
    QVERIFY(!combo->isEditable());
    for (int entry : fetched<QList<int>>("entries")) {
        combo->setCurrentIndex(entry);
        emit combo->activated(entry);
    }
    QCOMPARE(w->graph()->trackMode(), fetched<int>("code"));
    QCOMPARE(text(*w, "txtDescription"), fetched<QString>("help"));
    QCOMPARE(w->graph()->cursorVisible(1), fetched<bool>("cursor1"));
    QVERIFY(!w->graph()->cursorVisible(2));
    QVERIFY(prompts.asked.isEmpty());
}

void TestGraphWindow::invalidTrackMode_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("index");
    QTest::newRow("stored 8") << Kind::Stored << 8;
    QTest::newRow("detail 7") << Kind::Detail << 7;
    QTest::newRow("stored -1") << Kind::Stored << -1;
    QTest::newRow("detail -1") << Kind::Detail << -1;
}

void TestGraphWindow::invalidTrackMode()
{
    ScriptedPrompts prompts;
    const auto w = window(fetched<Kind>("kind"), prompts);
    w->applyTrackMode(fetched<Kind>("kind") == Kind::Stored ? 1 : 2); // a cursor or PanX
    const int code = w->graph()->trackMode();
    const QString help = text(*w, "txtDescription");
    const bool cursor = w->graph()->cursorVisible(1);
    w->applyTrackMode(fetched<int>("index"));
    QCOMPARE(prompts.asked.size(), 1);
    QCOMPARE(prompts.asked[0].text, QString("Select a valid TrackMode."));
    QCOMPARE(prompts.asked[0].icon, Prompts::Icon::None);
    QCOMPARE(prompts.asked[0].title, QString());
    QCOMPARE(w->graph()->trackMode(), code);
    QCOMPARE(text(*w, "txtDescription"), help);
    QCOMPARE(w->graph()->cursorVisible(1), cursor);
}

void TestGraphWindow::cursorCoordinates()
{
    ScriptedPrompts prompts;
    const auto w = storedGraph(prompts, 120);
    QCOMPARE(w->axisMinBox(2)->value(), -60.0);
    QCOMPARE(w->axisMaxBox(1)->value(), 120.0);
    w->show();
    w->applyTrackMode(1);
    QVERIFY(w->graph()->cursorVisible(1));
    QCOMPARE(w->graph()->cursorPosition(1), QPointF(60.5, 0));
    QCOMPARE(text(*w, "XPosition"), QString("60.5"));
    QCOMPARE(text(*w, "YPosition"), QString("0"));

    // Dragged, the cursor lands on the nearest record and reads its value.
    GraphView* g = w->graph();
    g->replotNow();
    const QPoint from(int(g->axis(1)->coordToPixel(60.5)), int(g->axis(2)->coordToPixel(0)));
    const QPoint to(int(g->axis(1)->coordToPixel(37.2)), int(g->axis(2)->coordToPixel(40)));
    drag(g, from, to);
    QCOMPARE(text(*w, "XPosition"), QString("37"));
    QCOMPARE(text(*w, "YPosition"), QString("12.14"));
    QCOMPARE(g->cursorPosition(1).x(), 37.0);
    // The axes did not move.
    QCOMPARE(range(*w, 1).upper, 120.0);
    QCOMPARE(range(*w, 2).upper, 60.0);

    // After a pan the cursor sits between records; its read-out still fits the box.
    g->setCursorPosition(1, 100.0 / 3.0, 1);
    QCOMPARE(text(*w, "XPosition"), QString("33.333"));

    // A new column in cursor mode reads out the new cursor, not the old one.
    PlotRequest request;
    QStringList texts(40, QStringLiteral("1.00"));
    w->showColumn(request, preparePlotRequest(request, *columnKind(2, "V"), texts));
    QVERIFY(g->cursorVisible(1));
    QCOMPARE(text(*w, "XPosition"), QString("20.5"));
}

void TestGraphWindow::readOutFormats_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<double>("y");
    QTest::addColumn<QString>("shown");
    QTest::newRow("stored, three places") << Kind::Stored << 12.3456 << "12.346";
    QTest::newRow("detail, three places") << Kind::Detail << 12.3456 << "12.346";
    QTest::newRow("stored, one place") << Kind::Stored << 12.3 << "12.3";
    QTest::newRow("detail, two kept") << Kind::Detail << 12.3 << "12.30";
}

void TestGraphWindow::readOutFormats()
{
    ScriptedPrompts prompts;
    const auto w = window(fetched<Kind>("kind"), prompts);
    w->graph()->setCursorPosition(2, 1, 99); // cursor 2 has no read-out
    QCOMPARE(text(*w, "YPosition"), QString());
    w->graph()->setCursorPosition(1, 37, fetched<double>("y"));
    QCOMPARE(text(*w, "XPosition"), QString("37"));
    QCOMPARE(text(*w, "YPosition"), fetched<QString>("shown"));
}

void TestGraphWindow::boxesMoveTheAxes_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("axis");
    QTest::addColumn<double>("lower");
    QTest::addColumn<double>("upper");
    QTest::newRow("stored top") << Kind::Stored << "AxisMax_2"
                                << "25" << 2 << -60.0 << 25.0;
    QTest::newRow("stored bottom") << Kind::Stored << "AxisMin_2"
                                   << "-75.5" << 2 << -75.5 << 60.0;
    QTest::newRow("stored records") << Kind::Stored << "AxisMin_1"
                                    << "20" << 1 << 20.0 << 120.0;
    QTest::newRow("detail top") << Kind::Detail << "AxisMax_2"
                                << "15" << 2 << -60.0 << 15.0;
    QTest::newRow("detail bottom at once") << Kind::Detail << "AxisMin_2"
                                           << "10" << 2 << 10.0 << 60.0;
}

void TestGraphWindow::boxesMoveTheAxes()
{
    ScriptedPrompts prompts;
    const auto w = window(fetched<Kind>("kind"), prompts);
    w->show();
    auto* edit = w->findChild<AxisEdit*>(fetched<QString>("box"))->findChild<QLineEdit*>();
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, fetched<QString>("typed"));
    const QCPRange r = range(*w, fetched<int>("axis"));
    QCOMPARE(r.lower, fetched<double>("lower"));
    QCOMPARE(r.upper, fetched<double>("upper"));
}

void TestGraphWindow::setupFlag()
{
    ScriptedPrompts prompts;
    const auto w = window(Kind::Detail, prompts);
    // As the detail dialog fills the window: the X boxes under the flag, the axes directly.
    w->setSetupFlag(true);
    w->axisMinBox(1)->setValue(1);
    w->axisMaxBox(1)->setValue(3600);
    QCOMPARE(range(*w, 1).upper, 100.0); // the boxes did not move the axes
    w->graph()->setAxisRange(1, 1, 3600);
    w->graph()->setAxisRange(2, 0, 15);
    w->graph()->setAxisRange(3, -5, 5);
    w->setSetupFlag(false);
    QCOMPARE(w->axisMinBox(2)->value(), 0.0);
    QCOMPARE(w->axisMaxBox(2)->value(), 15.0);
    QCOMPARE(w->axisMaxBox(1)->value(), 3600.0);
    // The first box change keeps the value axis where the dialog put it.
    w->axisMaxBox(1)->setValue(1800);
    QCOMPARE(range(*w, 1).upper, 1800.0);
    QCOMPARE(range(*w, 2).lower, 0.0);
    QCOMPARE(range(*w, 2).upper, 15.0);
    QCOMPARE(range(*w, 3).upper, 5.0);

    // A one-sample history: X 1 to 1 stays 1 to 1 in the boxes.
    w->setSetupFlag(true);
    w->graph()->setAxisRange(1, 1, 1);
    w->setSetupFlag(false);
    QCOMPARE(w->axisMinBox(1)->value(), 1.0);
    QCOMPARE(w->axisMaxBox(1)->value(), 1.0);
}

QTEST_MAIN(TestGraphWindow)
#include "tst_graphwindow.moc"
