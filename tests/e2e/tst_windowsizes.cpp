// Every window on a 1280 × 1024 screen at a scale factor of 2 (640 × 512 of room): opened,
// then made as small as it lets itself be, each control whole and apart from the others; and
// the rule that decides where windows open.
#include "ChannelDialog.h"
#include "Comparator.h"
#include "DataList.h"
#include "ElidedLabel.h"
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

#include <functional>

namespace {

using Opener = std::function<QWidget*(FrontPanel&, FileTransfer&)>;

// Parts of widgets whose inside belongs to Qt: checked from outside only.
bool isComposite(const QWidget* w)
{
    return qobject_cast<const QAbstractScrollArea*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const LcdScreen*>(w);
}

bool insideComposite(const QWidget* w, const QWidget* window)
{
    for (const QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget()) {
        if (isComposite(p))
            return true;
    }
    return false;
}

// What is wrong with the window's layout: a control that leaves its parent, covers a sibling
// or is too small for its own text.
QStringList layoutFaults(const QWidget* window)
{
    QStringList faults;
    const auto name = [](const QWidget* w) {
        return QString("%1(%2)").arg(w->objectName(), w->metaObject()->className());
    };
    const QList<QWidget*> all = window->findChildren<QWidget*>();
    for (const QWidget* w : all) {
        if (w->isWindow() || !w->isVisibleTo(window) || insideComposite(w, window))
            continue;
        const QWidget* parent = w->parentWidget();
        if (!parent->rect().contains(w->geometry()))
            faults << name(w) + " leaves " + name(parent);
        for (const QWidget* s : all) {
            if (s != w && s->parentWidget() == parent && !s->isWindow() && s->isVisibleTo(window) &&
                s < w && s->geometry().intersects(w->geometry()))
                faults << name(w) + " covers " + name(s);
        }
        // Of a label and a push button the text must fit (a push button asks for a dialog
        // button's width, a label of a fixed size for that size); of other buttons, their hint.
        const auto* label = qobject_cast<const QLabel*>(w);
        const auto* push = qobject_cast<const QPushButton*>(w);
        const bool clips = (label && !label->wordWrap() && !label->text().isEmpty() &&
                            !qobject_cast<const ElidedLabel*>(w)) ||
                           qobject_cast<const QAbstractButton*>(w);
        QSize need = w->minimumSizeHint();
        if (label || push)
            need = w->fontMetrics().size(Qt::TextSingleLine, label ? label->text() : push->text());
        if (clips && (w->width() < need.width() || w->height() < need.height()))
            faults << QString("%1 clipped: %2x%3 < %4x%5")
                          .arg(name(w))
                          .arg(w->width())
                          .arg(w->height())
                          .arg(need.width())
                          .arg(need.height());
    }
    return faults;
}

// The emulator's reading as a few list rows, for the windows that plot or list them.
void fillGrid(TextGrid& grid)
{
    for (int r = 1; r <= 5; ++r)
        grid.appendRow(
            QString("%1\t12:00:0%1\t12.6%1\t03.45\t1.250\t 25.0\t0.000\t2.083\t2.083").arg(r));
}

} // namespace

class TestWindowSizes : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void everyWindowFitsAndShrinksCleanly_data();
    void everyWindowFitsAndShrinksCleanly();
    void panelFitsTheScreenHeight();
    void placementRule_data();
    void placementRule();
    void rememberedPlaces_data();
    void rememberedPlaces();
    void placeComesBackOnlyOnAPresentScreen();
};

void TestWindowSizes::init()
{
    WindowPlacement::rememberIn(nullptr);
}

