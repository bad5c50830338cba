// A lab under load: N emulated meters (in this process, each streaming frames back to back at
// 19200 baud), each logged by its own `celldesk-cli record --publish` through one local
// Mosquitto broker, and mosquitto_sub (a persistent QoS 1 session) as the lab's subscriber.
// It prints the CPU of each logger, the messages received against the rows written (whole
// and in order by seq), and the latency from a frame to the subscriber: every 20 ms the
// meters' In-Cap shows a new count, and a message's count tells when its frame was made.
// Options: --meters N (16), --seconds S (300), --outage S (the broker stopped S seconds in
// the middle of the run; 0, the default, for none), --watch (watch --publish, which sends
// every frame, instead of record).
#include "Broker.h"
#include "MeterSim.h"
#include "ProcessFigures.h"
#include "SimReading.h"
#include "Timing.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

namespace {

double nowMs()
{
    return double(QDateTime::currentMSecsSinceEpoch());
}

struct Arrival
{
    qint64 seq;
    double atMs;
    int count;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int meters = intOption(args, QStringLiteral("--meters"), 16);
    const int seconds = intOption(args, QStringLiteral("--seconds"), 300);
    const int outage = intOption(args, QStringLiteral("--outage"), 0);
    const bool watch = args.contains(QStringLiteral("--watch"));
    std::printf("bench_lab_publish: %d meters, %s --publish, %d s%s; load %s\n", meters,
                watch ? "watch" : "record --interval 1", seconds,
                outage ? qPrintable(QStringLiteral(", the broker away %1 s").arg(outage)) : "",
                qPrintable(loadAverage()));

    Broker broker(Broker::Options{true, {}, {}});
    if (!broker.start()) {
        std::fprintf(stderr, "bench_lab_publish: %s\n", qPrintable(broker.error()));
        return 1;
    }

