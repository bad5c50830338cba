// Every window on a 1280 × 1024 screen at a scale factor of 2 (640 × 512 of room): opened,
// then made as small as it lets itself be, each control whole and apart from the others; and
// the rule that decides where windows open.
#include "CellGrading.h"
#include "CellStore.h"
#include "ChannelDialog.h"
#include "Comparator.h"
#include "DataList.h"
#include "ElidedLabel.h"
#include "Fetch.h"
#include "FileList.h"
#include "FileTransfer.h"
#include "FrontPanel.h"
#include "GraphWindow.h"
#include "LcdScreen.h"
#include "ListPlot.h"
#include "LiveGraphWindow.h"
#include "ManualList.h"
#include "MemoryManager.h"
#include "PlotRange.h"
#include "RTCSetup.h"
#include "RealTimeList.h"
#include "SamplingChoice.h"
#include "TextGrid.h"
#include "WindowPlace.h"
#include "WindowPlacement.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// What is wrong with the window's layout: a control that leaves its parent, covers a sibling
// or is too small for its text. The inside of Qt's compound widgets and the LCD's picture
// are left out.
QStringList layoutFaults(const QWidget* window)
{
    const auto own = [window](const QWidget* w) {
        if (w->isWindow() || !w->isVisibleTo(window))
            return false;
        for (const QWidget* p = w->parentWidget(); p != window; p = p->parentWidget()) {
            if (qobject_cast<const QAbstractScrollArea*>(p) || qobject_cast<const QComboBox*>(p) ||
                qobject_cast<const QAbstractSpinBox*>(p) || qobject_cast<const LcdScreen*>(p))
                return false;
        }
        return true;
    };
    QList<QWidget*> all = window->findChildren<QWidget*>();
    all.removeIf([&own](const QWidget* w) { return !own(w); });
    QStringList faults;
    for (qsizetype i = 0; i < all.size(); ++i) {
        const QWidget* w = all[i];
        const QString name = w->objectName() + '/' + w->metaObject()->className();
        if (!w->parentWidget()->rect().contains(w->geometry()))
            faults << name + " leaves its parent";
        for (qsizetype j = i + 1; j < all.size(); ++j) {
            if (all[j]->parentWidget() == w->parentWidget() &&
                all[j]->geometry().intersects(w->geometry()))
                faults << name + " covers " + all[j]->objectName();
        }
        // A label or a push button needs room for its text (a push button's hint asks for a
        // dialog button's width, a fixed-size label's for that size); other buttons their hint.
        const auto* label = qobject_cast<const QLabel*>(w);
        const auto* push = qobject_cast<const QPushButton*>(w);
        QSize need = w->minimumSizeHint();
        if (label &&
            (label->wordWrap() || label->text().isEmpty() || qobject_cast<const ElidedLabel*>(w)))
            continue;
        if (label || push)
            need = w->fontMetrics().size(Qt::TextSingleLine, label ? label->text() : push->text());
        else if (!qobject_cast<const QAbstractButton*>(w))
            continue;
        if (w->width() < need.width() || w->height() < need.height())
            faults << name + " cut off";
    }
    return faults;
}

