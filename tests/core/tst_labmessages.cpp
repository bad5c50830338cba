// The lab's messages as they leave a publisher and as the overview reads them back, their
// topics, and the overview's rules for a meter's row.
#include "AllChannelGraph.h"
#include "Fetch.h"
#include "LabRoster.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QTimeZone>

namespace {

// A reading as the display decoder leaves it, from compact texts: value texts of the seven
// groups, the current in mA, the charges' units.
CurrentReading displayed(const QStringList& texts, bool milliAmps, const QString& capUnit,
                         bool fahrenheit)
{
    CurrentReading r;
    for (int g = 0; g < CurrentReading::GroupCount; ++g)
        r.valueTexts[std::size_t(g)] = texts.value(g);
    r.milliAmps = milliAmps;
    for (std::size_t c = 0; c < 3; ++c) {
        r.capUnitTexts[c] = capUnit;
        r.capMilli[c] = capUnit == u"mAh";
    }
    r.RangeText = QStringLiteral("40 mOhm");
    r.celsius = !fahrenheit;
    r.fahrenheit = fahrenheit;
    r.TempUnitText = fahrenheit ? QStringLiteral("Fahrenheit") : QStringLiteral("Celsius");
    return r;
}

} // namespace

class TestLabMessages : public QObject
{
    Q_OBJECT
private slots:
    void readingRoundTrip_data();
    void readingRoundTrip();
    void topics_data();
    void topics();
    void hostileMessages_data();
    void hostileMessages();
    void meterRows_data();
    void meterRows();
};

void TestLabMessages::readingRoundTrip_data()
{
    QTest::addColumn<QStringList>("texts"); // V, Ohm, A, T, In, Out, Total as displayed
    QTest::addColumn<bool>("milliAmps");
    QTest::addColumn<QString>("capUnit");
    QTest::addColumn<bool>("fahrenheit");
    QTest::addColumn<QStringList>("shown"); // the overview's cells: V, A, Ohm, T, In, Out, T-Cap

    QTest::newRow("plain") << QStringList{"12.53", " 41.2", "-0.511", " 25.3",
                                          "1.050", "0.000", "1.050"}
                           << false << "Ah" << false
                           << QStringList{"12.53 V", "-0.511 A", "41.2 mOhm", "25.3 C",
                                          "1.05 Ah", "0 Ah",     "1.05 Ah"};
    QTest::newRow("overloads, mA, mAh, Fahrenheit")
        << QStringList{"-0L", "0L", "1250", "77.0", "1500", "0.250", "1750"} << true << "mAh"
        << true
        << QStringList{"-OL V", "1250 mA", "OL mOhm", "77 F", "1500 mAh", "0.25 mAh", "1750 mAh"};
    QTest::newRow("a channel not shown")
        << QStringList{"12.53", "    ", "1.250", "    ", "1.0", "1.0", "1.0"} << false << "Ah"
        << false << QStringList{"12.53 V", "1.25 A", "", "", "1 Ah", "1 Ah", "1 Ah"};
}

// What a publisher sends is what the overview shows, and its live graph draws the same
// values as from the meter itself.
void TestLabMessages::readingRoundTrip()
{
    const CurrentReading sent = displayed(fetched<QStringList>("texts"), fetched<bool>("milliAmps"),
                                          fetched<QString>("capUnit"), fetched<bool>("fahrenheit"));
    const QDateTime time(QDate(2026, 12, 8), QTime(23, 59, 58), QTimeZone(3600));
    const QByteArray message = labReadingMessage(sent, time, 42);
    const QJsonObject json = QJsonDocument::fromJson(message).object();
    QCOMPARE(json["seq"].toInteger(), 42);
    QCOMPARE(json["date_time"].toString(), QString("2026-12-08T23:59:58+01:00"));
    QCOMPARE(json["time"].toString(), json["date_time"].toString());

    const std::optional<LabReading> got = parseLabReading(message);
    QVERIFY(got);
    QCOMPARE(got->seq, 42u);
    QCOMPARE(got->time, time);
    const QStringList shown = fetched<QStringList>("shown");
    constexpr std::array<CurrentReading::Group, 7> order{
        CurrentReading::Voltage,     CurrentReading::Current, CurrentReading::Resistance,
        CurrentReading::Temperature, CurrentReading::InCap,   CurrentReading::OutCap,
        CurrentReading::TCap};
    for (std::size_t i = 0; i < order.size(); ++i)
        QCOMPARE(labValueText(got->reading, order[i]), shown[qsizetype(i)]);
    QCOMPARE(graphSample(got->reading, sent.RangeText, sent.TempUnitText),
             graphSample(sent, sent.RangeText, sent.TempUnitText));
    QCOMPARE(got->reading.milliAmps, sent.milliAmps);
    QCOMPARE(got->reading.RangeText, sent.RangeText);
}

void TestLabMessages::topics_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QByteArray>("topic");
    QTest::addColumn<QString>("meter"); // empty: not a lab topic
    QTest::addColumn<bool>("status");

    QTest::newRow("reading") << "celldesk" << QByteArray("celldesk/bench3-ttyUSB0/reading")
                             << "bench3-ttyUSB0" << false;
    QTest::newRow("status") << "celldesk" << QByteArray("celldesk/b/status") << "b" << true;
    QTest::newRow("prefix of two levels")
        << "lab/batteries" << QByteArray("lab/batteries/b/reading") << "b" << false;
    QTest::newRow("another prefix")
        << "celldesk" << QByteArray("celldesks/b/reading") << "" << false;
    QTest::newRow("a level too many")
        << "celldesk" << QByteArray("celldesk/b/c/reading") << "" << false;
    QTest::newRow("another kind") << "celldesk" << QByteArray("celldesk/b/config") << "" << false;
    QTest::newRow("no meter") << "celldesk" << QByteArray("celldesk//reading") << "" << false;
}

