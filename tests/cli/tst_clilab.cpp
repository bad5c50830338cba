// celldesk-cli record and watch with --publish, as a lab runs them: the real program against
// the emulated meter and a real Mosquitto broker, with Mosquitto's own mosquitto_sub as the
// witness of what arrives.
#include "Broker.h"
#include "CliTest.h"
#include "Fetch.h"
#include "MeterSim.h"
#include "ReadingJson.h"
#include "SimReading.h"
#include "Subscriber.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

namespace {

// The sequence numbers of the reading messages, in arrival order.
QList<qint64> sequence(const QList<Subscriber::Message>& readings)
{
    QList<qint64> seqs;
    for (const Subscriber::Message& m : readings)
        seqs.append(m.json().value("seq").toInteger());
    return seqs;
}

// 1 .. n, each once and in order, where a repeat of a number already seen (as QoS 1 may
// deliver) is passed over.
bool wholeAndInOrder(const QList<qint64>& seqs, qint64 n)
{
    qint64 next = 1;
    for (const qint64 s : seqs) {
        if (s == next)
            ++next;
        else if (s >= next)
            return false; // one is missing, or out of order
    }
    return next == n + 1;
}

qsizetype lines(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().count('\n') : 0;
}

} // namespace

class TestCliLab : public CliTest
{
    Q_OBJECT
private slots:
    void init();
    void cleanup() { resetCli(); }
    void publishesReadingsAndStatus_data();
    void publishesReadingsAndStatus();
    void brokerRestartLosesNothing();
    void recordingGoesOnWithoutTheBroker_data();
    void recordingGoesOnWithoutTheBroker();

private:
    void startCli(QProcess& cli, const QStringList& arguments,
                  const QByteArray& password = "unset");
    [[nodiscard]] QString file(const char* name) const { return m_dir.filePath(name); }
};

void TestCliLab::init()
{
    initCli();
    m_sim->setFramePeriodMs(100);
}

// As a service runs it, with the broker's password in its environment or not.
void TestCliLab::startCli(QProcess& cli, const QStringList& arguments, const QByteArray& password)
{
    QProcessEnvironment environment = cliEnvironment();
    environment.remove(QStringLiteral("CELLDESK_MQTT_PASSWORD"));
    if (password != "unset")
        environment.insert(QStringLiteral("CELLDESK_MQTT_PASSWORD"), QString::fromUtf8(password));
    cli.setProcessEnvironment(environment);
    cli.start(QStringLiteral(CELLDESK_CLI), arguments);
    QVERIFY(cli.waitForStarted());
}

void TestCliLab::publishesReadingsAndStatus_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("signal"); // SIGKILL: the broker's last will says it
    QTest::newRow("watch, stopped") << "watch" << int(SIGTERM);
    QTest::newRow("watch, killed") << "watch" << int(SIGKILL);
    QTest::newRow("record, stopped") << "record" << int(SIGTERM);
    QTest::newRow("record, killed") << "record" << int(SIGKILL);
}