// Window `name` as its opener builds it, with a few rows where it lists or plots them.
QWidget* openWindow(const QString& name, FrontPanel& p, FileTransfer& t)
{
    static TextGrid rows(9);
    static QPointer<GraphWindow> plot;
    for (int r = rows.rows(); r <= 5; ++r)
        rows.appendRow(QString("%1\t12:00:0%1\t12.6%1\t03.45\t1.250\t 25.0\t0\t2\t2").arg(r));
    MeterSession& s = p.controller->session();
    QWidget* main = &p.window;
    if (name == "Panel")
        return main;
    if (name == "RealTimeList")
        return new RealTimeList(p.state, p.prompts, t, main);
    if (name == "FileList")
        return new FileList(p.state, p.prompts, t, plot, main);
    if (name == "MemoryManager")
        return new MemoryManager(p.state, s.channel(), p.prompts, t, main);
    if (name == "DataList")
        return new DataList(p.state, p.prompts, t, main);
    if (name == "ManualList")
        return new ManualList(p.state, t, main);
    if (name == "Comparator")
        return new Comparator(p.state, s.channel(), s.link(), p.prompts, main);
    if (name == "RTCSetup")
        return RTCSetup::open(p.state, s.channel(), p.clock, p.prompts, main);
    if (name == "SamplingChoice")
        return new SamplingChoice(p.state, main);
    if (name == "Plot" || name == "RealTimeGraph")
        return new GraphWindow(name == "Plot" ? GraphWindow::Kind::Stored
                                              : GraphWindow::Kind::Detail,
                               p.prompts, p.clock, main);
    if (name == "Plot+SpanPanel") {
        auto* w = new GraphWindow(GraphWindow::Kind::Stored, p.prompts, p.clock, main);
        w->setSpanMarking(true);
        return w;
    }
    p.state.plotRequest.RecordTo = 5;
    if (name == "ListPlot")
        return new ListPlot(p.state.plotRequest, rows, {{{true, 2}, {}, {}}}, p.prompts, p.clock,
                            main);
    if (name == "PlotRange")
        return new PlotRange(p.state.plotRequest, p.prompts, main);
    if (name == "CellGrading") {
        auto* data = new QTemporaryDir;
        auto* store = new CellStore;
        if (!store->open(data->filePath("cells.sqlite")))
            return nullptr;
        auto* grading = new CellGrading(p.state, s, *store, p.prompts, p.clock, main);
        QObject::connect(grading, &QObject::destroyed, [store, data] {
            delete store;
            delete data;
        });
        return grading;
    }
    if (name == "RealTimeAll")
        return new LiveGraphWindow(p.state.allChannelGraph, p.state.reading, p.prompts, p.clock,
                                   main);
    return new ChannelDialog(
        name == "AllGraph" ? ChannelDialog::Kind::Graph : ChannelDialog::Kind::Detail, main);
}

} // namespace

class TestWindowSizes : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void everyWindowFitsAndShrinksCleanly_data();
    void everyWindowFitsAndShrinksCleanly();
    void escapeClosesTheWindow_data();
    void escapeClosesTheWindow();
    void placementRule_data();
    void placementRule();
    void placeComesBackOnlyOnAPresentScreen();
};

void TestWindowSizes::init()
{
    WindowPlacement::rememberIn(nullptr);
}

// Every window by its objectName ("+": the same window in another state).
const char* const kWindows[] = {"Panel",          "RealTimeList", "FileList",       "MemoryManager",
                                "DataList",       "ManualList",   "Comparator",     "RTCSetup",
                                "SamplingChoice", "Plot",         "Plot+SpanPanel", "RealTimeGraph",
                                "ListPlot",       "PlotRange",    "RealTimeAll",    "AllGraph",
                                "GraphDetail",    "CellGrading"};

void TestWindowSizes::everyWindowFitsAndShrinksCleanly_data()
{
    QTest::addColumn<QString>("name");
    for (const char* name : kWindows)
        QTest::newRow(name) << QString(name);
}

void TestWindowSizes::everyWindowFitsAndShrinksCleanly()
{
    QFETCH(QString, name);
    FrontPanel p;
    QVERIFY(p.start());
    const QRect room = p.window.screen()->availableGeometry();
    QCOMPARE(room.size(), QSize(640, 512));

    FileTransfer transfer(p.state, p.prompts, p.clock);
    QWidget* w = openWindow(name, p, transfer);
    QCOMPARE(w->objectName(), name.section('+', 0, 0)); // "+": the window in another state
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    // Opened (the panel shrunk to the screen's height on loading): wholly on the screen, so
    // every control can be reached.
    QVERIFY(room.contains(w->frameGeometry()));
    QVERIFY2(layoutFaults(w).isEmpty(), qPrintable(layoutFaults(w).join("\n")));

    // As small as it goes: still on the screen, nothing covered, nothing cut off.
    const QSize least = w->minimumSize().expandedTo(w->minimumSizeHint());
    w->resize(least);
    QTRY_COMPARE(w->size(), least);
    QVERIFY(least.width() <= room.width() && least.height() <= room.height());
    QVERIFY2(layoutFaults(w).isEmpty(), qPrintable(layoutFaults(w).join("\n")));
    if (w != &p.window)
        delete w;
}

