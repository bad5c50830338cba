// CPU used by CellDesk's main window while it mirrors a meter that streams display frames
// back to back at 19200 baud. The meter emulator runs in its own process, so only the
// program's own work is counted. Usage: bench_mirror_cpu [seconds] [--recording]
// (default 30 s); with --recording a PC recording runs and the real-time list is open.
#include "MainWindowOnPort.h"
#include "MeterSimProcess.h"
#include "ProcessFigures.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    const bool recording = args.contains(QStringLiteral("--recording"));
    int seconds = 30;
    for (const QString& arg : args) {
        if (arg.toInt() > 0)
            seconds = arg.toInt();
    }

    QProcess meter;
    const QString device =
        startMeterSim(meter, {"--paced", "--period", "0", "--demo"}, "bench_mirror_cpu");
    if (device.isEmpty())
        return 1;

    MainWindowOnPort cellDesk;
    if (!cellDesk.open(device, "bench_mirror_cpu"))
        return 1;
    QTemporaryDir folder;
    if (recording) {
        // Once the first frames are in: a recording and the list take the units in force.
        QTimer::singleShot(1000, &app, [&] {
            cellDesk.controller->runToolbarCommand(QStringLiteral("List"));
            cellDesk.prompts.fileAnswers << folder.filePath(QStringLiteral("mirror.txt"));
            cellDesk.controller->runToolbarCommand(QStringLiteral("Save"));
        });
    }

    // Settle, then measure.
    QElapsedTimer wall;
    double cpuStart = 0;
    quint64 framesStart = 0;
    QTimer::singleShot(2000, &app, [&] {
        cpuStart = cpuSeconds();
        framesStart = cellDesk.controller->session().poll().framesDecoded();
        wall.start();
        QTimer::singleShot(seconds * 1000, &app, [&] {
            const double cpu = cpuSeconds() - cpuStart;
            const double elapsed = wall.elapsed() / 1000.0;
            const quint64 frames =
                cellDesk.controller->session().poll().framesDecoded() - framesStart;
            std::printf("mirror_seconds=%.1f frames_decoded=%llu frames_per_second=%.1f "
                        "cpu_seconds=%.3f cpu_percent_of_one_core=%.2f recording=%s "
                        "recorded_lines=%d list_rows=%d\n",
                        elapsed, static_cast<unsigned long long>(frames), frames / elapsed, cpu,
                        100.0 * cpu / elapsed, recording ? "yes" : "no",
                        cellDesk.state.FileRecordCount, cellDesk.state.ListRecordCount);
            cellDesk.controller->session().shutDown();
            QApplication::exit(0);
        });
    });
    const int code = QApplication::exec();
    meter.terminate();
    meter.waitForFinished(3000);
    return code;
}
