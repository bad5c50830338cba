#include "Cells.h"
#include "CurrentReading.h"
#include "DisplayDecoder.h"
#include "Fetch.h"
#include "HelpWindow.h"
#include "KeyFace.h"
#include "LcdScreen.h"
#include "Panel.h"
#include "PanelLayout.h"
#include "PanelModel.h"
#include "PortDialog.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>

#include <initializer_list>
#include <utility>

namespace {

// A display frame with STX/ETX and the given bytes (numbered from 1, as the meter counts them).
QByteArray frameWith(std::initializer_list<std::pair<int, int>> bytes)
{
    QByteArray f(DisplayFrameLength, '\0');
    f[0] = Stx;
    f[DisplayFrameLength - 1] = Etx;
    for (const auto& [number, value] : bytes)
        f[number - 1] = static_cast<char>(value);
    return f;
}

// Digits in every group, most indicators lit (HIGH, WARNING, NO., the ohm and temperature
// units dark), range code 1, a blink selector that blinks nothing.
QByteArray busyFrame()
{
    return frameWith({{2, 0x12},  {3, 0x60},  {4, 0x03},  {5, 0x45},  {6, 0x01},  {7, 0x23},
                      {8, 0x02},  {9, 0x51},  {10, 0x01}, {11, 0x23}, {16, 0x08}, {17, 0x55},
                      {18, 0x12}, {19, 0x34}, {20, 0x10}, {21, 0x42}, {22, 0x37}, {23, 0xA9},
                      {24, 0xA1}, {25, 0xEF}, {26, 0xFF}, {27, 0xD5}, {28, 0xFF}, {29, 0xFF},
                      {30, 0xFF}, {31, 0xFF}, {32, 0xBF}, {33, 0xDE}, {34, 0x10}, {35, 0x80}});
}

struct Shown
{
    QString text;
    bool visible;
};

Shown shown(const Panel& panel, Cell c)
{
    QWidget* w = panel.cellWidget(c);
    const auto* label = qobject_cast<QLabel*>(w);
    return {label ? label->text() : QString(), w->isVisibleTo(&panel)};
}

QAction* toolbarAction(const Panel& panel, int n)
{
    return panel.toolbar()->actions().at(n - 1);
}

} // namespace

class TestPanelView : public QObject
{
    Q_OBJECT
private slots:
    void windowSizeAndTitle();
    void everyCellHasOneWidget_data();
    void everyCellHasOneWidget();
    void fixedControlsExist_data();
    void fixedControlsExist();
    void designCaptions_data();
    void designCaptions();
    void lcdCellsStayOnTheGlass();
    void unlitSegmentsLieUnderTheLitOnes_data();
    void unlitSegmentsLieUnderTheLitOnes();
    void showCellsTouchesOnlyFlagged_data();
    void showCellsTouchesOnlyFlagged();
    void showAllCellsMirrorsModel();
    void toolbarButtons();
    void toolbarClickReportsKey();
    void shortcutsRunTheirCommands_data();
    void shortcutsRunTheirCommands();
    void tabWalksTheKeysAndShowsTheFocus();
    void guideNamesEveryShortcut();
    void recordingLook();
    void keysReportPressAndRelease_data();
    void keysReportPressAndRelease();
    void secondButtonDoesNotRepeatPress();
    void controllerDrivesKeyFace();
    void linkLabelRangeAndClose();
    void portDialogChoices_data();
    void portDialogChoices();
    void portDialogLayout();
};

void TestPanelView::windowSizeAndTitle()
{
    Panel panel;
    QCOMPARE(panel.windowTitle(), QString("Panel   V7.1"));
    QCOMPARE(panel.objectName(), QString("Panel"));
    const TwipsScale& s = panel.scale();
    QCOMPARE(panel.size(), QSize(s.px(4665), s.px(9090) + panel.toolbar()->height()));
    QCOMPARE(panel.linkLabel()->geometry(),
             s.rect(QRect(3240, 8520, 1215, 360)).translated(0, panel.toolbar()->height()));
}