void TestLabMessages::topics()
{
    const QString prefix = fetched<QString>("prefix");
    const QString meter = fetched<QString>("meter");
    const std::optional<LabTopic> topic = parseLabTopic(prefix, fetched<QByteArray>("topic"));
    QCOMPARE(topic.has_value(), !meter.isEmpty());
    if (!topic)
        return;
    QCOMPARE(topic->meter, meter);
    const LabTopicKind kind =
        fetched<bool>("status") ? LabTopicKind::Status : LabTopicKind::Reading;
    QCOMPARE(topic->kind, kind);
    QCOMPARE(labTopic(prefix, meter, kind), fetched<QByteArray>("topic"));
}

void TestLabMessages::hostileMessages_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<bool>("reading");  // read as a reading at all
    QTest::addColumn<QString>("shown"); // the resistance cell

    QTest::newRow("not JSON") << QByteArray("12.5 V") << false << "";
    QTest::newRow("an array") << QByteArray("[1,2]") << false << "";
    QTest::newRow("too large") << QByteArray("{\"resistance\":1,\"x\":\"") +
                                      QByteArray(MaxLabPayload, 'x') + "\"}"
                               << false << "";
    QTest::newRow("a text for a number")
        << QByteArray(R"({"resistance":"12","resistance_range":"40 mOhm"})") << true << "";
    QTest::newRow("a tiny number, written without exponent")
        << QByteArray(R"({"resistance":1e-7,"resistance_range":"40 mOhm"})") << true << "0 mOhm";
    QTest::newRow("a number beyond any display")
        << QByteArray(R"({"resistance":1e300,"resistance_range":"40 mOhm"})") << true << "";
    QTest::newRow("a range label of a hundred characters")
        << QByteArray(R"({"resistance":1,"resistance_range":"4 )") + QByteArray(100, 'm') + "\"}"
        << true << "1 " + QString(30, 'm');
}

// Whatever arrives on a lab topic, nothing breaks and no cell grows without end.
void TestLabMessages::hostileMessages()
{
    const std::optional<LabReading> r = parseLabReading(fetched<QByteArray>("payload"));
    QCOMPARE(r.has_value(), fetched<bool>("reading"));
    if (r)
        QCOMPARE(labValueText(r->reading, CurrentReading::Resistance), fetched<QString>("shown"));
}

void TestLabMessages::meterRows_data()
{
    QTest::addColumn<QByteArray>("status"); // empty: none came
    QTest::addColumn<int>("readingAgeMs");  // -1: no reading came
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("age");
    QTest::addColumn<int>("look");

    const int current = int(LabLook::Current);
    const int stale = int(LabLook::Stale);
    const int offline = int(LabLook::Offline);
    const QByteArray up = labOnlineStatus(true);
    QTest::newRow("a fresh reading") << up << 0 << "online"
                                     << "0 s" << current;
    QTest::newRow("at the threshold") << up << 10000 << "online"
                                      << "10 s" << current;
    QTest::newRow("past the threshold") << up << 10001 << "online"
                                        << "10 s" << stale;
    QTest::newRow("readings before any status") << QByteArray() << 2000 << "online"
                                                << "2 s" << current;
    QTest::newRow("a status and no reading") << up << -1 << "online"
                                             << "-" << stale;
    QTest::newRow("the link lost") << labOnlineStatus(false, 12) << 3000 << "link lost"
                                   << "3 s" << current;
    QTest::newRow("offline, with a fresh reading") << labOfflineStatus() << 0 << "offline"
                                                   << "0 s" << offline;
    QTest::newRow("minutes") << up << 754000 << "online"
                             << "12 min" << stale;
    QTest::newRow("hours") << up << 11100000 << "online"
                           << "3 h 5 min" << stale;
    QTest::newRow("days") << up << 187200000 << "online"
                          << "2 d 4 h" << stale;
}

// One meter's row in the overview with the default threshold of 10 s.
void TestLabMessages::meterRows()
{
    const qint64 now = 1000000000;
    LabRoster roster;
    const QByteArray status = fetched<QByteArray>("status");
    if (!status.isEmpty())
        roster.takeStatus("b", *parseLabStatus(status));
    const int age = fetched<int>("readingAgeMs");
    if (age >= 0)
        roster.takeReading("b", LabReading{}, now - age);
    // Other meters around it keep the rows in name order.
    roster.takeStatus("c", *parseLabStatus(labOnlineStatus(true)));
    roster.takeStatus("a", *parseLabStatus(labOnlineStatus(true)));
    QCOMPARE(roster.size(), 3);
    QCOMPARE(roster.at(0).name, QString("a"));
    QCOMPARE(roster.at(2).name, QString("c"));
    const LabMeter& b = roster.at(1);
    QCOMPARE(b.name, QString("b"));
    QCOMPARE(labStateText(b), fetched<QString>("state"));
    QCOMPARE(labAgeText(b, now), fetched<QString>("age"));
    QCOMPARE(int(labLook(b, now, 10000)), fetched<int>("look"));
}

QTEST_APPLESS_MAIN(TestLabMessages)
#include "tst_labmessages.moc"
