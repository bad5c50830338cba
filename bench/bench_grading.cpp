// Figures of cell grading in the whole program (main window, live poll, Cell Grading window):
//   (a) capture latency: the emulator's tray presents cells one after another at the meter's
//       pace (a frame every 250 ms, 0.8 s settle); from the first display frame of a cell's
//       steady reading to its row in the table, median and worst (goal: settle + <= 0.3 s);
//   (b) a session of 10 000 cells taken through the capture rule: the time from a cell's row
//       to the table, statistics and both histograms drawn again, median and worst (goal <=
//       50 ms), and with the database commit (each cell reaches the disk) before it; the
//       database's size, and the CSV export and the printed report (PDF) of the whole session.
// Usage: bench_grading [cells for (a), default 200] [folder for the files, default /tmp];
// runs offscreen unless a platform is chosen. (a) takes about 2.4 s a cell (each held 1.6 s).
#include "CellGrading.h"
#include "CellTray.h"
#include "FrontPanel.h"
#include "PrintedPdf.h"
#include "ProcessFigures.h"
#include "Timing.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTableView>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

CellGrading* openGrading(FrontPanel& p, const QString& session)
{
    p.clickToolbar(QStringLiteral("Grade"));
    CellGrading* w = p.controller->grading();
    w->session().open(session);
    return w;
}

void latency(int cells)
{
    FrontPanel p;
    if (!p.start()) {
        std::printf("capture: the emulator did not start\n");
        return;
    }
    p.meter.sim.setFramePeriodMs(250);
    p.clock.runWithRealTime(); // the rig's clock is set by hand: here it follows the real one
    CellGrading* w = openGrading(p, QStringLiteral("latency"));

    const QList<TrayCell> trayCells = CellTray::generated(cells, 77);
    CellTray tray(p.meter.sim, trayCells);
    tray.setTiming({.gapMs = 500, .rampMs = 250, .holdMs = 1600, .stepMs = 50});
    QElapsedTimer clock;
    clock.start();
    int presenting = -1;
    qint64 firstSteadyFrame = -1;
    std::vector<double> ms;
    QObject::connect(&tray, &CellTray::steady, &tray, [&](int index) {
        presenting = index;
        firstSteadyFrame = -1;
    });
    // The first frame decoded with the cell's steady voltage is the first of its steady reading.
    QObject::connect(&p.controller->session().poll(), &PollCycle::frameDecoded, &tray, [&] {
        if (presenting < 0 || firstSteadyFrame >= 0)
            return;
        const QString shown = p.state.reading.valueTexts[CurrentReading::Voltage].trimmed();
        if (shown == QString::number(trayCells[presenting].volts, 'f', 3))
            firstSteadyFrame = clock.nsecsElapsed();
    });
    QObject::connect(w->table().model(), &QAbstractItemModel::rowsInserted, &tray, [&] {
        if (firstSteadyFrame >= 0)
            ms.push_back(double(clock.nsecsElapsed() - firstSteadyFrame) / 1e6);
        presenting = -1;
    });
    bool done = false;
    QObject::connect(&tray, &CellTray::finished, &tray, [&] { done = true; });
    tray.start();
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    QTest::qWait(1500);
    std::printf("capture cells=%d rows=%d latency_median_ms=%.0f latency_worst_ms=%.0f "
                "(goal: settle 800 + <= 300 ms)\n",
                cells, w->table().model()->rowCount(), percentile(ms, 0.5), percentile(ms, 1));
}