void TestPanelView::everyCellHasOneWidget_data()
{
    QTest::addColumn<int>("cell");
    for (int i = 0; i < CellCount; ++i)
        QTest::newRow(qPrintable(cellName(static_cast<Cell>(i)))) << i;
}

void TestPanelView::everyCellHasOneWidget()
{
    QFETCH(int, cell);
    Panel panel;
    const Cell c = static_cast<Cell>(cell);
    const auto found = panel.findChildren<QWidget*>(cellName(c));
    QCOMPARE(found.size(), 1);
    QCOMPARE(found.first(), panel.cellWidget(c));
}

void TestPanelView::fixedControlsExist_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption"); // expected for labels and buttons
    for (int k = 0; k < 7; ++k)
        QTest::newRow(qPrintable(QString("ImgR_%1").arg(k))) << QString("ImgR_%1").arg(k) << "";
    for (int k = 0; k < 4; ++k)
        QTest::newRow(qPrintable(QString("CmdArrow_%1").arg(k)))
            << QString("CmdArrow_%1").arg(k) << "";
    for (int k = 0; k < 3; ++k)
        QTest::newRow(qPrintable(QString("CmdGray_%1").arg(k)))
            << QString("CmdGray_%1").arg(k) << "";
    QTest::newRow("CmdRange") << "CmdRange"
                              << "Range";
    QTest::newRow("LblCOM") << "LblCOM"
                            << "No COM";
    QTest::newRow("LblRec") << "LblRec"
                            << "Rec.";
    QTest::newRow("LblCount") << "LblCount"
                              << "";
    QTest::newRow("LblFileName") << "LblFileName"
                                 << "";
    QTest::newRow("LblName") << "LblName"
                             << "BATTERY ANALYZER";
    QTest::newRow("Toolbar1") << "Toolbar1"
                              << "";
}

void TestPanelView::fixedControlsExist()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    Panel panel;
    const auto found = panel.findChildren<QWidget*>(name);
    QCOMPARE(found.size(), 1);
    if (const auto* label = qobject_cast<QLabel*>(found.first()))
        QCOMPARE(label->text(), caption);
    if (const auto* button = qobject_cast<QPushButton*>(found.first()))
        QCOMPARE(button->text(), caption);
}

void TestPanelView::designCaptions_data()
{
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QStringList>("captions"); // before the first frame
    QTest::addColumn<QList<QPoint>>("at");     // left, top in twips; none where the look moved it
    const auto row = [](int top, const QList<int>& lefts) {
        QList<QPoint> at;
        for (int left : lefts)
            at << QPoint(left, top);
        return at;
    };
    QTest::newRow("digits") << QStringList{"HighO_1", "LowO_2", "HighV_3", "LowV_4"}
                            << QStringList{"", "", "", ""}
                            << QList<QPoint>{{735, 1440}, {3135, 1440}, {1455, 1920}, {3855, 1920}};
    QTest::newRow("points") << QStringList{"HighODec_1", "LowODec_2", "HighVDec_3", "LowVDec_1"}
                            << QStringList{".", ".", ".", "."} << QList<QPoint>{};
    QTest::newRow("minus") << QStringList{"HighONeg", "LowONeg", "HighVNeg", "LowVNeg"}
                           << QStringList{"-", "-", "-", "-"}
                           << QList<QPoint>{{360, 1440}, {2400, 1440}, {360, 1920}, {2400, 1920}};
    QTest::newRow("row at 1170") << QStringList{"LcdOADJ",   "LcdH",  "LcdHigh", "LcdAHUp",
                                                "LcdComSet", "LcdAM", "LcdLow",  "LcdAvg"}
                                 << QStringList{"OADJ",     "H",  "HIGH", "AH",
                                                "COMP.SET", "AM", "LOW",  "AVG"}
                                 << row(1170, {540, 990, 1110, 1470, 1710, 2520, 2790, 3210});
    QTest::newRow("row at 2520") << QStringList{"LcdInCap", "LcdCCA",  "LcdOutCap",
                                                "LcdRC",    "LcdTCap", "LcdSOC"}
                                 << QStringList{"IN-CAP", "CCA", "OUT-CAP", "RC", "T-CAP", "SOC"}
                                 << row(2520, {600, 1200, 1920, 2760, 3240, 3840});
    QTest::newRow("capacities") << QStringList{"LblmAh_0", "LblmAh_1", "LblmAh_2"}
                                << QStringList{"", "", ""} << QList<QPoint>{};
    QTest::newRow("row at 3120") << QStringList{"LblPercent", "LblMR",    "LblDD",
                                                "LblHH",      "LblMM",    "LblSS",
                                                "DPoint_0",   "DPoint_1", "DPoint_2"}
                                 << QStringList{"100", "000", "00", "00", "00", "00", ":", ":", ":"}
                                 << row(3120,
                                        {600, 1920, 2880, 3240, 3600, 3960, 3150, 3510, 3870});
    QTest::newRow("memory number")
        << QStringList{"LcdCompUp", "LcdNo"} << QStringList{"COMP", "NO."}
        << QList<QPoint>{{1320, 3060}, {1560, 3240}};
    QTest::newRow("row at 3480") << QStringList{"LcdSOH",  "LcdComp", "LcdPass", "LcdWarning",
                                                "LcdFail", "LcdSet",  "LcdIntv", "LcdTime"}
                                 << QStringList{"SOH",  "COMP", "PASS", "WARNING",
                                                "FAIL", "SET",  "INTV", "TIME"}
                                 << row(3480, {360, 720, 1320, 1860, 2700, 3120, 3480, 3930});
}

