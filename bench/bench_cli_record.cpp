// celldesk-cli as it runs for days beside the bench: `record` in its own process against the
// emulator at its fastest frame rate, its CPU and resident memory; and `convert` of a
// 36001-line data file. Arguments: the seconds to record (default 60).
#include "DataFileLines.h"
#include "MeterSimProcess.h"
#include "ProcessFigures.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int seconds = 60;
    for (const QString& arg : app.arguments().mid(1)) {
        if (arg.toInt() > 0)
            seconds = arg.toInt();
    }
    QTemporaryDir folder;

    QProcess meter;
    const QString device =
        startMeterSim(meter, {"--paced", "--period", "0", "--demo"}, "bench_cli_record");
    if (device.isEmpty())
        return 1;

    QProcess cli;
    cli.start(QStringLiteral(CELLDESK_CLI),
              {"record", "--format", "csv", "--port", device, folder.filePath("rec.csv")});
    if (!cli.waitForStarted()) {
        std::fprintf(stderr, "bench_cli_record: celldesk-cli did not start\n");
        return 1;
    }
    const qint64 pid = cli.processId();
    QThread::sleep(2); // the port opened and the first reading in
    const double cpuBefore = cpuSecondsOf(pid);
    QElapsedTimer wall;
    wall.start();
    QThread::sleep(seconds);
    const double cpu = cpuSecondsOf(pid) - cpuBefore;
    const double elapsed = wall.elapsed() / 1000.0;
    const double rss = residentMbOf(pid);
    ::kill(pid_t(pid), SIGTERM);
    cli.waitForFinished(10000);
    meter.kill();
    meter.waitForFinished();
    QFile written(folder.filePath("rec.csv"));
    written.open(QIODevice::ReadOnly);
    std::printf("record, %.0f s at the fastest frame rate: CPU %.2f %% of a core (goal <= 0.5 %%), "
                "resident %.1f MB (goal <= 20 MB), %lld lines, exit %d\n",
                elapsed, 100.0 * cpu / elapsed, rss, written.readAll().count('\n'), cli.exitCode());

    // A full recording: the header and 36001 lines, converted to CSV.
    QByteArray data = dataFileBytes(
        QStringLiteral("No.s\tTime\tV\t400 mOhm\tAmp\tCelsius\tIn-Cap \tOut-Cap \tT-Cap "));
    for (int i = 0; i < MaxRecordCount; ++i) {
        const int s = i % 86400;
        data += dataFileBytes(QStringLiteral("%1\t%2:%3:%4\t12.53\t 41.2\t-0.511\t 25.3\t105.0(m)\t"
                                             "0.0(m)\t105.0(m)")
                                  .arg(i + 1)
                                  .arg(s / 3600, 2, 10, QLatin1Char('0'))
                                  .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
                                  .arg(s % 60, 2, 10, QLatin1Char('0')));
    }
    const QString dataPath = folder.filePath("full.txt");
    QFile file(dataPath);
    file.open(QIODevice::WriteOnly);
    file.write(data);
    file.close();
    QElapsedTimer convertTime;
    convertTime.start();
    QProcess convert;
    convert.start(QStringLiteral(CELLDESK_CLI),
                  {"convert", "--date", "2026-12-08", dataPath, "-o", folder.filePath("full.csv")});
    convert.waitForFinished(60000);
    std::printf("convert of 36001 lines: %.3f s (goal <= 0.3 s), exit %d\n",
                convertTime.elapsed() / 1000.0, convert.exitCode());
    return 0;
}
