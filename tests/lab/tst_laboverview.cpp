// The Lab Overview against a real Mosquitto broker: its table from a scripted publisher
// (Mosquitto's own mosquitto_pub), a meter's live graph fed from the broker, and the main
// window's "Lab" and "Publish to lab".
#include "Broker.h"
#include "ChannelDialog.h"
#include "Fetch.h"
#include "FrontPanel.h"
#include "GraphView.h"
#include "LabCommands.h"
#include "LabOverview.h"
#include "LabSettings.h"
#include "LiveGraph.h"
#include "LiveGraphWindow.h"
#include "Subscriber.h"

#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTableView>
#include <QTest>

namespace {

QByteArray readingOf(const QString& voltage)
{
    return QByteArray(R"({"seq":1,"date_time":"2026-12-08T23:59:58+01:00","voltage":)") +
           voltage.toUtf8() +
           R"(,"voltage_unit":"V","resistance":41.2,"resistance_unit":"mOhm",)"
           R"("resistance_range":"400 mOhm","current":-0.511,"current_unit":"A","flags":[]})";
}

// mosquitto_pub, once: the scripted publisher.
bool publish(int port, const QString& topic, const QByteArray& payload, bool retain)
{
    QStringList arguments{"-h", "127.0.0.1", "-p", QString::number(port), "-q", "1", "-t", topic};
    if (payload.isEmpty())
        arguments << "-n";
    else
        arguments << "-m" << QString::fromUtf8(payload);
    if (retain)
        arguments << "-r";
    return QProcess::execute(QStringLiteral("mosquitto_pub"), arguments) == 0;
}

QStringList rowsOf(const LabTable& table)
{
    static const char* const looks[] = {"", "amber", "red"};
    QStringList rows;
    for (int r = 0; r < table.rowCount(); ++r) {
        rows << QStringList{table.text(r, LabTable::Meter), table.text(r, LabTable::State),
                            table.text(r, LabTable::Age), table.text(r, LabTable::Voltage),
                            QLatin1String(looks[int(table.look(r))])}
                    .join('|');
    }
    return rows;
}

QWidget* topLevel(const QString& name)
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == name && w->isVisible())
            return w;
    }
    return nullptr;
}

} // namespace

class TestLabOverview : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    // No later test starts with this one's broker remembered.
    void cleanup() { LabSettings{}.save(); }
    void tableFollowsTheBroker_data();
    void tableFollowsTheBroker();
    void graphFedFromTheBroker();
    void panelPublishesAndOpensTheLab();
};

void TestLabOverview::tableFollowsTheBroker_data()
{
    // reading:<meter>:<voltage>, status:<meter>:<payload> (retained), clear:<meter> (an empty
    // retained status), wait:<seconds> on the overview's clock, stale:<seconds> the threshold.
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QStringList>("rows"); // meter|state|age|voltage|look

    const QString up = R"(status:%1:{"state":"online","link":"up"})";
    QTest::newRow("sorted by name")
        << QStringList{up.arg("c"), "reading:c:1.5", up.arg("a"), "reading:a:12.53", "reading:b:3"}
        << QStringList{"a|online|0 s|12.53 V|", "b|online|0 s|3 V|", "c|online|0 s|1.5 V|"};
    QTest::newRow("amber past the threshold")
        << QStringList{"reading:a:12.53", "wait:11"} << QStringList{"a|online|11 s|12.53 V|amber"};
    QTest::newRow("not yet at the threshold")
        << QStringList{"reading:a:12.53", "wait:10"} << QStringList{"a|online|10 s|12.53 V|"};
    QTest::newRow("a longer threshold") << QStringList{"reading:a:12.53", "wait:20", "stale:30"}
                                        << QStringList{"a|online|20 s|12.53 V|"};
    QTest::newRow("back from amber") << QStringList{"reading:a:12.53", "wait:30", "reading:a:12.4"}
                                     << QStringList{"a|online|0 s|12.4 V|"};
    QTest::newRow("a status and no reading")
        << QStringList{up.arg("a")} << QStringList{"a|online|-||amber"};
    QTest::newRow("link lost") << QStringList{"reading:a:12.53",
                                              R"(status:a:{"state":"online","link":"lost"})"}
                               << QStringList{"a|link lost|0 s|12.53 V|"};
    QTest::newRow("offline is red")
        << QStringList{"reading:a:12.53", R"(status:a:{"state":"offline"})"}
        << QStringList{"a|offline|0 s|12.53 V|red"};
    QTest::newRow("a cleared status takes the meter off")
        << QStringList{up.arg("a"), up.arg("b"), "clear:a"} << QStringList{"b|online|-||amber"};
    QTest::newRow("no lab message")
        << QStringList{"reading:a:12.53", "status:b:{\"state\":\"sleeping\"}"}
        << QStringList{"a|online|0 s|12.53 V|"};
}