void TestPanelView::designCaptions()
{
    QFETCH(QStringList, cells);
    QFETCH(QStringList, captions);
    QFETCH(QList<QPoint>, at);
    QCOMPARE(cells.size(), captions.size());
    Panel panel;
    const TwipsScale& s = panel.scale();
    for (int i = 0; i < cells.size(); ++i) {
        const auto* label = panel.findChild<QLabel*>(cells[i]);
        QVERIFY2(label, qPrintable(cells[i]));
        QCOMPARE(cells[i] + '=' + label->text(), cells[i] + '=' + captions[i]);
        if (at.isEmpty())
            continue;
        const QPoint expected(s.px(at[i].x()), s.px(at[i].y()) + panel.toolbar()->height());
        const QPoint actual = label->mapTo(&panel, QPoint(0, 0));
        QVERIFY2((actual - expected).manhattanLength() <= 1,
                 qPrintable(QString("%1 at %2,%3").arg(cells[i]).arg(actual.x()).arg(actual.y())));
    }
}

void TestPanelView::lcdCellsStayOnTheGlass()
{
    Panel panel;
    const QWidget* glass = panel.findChild<QWidget*>("LcdScreen");
    QVERIFY(glass);
    for (int i = 0; i < CellCount; ++i) {
        const Cell c = static_cast<Cell>(i);
        if (c == Cell::LblV || c == Cell::LblOhm || c == Cell::LblA || c == Cell::LblTemp) {
            QVERIFY2(!panel.rect().intersects(panel.cellWidget(c)->geometry()),
                     qPrintable(cellName(c)));
            continue;
        }
        QWidget* w = panel.cellWidget(c);
        QCOMPARE(w->parentWidget(), glass);
        QVERIFY2(glass->rect().contains(w->geometry()), qPrintable(cellName(c)));
    }
}

void TestPanelView::unlitSegmentsLieUnderTheLitOnes_data()
{
    QTest::addColumn<double>("zoom"); // window size against the design size
    QTest::newRow("design size") << 1.0;
    QTest::newRow("smallest") << 0.7;
    QTest::newRow("odd size") << 0.83;
    QTest::newRow("large") << 1.7;
}