void TestWindowSizes::everyWindowFitsAndShrinksCleanly_data()
{
    QTest::addColumn<Opener>("open");
    QTest::newRow("Panel") << Opener(
        [](FrontPanel& p, FileTransfer&) -> QWidget* { return &p.window; });
    QTest::newRow("RealTimeList") << Opener([](FrontPanel& p, FileTransfer& t) -> QWidget* {
        return new RealTimeList(p.state, p.prompts, t, &p.window);
    });
    QTest::newRow("FileList") << Opener([](FrontPanel& p, FileTransfer& t) -> QWidget* {
        static QPointer<GraphWindow> plot;
        return new FileList(p.state, p.prompts, t, plot, &p.window);
    });
    QTest::newRow("MemoryManager") << Opener([](FrontPanel& p, FileTransfer& t) -> QWidget* {
        return new MemoryManager(p.state, p.controller->session().channel(), p.prompts, t,
                                 &p.window);
    });
    QTest::newRow("DataList") << Opener([](FrontPanel& p, FileTransfer& t) -> QWidget* {
        auto* list = new DataList(p.state, p.prompts, t, &p.window);
        fillGrid(list->grid());
        return list;
    });
    QTest::newRow("ManualList") << Opener([](FrontPanel& p, FileTransfer& t) -> QWidget* {
        return new ManualList(p.state, t, &p.window);
    });
    QTest::newRow("Comparator") << Opener([](FrontPanel& p, FileTransfer&) -> QWidget* {
        MeterSession& s = p.controller->session();
        return new Comparator(p.state, s.channel(), s.link(), p.prompts, &p.window);
    });
    QTest::newRow("RTCSetup") << Opener([](FrontPanel& p, FileTransfer&) -> QWidget* {
        return RTCSetup::open(p.state, p.controller->session().channel(), p.clock, p.prompts,
                              &p.window);
    });
    QTest::newRow("SamplingChoice") << Opener([](FrontPanel& p, FileTransfer&) -> QWidget* {
        return new SamplingChoice(p.state, &p.window);
    });
    QTest::newRow("Plot") << Opener([](FrontPanel& p, FileTransfer&) -> QWidget* {
        return new GraphWindow(GraphWindow::Kind::Stored, p.prompts, &p.window);
    });
    QTest::newRow("RealTimeGraph") << Opener([](FrontPanel& p, FileTransfer&) -> QWidget* {
        return new GraphWindow(GraphWindow::Kind::Detail, p.prompts, &p.window);
    });
    QTest::newRow("ListPlot") << Opener([](FrontPanel& p, FileTransfer&) -> QWidget* {
        static TextGrid grid(9);
        fillGrid(grid);
        p.state.plotRequest.RecordTo = 5;
        return new ListPlot(p.state.plotRequest, grid, {{{true, 2}, {}, {}}}, p.prompts, &p.window);
    });
    QTest::newRow("PlotRange") << Opener([](FrontPanel& p, FileTransfer&) -> QWidget* {
        return new PlotRange(p.state.plotRequest, p.prompts, &p.window);
    });
    QTest::newRow("RealTimeAll") << Opener([](FrontPanel& p, FileTransfer&) -> QWidget* {
        return new LiveGraphWindow(p.state.allChannelGraph, p.state.reading, p.prompts, &p.window);
    });
    QTest::newRow("AllGraph") << Opener([](FrontPanel& p, FileTransfer&) -> QWidget* {
        return new ChannelDialog(ChannelDialog::Kind::Graph, &p.window);
    });
    QTest::newRow("GraphDetail") << Opener([](FrontPanel& p, FileTransfer&) -> QWidget* {
        return new ChannelDialog(ChannelDialog::Kind::Detail, &p.window);
    });
}