void session(int cells, const QString& folder)
{
    FrontPanel p;
    if (!p.start())
        return;
    // The frames come from here, through the capture rule: the live poll rests meanwhile.
    p.meter.sim.setStreaming(false);
    TimerPause noPoll(p.controller->session().timers(), PollTimers::Both);
    CellGrading* w = openGrading(p, QStringLiteral("ten thousand"));
    w->resize(1180, 780);
    CurrentReading& r = p.state.reading;
    r.RangeText = QStringLiteral("400 mOhm");
    r.TempUnitText = QStringLiteral("Celsius");
    r.celsius = true;
    const auto frame = [&](const QString& volts, const QString& ohms) {
        r.valueTexts[CurrentReading::Voltage] = volts;
        r.valueTexts[CurrentReading::Resistance] = ohms;
        r.valueTexts[CurrentReading::Temperature] = QStringLiteral("25.0");
        ++r.frameNumber;
        p.clock.advanceMs(250);
    };
    const QList<TrayCell> trayCells = CellTray::generated(cells, 99);
    std::vector<double> ms;
    std::vector<double> drawn; // from the row's insertion (after the commit) to all drawn again
    QElapsedTimer shown;
    QObject::connect(w->table().model(), &QAbstractItemModel::rowsAboutToBeInserted, w,
                     [&] { shown.start(); });
    // Connected after the window's own handlers: it runs once they have drawn.
    QObject::connect(&w->session(), &GradingSession::cellTaken, w,
                     [&] { drawn.push_back(double(shown.nsecsElapsed()) / 1e6); });
    const double before = residentMb();
    for (const TrayCell& c : trayCells) {
        frame(QStringLiteral("0.000"), QStringLiteral(" 0L "));
        w->session().takeFrame();
        const QString volts = QString::number(c.volts, 'f', 3);
        const QString ohms = QString::number(c.ohms * 1000, 'f', 1).rightJustified(5, u'0');
        for (int k = 0; k < 4; ++k) {
            frame(volts, ohms);
            w->session().takeFrame();
        }
        frame(volts, ohms);
        QElapsedTimer row;
        row.start();
        w->session().takeFrame(); // completes the settle time: stored, listed, drawn
        ms.push_back(double(row.nsecsElapsed()) / 1e6);
        QCoreApplication::processEvents();
    }
    const QString database = w->session().store().path();
    const qint64 bytes = QFileInfo(database).size() + QFileInfo(database + "-wal").size();
    std::printf("session cells=%d rows=%d table_statistics_histograms_median_ms=%.1f worst_ms=%.1f "
                "(goal <= 50 ms); with the commit before it: median_ms=%.1f worst_ms=%.1f; "
                "database_mb=%.2f rss_growth_mb=%.1f\n",
                cells, w->table().model()->rowCount(), percentile(drawn, 0.5), percentile(drawn, 1),
                percentile(ms, 0.5), percentile(ms, 1), bytes / 1048576.0, residentMb() - before);

    const QString csv = folder + QStringLiteral("/bench-grading.csv");
    p.prompts.fileAnswers << csv;
    QElapsedTimer exportTime;
    exportTime.start();
    w->runToolbarCommand(QStringLiteral("Export CSV"));
    const double exportMs = double(exportTime.nsecsElapsed()) / 1e6;
    const QString pdf = folder + QStringLiteral("/bench-grading.pdf");
    p.prompts.printAnswers << true;
    p.prompts.setUpPrinter = pdfPrinter(pdf);
    QElapsedTimer printTime;
    printTime.start();
    w->runToolbarCommand(QStringLiteral("Print"));
    const double printMs = double(printTime.nsecsElapsed()) / 1e6;
    std::printf("session export_csv_ms=%.0f csv_kb=%.0f print_pdf_ms=%.0f pdf_pages=%d\n", exportMs,
                QFileInfo(csv).size() / 1024.0, printMs, pdfPages(pdf));
    QFile::remove(csv);
    QFile::remove(pdf);
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8()); // never the user's cell database
    QApplication app(argc, argv);
    const int cells = argc > 1 ? std::max(0, atoi(argv[1])) : 200; // 0: no latency run
    const QString folder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("/tmp");
    session(10000, folder);
    if (cells > 0)
        latency(cells);
    return 0;
}