void TestWindowSizes::escapeClosesTheWindow_data()
{
    QTest::addColumn<QString>("name");
    for (const char* name : kWindows) {
        if (QLatin1StringView(name) != "Panel" && !QLatin1StringView(name).contains('+'))
            QTest::newRow(name) << QString(name);
    }
}

// Every window but the main one closes on Esc, as a dialog does.
void TestWindowSizes::escapeClosesTheWindow()
{
    FrontPanel p;
    QVERIFY(p.start());
    FileTransfer transfer(p.state, p.prompts, p.clock);
    QPointer<QWidget> w = openWindow(fetched<QString>("name"), p, transfer);
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    QTest::keyClick(w, Qt::Key_Escape);
    QTRY_VERIFY(!w || !w->isVisible());
    delete w;
}

void TestWindowSizes::placementRule_data()
{
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QList<QRect>>("open"); // the first is the opener, when there is one
    QTest::addColumn<bool>("fromFirst");
    QTest::addColumn<QRect>("wanted"); // the client area, as `placed`
    QTest::addColumn<QSize>("minimum");
    QTest::addColumn<QRect>("placed");
    QTest::addColumn<QMargins>("frame"); // the window manager's, round the client area
    const QRect big(0, 0, 1280, 1024);
    const QRect halfScreen(0, 0, 640, 512); // the same screen at a scale factor of 2
    const QRect panel(0, 0, 311, 645);
    const QRect list(311, 0, 677, 374);
    QTest::newRow("its own place when free")
        << big << QList<QRect>{panel} << true << list << QSize(150, 150) << list << QMargins();
    QTest::newRow("graph over the panel goes beside it")
        << big << QList<QRect>{panel} << true << QRect(0, 0, 710, 591) << QSize(400, 300)
        << QRect(311, 0, 710, 591) << QMargins();
    QTest::newRow("range dialog beside its plot, not at the corner")
        << big << QList<QRect>{list, panel} << true << QRect(0, 0, 300, 150) << QSize(300, 150)
        << QRect(311, 374, 300, 150) << QMargins();
    QTest::newRow("list off the right edge goes below its opener")
        << QRect(0, 0, 1024, 768) << QList<QRect>{QRect(600, 0, 400, 300)} << true
        << QRect(1001, 0, 500, 400) << QSize(150, 150) << QRect(524, 300, 500, 400) << QMargins();
    QTest::newRow("no room for all of it: shrunk beside the panel")
        << halfScreen << QList<QRect>{QRect(0, 0, 230, 512)} << true << QRect(230, 0, 677, 374)
        << QSize(160, 150) << QRect(230, 0, 410, 374) << QMargins();
    QTest::newRow("screen full: a cascade step from the opener")
        << halfScreen << QList<QRect>{QRect(230, 0, 410, 512), QRect(0, 0, 230, 512)} << true
        << QRect(0, 0, 600, 400) << QSize(500, 300) << QRect(40, 28, 600, 400) << QMargins();
    QTest::newRow("next cascade step past a window on the first")
        << halfScreen
        << QList<QRect>{QRect(230, 0, 410, 512), QRect(0, 0, 230, 512), QRect(40, 28, 600, 400)}
        << true << QRect(0, 0, 600, 400) << QSize(500, 300) << QRect(40, 56, 600, 400)
        << QMargins();
    QTest::newRow("larger than the screen")
        << halfScreen << QList<QRect>{} << false << QRect(0, 0, 800, 600) << QSize(200, 200)
        << halfScreen << QMargins();
    QTest::newRow("no opener: nearest free place to its own")
        << big << QList<QRect>{panel} << false << QRect(0, 0, 400, 300) << QSize(200, 200)
        << QRect(311, 0, 400, 300) << QMargins();
    QTest::newRow("second screen to the right")
        << QRect(1280, 0, 1920, 1080) << QList<QRect>{QRect(1280, 0, 311, 645)} << true
        << QRect(1280, 0, 400, 300) << QSize(200, 200) << QRect(1591, 0, 400, 300) << QMargins();

    // The frame is what stays on the screen and off the other windows, title bar and all.
    const QMargins bar(1, 20, 1, 5);  // a title bar and thin borders
    const QMargins half(1, 10, 1, 3); // the same at a scale factor of 2, in whole pixels
    const QRect framedPanel(0, 0, 313, 670);
    QTest::newRow("title bar below the top edge")
        << big << QList<QRect>{framedPanel} << true << QRect(314, 0, 677, 374) << QSize(150, 150)
        << QRect(314, 20, 677, 374) << bar;
    QTest::newRow("right border inside the right edge")
        << big << QList<QRect>{framedPanel} << true << QRect(900, 100, 380, 300) << QSize(150, 150)
        << QRect(899, 100, 380, 300) << bar;
    QTest::newRow("below a window: under its frame")
        << big << QList<QRect>{QRect(313, 0, 679, 399), framedPanel} << true
        << QRect(314, 20, 385, 322) << QSize(300, 300) << QRect(314, 419, 385, 322) << bar;
    QTest::newRow("scale 2: shrunk beside the panel, title bar on the screen")
        << halfScreen << QList<QRect>{QRect(0, 0, 230, 489)} << true << QRect(231, 10, 900, 600)
        << QSize(300, 200) << QRect(231, 10, 408, 499) << half;
    QTest::newRow("scale 2: larger than the screen, frame and all")
        << halfScreen << QList<QRect>{} << false << QRect(0, 0, 800, 600) << QSize(200, 200)
        << QRect(1, 10, 638, 499) << half;
}