void TestLabOverview::tableFollowsTheBroker()
{
    Broker broker;
    QVERIFY2(broker.start(), qPrintable(broker.error()));
    BrokerSettings settings;
    settings.address = {QStringLiteral("127.0.0.1"), broker.port(), false};
    ManualClock clock;
    ScriptedPrompts prompts;
    LabOverview overview(settings, DefaultLabPrefix, clock, prompts);
    QSignalSpy connected(&overview.client(), &MqttClient::connected);
    QVERIFY(connected.wait(10000));
    QCOMPARE(overview.brokerLabel()->text(), broker.url() + ": connected");
    QSignalSpy received(&overview.client(), &MqttClient::received);

    int published = 0;
    for (const QString& step : fetched<QStringList>("script")) {
        const QString kind = step.section(':', 0, 0);
        const QString meter = step.section(':', 1, 1);
        const QString rest = step.section(':', 2);
        const QString topic = "celldesk/" + meter + (kind == u"reading" ? "/reading" : "/status");
        if (kind == u"reading") {
            QVERIFY(publish(broker.port(), topic, readingOf(rest), false));
        } else if (kind == u"status") {
            QVERIFY(publish(broker.port(), topic, rest.toUtf8(), true));
        } else if (kind == u"clear") {
            QVERIFY(publish(broker.port(), topic, {}, true));
        } else if (kind == u"wait") {
            clock.advanceMs(meter.toInt() * 1000);
            continue;
        } else if (kind == u"stale") {
            overview.staleBox()->setValue(meter.toInt());
            continue;
        }
        ++published;
        while (received.size() < published)
            QVERIFY(received.wait(10000));
    }
    QCOMPARE(rowsOf(overview.table()), fetched<QStringList>("rows"));
    if (overview.table().rowCount() > 0) {
        const QModelIndex first = overview.table().index(0, LabTable::State);
        const QVariant background = overview.table().data(first, Qt::BackgroundRole);
        const LabLook look = overview.table().look(0);
        QCOMPARE(background, look == LabLook::Stale     ? QVariant(LabTable::Amber)
                             : look == LabLook::Offline ? QVariant(LabTable::Red)
                                                        : QVariant());
    }
}

// A double-click on a meter opens the live graph through its channel dialog, and the graph
// draws what the meter's messages say.
void TestLabOverview::graphFedFromTheBroker()
{
    Broker broker;
    QVERIFY2(broker.start(), qPrintable(broker.error()));
    BrokerSettings settings;
    settings.address = {QStringLiteral("127.0.0.1"), broker.port(), false};
    ManualClock clock;
    ScriptedPrompts prompts;
    LabOverview overview(settings, DefaultLabPrefix, clock, prompts);
    QSignalSpy connected(&overview.client(), &MqttClient::connected);
    overview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&overview));
    QVERIFY(!connected.isEmpty() || connected.wait(10000));
    QSignalSpy received(&overview.client(), &MqttClient::received);
    QVERIFY(publish(broker.port(), "celldesk/bench1/reading", readingOf("12.53"), false));
    QVERIFY(received.wait(10000));

    const QModelIndex row = overview.table().index(0, LabTable::Meter);
    // A double-click as the window system delivers it: a press and release, then the second.
    const QPoint at = overview.view()->visualRect(row).center();
    QTest::mouseClick(overview.view()->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(overview.view()->viewport(), Qt::LeftButton, {}, at);
    auto* dialog = qobject_cast<ChannelDialog*>(topLevel("AllGraph"));
    QVERIFY(dialog);
    dialog->findChild<QPushButton*>("CmdOK")->click();
    LiveGraphWindow* graph = overview.graphOf("bench1")->window();
    QVERIFY(graph);
    QCOMPARE(graph->windowTitle(), QString("Real Time Graph - bench1"));
    graph->tick();
    QVERIFY(publish(broker.port(), "celldesk/bench1/reading", readingOf("11.75"), false));
    QVERIFY(received.wait(10000));
    graph->tick();
    QCPGraph* voltage = graph->graph()->plot(1);
    QCOMPARE(voltage->dataCount(), 2);
    QCOMPARE((voltage->data()->constEnd() - 1)->value, 11.75);
}

// The main window's meter publishes when "Publish to lab" is on, and its "Lab" opens the
// overview on the remembered broker, which shows that meter.
void TestLabOverview::panelPublishesAndOpensTheLab()
{
    Broker broker;
    QVERIFY2(broker.start(), qPrintable(broker.error()));
    LabSettings lab;
    lab.url = broker.url();
    lab.prefix = DefaultLabPrefix;
    lab.publish = true;
    lab.meterName = QStringLiteral("bench9");
    lab.save();
    Subscriber witness;
    QVERIFY(witness.start(broker.port(), "celldesk/bench9/#"));

    FrontPanel p;
    QVERIFY(p.start());
    QVERIFY(witness.waitFor("bench9/reading", 2));
    QCOMPARE(witness.messages("bench9/status").first().payload,
             QByteArray(R"({"state":"online","link":"up"})"));

    p.find<QAction>("MenuLab")->trigger();
    LabOverview* overview = p.controller->lab().overview();
    QVERIFY(overview);
    QVERIFY(p.prompts.asked.isEmpty()); // the broker was remembered, not asked for
    QTRY_COMPARE_WITH_TIMEOUT(overview->table().rowCount(), 1, 10000);
    QCOMPARE(overview->table().text(0, LabTable::Meter), QString("bench9"));

    p.controller->lab().finish();
    QVERIFY(witness.waitFor("bench9/status", 2));
    QCOMPARE(witness.messages("bench9/status").last().payload,
             QByteArray(R"({"state":"offline"})"));
}

QTEST_MAIN(TestLabOverview)
#include "tst_laboverview.moc"