// Each reading arrives as one message with the keys of a watch line plus seq and date_time;
// the status is retained, online while the program runs and offline after it, whether it said
// goodbye or was killed.
void TestCliLab::publishesReadingsAndStatus()
{
    SimReading shown;
    shown.voltage = QStringLiteral("OL");
    shown.current = QStringLiteral("-1.250");
    m_sim->setReading(shown);
    Broker broker;
    QVERIFY2(broker.start(), qPrintable(broker.error()));
    Subscriber witness;
    QVERIFY(witness.start(broker.port(), "celldesk/#"));

    const QString command = fetched<QString>("command");
    const QString path = file("rec.csv");
    QStringList arguments{command,  "--port", m_sim->devicePath(), "--publish", broker.url(),
                          "--name", "bench7"};
    if (command == u"record")
        arguments << "--format"
                  << "csv" << path;
    QProcess cli;
    startCli(cli, arguments);
    QSignalSpy ended(&cli, &QProcess::finished);
    QVERIFY2(witness.waitFor("bench7/reading", 3), cli.readAllStandardError().constData());

    const QList<Subscriber::Message> readings = witness.messages("/reading");
    QCOMPARE(readings.first().topic, QByteArray("celldesk/bench7/reading"));
    QVERIFY(!readings.first().retained);
    const QJsonObject first = readings.first().json();
    QStringList expectedKeys =
        QJsonDocument::fromJson(readingJsonLine(CurrentReading(), QDateTime::currentDateTime()))
            .object()
            .keys();
    expectedKeys << "seq"
                 << "date_time";
    expectedKeys.sort();
    QCOMPARE(first.keys(), expectedKeys);
    QCOMPARE(first["seq"].toInteger(), 1);
    const QString dateTime = first["date_time"].toString();
    QVERIFY2(QRegularExpression("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d[+-]\\d\\d:\\d\\d$")
                 .match(dateTime)
                 .hasMatch(),
             qPrintable(dateTime));
    QVERIFY(first["voltage"].isNull());
    QCOMPARE(first["flags"].toArray(), QJsonArray{"OL:voltage"});
    QCOMPARE(first["current"].toDouble(), -1.25);
    QCOMPARE(sequence(readings).mid(0, 3), (QList<qint64>{1, 2, 3}));

    const QList<Subscriber::Message> statuses = witness.messages("/status");
    QVERIFY(!statuses.isEmpty());
    QCOMPARE(statuses.first().payload, QByteArray(R"({"state":"online","link":"up"})"));
    {
        Subscriber late; // comes after the status was published: it gets the retained one
        QVERIFY(late.start(broker.port(), "celldesk/+/status"));
        QVERIFY(late.waitFor("bench7/status", 1));
        QVERIFY(late.messages("bench7/status").first().retained);
    }

    ::kill(pid_t(cli.processId()), fetched<int>("signal"));
    QVERIFY(ended.wait(kEndsWithinMs));
    QVERIFY(witness.waitFor("/status", statuses.size() + 1));
    QCOMPARE(witness.messages("/status").last().payload, QByteArray(R"({"state":"offline"})"));
    Subscriber after;
    QVERIFY(after.start(broker.port(), "celldesk/+/status"));
    QVERIFY(after.waitFor("bench7/status", 1));
    QCOMPARE(after.messages("bench7/status").first().payload, QByteArray(R"({"state":"offline"})"));

    if (command == u"record" && fetched<int>("signal") == SIGTERM) {
        // A clean stop sends every row written before it says goodbye.
        QCOMPARE(cli.exitCode(), 0);
        const qsizetype rows = lines(path) - 1;
        QCOMPARE(witness.messages("/reading").size(), rows);
        QVERIFY(wholeAndInOrder(sequence(witness.messages("/reading")), rows));
    }
}

// The broker stops for a few seconds in the middle of a recording and comes back: every row
// written reaches a subscriber that keeps its session, in order.
void TestCliLab::brokerRestartLosesNothing()
{
    Broker broker(Broker::Options{true, {}, {}});
    QVERIFY2(broker.start(), qPrintable(broker.error()));
    Subscriber recorder;
    QVERIFY(recorder.start(broker.port(), "celldesk/+/reading", "lab-recorder"));
    const QString path = file("restart.csv");
    QProcess cli;
    startCli(cli, {"record", "--format", "csv", "--port", m_sim->devicePath(), "--publish",
                   broker.url(), "--name", "bench8", path});
    QSignalSpy ended(&cli, &QProcess::finished);
    QVERIFY(recorder.waitFor("/reading", 3));
    broker.stop();
    const qsizetype rowsBefore = lines(path);
    QTest::qWait(4000);
    QVERIFY(lines(path) >= rowsBefore + 3); // the file went on meanwhile
    QVERIFY2(broker.start(), qPrintable(broker.error()));
    const qsizetype rowsAfter = lines(path) - 1;
    QVERIFY(recorder.waitFor("/reading", rowsAfter + 2, 40000));
    ::kill(pid_t(cli.processId()), SIGTERM);
    QVERIFY(ended.wait(kEndsWithinMs));
    QCOMPARE(cli.exitCode(), 0);

    const qsizetype rows = lines(path) - 1;
    QVERIFY(recorder.waitFor("/reading", rows));
    QVERIFY2(wholeAndInOrder(sequence(recorder.messages("/reading")), rows),
             qPrintable(QString::number(rows)));
    const QString err = QString::fromUtf8(cli.readAllStandardError());
    QCOMPARE(err.count("is not available"), 1);
    QCOMPARE(err.count("is back;"), 1);
}