void TestWindowSizes::placementRule()
{
    QFETCH(QRect, screen);
    QFETCH(QList<QRect>, open);
    QFETCH(bool, fromFirst);
    QFETCH(QRect, wanted);
    QFETCH(QSize, minimum);
    QFETCH(QRect, placed);
    QFETCH(QMargins, frame);
    const QRect opener = fromFirst ? open.first() : QRect();
    QCOMPARE(WindowPlace::placeClient(wanted, minimum, frame, opener, open, screen), placed);
}

// Through a real window: where it was left is where it comes back, the next run too; a place
// on a screen that has gone is not.
void TestWindowSizes::placeComesBackOnlyOnAPresentScreen()
{
    QTemporaryDir dir;
    QSettings settings(dir.filePath("places.ini"), QSettings::IniFormat);
    WindowPlacement::rememberIn(&settings);
    const auto shown = [] {
        auto w = std::make_unique<QWidget>();
        w->setObjectName("Probe");
        w->setGeometry(0, 0, 200, 150);
        WindowPlacement::manage(w.get());
        w->show();
        return w;
    };
    shown()->setGeometry(120, 90, 300, 200);
    QCOMPARE(settings.value("windows/Probe").toRect().size(), QSize(300, 200));
    QCOMPARE(shown()->geometry(), QRect(120, 90, 300, 200));
    settings.setValue("windows/Probe", QRect(5000, 100, 300, 200));
    const auto gone = shown();
    QCOMPARE(QRect(gone->pos(), gone->size()), QRect(0, 0, 200, 150));
}

// The tests' 1280 × 1024 screen seen at a scale factor of 2; set before the application starts.
int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM",
            "offscreen:configfile=" CELLDESK_TEST_DATA "/offscreen-1280x1024.json");
    qputenv("QT_SCALE_FACTOR", "2");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    TestWindowSizes test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windowsizes.moc"
