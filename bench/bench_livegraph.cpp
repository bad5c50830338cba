// The live all-channel graph over five days, in the whole program (main window, live poll on
// the meter emulator, live graph and detail graph):
//   (a) time per tick with seven traces: ticks 1-1000 of a fresh history, 1000 ticks once
//       the traces hold their full hour, and 1000 ticks after the history has wrapped (goal
//       <= 3 ms mean; no higher after the wrap than before it);
//   (b) resident memory: what the five-day history adds (goal <= 12.5 MB), growth over the
//       hour after the wrap (goal <= 2 MB), the whole program with the live graph on a full
//       history and the detail graph open on it (goal <= 150 MB);
//   (c) the detail dialog's OK on a full history, to the first paint (goal <= 0.5 s);
//   (d) a replot of the detail graph's seven full series after a pan and after a zoom.
// Usage: bench_livegraph; runs offscreen unless a platform is chosen. Build it in Release.
#include "ChannelDialog.h"
#include "FrontPanel.h"
#include "GraphView.h"
#include "GraphWindow.h"
#include "LiveGraph.h"
#include "LiveGraphWindow.h"
#include "ProcessFigures.h"
#include "Timing.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

struct TickFigures
{
    double wallMs;
    double cpuMs;
};

// `count` ticks of the live window, each drawn at once; the mean per tick. Between ticks the
// program's events run (untimed), as they do between two seconds of the real timer, and a
// display frame counts as arrived, so every tick takes a sample.
TickFigures runTicks(LiveGraphWindow& live, CurrentReading& reading, int count)
{
    qint64 wallNs = 0;
    double cpuMs = 0;
    for (int i = 0; i < count; ++i) {
        ++reading.frameNumber;
        QElapsedTimer wall;
        wall.start();
        const double cpu = threadCpuMs();
        live.tick();
        live.graph()->replotNow();
        cpuMs += threadCpuMs() - cpu;
        wallNs += wall.nsecsElapsed();
        QCoreApplication::removePostedEvents(live.graph(), QEvent::MetaCall); // drawn already
        QCoreApplication::processEvents();
    }
    return {double(wallNs) / 1e6 / count, cpuMs / count};
}

// Notes the first paint of a widget.
class PaintWatch : public QObject
{
public:
    bool painted = false;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return QObject::eventFilter(watched, event);
    }
};

void check(QWidget* dialog)
{
    for (const char* name : {"CkV", "CkA", "CkTemp", "CkOhm", "CkCap"})
        dialog->findChild<QCheckBox*>(name)->setChecked(true);
}