void TestCliLab::recordingGoesOnWithoutTheBroker_data()
{
    QTest::addColumn<bool>("brokerThere");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("environmentPassword"); // "unset" for none
    QTest::addColumn<QString>("says");                   // the line about the broker

    QTest::newRow("no broker") << false << QStringList{} << QByteArray("unset")
                               << "is not available (Connection refused)";
    QTest::newRow("no broker, a queue of 2")
        << false << QStringList{"--queue", "2"} << QByteArray("unset")
        << "is not available (Connection refused)";
    QTest::newRow("wrong password")
        << true << QStringList{"--username", "lab"} << QByteArray("guess")
        << "is not available (Connection Refused: not authorised)";
    QTest::newRow("password from the environment")
        << true << QStringList{"--username", "lab"} << QByteArray("s3cret") << "publishing to";
    QTest::newRow("password from a file")
        << true << QStringList{"--username", "lab", "--password-file", "%DIR/password"}
        << QByteArray("unset") << "publishing to";
}

// A broker that is not there or refuses the password never stops the file: the recording
// runs its course, one line says what is wrong (the tries go on without a line each), and at
// the end one more how many readings never reached it.
void TestCliLab::recordingGoesOnWithoutTheBroker()
{
    Broker broker(Broker::Options{false, "lab", "s3cret"});
    QVERIFY2(broker.start(), qPrintable(broker.error()));
    if (!fetched<bool>("brokerThere"))
        broker.stop();
    QFile password(file("password"));
    QVERIFY(password.open(QIODevice::WriteOnly));
    password.write("s3cret\n");
    password.close();

    const QString path = file("without.csv");
    QStringList arguments{
        "record",    "--for",      "5s", "--format", "csv", "--port", m_sim->devicePath(),
        "--publish", broker.url(), path};
    arguments += fetched<QStringList>("options").replaceInStrings("%DIR", m_dir.path());
    QProcess cli;
    startCli(cli, arguments, fetched<QByteArray>("environmentPassword"));
    QSignalSpy ended(&cli, &QProcess::finished);
    QVERIFY(ended.wait(kEndsWithinMs));
    QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
    QCOMPARE(cli.exitCode(), 0);
    QVERIFY(lines(path) >= 5); // the header and a row a second
    const QString err = QString::fromUtf8(cli.readAllStandardError());
    // The link's own log (the start, the meter's link) is not about the broker.
    QStringList told = err.trimmed().split('\n');
    told.removeIf([&](const QString& line) { return line.contains(" recording "); });
    QVERIFY2(told.first().contains(fetched<QString>("says")), qPrintable(err));
    const bool reached = told.first().contains("publishing to");
    const bool full = arguments.contains("--queue");
    QVERIFY2(told.size() == (reached ? 1 : full ? 3 : 2), qPrintable(err));
    if (full)
        QVERIFY2(told[1].contains("the queue of 2 readings for the broker is full"),
                 qPrintable(err));
    if (!reached)
        QVERIFY2(told.last().contains(full ? "2 reading(s) never reached the broker"
                                           : "reading(s) never reached the broker"),
                 qPrintable(err));
}

QTEST_GUILESS_MAIN(TestCliLab)
#include "tst_clilab.moc"