// Every digit lit as 8 covers its unlit 8 exactly: the glass with and without the unlit
// segments under the lit ones differs only in the soft edges of the glyphs.
void TestPanelView::unlitSegmentsLieUnderTheLitOnes()
{
    QFETCH(double, zoom);
    Panel panel;
    panel.resize(panel.sizeHint() * zoom);
    for (int i = 0; i < CellCount; ++i) {
        const Cell c = static_cast<Cell>(i);
        auto* label = qobject_cast<QLabel*>(panel.cellWidget(c));
        if (!label)
            continue;
        switch (PanelLayout::cellPlace(c).look) {
        case CellLook::BigDigit:
            label->setText("8");
            break;
        case CellLook::SmallValue:
            label->setText("8.8.8.8");
            break;
        case CellLook::SmallDigits:
            label->setText(QString(cellCaption(c).size(), '8'));
            break;
        default:
            break;
        }
        label->show();
    }
    auto* glass = panel.findChild<LcdScreen*>("LcdScreen");
    const QImage with = glass->grab().toImage();
    glass->clearGhosts();
    const QImage without = glass->grab().toImage();
    int stray = 0;
    for (int y = 0; y < with.height(); ++y) {
        for (int x = 0; x < with.width(); ++x)
            stray += qAbs(qGray(with.pixel(x, y)) - qGray(without.pixel(x, y))) > 6;
    }
    QCOMPARE(stray, 0);
}

void TestPanelView::showCellsTouchesOnlyFlagged_data()
{
    QTest::addColumn<QList<int>>("flagged");
    QTest::newRow("nothing") << QList<int>{};
    QTest::newRow("one digit") << QList<int>{cellIndex(Cell::HighO_2)};
    QTest::newRow("digits and their sign")
        << QList<int>{cellIndex(Cell::LowV_1), cellIndex(Cell::LowV_4), cellIndex(Cell::LowVNeg)};
    QTest::newRow("indicator words")
        << QList<int>{cellIndex(Cell::LcdHigh), cellIndex(Cell::LcdWarning)};
    QTest::newRow("pictures") << QList<int>{cellIndex(Cell::RS_2), cellIndex(Cell::UnitOhm),
                                            cellIndex(Cell::LineNo)};
    QTest::newRow("small fields") << QList<int>{cellIndex(Cell::LblmAh_0), cellIndex(Cell::LblSS)};
}

void TestPanelView::showCellsTouchesOnlyFlagged()
{
    QFETCH(QList<int>, flagged);
    Panel panel;
    PanelModel model;
    panel.showAllCells(model);
    QList<Shown> before;
    for (int i = 0; i < CellCount; ++i)
        before << shown(panel, static_cast<Cell>(i));

    CurrentReading reading;
    model.applyFrame(busyFrame(), reading, false);
    CellFlags flags;
    for (int i : flagged) {
        const Cell c = static_cast<Cell>(i);
        // Each flagged cell must really change, or the row proves nothing.
        QVERIFY2(model.cell(c).text != before[i].text || model.cell(c).visible != before[i].visible,
                 qPrintable(cellName(c)));
        flags.set(i);
    }
    panel.showCells(model, flags);

    for (int i = 0; i < CellCount; ++i) {
        const Cell c = static_cast<Cell>(i);
        const Shown now = shown(panel, c);
        const bool isLabel = qobject_cast<QLabel*>(panel.cellWidget(c)) != nullptr;
        const QString expectedText = flags.test(i) && isLabel ? model.cell(c).text : before[i].text;
        const bool expectedVisible = flags.test(i) ? model.cell(c).visible : before[i].visible;
        QVERIFY2(now.text == expectedText, qPrintable(cellName(c)));
        QVERIFY2(now.visible == expectedVisible, qPrintable(cellName(c)));
    }
}

void TestPanelView::showAllCellsMirrorsModel()
{
    Panel panel;
    PanelModel model;
    CurrentReading reading;
    model.applyFrame(busyFrame(), reading, false);
    // The frame must really change things for this check to mean anything.
    QVERIFY(model.cell(Cell::HighO_1).text == "1");
    QVERIFY(model.cell(Cell::RS_2).visible);
    panel.showAllCells(model);
    for (int i = 0; i < CellCount; ++i) {
        const Cell c = static_cast<Cell>(i);
        const Shown now = shown(panel, c);
        QVERIFY2(now.visible == model.cell(c).visible, qPrintable(cellName(c)));
        if (qobject_cast<QLabel*>(panel.cellWidget(c)))
            QVERIFY2(now.text == model.cell(c).text, qPrintable(cellName(c)));
    }
}