void TestWindowSizes::everyWindowFitsAndShrinksCleanly()
{
    QFETCH(Opener, open);
    FrontPanel p;
    QVERIFY(p.start());
    const QRect room = p.window.screen()->availableGeometry();
    QCOMPARE(room.size(), QSize(640, 512));

    FileTransfer transfer(p.state, p.prompts, p.controller->session().timers(), p.clock);
    QWidget* w = open(p, transfer);
    QVERIFY(w);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    // Opened: wholly on the screen, so every control can be reached.
    QVERIFY2(room.contains(w->frameGeometry()), qPrintable(QString("%1 at %2,%3 %4x%5")
                                                               .arg(w->objectName())
                                                               .arg(w->frameGeometry().x())
                                                               .arg(w->frameGeometry().y())
                                                               .arg(w->frameGeometry().width())
                                                               .arg(w->frameGeometry().height())));
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

void TestWindowSizes::panelFitsTheScreenHeight()
{
    FrontPanel p;
    QVERIFY(p.start());
    const QRect room = p.window.screen()->availableGeometry();
    QVERIFY(QTest::qWaitForWindowExposed(&p.window));
    QVERIFY(room.contains(p.window.frameGeometry()));
    // Shrunk as a whole: the face keeps its proportions and every control stays on it.
    const QSize design = p.window.sizeHint();
    QVERIFY(p.window.height() < design.height());
    const QWidget* lcd = p.find("LcdScreen");
    const double zoom = double(lcd->width()) / p.window.scale().px(4305);
    QVERIFY(qAbs(zoom - 1.0) < 0.02);
    QVERIFY(qAbs(double(lcd->height()) / lcd->width() - 3255.0 / 4305.0) < 0.01);
    for (const char* name : {"CmdRange", "CmdGray_2", "CmdArrow_3", "LblCOM", "LblFileName"})
        QVERIFY2(p.window.rect().contains(p.find(name)->geometry()), name);
    QVERIFY2(layoutFaults(&p.window).isEmpty(), qPrintable(layoutFaults(&p.window).join("\n")));
}

void TestWindowSizes::placementRule_data()
{
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QList<QRect>>("open"); // the first is the opener, when there is one
    QTest::addColumn<bool>("fromFirst");
    QTest::addColumn<QRect>("wanted");
    QTest::addColumn<QSize>("minimum");
    QTest::addColumn<QRect>("placed");
    const QRect big(0, 0, 1280, 1024);
    const QRect half(0, 0, 640, 512); // the same screen at a scale factor of 2
    const QRect panel(0, 0, 311, 645);
    const QRect list(311, 0, 677, 374);
    QTest::newRow("its own place when free")
        << big << QList<QRect>{panel} << true << list << QSize(150, 150) << list;
    QTest::newRow("graph over the panel goes beside it")
        << big << QList<QRect>{panel} << true << QRect(0, 0, 710, 591) << QSize(400, 300)
        << QRect(311, 0, 710, 591);
    QTest::newRow("range dialog beside its plot, not at the corner")
        << big << QList<QRect>{list, panel} << true << QRect(0, 0, 300, 150) << QSize(300, 150)
        << QRect(311, 374, 300, 150);
    QTest::newRow("list off the right edge goes below its opener")
        << QRect(0, 0, 1024, 768) << QList<QRect>{QRect(600, 0, 400, 300)} << true
        << QRect(1001, 0, 500, 400) << QSize(150, 150) << QRect(524, 300, 500, 400);
    QTest::newRow("no room for all of it: shrunk beside the panel")
        << half << QList<QRect>{QRect(0, 0, 230, 512)} << true << QRect(230, 0, 677, 374)
        << QSize(160, 150) << QRect(230, 0, 410, 374);
    QTest::newRow("screen full: a cascade step from the opener")
        << half << QList<QRect>{QRect(230, 0, 410, 512), QRect(0, 0, 230, 512)} << true
        << QRect(0, 0, 600, 400) << QSize(500, 300) << QRect(40, 28, 600, 400);
    QTest::newRow("next cascade step past a window on the first")
        << half
        << QList<QRect>{QRect(230, 0, 410, 512), QRect(0, 0, 230, 512), QRect(40, 28, 600, 400)}
        << true << QRect(0, 0, 600, 400) << QSize(500, 300) << QRect(40, 56, 600, 400);
    QTest::newRow("larger than the screen")
        << half << QList<QRect>{} << false << QRect(0, 0, 800, 600) << QSize(200, 200) << half;
    QTest::newRow("no opener: nearest free place to its own")
        << big << QList<QRect>{panel} << false << QRect(0, 0, 400, 300) << QSize(200, 200)
        << QRect(311, 0, 400, 300);
    QTest::newRow("second screen to the right")
        << QRect(1280, 0, 1920, 1080) << QList<QRect>{QRect(1280, 0, 311, 645)} << true
        << QRect(1280, 0, 400, 300) << QSize(200, 200) << QRect(1591, 0, 400, 300);
}

void TestWindowSizes::placementRule()
{
    QFETCH(QRect, screen);
    QFETCH(QList<QRect>, open);
    QFETCH(bool, fromFirst);
    QFETCH(QRect, wanted);
    QFETCH(QSize, minimum);
    QFETCH(QRect, placed);
    const QRect opener = fromFirst ? open.first() : QRect();
    QCOMPARE(WindowPlace::place(wanted, minimum, opener, open, screen), placed);
}

void TestWindowSizes::rememberedPlaces_data()
{
    QTest::addColumn<QRect>("saved");
    QTest::addColumn<QList<QRect>>("screens");
    QTest::addColumn<QRect>("restored"); // null: not restored
    const QList<QRect> one{QRect(0, 0, 1280, 1024)};
    const QList<QRect> two{QRect(0, 0, 1280, 1024), QRect(1280, 0, 1920, 1080)};
    QTest::newRow("on the screen") << QRect(100, 80, 400, 300) << one << QRect(100, 80, 400, 300);
    QTest::newRow("on the second screen")
        << QRect(1500, 100, 400, 300) << two << QRect(1500, 100, 400, 300);
    QTest::newRow("second screen gone") << QRect(1500, 100, 400, 300) << one << QRect();
    QTest::newRow("mostly below the screen") << QRect(100, 900, 400, 300) << one << QRect();
    QTest::newRow("screen now smaller")
        << QRect(10, 10, 700, 600) << QList<QRect>{QRect(0, 0, 640, 512)} << QRect(0, 0, 640, 512);
}

void TestWindowSizes::rememberedPlaces()
{
    QFETCH(QRect, saved);
    QFETCH(QList<QRect>, screens);
    QFETCH(QRect, restored);
    QCOMPARE(WindowPlace::remembered(saved, screens).value_or(QRect()), restored);
}

// Through the real windows: a place left is where the window comes back, the next run too;
// one on a screen that has gone is not.
void TestWindowSizes::placeComesBackOnlyOnAPresentScreen()
{
    QTemporaryDir dir;
    QSettings settings(dir.filePath("places.ini"), QSettings::IniFormat);
    WindowPlacement::rememberIn(&settings);
    const auto probe = [] {
        auto* w = new QWidget;
        w->setObjectName("Probe");
        w->setMinimumSize(100, 80);
        w->move(0, 0);
        w->resize(200, 150);
        WindowPlacement::manage(w);
        return w;
    };
    QWidget* first = probe();
    first->show();
    first->setGeometry(120, 90, 300, 200);
    QTRY_COMPARE(settings.value("windows/Probe").toRect().size(), QSize(300, 200));
    const QPoint left = first->pos();
    delete first;

    QWidget* again = probe();
    again->show();
    QCOMPARE(again->pos(), left);
    QCOMPARE(again->size(), QSize(300, 200));
    delete again;

    settings.setValue("windows/Probe", QRect(5000, 100, 300, 200));
    QWidget* gone = probe();
    gone->show();
    QCOMPARE(gone->pos(), QPoint(0, 0));
    QCOMPARE(gone->size(), QSize(200, 150));
    delete gone;
    WindowPlacement::rememberIn(nullptr);
}

// A 1280 × 1024 screen seen at a scale factor of 2; set before the application starts.
int main(int argc, char* argv[])
{
    QTemporaryDir dir;
    const QString config = dir.filePath("screen.json");
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write(R"({"screens": [{"name": "big", "x": 0, "y": 0, "width": 1280, "height": 1024,
                  "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    qputenv("QT_SCALE_FACTOR", "2");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    TestWindowSizes test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windowsizes.moc"