    // The subscriber: Mosquitto's own client, stamping each message as it arrives.
    std::map<QString, std::vector<Arrival>> arrivals;
    QProcess subscriber;
    QByteArray pending;
    QObject::connect(&subscriber, &QProcess::readyReadStandardOutput, [&] {
        pending += subscriber.readAllStandardOutput();
        qsizetype end = 0;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QByteArray line = pending.left(end);
            pending.remove(0, end + 1);
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() < 3 || !parts[1].endsWith("/reading"))
                continue;
            const QJsonObject m =
                QJsonDocument::fromJson(line.mid(parts[0].size() + parts[1].size() + 2)).object();
            arrivals[QString::fromUtf8(parts[1].split('/').value(1))].push_back(
                {m.value("seq").toInteger(), parts[0].toDouble() * 1000.0,
                 int(std::lround(m.value("in_capacity").toDouble() * 1000.0))});
        }
    });
    subscriber.start(QStringLiteral("mosquitto_sub"),
                     {"-h", "127.0.0.1", "-p", QString::number(broker.port()), "-t",
                      "celldesk/+/reading", "-q", "1", "-c", "-i", "bench-lab", "-F", "%U %t %p"});
    subscriber.waitForStarted();
    QTest::qWait(1000);

    // The meters, and the count their In-Cap shows, with the time each count was set.
    std::vector<std::unique_ptr<MeterSim>> sims;
    SimReading shown;
    for (int i = 0; i < meters; ++i) {
        auto sim = std::make_unique<MeterSim>();
        if (!sim->open()) {
            std::fprintf(stderr, "bench_lab_publish: no pseudo-terminal\n");
            return 1;
        }
        sim->setPaced(true);
        sim->setFramePeriodMs(0);
        sims.push_back(std::move(sim));
    }
    int count = 0;
    QHash<int, std::vector<double>> countSetAt;
    QTimer marker;
    QObject::connect(&marker, &QTimer::timeout, [&] {
        count = count % 9999 + 1;
        shown.inCap =
            QStringLiteral("%1.%2").arg(count / 1000).arg(count % 1000, 3, 10, QLatin1Char('0'));
        for (const auto& sim : sims)
            sim->setReading(shown);
        countSetAt[count].push_back(nowMs());
    });
    marker.setTimerType(Qt::PreciseTimer);
    marker.start(20);

    QTemporaryDir folder;
    std::vector<std::unique_ptr<QProcess>> loggers;
    for (int i = 0; i < meters; ++i) {
        auto cli = std::make_unique<QProcess>();
        const QString name = QStringLiteral("meter%1").arg(i + 1, 2, 10, QLatin1Char('0'));
        QStringList arguments{watch ? "watch" : "record",
                              "--port",
                              sims[std::size_t(i)]->devicePath(),
                              "--publish",
                              broker.url(),
                              "--name",
                              name};
        if (!watch)
            arguments << "--format"
                      << "csv"
                      << "--interval"
                      << "1" << folder.filePath(name + ".csv");
        cli->setStandardOutputFile(QProcess::nullDevice());
        cli->setStandardErrorFile(folder.filePath(name + ".err"));
        cli->start(QStringLiteral(CELLDESK_CLI), arguments);
        cli->waitForStarted();
        loggers.push_back(std::move(cli));
    }
    QTest::qWait(3000); // ports open, first readings in, connected
    std::vector<double> cpuBefore;
    for (const auto& cli : loggers)
        cpuBefore.push_back(cpuSecondsOf(cli->processId()));
    QElapsedTimer wall;
    wall.start();
    double outageFromMs = 0;
    double outageToMs = 0;
    if (outage > 0) {
        QTest::qWait(std::max(0, seconds - outage) * 500);
        outageFromMs = nowMs();
        broker.stop();
        std::printf("broker stopped at %.0f s\n", wall.elapsed() / 1000.0);
        QTest::qWait(outage * 1000);
        if (!broker.start()) {
            std::fprintf(stderr, "bench_lab_publish: %s\n", qPrintable(broker.error()));
            return 1;
        }
        outageToMs = nowMs();
        std::printf("broker started again at %.0f s\n", wall.elapsed() / 1000.0);
    }
    QTest::qWait(int(std::max<qint64>(0, seconds * 1000 - wall.elapsed())));
    const double elapsed = wall.elapsed() / 1000.0;
    std::vector<double> cpu;
    std::vector<double> rss;
    for (std::size_t i = 0; i < loggers.size(); ++i) {
        cpu.push_back(100.0 * (cpuSecondsOf(loggers[i]->processId()) - cpuBefore[i]) / elapsed);
        rss.push_back(residentMbOf(loggers[i]->processId()));
    }
    for (const auto& cli : loggers)
        ::kill(pid_t(cli->processId()), SIGTERM);
    for (const auto& cli : loggers)
        cli->waitForFinished(20000);
    marker.stop();
    // The subscriber catches up with what the broker still holds for it.
    std::size_t received = 0;
    for (int quiet = 0; quiet < 3;) {
        QTest::qWait(1000);
        std::size_t now = 0;
        for (const auto& [name, list] : arrivals)
            now += list.size();
        quiet = now == received ? quiet + 1 : 0;
        received = now;
    }

    std::printf("CPU of each logger (%% of a core): min %.2f, median %.2f, max %.2f; resident "
                "memory median %.1f MB\n",
                percentile(cpu, 0), percentile(cpu, 0.5), percentile(cpu, 1.0),
                percentile(rss, 0.5));
    int whole = 0;
    qint64 rowsTotal = 0;
    qint64 receivedTotal = 0;
    qint64 repeats = 0;
    std::vector<double> latency;
    std::vector<double> latencyOutside; // not sent while the broker was away
    for (int i = 0; i < meters; ++i) {
        const QString name = QStringLiteral("meter%1").arg(i + 1, 2, 10, QLatin1Char('0'));
        QFile file(folder.filePath(name + ".csv"));
        const std::vector<Arrival>& got = arrivals[name];
        qint64 rows = 0;
        if (!watch && file.open(QIODevice::ReadOnly))
            rows = file.readAll().count('\n') - 1;
        qint64 next = 1;
        bool inOrder = true;
        for (const Arrival& a : got) {
            if (a.seq == next)
                ++next;
            else if (a.seq < next)
                ++repeats;
            else
                inOrder = false;
            // The latest time the count was set before the message arrived.
            const std::vector<double>& set = countSetAt[a.count];
            const auto it = std::upper_bound(set.begin(), set.end(), a.atMs);
            if (it != set.begin()) {
                const double ms = a.atMs - *(it - 1);
                latency.push_back(ms);
                if (outage == 0 || *(it - 1) < outageFromMs || *(it - 1) > outageToMs + 10000)
                    latencyOutside.push_back(ms);
            }
        }
        if (watch)
            rows = next - 1;
        rowsTotal += rows;
        receivedTotal += next - 1;
        if (inOrder && next - 1 == rows)
            ++whole;
        else {
            std::printf("  %s: %lld rows, %lld received in order%s\n", qPrintable(name),
                        static_cast<long long>(rows), static_cast<long long>(next - 1),
                        inOrder ? "" : ", OUT OF ORDER");
            QFile err(folder.filePath(name + ".err"));
            if (err.open(QIODevice::ReadOnly))
                std::printf("%s", err.readAll().constData());
        }
    }
    std::printf("messages: %lld distinct received of %lld %s, %lld repeats (QoS 1); %d of %d "
                "meters whole and in order\n",
                static_cast<long long>(receivedTotal), static_cast<long long>(rowsTotal),
                watch ? "published" : "rows written", static_cast<long long>(repeats), whole,
                meters);
    std::printf("latency frame -> subscriber: median %.0f ms, p95 %.0f ms, max %.0f ms%s\n",
                percentile(latencyOutside, 0.5), percentile(latencyOutside, 0.95),
                percentile(latencyOutside, 1.0),
                outage ? " (frames made while the broker was away, and 10 s after, left out)" : "");
    if (outage)
        std::printf("latency of all, queued ones included: max %.0f s\n",
                    percentile(latency, 1.0) / 1000.0);
    std::printf("load at the end %s\n", qPrintable(loadAverage()));
    subscriber.kill();
    subscriber.waitForFinished();
    return whole == meters ? 0 : 2;
}
