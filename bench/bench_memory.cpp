// Figures of the meter memory at its largest: the split of a 16 MiB automatic memory (about
// 10,000 sets of 100 readings) with its set grid rows (goal 0.1 s), decoding all its readings
// to list rows (goal 1 s), Show set of one set of 65,535 readings into the data list (goal 1 s),
// and a redraw of the list plot over 36001 records, progress included (goal 0.2 s).
// Usage: bench_memory [repeats] (default 3); runs offscreen unless a platform is chosen.
#include "DataList.h"
#include "FrontPanel.h"
#include "ListPlot.h"
#include "MemoryDownload.h"
#include "MemoryManager.h"
#include "MemoryRecords.h"
#include "MeterMemory.h"
#include "PlotRequest.h"
#include "SimMemory.h"
#include "TextGrid.h"
#include "Timing.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

// The best of `repeats` runs, in milliseconds.
double best(int repeats, const std::function<void()>& run)
{
    double least = 1e300;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer t;
        t.start();
        run();
        least = std::min(least, t.nsecsElapsed() / 1e6);
    }
    return least;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int repeats = argc > 1 ? std::max(1, QString(argv[1]).toInt()) : 3;

    const QByteArray reply = '\x02' + generatedAutoMemory(16 * 1024 * 1024, 100) + '\x03';
    MemorySplit split;
    QStringList rows;
    const double splitMs = best(repeats, [&] {
        split = splitAutoMemory(reply);
        rows.clear();
        rows.reserve(split.sets.size());
        for (int n = 1; n <= split.sets.size(); ++n)
            rows.append(setGridRow(n, split.sets.at(n - 1)));
    });
    report("split 16 MiB into sets, with their grid rows", splitMs, "ms", 100,
           QStringLiteral("%1 sets").arg(split.sets.size()));

    qsizetype decoded = 0;
    const double decodeMs = best(repeats, [&] {
        decoded = 0;
        for (int n = 1; n <= split.sets.size(); ++n) {
            SetDecoder decoder(split.sets.at(n - 1), rows.at(n - 1).section('\t', 1, 1), 2);
            for (int k = 1; k <= decoder.count(); ++k)
                decoded += decoder.row(k).size();
        }
    });
    report("decode every reading of 16 MiB to list rows", decodeMs, "ms", 1000,
           QStringLiteral("%1 MB of text").arg(decoded * 2 / 1e6, 0, 'f', 1));

    // Show set: one set of 65535 readings behind a running front panel.
    FrontPanel p;
    if (!p.start())
        return 1;
    QByteArray big = generatedAutoMemory(10 + 16 * 65535, 65535);
    p.state.StoredSets = {big};
    MemoryManager* window = p.controller->memory().window();
    window->setGrid().appendRows({QStringLiteral("1\t08:00:00\t2\t65535")});
    const double showMs = best(repeats, [&] { window->showSet(1); });
    report("Show set of 65535 readings into the data list", showMs, "ms", 1000,
           QStringLiteral("%1 rows").arg(window->dataList()->dataRows()));

    // The list plot over 36001 listed records.
    TextGrid grid(9);
    QStringList lines;
    for (int i = 1; i <= 36001; ++i)
        lines << QStringLiteral("%1\t%2\t%3\t\t\t\t\t\t")
                     .arg(i)
                     .arg(QTime(0, 0).addSecs(i).toString(QStringLiteral("hh:mm:ss")))
                     .arg(12.8 - 0.6 * i / 36001.0, 0, 'f', 2);
    grid.appendRows(lines);
    PlotRequest q;
    q.Title = QStringLiteral("V");
    q.FullScaleMin = -60;
    q.FullScaleMax = 60;
    q.ValueMin = 0;
    q.ValueMax = 16;
    q.RecordCount = q.RecordAxisMax = q.RecordTo = 36001;
    q.RecordFrom = 1;
    ListPlot plot(q, grid, {{{true, 2}, {}, {}}}, p.prompts, p.clock, nullptr);
    plot.resize(900, 600);
    plot.show();
    QSignalSpy first(&plot, &ListPlot::drawn);
    first.wait(10000);
    int size = 0;
    const double plotMs = best(repeats, [&] {
        QSignalSpy drawn(&plot, &ListPlot::drawn);
        plot.resize(900 + (++size % 2), 600);
        drawn.wait(10000);
    });
    report("list plot redraw of 36001 records", plotMs, "ms", 200);
    p.controller->session().shutDown();
    return 0;
}
