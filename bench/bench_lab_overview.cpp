// The Lab Overview with a large lab: 100 meters publishing once a second (a publisher in this
// process: the retained status of each, then a reading a second each) through a local
// Mosquitto broker. It prints the CPU that `celldesk --lab` uses meanwhile (its own process,
// offscreen) and the time of one table update in this process: a message taken into the
// table and the table drawn, and the once-a-second refresh of every age drawn.
// Options: --meters N (100), --seconds S (60).
#include "Broker.h"
#include "Clock.h"
#include "LabMessages.h"
#include "LabOverview.h"
#include "MqttClient.h"
#include "ProcessFigures.h"
#include "ScriptedPrompts.h"
#include "Timing.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QString meterName(int i)
{
    return QStringLiteral("bench%1-ttyUSB0").arg(i + 1, 3, 10, QLatin1Char('0'));
}

QByteArray reading(int i, quint64 seq)
{
    CurrentReading r;
    r.valueTexts = {QString::number(12.0 + (i % 50) / 100.0, 'f', 2),
                    " 41.2",
                    "-0.511",
                    " 25.3",
                    QString::number(seq % 10000),
                    "0.000",
                    QString::number(seq % 10000)};
    r.RangeText = QStringLiteral("400 mOhm");
    r.celsius = true;
    r.capUnitTexts = {QStringLiteral("mAh"), QStringLiteral("Ah"), QStringLiteral("mAh")};
    r.capMilli = {true, false, true};
    return labReadingMessage(r, QDateTime::currentDateTime(), seq);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int meters = intOption(args, QStringLiteral("--meters"), 100);
    const int seconds = intOption(args, QStringLiteral("--seconds"), 60);
    std::printf("bench_lab_overview: %d meters publishing once a second, %d s; load %s\n", meters,
                seconds, qPrintable(loadAverage()));
    Broker broker;
    if (!broker.start()) {
        std::fprintf(stderr, "bench_lab_overview: %s\n", qPrintable(broker.error()));
        return 1;
    }

    // The publisher script: each meter's status, then a reading of each meter every second,
    // spread over the second as independent meters would send them.
    BrokerSettings settings;
    settings.address = {QStringLiteral("127.0.0.1"), broker.port(), false};
    MqttClient publisher(settings);
    publisher.start();
    QSignalSpy up(&publisher, &MqttClient::connected);
    if (!up.wait(10000))
        return 1;
    for (int i = 0; i < meters; ++i)
        publisher.publish(labTopic(DefaultLabPrefix, meterName(i), LabTopicKind::Status),
                          labOnlineStatus(true), true);
    quint64 seq = 0;
    int next = 0;
    QTimer spread;
    QObject::connect(&spread, &QTimer::timeout, [&] {
        const int i = next++ % meters;
        if (i == 0)
            ++seq;
        publisher.publish(labTopic(DefaultLabPrefix, meterName(i), LabTopicKind::Reading),
                          reading(i, seq), false);
    });
    spread.setTimerType(Qt::PreciseTimer);
    spread.start(std::max(1, 1000 / meters));

    // The window in its own process, as a user starts it.
    QTemporaryDir home;
    QProcess window;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
    window.setProcessEnvironment(environment);
    window.start(QStringLiteral(CELLDESK_PROGRAM), {"--lab", broker.url()});
    window.waitForStarted();
    QTest::qWait(3000); // started, subscribed, every meter in its table
    const double before = cpuSecondsOf(window.processId());
    QElapsedTimer wall;
    wall.start();
    QTest::qWait(seconds * 1000);
    const double cpu =
        100.0 * (cpuSecondsOf(window.processId()) - before) / (wall.elapsed() / 1000.0);
    window.terminate();
    window.waitForFinished();
    std::printf("CPU of celldesk --lab: %.2f %% of a core\n", cpu);

    // One table update in this process: a message into the table and the table drawn.
    SystemClock clock;
    ScriptedPrompts prompts;
    LabOverview overview(settings, DefaultLabPrefix, clock, prompts);
    overview.resize(1000, 700);
    overview.show();
    (void)QTest::qWaitForWindowExposed(&overview);
    std::vector<double> update;
    std::vector<double> refresh;
    QTableView* view = overview.view();
    for (int round = 0; round < 20; ++round) {
        for (int i = 0; i < meters; ++i) {
            QElapsedTimer t;
            t.start();
            overview.table().take(DefaultLabPrefix,
                                  labTopic(DefaultLabPrefix, meterName(i), LabTopicKind::Reading),
                                  reading(i, quint64(round + 1)));
            view->viewport()->repaint();
            update.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        QElapsedTimer t;
        t.start();
        overview.table().refresh();
        view->viewport()->repaint();
        refresh.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::printf("a table update (one message taken, the table drawn): median %.2f ms, max %.2f "
                "ms; the ages' refresh of %d rows: median %.2f ms, max %.2f ms\n",
                percentile(update, 0.5), percentile(update, 1.0), meters, percentile(refresh, 0.5),
                percentile(refresh, 1.0));
    std::printf("load at the end %s\n", qPrintable(loadAverage()));
    return 0;
}
