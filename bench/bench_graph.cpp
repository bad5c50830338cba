// How fast the graph windows take their data: a 36001-record column plotted into the
// stored-data graph (goal 0.1 s), seven 432001-point plots filled into the detail graph
// (goal 0.3 s), a replot after a pan or zoom of those seven plots (goal 30 ms), Fit of the
// column and of the seven plots, redraw included (goal 30 ms each), and how fast Save image
// writes the live graph's seven full traces (an hour each) as PNG, SVG and PDF at the window's
// size (goal 300 ms).
// Usage: bench_graph [repeats] (default 5); runs offscreen unless a platform is chosen.
#include "AllChannelGraph.h"
#include "Clock.h"
#include "ColumnPlotRequest.h"
#include "CurrentReading.h"
#include "GraphPicture.h"
#include "GraphView.h"
#include "GraphWindow.h"
#include "LiveGraphWindow.h"
#include "ScriptedPrompts.h"
#include "Timing.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int repeats = argc > 1 ? std::max(1, QString(argv[1]).toInt()) : 5;
    ScriptedPrompts prompts;
    const SystemClock clock;

    // A recorded voltage column: 36001 display texts.
    QStringList texts;
    for (int i = 0; i < 36001; ++i)
        texts << QString::number(12.8 - 0.6 * i / 36000.0 + 0.05 * std::sin(i / 500.0), 'f', 2);
    const ColumnKind voltage = *columnKind(2, QStringLiteral("V"));

    // The program's first window pays for fonts and style; the graph window comes later.
    delete new GraphWindow(GraphWindow::Kind::Stored, prompts, clock);

    QPointer<GraphWindow> plot;
    const double firstPlot = medianMs(1, [&] {
        PlotRequest request;
        const std::vector<float> values = preparePlotRequest(request, voltage, texts);
        GraphWindow* w = GraphWindow::open(plot, GraphWindow::Kind::Stored, prompts, clock);
        w->showColumn(request, values);
        w->graph()->replotNow();
    });
    const double refill = medianMs(repeats, [&] {
        PlotRequest request;
        const std::vector<float> values = preparePlotRequest(request, voltage, texts);
        GraphWindow* w = GraphWindow::open(plot, GraphWindow::Kind::Stored, prompts, clock);
        w->showColumn(request, values);
        w->graph()->replotNow();
    });
    report("plot a 36001-record column, window built", firstPlot, "ms", 100);
    report("plot a 36001-record column into the open window", refill, "ms", 100);
    {
        PlotRequest request;
        GraphWindow* w = GraphWindow::open(plot, GraphWindow::Kind::Stored, prompts, clock);
        w->showColumn(request, preparePlotRequest(request, voltage, texts));
        const double fit = medianMs(
            repeats * 4, [&] { w->reset(); },
            [&] {
                w->fit();
                w->graph()->replotNow();
            });
        report("Fit a 36001-record column, redraw included", fit, "ms", 30);
    }
    delete plot;

    // Five days of one-second samples on all seven channels.
    constexpr int points = 432001;
    std::array<std::vector<float>, 7> history;
    for (int c = 0; c < 7; ++c) {
        history[std::size_t(c)].resize(points);
        for (int i = 0; i < points; ++i)
            history[std::size_t(c)][std::size_t(i)] =
                float(c * 10 + 5 * std::sin(i / (3000.0 + 500 * c)) + (i % 97) * 0.01);
    }
    GraphWindow detail(GraphWindow::Kind::Detail, prompts, clock);
    detail.show();
    GraphView* g = detail.graph();
    const double fill = medianMs(repeats, [&] {
        detail.setSetupFlag(true);
        detail.setBoxes(1, 1, points);
        g->setAxisRange(1, 1, points);
        for (int p = 1; p <= 7; ++p)
            g->setPlotData(p, history[std::size_t(p - 1)]);
        detail.setSetupFlag(false);
        g->replotNow();
    });
    report("fill seven plots of 432001 points and draw them", fill, "ms", 300);

    int step = 0;
    const double pan = medianMs(repeats * 4, [&] {
        const double shift = (++step % 2 ? 1 : -1) * 43200.0;
        const QCPRange x = g->axis(1)->range();
        g->axis(1)->setRange(x.lower + shift, x.upper + shift);
        g->replotNow();
    });
    report("replot the seven plots after a pan", pan, "ms", 30);
    const double zoom = medianMs(repeats * 4, [&] {
        const QCPRange x = g->axis(1)->range();
        const double centre = x.center();
        const double half = (++step % 2 ? 0.25 : 1.0) * x.size();
        g->axis(1)->setRange(centre - half, centre + half);
        g->axis(2)->setRange(g->axis(2)->range().lower * 0.9, g->axis(2)->range().upper * 0.9);
        g->replotNow();
    });
    report("replot the seven plots after a zoom", zoom, "ms", 30);

    // Fit from a zoomed-in view: the seven plots' extent and ranges, then the redraw.
    const double fitAll = medianMs(
        repeats * 4,
        [&] {
            g->axis(1)->setRange(1000, 2000);
            for (int axis = 2; axis <= g->axisCount(); ++axis)
                g->axis(axis)->setRange(-1, 1);
            g->replotNow();
        },
        [&] {
            detail.fit();
            g->replotNow();
        });
    report("Fit seven plots of 432001 points, redraw included", fitAll, "ms", 30);
    const double scan = medianMs(
        repeats * 4, [&] { g->axis(1)->setRange(1000, 2000); }, [&] { g->fit(); });
    report("  of which finding the ranges", scan, "ms", 30);
    // The live graph with its seven traces full: the latest hour of one-second samples.
    AllChannelGraph channels;
    for (int c = 0; c < GraphChannelCount; ++c)
        channels.setShows(GraphChannel(c), true);
    const CurrentReading reading;
    channels.ranges = defaultGraphRanges(reading);
    LiveGraphWindow live(channels, reading, prompts, clock, nullptr);
    live.show();
    QApplication::processEvents();
    GraphView* lg = live.graph();
    for (int p = 1; p <= 7; ++p)
        lg->setPlotData(p, std::span<const float>(history[std::size_t(p - 1)].data(),
                                                  LiveGraphWindow::TraceWindow));
    lg->setAxisRange(1, 1, LiveGraphWindow::TraceWindow);
    lg->replotNow();
    const PictureHead head{QStringLiteral("Real Time Graph — live readings"), {}};
    const QSize size = lg->size() + QSize(0, pictureHeadHeight(head));
    const QString folder = QDir::tempPath();
    for (const char* format : {"png", "svg", "pdf"}) {
        const QString path = folder + QStringLiteral("/bench-live.") + QLatin1String(format);
        const double ms = medianMs(repeats, [&] {
            if (!writePicture(path, size, head, graphPictureBody(*lg)).isEmpty())
                std::printf("cannot write %s\n", qPrintable(path));
        });
        const QString what = QStringLiteral("save the live graph (7 x 3600 points) as %1, %2 x %3")
                                 .arg(QString::fromLatin1(format).toUpper())
                                 .arg(size.width())
                                 .arg(size.height());
        report(qPrintable(what), ms, "ms", 300);
        std::printf("    %s: %lld KB\n", qPrintable(path), QFileInfo(path).size() / 1024);
        QFile::remove(path);
    }
    return 0;
}
