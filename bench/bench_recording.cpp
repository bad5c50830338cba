// Figures of PC recording and the list windows at their largest: 36001 samples through the
// sample tick into a file (each line flushed) and into the real-time list, then a save and a
// print of the full list. Usage: bench_recording [folder for the files] (default /tmp).
#include "FileTransfer.h"
#include "GridView.h"
#include "ProcessFigures.h"
#include "RealTimeList.h"
#include "RecordingRig.h"
#include "TextGrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <unistd.h>

namespace {

constexpr int kSamples = 36001;

// The recorder and the real-time list as the main window holds them, shown.
struct Rig : RecordingRig
{
    Rig() { mainWindow.show(); }
};

void benchRecorder(const QString& folder)
{
    Rig rig;
    const QString path = folder + QStringLiteral("/bench-recording.txt");
    rig.prompts.fileAnswers << path;
    rig.recorder.runSaveCommand();
    const double before = residentMb();
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < kSamples; ++i) {
        rig.tick(); // a frame each second, so each sample is taken
    }
    const double seconds = clock.elapsed() / 1000.0;
    std::printf("recorder_samples=%d recorder_seconds=%.3f recorder_rss_growth_mb=%.2f "
                "(goals: <= 2 s, <= 2 MB)\n",
                rig.state.FileRecordCount, seconds, residentMb() - before);
    rig.recorder.runSaveCommand();
    QFile::remove(path);
}

void benchList()
{
    Rig rig;
    const double before = residentMb();
    rig.list.runListCommand();
    RealTimeList* list = rig.list.window();
    QElapsedTimer clock;
    clock.start();
    qint64 lastNs = 0;
    for (int i = 0; i < kSamples; ++i) {
        if (i == kSamples - 1) {
            QCoreApplication::processEvents(); // a realistic state: painted, nothing pending
            clock.restart();
        }
        rig.tick();
        if (i == kSamples - 1)
            lastNs = clock.nsecsElapsed();
        if (i % 1000 == 0 && i < kSamples - 1)
            QCoreApplication::processEvents();
    }
    // The list closed itself after its 36001st row.
    std::printf("list_rows=%d list_last_append_ms=%.3f list_rss_growth_mb=%.2f "
                "(goals: <= 1 ms, <= 30 MB)\n",
                list->grid().rows() - 1, lastNs / 1e6, residentMb() - before);
}

QStringList recordLines()
{
    QStringList lines;
    lines.reserve(kSamples);
    for (int i = 1; i <= kSamples; ++i)
        lines << QStringLiteral("%1\t10:15:02\t12.53\t 41.2\t-0.511\t 25.3\t105.0(m)\t0.0(m)\t"
                                "105.0(m)")
                     .arg(i);
    return lines;
}

void benchSaveAndPrint(const QString& folder)
{
    Rig rig;
    QWidget window;
    window.setWindowTitle(QStringLiteral("Real Time List"));
    window.show();
    TextGrid grid(9);
    grid.appendRows(recordLines());

    rig.state.SaveFileName = folder + QStringLiteral("/bench-list.txt");
    QElapsedTimer clock;
    clock.start();
    rig.transfer.SaveGridToFile(window, grid);
    std::printf("grid_save_rows=%d grid_save_seconds=%.3f file_kb=%lld (goal: <= 0.5 s)\n",
                grid.rows() - 1, clock.elapsed() / 1000.0,
                QFile(rig.state.SaveFileName).size() / 1024);
    QFile::remove(rig.state.SaveFileName);

    const QString pdf = folder + QStringLiteral("/bench-list.pdf");
    rig.prompts.printAnswers << true;
    rig.prompts.setUpPrinter = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
    };
    clock.restart();
    const bool printed = rig.transfer.PrintGrid(window, grid);
    std::printf("print_rows=%d print_seconds=%.3f pdf_kb=%lld printed=%s (goal: <= 10 s)\n",
                grid.rows() - 1, clock.elapsed() / 1000.0, QFile(pdf).size() / 1024,
                printed ? "yes" : "no");
    QFile::remove(pdf);
}

void benchLoadedGrid()
{
    // The file list's case: 36001 rows added at once behind a shown view.
    const double before = residentMb();
    auto* view = new GridView;
    auto* grid = new TextGrid(9, view);
    view->setGrid(grid);
    QStringList lines = recordLines();
    QElapsedTimer clock;
    clock.start();
    grid->appendRows(lines);
    lines.clear();
    view->show();
    QCoreApplication::processEvents();
    std::printf("loaded_grid_rows=%d loaded_grid_ms=%lld loaded_grid_rss_growth_mb=%.2f "
                "(goal: <= 25 MB)\n",
                grid->rows() - 1, clock.elapsed(), residentMb() - before);
    delete view;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp");
    // The grid first, while the heap holds nothing of the others.
    benchLoadedGrid();
    benchRecorder(folder);
    benchList();
    benchSaveAndPrint(folder);
    return 0;
}