void TestPanelView::toolbarButtons()
{
    Panel panel;
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    const QStringList keys{"Save",    "Open",   "List", "Graph", "Sampling", "StopRec",
                           "TimeSet", "Memory", "COMP", "Erase", "Grade"};
    const QStringList tips{"Save as (Ctrl+S)",
                           "Open File to Read (Ctrl+O)",
                           "List Display (Ctrl+L)",
                           "Graphic Display (Ctrl+G)",
                           "Sampling Rate",
                           "Stop Rec",
                           "Real Time Clock (Ctrl+T)",
                           "Data Logger (Ctrl+M)",
                           "Comparator (Ctrl+K)",
                           "Erase Memory",
                           "Cell Grading (Ctrl+Shift+G)"};
    const QList<QAction*> actions = panel.toolbar()->actions();
    QCOMPARE(actions.size(), 11);
    for (int n = 0; n < 11; ++n) {
        QCOMPARE(actions[n]->property("Key").toString(), keys[n]);
        QCOMPARE(actions[n]->toolTip(), tips[n]);
        QCOMPARE(actions[n]->isEnabled() && actions[n]->isVisible(), n != 5);
        QVERIFY(!actions[n]->icon().isNull());
        // In the picture's width, none in the toolbar's overflow menu.
        QCOMPARE(panel.toolbar()->widgetForAction(actions[n])->isVisible(), n != 5);
    }
    // Each button shows an image of its own.
    for (int n = 0; n < 11; ++n) {
        for (int m = n + 1; m < 11; ++m)
            QVERIFY2(actions[n]->icon().pixmap(24).toImage() !=
                         actions[m]->icon().pixmap(24).toImage(),
                     qPrintable(keys[n] + " and " + keys[m]));
    }
}

void TestPanelView::toolbarClickReportsKey()
{
    Panel panel;
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    QSignalSpy spy(&panel, &Panel::toolbarButtonClicked);
    QWidget* memory = panel.toolbar()->widgetForAction(toolbarAction(panel, 8));
    QVERIFY(memory);
    QTest::mouseClick(memory, Qt::LeftButton);
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), QString("Memory"));
    toolbarAction(panel, 6)->trigger(); // disabled: nothing
    QCOMPARE(spy.size(), 1);
}

// Each shortcut runs what its button or menu entry runs, while the panel is the active window.
void TestPanelView::shortcutsRunTheirCommands_data()
{
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("command"); // a toolbar key, or "help:<heading>", "close"
    QTest::newRow("Ctrl+S") << QKeySequence("Ctrl+S") << "Save";
    QTest::newRow("Ctrl+O") << QKeySequence("Ctrl+O") << "Open";
    QTest::newRow("Ctrl+L") << QKeySequence("Ctrl+L") << "List";
    QTest::newRow("Ctrl+G") << QKeySequence("Ctrl+G") << "Graph";
    QTest::newRow("Ctrl+M") << QKeySequence("Ctrl+M") << "Memory";
    QTest::newRow("Ctrl+T") << QKeySequence("Ctrl+T") << "TimeSet";
    QTest::newRow("Ctrl+K") << QKeySequence("Ctrl+K") << "COMP";
    QTest::newRow("Ctrl+Shift+G") << QKeySequence("Ctrl+Shift+G") << "Grade";
    QTest::newRow("F1") << QKeySequence("F1") << "help:";
    QTest::newRow("Ctrl+Q") << QKeySequence("Ctrl+Q") << "close";
    // Erase destroys the meter's data: no key does it.
    QTest::newRow("Ctrl+E") << QKeySequence("Ctrl+E") << "";
}

