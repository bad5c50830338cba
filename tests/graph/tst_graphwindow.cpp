#include "AxisEdit.h"
#include "Clock.h"
#include "ColumnPlotRequest.h"
#include "Fetch.h"
#include "FileSizeLimit.h"
#include "FitOnOpen.h"
#include "GraphPicture.h"
#include "GraphView.h"
#include "GraphWindow.h"
#include "PrintedPdf.h"
#include "ScriptedPrompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <sys/stat.h>

using Kind = GraphWindow::Kind;
Q_DECLARE_METATYPE(GraphWindow::Kind)
Q_DECLARE_METATYPE(XReading)

namespace {

// The time the printouts are dated with.
const ManualClock kClock(QDateTime(QDate(2026, 12, 8), QTime(10, 15, 2)));

// A stored-data graph filled as a click on a voltage column of `rows` records fills it, from
// `request` (the program's shared one).
std::unique_ptr<GraphWindow> storedGraph(ScriptedPrompts& prompts, int rows, PlotRequest& request)
{
    auto w = std::make_unique<GraphWindow>(Kind::Stored, prompts, kClock);
    w->setAttribute(Qt::WA_DeleteOnClose, false);
    QStringList texts;
    for (int i = 0; i < rows; ++i)
        texts << QString::number(12.5 - i * 0.01, 'f', 2);
    const std::vector<float> values = preparePlotRequest(request, *columnKind(2, "V"), texts);
    w->showColumn(request, values);
    return w;
}

std::unique_ptr<GraphWindow> storedGraph(ScriptedPrompts& prompts, int rows)
{
    PlotRequest request;
    return storedGraph(prompts, rows, request);
}

std::unique_ptr<GraphWindow> window(Kind kind, ScriptedPrompts& prompts)
{
    if (kind == Kind::Stored)
        return storedGraph(prompts, 120);
    auto w = std::make_unique<GraphWindow>(kind, prompts, kClock);
    w->setAttribute(Qt::WA_DeleteOnClose, false);
    return w;
}

QString text(const GraphWindow& w, const char* name)
{
    if (auto* l = w.findChild<QLabel*>(name))
        return l->text();
    return w.findChild<QPlainTextEdit*>(name)->toPlainText();
}

QCPRange range(const GraphWindow& w, int axis)
{
    return w.graph()->axis(axis)->range();
}

void mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons held)
{
    QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), Qt::LeftButton, held,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// Presses the left button at `from`, moves to `to` in steps and lets go.
void drag(GraphView* g, QPoint from, QPoint to)
{
    mouse(g, QEvent::MouseButtonPress, from, Qt::LeftButton);
    for (int step = 1; step <= 4; ++step)
        mouse(g, QEvent::MouseMove, from + (to - from) * step / 4, Qt::LeftButton);
    mouse(g, QEvent::MouseButtonRelease, to, Qt::NoButton);
}

struct Look
{
    bool frameShown;
    QColor plotArea;
    QColor background;
    QSize size;
    QRect graph;
    bool operator==(const Look&) const = default;
};

Look lookOf(const GraphWindow& w)
{
    return {!w.findChild<QFrame*>("FrmGraphic")->isHidden(), w.graph()->plotAreaColor(),
            w.palette().color(QPalette::Window), w.size(), w.graph()->geometry()};
}

} // namespace

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
    void print_data();
    void print();
    void printCancelled();
    void printFails();
    void saveImage_data();
    void saveImage();
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

void TestGraphWindow::panAndZoom_data()
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

void TestGraphWindow::panAndZoom()
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

void TestGraphWindow::timeAxis_data()
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
void TestGraphWindow::timeAxis()
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

void TestGraphWindow::fitOnOpen_data()
{
    QTest::addColumn<bool>("kept"); // what the settings hold; false: nothing
    QTest::newRow("off at first: the column's full scale") << false;
    QTest::newRow("kept on: fitted to the column") << true;
}

// The user's last choice, kept in the settings; the window's box shows and sets it.
void TestGraphWindow::fitOnOpen()
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

void TestGraphWindow::fitTriggers_data()
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

void TestGraphWindow::fitTriggers()
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

void TestGraphWindow::resetAfterZoom()
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

void TestGraphWindow::detailReset()
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

void TestGraphWindow::print_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<bool>("byKeys"); // Ctrl+P instead of the button
    QTest::newRow("stored") << Kind::Stored << false;
    QTest::newRow("detail") << Kind::Detail << false;
    QTest::newRow("stored, Ctrl+P") << Kind::Stored << true;
    QTest::newRow("detail, Ctrl+P") << Kind::Detail << true;
}

