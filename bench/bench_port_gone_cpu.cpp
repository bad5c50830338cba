// CPU used by CellDesk's main window while the meter's adapter is pulled out, and how long it
// takes to mirror the meter again once it is plugged back in. The meter emulator runs in its
// own process behind a symbolic link, is unplugged with SIGUSR1 and plugged in with SIGUSR2.
// Usage: bench_port_gone_cpu [seconds] (default 30).
#include "MainWindowOnPort.h"
#include "ProcessFigures.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? QString(argv[1]).toInt() : 30;

    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("meter"));
    QProcess meter;
    meter.start(QStringLiteral(CELLDESK_METER_SIM), {"--paced", "--demo", "--link", link});
    QElapsedTimer startup;
    startup.start();
    while (!QFileInfo(link).exists() && startup.elapsed() < 5000)
        meter.waitForReadyRead(100);
    MainWindowOnPort cellDesk;
    if (!cellDesk.open(link, "bench_port_gone_cpu"))
        return 1;
    const auto signalMeter = [&meter](int signal) {
        if (meter.processId() > 0)
            ::kill(pid_t(meter.processId()), signal);
    };

    // Mirror for 2 s, unplug, let the program notice, then measure; then plug in again.
    double cpuStart = 0;
    QElapsedTimer wall;
    QElapsedTimer sinceReplug;
    quint64 framesAtReplug = 0;
    QTimer::singleShot(2000, &app, [&] { signalMeter(SIGUSR1); });
    QTimer::singleShot(3000, &app, [&] {
        cpuStart = cpuSeconds();
        wall.start();
    });
    QTimer::singleShot(3000 + seconds * 1000, &app, [&] {
        const double cpu = cpuSeconds() - cpuStart;
        const double elapsed = wall.elapsed() / 1000.0;
        std::printf("gone_seconds=%.1f port_closed=%d cpu_seconds=%.3f "
                    "cpu_percent_of_one_core=%.2f\n",
                    elapsed, int(!cellDesk.port.isOpen()), cpu, 100.0 * cpu / elapsed);
        framesAtReplug = cellDesk.controller->session().poll().framesDecoded();
        sinceReplug.start();
        signalMeter(SIGUSR2);
    });
    QObject::connect(&cellDesk.controller->session().poll(), &PollCycle::frameDecoded, &app, [&] {
        if (sinceReplug.isValid() &&
            cellDesk.controller->session().poll().framesDecoded() > framesAtReplug) {
            std::printf("mirrored_again_after_seconds=%.2f\n", sinceReplug.elapsed() / 1000.0);
            cellDesk.controller->session().shutDown();
            QApplication::exit(0);
        }
    });
    QTimer::singleShot(3000 + seconds * 1000 + 10000, &app, [] {
        std::printf("mirrored_again_after_seconds=never\n");
        QApplication::exit(1);
    });
    const int code = QApplication::exec();
    meter.terminate();
    meter.waitForFinished(3000);
    return code;
}