void TestPanelView::shortcutsRunTheirCommands()
{
    Panel panel;
    panel.show();
    QApplication::setActiveWindow(&panel);
    QVERIFY(QTest::qWaitForWindowActive(&panel));
    QStringList ran;
    connect(&panel, &Panel::toolbarButtonClicked, this, [&ran](const QString& key) { ran << key; });
    connect(&panel, &Panel::helpRequested, this,
            [&ran](const QString& at) { ran << "help:" + at; });
    connect(&panel, &Panel::closing, this, [&ran] { ran << "close"; });
    QTest::keySequence(&panel, fetched<QKeySequence>("keys"));
    const QString command = fetched<QString>("command");
    QCOMPARE(ran, command.isEmpty() ? QStringList() : QStringList{command});
}

// Tab walks the meter's keys and the Range button in their order and rings the focused key;
// Space and Enter press it like the mouse, from key-down to key-up.
void TestPanelView::tabWalksTheKeysAndShowsTheFocus()
{
    Panel panel;
    panel.show();
    QApplication::setActiveWindow(&panel);
    QVERIFY(QTest::qWaitForWindowActive(&panel));
    auto* hold = panel.findChild<KeyFace*>("CmdGray_0");
    const QImage unfocused = hold->grab().toImage();
    QStringList walked;
    for (int n = 0; n < 9; ++n) {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &panel,
                        Qt::Key_Tab);
        walked << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : "");
    }
    QCOMPARE(walked,
             (QStringList{"CmdArrow_1", "CmdArrow_2", "CmdArrow_3", "CmdGray_0", "CmdGray_1",
                          "CmdGray_2", "CmdRange", "CmdArrow_0", "CmdArrow_1"}));
    hold->setFocus();
    QVERIFY(hold->grab().toImage() != unfocused);

    QSignalSpy pressed(&panel, &Panel::grayPressed);
    QSignalSpy released(&panel, &Panel::grayReleased);
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter}) {
        QTest::keyPress(hold, key);
        QVERIFY(hold->isFaceDown());
        QKeyEvent repeat(QEvent::KeyPress, key, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(hold, &repeat); // a held key repeats: still the one press
        QTest::keyRelease(hold, key);
        QVERIFY(!hold->isFaceDown());
    }
    QCOMPARE(pressed.size(), 3);
    QCOMPARE(released.size(), 3);
    QCOMPARE(released.at(0).at(0).toInt(), 0);
    // Tab away while Space holds the key: the press ends.
    QTest::keyPress(hold, Qt::Key_Space);
    QTest::keyClick(hold, Qt::Key_Tab);
    QCOMPARE(released.size(), 4);
    QVERIFY(!hold->isFaceDown());
    // Other keys press nothing.
    QTest::keyClick(hold, Qt::Key_A);
    QCOMPARE(pressed.size(), 4);
}

// The guide ships inside the program, names every shortcut the panel's toolbar has, and its
// "Keyboard shortcuts" entry scrolls to that section.
void TestPanelView::guideNamesEveryShortcut()
{
    const QString guide = HelpWindow::guideMarkdown();
    QVERIFY(guide.startsWith("# CellDesk user guide"));
    Panel panel;
    for (QAction* action : panel.toolbar()->actions()) {
        if (!action->shortcut().isEmpty())
            QVERIFY2(guide.contains("| " + action->shortcut().toString() + " |"),
                     qPrintable(action->toolTip()));
    }
    for (const char* keys : {"| Ctrl+P |", "| Ctrl+C |", "| Esc |", "| F1 |", "| Ctrl+Q |"})
        QVERIFY2(guide.contains(keys), keys);
    QStringList menu;
    for (QAction* action : panel.menuActions())
        menu << action->text();
    QCOMPARE(menu,
             (QStringList{"Help", "Keyboard shortcuts", "About", "Lab", "Publish to lab", "Quit"}));

    HelpWindow help;
    help.show();
    QVERIFY(QTest::qWaitForWindowExposed(&help));
    help.showSection("Keyboard shortcuts");
    QVERIFY(help.browser()->verticalScrollBar()->value() > 0);
    help.showSection({});
    QCOMPARE(help.browser()->verticalScrollBar()->value(), 0);
}