void TestGraphWindow::print()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("graph.pdf");
    ScriptedPrompts prompts;
    prompts.printAnswers = {true};
    prompts.setUpPrinter = [&](QPrinter& p) {
        pdfPrinter(pdf)(p);
        p.setPageSize(QPageSize(QPageSize::A4));
    };
    const Kind kind = fetched<Kind>("kind");
    const auto w = window(kind, prompts);
    w->setSource(QStringLiteral("/data/cell7.txt"));
    w->resize(w->width() - 30, w->height() + 20); // the user resized it: it comes back so
    w->show();
    const Look before = lookOf(*w);
    auto* button = w->findChild<QPushButton*>("CmdPrint");
    QCOMPARE(button->toolTip(), QString("Print (Ctrl+P)"));
    QApplication::setActiveWindow(w.get());
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    if (fetched<bool>("byKeys")) {
        QTest::keySequence(w.get(), QKeySequence("Ctrl+P"));
    } else {
        button->click();
    }
    QCOMPARE(prompts.of(ScriptedPrompts::Kind::Print).size(), 1);
    QCOMPARE(prompts.asked.size(), 1); // no message
    QCOMPARE(pdfPages(pdf), 1);
    QVERIFY(lookOf(*w) == before);

    // The page: the client area in print colours, without the frame; the stored graph in its
    // print width (11550 twips), drawn at three times the screen's density.
    const QImage page = pdfImage(pdf);
    QVERIFY(!page.isNull());
    const int width =
        kind == Kind::Stored ? TwipsScale::forScreen(w->screen()).px(11550) : before.size.width();
    QCOMPARE(page.width(), width * 3);
    QCOMPARE(page.height(), before.size.height() * 3);
    QVERIFY(share(page, before.background) < 0.001);
    QVERIFY(share(page, Qt::white) > 0.7); // the plot area too

    // Under the page's header, across the width inside margins of 10 mm.
    const QString text = pdfText(pdf);
    QVERIFY(text.contains(w->windowTitle() + QStringLiteral(" — /data/cell7.txt")));
    QVERIFY(text.contains(QStringLiteral("Printed 2026-12-08 10:15:02")));
    QVERIFY(text.contains(QStringLiteral("page 1 of 1")));
    const double a4 = 595, tenMm = 72 / 2.54;
    QVERIFY2(pdfImageWidth(pdf) <= a4 - 2 * tenMm && pdfImageWidth(pdf) > a4 - 2 * tenMm - 3,
             qPrintable(QString::number(pdfImageWidth(pdf))));
    // Esc closes it, as it closes a dialog.
    QTest::keyClick(w.get(), Qt::Key_Escape);
    QVERIFY(!w->isVisible());
}

void TestGraphWindow::printCancelled()
{
    QTemporaryDir dir;
    ScriptedPrompts prompts; // printAnswers empty: Cancel
    const auto w = window(Kind::Stored, prompts);
    w->show();
    const Look before = lookOf(*w);
    w->print();
    QCOMPARE(prompts.asked.size(), 1);
    QVERIFY(lookOf(*w) == before);
}

void TestGraphWindow::printFails()
{
    ScriptedPrompts prompts;
    prompts.printAnswers = {true};
    prompts.setUpPrinter = [](QPrinter& p) {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName("/nonexistent-folder/graph.pdf");
    };
    const auto w = window(Kind::Stored, prompts);
    w->show();
    const Look before = lookOf(*w);
    prompts.whileAsking = [&](const ScriptedPrompts::Asked& a) {
        if (a.kind == ScriptedPrompts::Kind::Message)
            QVERIFY(lookOf(*w) == before); // restored before the message shows
    };
    w->print();
    const auto messages = prompts.of(ScriptedPrompts::Kind::Message);
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].text, QString("The graph could not be printed."));
    QVERIFY(messages[0].details.contains("/nonexistent-folder/graph.pdf"));
    QVERIFY(lookOf(*w) == before);
    QVERIFY(w->findChild<QPushButton*>("CmdPrint")->isVisible());
}

