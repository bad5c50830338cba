// A 64 KiB memory download as a user sees it: the meter emulator runs in its own process at
// 19200 baud with a 128 K memory (size code 2) holding 65536 bytes of sets; the figure is the
// time from the toolbar's "Memory" to the filled set grid, and the CPU CellDesk used meanwhile.
// The line alone takes 65538 bytes × 10 bits / 19200 baud = 34.1 s. With --cli the same
// download runs as `celldesk-cli download` in a process of its own instead, timed from its
// start to its exit (both streams, the files written). Usage:
// bench_memory_download [--cli] [bytes] (default 65536); runs offscreen unless a platform is
// chosen.
#include "MainWindowOnPort.h"
#include "MemoryDownload.h"
#include "MemoryManager.h"
#include "MeterSimProcess.h"
#include "ProcessFigures.h"
#include "TextGrid.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

int downloadWithCli(const QString& device, qint64 bytes)
{
    QTemporaryDir out;
    QProcess cli;
    cli.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer wall;
    wall.start();
    cli.start(QStringLiteral(CELLDESK_CLI), {"download", "--port", device, "--out", out.path()});
    if (!cli.waitForFinished(600000)) {
        std::fprintf(stderr, "bench_memory_download: celldesk-cli did not finish\n");
        return 1;
    }
    const double seconds = wall.elapsed() / 1000.0;
    const double cpu = childrenCpuSeconds();
    const double floor = double(bytes + 2) * 10.0 / 19200.0;
    std::printf("cli memory_bytes=%lld exit=%d line_floor_s=%.1f start_to_exit_s=%.2f "
                "ratio_to_floor=%.3f (goal <= 1.05) files=%lld cpu_s=%.2f\n",
                static_cast<long long>(bytes), cli.exitCode(), floor, seconds, seconds / floor,
                static_cast<long long>(QDir(out.path()).entryList(QDir::Files).size()), cpu);
    return cli.exitCode();
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = QApplication::arguments().mid(1);
    const bool viaCli = args.removeAll(QStringLiteral("--cli")) > 0;
    const qint64 bytes = args.isEmpty() ? 65536 : args.first().toLongLong();

    QProcess meter;
    const QString device = startMeterSim(
        meter, {"--paced", "--size-code", "2", "--memory-bytes", QString::number(bytes)},
        "bench_memory_download");
    if (device.isEmpty())
        return 1;
    if (viaCli) {
        const int code = downloadWithCli(device, bytes);
        meter.terminate();
        meter.waitForFinished(3000);
        return code;
    }
    MainWindowOnPort cellDesk;
    if (!cellDesk.open(device, "bench_memory_download"))
        return 1;

    QTimer::singleShot(1500, &app, [&] {
        TextGrid& grid = cellDesk.controller->memory().window()->setGrid();
        QElapsedTimer wall;
        double filledAt = 0;
        double cpuAtFill = 0;
        QObject::connect(&grid, &QAbstractItemModel::rowsInserted, &app, [&] {
            filledAt = wall.elapsed() / 1000.0;
            cpuAtFill = cpuSeconds();
        });
        // The stream alone: from 2 s after the click (the window is up, the stream under way).
        double cpuStream = 0;
        QTimer::singleShot(2000, &app, [&] { cpuStream = cpuSeconds(); });
        const double cpuStart = cpuSeconds();
        wall.start();
        cellDesk.controller->runToolbarCommand(QStringLiteral("Memory"));
        const double floor = double(bytes + 2) * 10.0 / 19200.0;
        const double cpu = cpuAtFill - cpuStart;
        std::printf("memory_bytes=%lld sets=%d line_floor_s=%.1f click_to_grid_s=%.2f "
                    "ratio_to_floor=%.3f (goal <= 1.05) whole_run_s=%.2f cpu_s=%.2f "
                    "cpu_percent_of_one_core=%.2f (goal <= 2) stream_cpu_percent=%.2f "
                    "messages=%d\n",
                    static_cast<long long>(bytes), grid.rows() - 1, floor, filledAt,
                    filledAt / floor, wall.elapsed() / 1000.0, cpu,
                    filledAt > 0 ? 100.0 * cpu / filledAt : 0.0,
                    filledAt > 2 ? 100.0 * (cpuAtFill - cpuStream) / (filledAt - 2) : 0.0,
                    int(cellDesk.prompts.asked.size()));
        for (const auto& a : cellDesk.prompts.asked)
            std::printf("  message: %s\n", qPrintable(a.text));
        cellDesk.controller->session().shutDown();
        QApplication::exit(0);
    });
    const int code = QApplication::exec();
    meter.terminate();
    meter.waitForFinished(3000);
    return code;
}