void TestPanelView::recordingLook()
{
    Panel panel;
    QAction* save = toolbarAction(panel, 1);
    const QImage saveImage = save->icon().pixmap(24).toImage();
    const QImage stopImage = toolbarAction(panel, 6)->icon().pixmap(24).toImage();
    QVERIFY(saveImage != stopImage);

    panel.setRecordingLook(true);
    QCOMPARE(save->toolTip(), QString("Stop Recording (Ctrl+S)"));
    QCOMPARE(save->icon().pixmap(24).toImage(), stopImage);
    QCOMPARE(save->property("Key").toString(), QString("Save"));

    panel.setRecordingLook(false);
    QCOMPARE(save->toolTip(), QString("Save As (Ctrl+S)"));
    QCOMPARE(save->icon().pixmap(24).toImage(), saveImage);
}

void TestPanelView::keysReportPressAndRelease_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("arrow");
    QTest::addColumn<int>("index");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::newRow("arrow 0") << "CmdArrow_0" << true << 0 << Qt::LeftButton;
    QTest::newRow("arrow 3, right button") << "CmdArrow_3" << true << 3 << Qt::RightButton;
    QTest::newRow("gray 0") << "CmdGray_0" << false << 0 << Qt::LeftButton;
    QTest::newRow("gray 2") << "CmdGray_2" << false << 2 << Qt::LeftButton;
}

void TestPanelView::keysReportPressAndRelease()
{
    QFETCH(QString, name);
    QFETCH(bool, arrow);
    QFETCH(int, index);
    QFETCH(Qt::MouseButton, button);
    Panel panel;
    auto* key = panel.findChild<KeyFace*>(name);
    QVERIFY(key);
    QSignalSpy pressed(&panel, arrow ? &Panel::arrowPressed : &Panel::grayPressed);
    QSignalSpy released(&panel, arrow ? &Panel::arrowReleased : &Panel::grayReleased);
    QSignalSpy otherPressed(&panel, arrow ? &Panel::grayPressed : &Panel::arrowPressed);

    QTest::mousePress(key, button);
    QCOMPARE(pressed.size(), 1);
    QCOMPARE(pressed.at(0).at(0).toInt(), index);
    QVERIFY(key->isFaceDown());
    QCOMPARE(released.size(), 0);

    // Released outside the key: still the end of the press.
    QTest::mouseRelease(key, button, {}, QPoint(-5, -5));
    QCOMPARE(released.size(), 1);
    QCOMPARE(released.at(0).at(0).toInt(), index);
    QVERIFY(!key->isFaceDown());
    QCOMPARE(otherPressed.size(), 0);
}

void TestPanelView::secondButtonDoesNotRepeatPress()
{
    KeyFace key(1, KeyFace::Tone::Dark, KeyFace::Arrow::Right, QString());
    key.resize(60, 40);
    QSignalSpy pressed(&key, &KeyFace::pressed);
    QSignalSpy released(&key, &KeyFace::released);
    const QPoint at(10, 10);
    QMouseEvent leftDown(QEvent::MouseButtonPress, at, key.mapToGlobal(at), Qt::LeftButton,
                         Qt::LeftButton, {});
    QMouseEvent rightDown(QEvent::MouseButtonPress, at, key.mapToGlobal(at), Qt::RightButton,
                          Qt::LeftButton | Qt::RightButton, {});
    QMouseEvent rightUp(QEvent::MouseButtonRelease, at, key.mapToGlobal(at), Qt::RightButton,
                        Qt::LeftButton, {});
    QMouseEvent leftUp(QEvent::MouseButtonRelease, at, key.mapToGlobal(at), Qt::LeftButton,
                       Qt::NoButton, {});
    QApplication::sendEvent(&key, &leftDown);
    QApplication::sendEvent(&key, &rightDown);
    QApplication::sendEvent(&key, &rightUp);
    QCOMPARE(pressed.size(), 1);
    QCOMPARE(released.size(), 0);
    QVERIFY(key.isFaceDown());
    QApplication::sendEvent(&key, &leftUp);
    QCOMPARE(released.size(), 1);
    QVERIFY(!key.isFaceDown());
}

