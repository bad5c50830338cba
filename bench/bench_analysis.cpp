// How fast discharge analysis answers: the figures of a span of 36001 rows (goal 5 ms), ten
// recordings of 36001 rows overlaid on the stored-data graph redrawn after a pan and a zoom
// (goal 50 ms, under elapsed time and under capacity), and celldesk --plot of one such file,
// the whole program's run (goal 1 s). Reading a 36001-row CSV and data file is shown beside.
// Usage: bench_analysis [repeats] (default 5); runs offscreen unless a platform is chosen.
#include "Clock.h"
#include "ColumnPlot.h"
#include "ColumnPlotRequest.h"
#include "GraphView.h"
#include "GraphWindow.h"
#include "ReadingSeries.h"
#include "ScriptedPrompts.h"
#include "SpanFigures.h"
#include "Timing.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

constexpr int kRows = 36001;

// Ten hours of a cell discharged at about 1 A, one row a second; `k` shifts the curve a little
// so that the recordings differ.
QByteArray discharge(int k)
{
    QByteArray csv = "record,date_time,elapsed_s,voltage_V,resistance_Ohm,current_A,temperature_C,"
                     "in_capacity_Ah,out_capacity_Ah,total_capacity_Ah,flags\n";
    csv.reserve(kRows * 90);
    double ah = 0;
    for (int i = 0; i < kRows; ++i) {
        const double amps = 1.0 + 0.01 * k + 0.002 * std::sin(i / 7.0);
        ah += i > 0 ? amps / 3600.0 : 0.0; // the meter's counter only rises
        const double volts =
            4.15 - 1.1 * i / kRows - 0.02 * k - 0.2 * std::pow(double(i) / kRows, 8);
        csv += QByteArray::number(i + 1) + ",2026-12-08T" +
               QTime(8, 0).addSecs(i).toString("hh:mm:ss").toLatin1() + "+01:00," +
               QByteArray::number(i) + ',' + QByteArray::number(volts, 'f', 3) + ",0.0412," +
               QByteArray::number(amps, 'f', 3) + ",25.0,0.0000," + QByteArray::number(ah, 'f', 4) +
               ',' + QByteArray::number(ah, 'f', 4) + ",\n";
    }
    return csv;
}

} // namespace

int main(int argc, char* argv[])
{
    // Offscreen on a screen of a common desktop size, as the tests use.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM",
                "offscreen:configfile=" CELLDESK_TEST_DATA "/offscreen-1280x1024.json");
    QApplication app(argc, argv);
    const int repeats = argc > 1 ? std::max(1, QString(argv[1]).toInt()) : 5;
    QTemporaryDir dir;
    QStringList files;
    for (int k = 0; k < 10; ++k) {
        QFile f(dir.filePath(QStringLiteral("cell%1.csv").arg(k)));
        if (!f.open(QIODevice::WriteOnly) || f.write(discharge(k)) < 0)
            return 1;
        files << f.fileName();
    }

    const QByteArray csv = discharge(0);
    ReadingSeries series;
    report("read a 36001-row CellDesk CSV",
           medianMs(repeats, [&] { series = ReadingSeries::fromCsv(csv); }), "ms");
    QFile dataFile(QStringLiteral(CELLDESK_TEST_DATA "/recording.txt"));
    if (!dataFile.open(QIODevice::ReadOnly))
        return 1;
    const QList<QByteArray> lines = dataFile.readAll().split('\n');
    QByteArray big = lines[0] + '\n';
    for (int i = 0; i < kRows; ++i)
        big += lines[1 + i % 3] + '\n';
    report("read a 36001-row data file",
           medianMs(repeats, [&] { (void)ReadingSeries::fromDataFile(big); }), "ms");

    SpanFigures figures;
    const double span = medianMs(repeats * 20, [&] {
        figures = spanFigures(series, 0, series.rows() - 1);
        (void)valueStats(series.column(ReadingSeries::Voltage), 0, series.rows() - 1);
        (void)cutoffRow(series, 3.0, 0, series.rows() - 1);
    });
    report("figures of a span of 36001 rows (and its cut-off)", span, "ms", 5);
    std::printf("  (charge out %.4f Ah, energy out %.4f Wh)\n", figures.chargeOutAh,
                figures.energyOutWh);

    // The stored-data graph: the first file as the list's column, nine more added.
    ScriptedPrompts prompts;
    const SystemClock clock;
    GraphWindow w(GraphWindow::Kind::Stored, prompts, clock);
    w.resize(1000, 700);
    w.show();
    QStringList volts;
    for (qsizetype r = 0; r < series.rows(); ++r)
        volts << QString::number(series.value(ReadingSeries::Voltage, r), 'f', 3);
    PlotRequest request;
    const std::vector<float> values = preparePlotRequest(request, *columnKind(2, "V"), volts);
    w.setColumnSource([series] { return series; }, columnUnit(2, u"V", false));
    w.showColumn(request, values, RowTimes::fromElapsed(8 * 3600, series.elapsedColumn()));
    for (int k = 1; k < 10; ++k)
        w.addFile(files[k]);
    GraphView* g = w.graph();
    for (const XReading reading : {XReading::Elapsed, XReading::Capacity}) {
        w.setXReading(reading);
        w.fit();
        g->replotNow();
        QCPAxis* x = g->axis(1);
        // Right and back by turns, so that the view stays on the recordings.
        int step = 0;
        const double pan = medianMs(repeats * 4, [&] {
            x->moveRange((step++ % 2 ? -1 : 1) * x->range().size() / 10);
            g->replotNow();
        });
        // In and out by turns, so that the view stays about the whole recordings.
        bool in = true;
        const double zoom = medianMs(repeats * 4, [&] {
            x->scaleRange(in ? 0.8 : 1.25, x->range().center());
            in = !in;
            g->replotNow();
        });
        const bool elapsed = reading == XReading::Elapsed;
        report(elapsed ? "ten recordings overlaid, elapsed time: pan and redraw"
                       : "ten recordings overlaid, capacity: pan and redraw",
               pan, "ms", 50);
        report(elapsed ? "ten recordings overlaid, elapsed time: zoom and redraw"
                       : "ten recordings overlaid, capacity: zoom and redraw",
               zoom, "ms", 50);
        std::printf("  (the graph's own count of its last redraw: %.2f ms; %d plots of %d points, "
                    "X %.4g to %.4g on %d pixels)\n",
                    g->replotTime(), g->graphCount(), g->plot(g->graphCount())->dataCount(),
                    x->range().lower, x->range().upper, g->axisRect()->width());
    }

    const double plot = medianMs(repeats, [&] {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(CELLDESK_PROGRAM),
                      {"--plot", files[0], "--x", "capacity", "-o", dir.filePath("curve.png")});
        program.waitForFinished(30000);
        if (program.exitCode() != 0)
            std::printf("celldesk --plot failed: %s\n", program.readAllStandardError().constData());
    });
    report("celldesk --plot of one 36001-row file, the whole run", plot, "ms", 1000);
    return 0;
}