void TestGraphWindow::saveImage_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("answer");    // the save dialog's
    QTest::addColumn<QStringList>("sizes"); // typed, one per question; Cancel after them
    QTest::addColumn<QString>("written");   // the file, or none
    QTest::addColumn<int>("messages");
    QTest::addColumn<int>("sizeLimit"); // bytes a file may grow to, as on a disk that fills; 0
    const QStringList size{"640 x 480"};
    QTest::newRow("PNG") << Kind::Stored << "plot.png" << size << "plot.png" << 0 << 0;
    QTest::newRow("SVG") << Kind::Detail << "detail.svg" << size << "detail.svg" << 0 << 0;
    QTest::newRow("PDF") << Kind::Detail << "detail.pdf" << size << "detail.pdf" << 0 << 0;
    QTest::newRow("typed without extension")
        << Kind::Stored << "plot" << size << "plot.png" << 0 << 0;
    QTest::newRow("sizes retyped")
        << Kind::Stored << "plot.png" << QStringList{"99 x 500", "640 x", "640X480"} << "plot.png"
        << 2 << 0;
    QTest::newRow("size cancelled") << Kind::Stored << "plot.png" << QStringList() << "" << 0 << 0;
    QTest::newRow("no such format") << Kind::Stored << "plot.xyz" << size << "" << 1 << 0;
    // Told, and no cut picture left: the picture is written beside its name.
    QTest::newRow("a disk that fills") << Kind::Stored << "plot.svg" << size << "" << 1 << 2000;
    // A named pipe is refused before it is opened, and stays.
    QTest::newRow("a named pipe") << Kind::Stored << "pipe.png" << size << "pipe.png" << 1 << 0;
}

// Save image writes the graph with its title and legend, in print colours, in the format the
// name asks for and of the size typed; the window looks as before.
void TestGraphWindow::saveImage()
{
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    const auto w = window(fetched<Kind>("kind"), prompts);
    w->setSource(QStringLiteral("/data/cell7.txt"));
    w->show();
    const Look before = lookOf(*w);
    const QString answer = dir.filePath(fetched<QString>("answer"));
    if (answer.endsWith("pipe.png"))
        QCOMPARE(::mkfifo(QFile::encodeName(answer).constData(), 0600), 0);
    prompts.fileAnswers << answer;
    prompts.inputAnswers = fetched<QStringList>("sizes");
    {
        const FileSizeLimit limit{rlim_t(fetched<int>("sizeLimit"))};
        w->findChild<QPushButton*>("CmdSaveImage")->click();
    }

    const auto asked = prompts.of(ScriptedPrompts::Kind::SaveFile);
    QCOMPARE(asked[0].filters, pictureFilters());
    QCOMPARE(asked[0].suffix, QString("png"));
    QCOMPARE(prompts.of(ScriptedPrompts::Kind::Input)[0].defaultText.section(' ', 0, 0),
             QString::number(w->graph()->width()));
    QCOMPARE(prompts.of(ScriptedPrompts::Kind::Message).size(), fetched<int>("messages"));
    QVERIFY(lookOf(*w) == before);

    const QString written = fetched<QString>("written");
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden),
             written.isEmpty() ? QStringList() : QStringList{written});
    if (answer.endsWith("pipe.png")) {
        const auto told = prompts.of(ScriptedPrompts::Kind::Message);
        QVERIFY2(told[0].details.contains(answer + " is not a regular file"),
                 qPrintable(told[0].details));
        QVERIFY(!QFileInfo(answer).isFile());
        return;
    }
    const QString path = dir.filePath(written);
    const QString title = w->windowTitle() + QStringLiteral(" — /data/cell7.txt");
    if (written.endsWith(".pdf")) {
        QVERIFY(pdfText(path).contains(title));
    } else if (written.endsWith(".svg")) {
        QFile svg(path);
        QVERIFY(svg.open(QIODevice::ReadOnly));
        const QByteArray bytes = svg.readAll();
        QVERIFY(bytes.contains("<title>" + title.toUtf8() + "</title>"));
        QVERIFY(bytes.contains("viewBox=\"0 0 640 480\""));
        QVERIFY(bytes.contains("Ampere")); // the legend
    } else if (!written.isEmpty()) {
        const QImage picture = QImage(path).convertToFormat(QImage::Format_RGB888);
        QCOMPARE(picture.size(), QSize(640, 480));
        QVERIFY(share(picture, Qt::white) > 0.6);
        QVERIFY(share(picture, before.background) < 0.001);
        QVERIFY(share(picture, Qt::black) > 0.001); // title, axes and numbers
    }
}

QTEST_MAIN(TestGraphWindow)
#include "tst_graphwindow.moc"
