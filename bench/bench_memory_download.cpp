// A 64 KiB memory download as a user sees it: the meter emulator runs in its own process at
// 19200 baud with a 128 K memory (size code 2) holding 65536 bytes of sets; the figure is the
// time from the toolbar's "Memory" to the filled set grid, and the CPU CellDesk used meanwhile.
// The line alone takes 65538 bytes × 10 bits / 19200 baud = 34.1 s. Usage:
// bench_memory_download [bytes] (default 65536); runs offscreen unless a platform is chosen.
#include "AppState.h"
#include "Clock.h"
#include "MemoryDownload.h"
#include "MemoryManager.h"
#include "OpenMeterPort.h"
#include "Panel.h"
#include "PanelController.h"
#include "PortName.h"
#include "ProcessFigures.h"
#include "ScriptedPrompts.h"
#include "TextGrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSerialPort>
#include <QTimer>

#include <cstdio>
#include <sys/resource.h>

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 bytes = argc > 1 ? QString(argv[1]).toLongLong() : 65536;

    QProcess meter;
    meter.start(QStringLiteral(CELLDESK_METER_SIM),
                {"--paced", "--size-code", "2", "--memory-bytes", QString::number(bytes)});
    if (!meter.waitForReadyRead(5000)) {
        std::fprintf(stderr, "bench_memory_download: the meter emulator did not start\n");
        return 1;
    }
    const QString device =
        QString::fromLocal8Bit(meter.readLine()).trimmed().section(QLatin1Char(' '), -1);
    QSerialPort port;
    if (!OpenMeterPort(port, device).ok) {
        std::fprintf(stderr, "bench_memory_download: cannot open %s\n", qPrintable(device));
        return 1;
    }
    AppState state;
    SystemClock clock;
    ScriptedPrompts prompts;
    Panel window;
    PanelController controller(state, window, &port, PortChoice{1, device}, clock, prompts);
    controller.load();
    window.show();

    QTimer::singleShot(1500, &app, [&] {
        TextGrid& grid = controller.memory().window()->setGrid();
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
        controller.runToolbarCommand(QStringLiteral("Memory"));
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
                    int(prompts.asked.size()));
        for (const auto& a : prompts.asked)
            std::printf("  message: %s\n", qPrintable(a.text));
        controller.session().shutDown();
        QApplication::exit(0);
    });
    const int code = QApplication::exec();
    meter.terminate();
    meter.waitForFinished(3000);
    return code;
}