void TestPanelView::controllerDrivesKeyFace()
{
    Panel panel;
    auto* gray1 = panel.findChild<KeyFace*>("CmdGray_1");
    auto* arrow1 = panel.findChild<KeyFace*>("CmdArrow_1");
    panel.setKeyFaceDown(false, 1, true);
    QVERIFY(gray1->isFaceDown());
    QVERIFY(!arrow1->isFaceDown());
    panel.setKeyFaceDown(true, 1, true);
    panel.setKeyFaceDown(false, 1, false);
    QVERIFY(!gray1->isFaceDown());
    QVERIFY(arrow1->isFaceDown());
    panel.setKeyFaceDown(true, 4, true); // out of range: ignored
    panel.setKeyFaceDown(false, -1, true);
}

void TestPanelView::linkLabelRangeAndClose()
{
    Panel panel;
    QSignalSpy link(&panel, &Panel::linkLabelClicked);
    QSignalSpy range(&panel, &Panel::rangeClicked);
    QSignalSpy closing(&panel, &Panel::closing);
    QTest::mouseClick(panel.linkLabel(), Qt::LeftButton);
    QTest::mouseClick(panel.findChild<QPushButton*>("CmdRange"), Qt::LeftButton);
    QCOMPARE(link.size(), 1);
    QCOMPARE(range.size(), 1);
    panel.show();
    QVERIFY(panel.close());
    QCOMPARE(closing.size(), 1);
}

void TestPanelView::portDialogChoices_data()
{
    QTest::addColumn<QString>("prefill"); // empty: leave the design-time text
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("OK, untouched") << ""
                                   << "CmdOK"
                                   << "COM1";
    QTest::newRow("OK, typed Auto") << "Auto"
                                    << "CmdOK"
                                    << "Auto";
    QTest::newRow("OK, lower case kept") << "com3"
                                         << "CmdOK"
                                         << "com3";
    QTest::newRow("OK, device path") << "/dev/pts/12"
                                     << "CmdOK"
                                     << "/dev/pts/12";
    QTest::newRow("Port1 ignores the box") << "COM5"
                                           << "Port1"
                                           << "COM1";
    QTest::newRow("Port2 ignores the box") << "COM5"
                                           << "Port2"
                                           << "COM2";
}

void TestPanelView::portDialogChoices()
{
    QFETCH(QString, prefill);
    QFETCH(QString, button);
    QFETCH(QString, chosen);
    PortDialog dialog;
    if (!prefill.isEmpty())
        dialog.setPortText(prefill);
    dialog.show();
    QSignalSpy spy(&dialog, &PortDialog::portChosen);
    QTest::mouseClick(dialog.findChild<QPushButton*>(button), Qt::LeftButton);
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), chosen);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
}

void TestPanelView::portDialogLayout()
{
    PortDialog dialog;
    QCOMPARE(dialog.objectName(), QString("Port"));
    QCOMPARE(dialog.windowTitle(), QString("COM Port"));
    auto* combo = dialog.findChild<QComboBox*>("TxtCOM");
    QVERIFY(combo && combo->isEditable());
    QCOMPARE(combo->currentText(), QString("COM1"));
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    QCOMPARE(items, (QStringList{"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"}));

    // A device path fits the box, OK sits right of it inside the dialog, the direct choices
    // are below what the dialog shows.
    dialog.show();
    const int textWidth = combo->fontMetrics().horizontalAdvance("/dev/pts/12");
    QVERIFY(combo->lineEdit()->width() >= textWidth);
    auto* ok = dialog.findChild<QPushButton*>("CmdOK");
    QVERIFY(ok->geometry().left() > combo->geometry().right());
    QVERIFY(dialog.rect().contains(ok->geometry()));
    QVERIFY(dialog.findChild<QPushButton*>("Port1")->geometry().top() > dialog.height());
    QVERIFY(dialog.findChild<QPushButton*>("Port2")->geometry().top() > dialog.height());
}

QTEST_MAIN(TestPanelView)
#include "tst_panelview.moc"