GraphWindow* detailWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("RealTimeGraph") && w->isVisible())
            return qobject_cast<GraphWindow*>(w);
    }
    return nullptr;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    FrontPanel p;
    if (!p.start()) {
        std::fprintf(stderr, "bench_livegraph: the meter emulator did not start\n");
        return 1;
    }
    SimReading reading;
    reading.inCap = QStringLiteral("1500");
    reading.capMilli = {true, false, false};
    p.meter.sim.setReading(reading);
    QTest::qWait(500);
    const double idleMb = residentMb();

    p.clickToolbar(QStringLiteral("Graph"));
    auto* dialog = p.find<ChannelDialog>(QStringLiteral("AllGraph"));
    check(dialog);
    dialog->findChild<QPushButton*>(QStringLiteral("CmdOK"))->click();
    LiveGraphWindow* live = p.controller->liveGraph().window();
    live->timer()->stop(); // the benchmark ticks by itself
    QTest::qWait(200);
    std::printf("traces keep the latest %d samples\n", LiveGraphWindow::TraceWindow);

    // (a) at tick 1000 of a fresh history.
    const TickFigures fresh = runTicks(*live, p.state.reading, 1000);
    runTicks(*live, p.state.reading,
             LiveGraphWindow::TraceWindow - 1000); // the traces are full from here on
    // (a) the next 1000 ticks, with full traces, before the wrap.
    const TickFigures full = runTicks(*live, p.state.reading, 1000);

    // (b) the history's memory: filled through its own append until it wraps.
    ChannelRing& history = p.state.allChannelGraph.ChannelHistory;
    const double beforeFillMb = residentMb();
    LiveSample sample{12.5f, 1.25f, 25.0f, 3.45f, 1.5f, 0.0f, 1.5f};
    while (history.held() < ChannelRing::Capacity) {
        sample[0] = 12.0f + float(history.historyIndex() % 1000) / 1000.0f;
        history.append(sample);
    }
    const double wrapMb = residentMb();

    // (a) after the wrap, with full traces.
    const TickFigures wrapped = runTicks(*live, p.state.reading, 1000);
    // (b) an hour later.
    runTicks(*live, p.state.reading, 3600);
    const double hourLaterMb = residentMb();
    // Two more hours: the traces' buffers have settled, nothing grows any more.
    runTicks(*live, p.state.reading, 7200);
    const double threeHoursLaterMb = residentMb();

    // (c) the detail dialog's OK on the full history, to the first paint of the graph.
    GraphView* g = live->graph();
    QTest::mouseClick(g, Qt::LeftButton, {}, g->axisRect()->rect().center());
    // A click counts once no double-click can follow.
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    auto* detailDialog = p.find<ChannelDialog>(QStringLiteral("GraphDetail"));
    check(detailDialog);
    QElapsedTimer okTime;
    okTime.start();
    detailDialog->findChild<QPushButton*>(QStringLiteral("CmdOK"))->click();
    GraphWindow* detail = detailWindow();
    PaintWatch watch;
    detail->graph()->installEventFilter(&watch);
    while (!watch.painted && okTime.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    const double detailMs = double(okTime.nsecsElapsed()) / 1e6;
    QTest::qWait(300);
    const double wholeMb = residentMb();

    // (d) pan and zoom replots of the detail graph.
    GraphView* dg = detail->graph();
    int step = 0;
    const double pan = medianMs(20, [&] {
        const double shift = (++step % 2 ? 1 : -1) * 43200.0;
        const QCPRange x = dg->axis(1)->range();
        dg->axis(1)->setRange(x.lower + shift, x.upper + shift);
        dg->replotNow();
    });
    const double zoom = medianMs(20, [&] {
        const QCPRange x = dg->axis(1)->range();
        const double half = (++step % 2 ? 0.25 : 1.0) * x.size();
        dg->axis(1)->setRange(x.center() - half, x.center() + half);
        dg->axis(2)->setRange(dg->axis(2)->range().lower * 0.9, dg->axis(2)->range().upper * 0.9);
        dg->replotNow();
    });

    report("(a) tick + replot, seven traces, ticks 1-1000 (wall)", fresh.wallMs, "ms", 3);
    report("(a) tick + replot, seven traces, ticks 1-1000 (CPU)", fresh.cpuMs, "ms", 3);
    report("(a) tick + replot, full traces, ticks 3601-4600 (wall)", full.wallMs, "ms", 3);
    report("(a) tick + replot, full traces, ticks 3601-4600 (CPU)", full.cpuMs, "ms", 3);
    report("(a) tick + replot, full traces, wrapped history (wall)", wrapped.wallMs, "ms", 3);
    report("(a) tick + replot, full traces, wrapped history (CPU)", wrapped.cpuMs, "ms", 3);
    report("(a) share of one core at one tick a second, wrapped", wrapped.cpuMs / 10.0, "%", 0.3);
    report("(b) resident, program idle before the first opening", idleMb, "MB", 0);
    report("(b) resident added by filling the five-day history", wrapMb - beforeFillMb, "MB", 12.5);
    report("(b) resident growth over 3600 ticks after the wrap", hourLaterMb - wrapMb, "MB", 2);
    report("(b) resident growth over the next 7200 ticks", threeHoursLaterMb - hourLaterMb, "MB",
           2);
    report("(b) resident, live graph on full history + detail open", wholeMb, "MB", 150);
    report("(c) detail OK on a full history to the first paint", detailMs, "ms", 500);
    report("(d) detail replot after a pan, seven series of 432001", pan, "ms", 0);
    report("(d) detail replot after a zoom, seven series of 432001", zoom, "ms", 0);
    return 0;
}
