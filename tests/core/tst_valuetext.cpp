#include "Fetch.h"
#include "ReadingJson.h"
#include "ValueText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <QTest>

#include <cfloat>
#include <cmath>

class TestValueText : public QObject
{
    Q_OBJECT
private slots:
    void leadingNumbers_data();
    void leadingNumbers();
    void formats_data();
    void formats();
    void jsonLines_data();
    void jsonLines();
};

void TestValueText::leadingNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<float>("number");
    QTest::newRow("padded") << " 41.2" << 41.2f;
    QTest::newRow("sign before the padding") << "- 12.5" << -12.5f;
    QTest::newRow("blanks inside the digits") << "1 2. 5" << 12.5f;
    QTest::newRow("mAh suffix") << "12.5(m)" << 12.5f;
    QTest::newRow("empty") << "" << 0.0f;
    QTest::newRow("blanks only") << "   " << 0.0f;
    QTest::newRow("overload") << "OL" << 0.0f;
    QTest::newRow("sign alone") << "-" << 0.0f;
    QTest::newRow("sign and point") << "-." << 0.0f;
    QTest::newRow("second point ends it") << "1.2.3" << 1.2f;
    QTest::newRow("exponent is not read") << "1e5" << 1.0f;
    QTest::newRow("point first") << ".5" << 0.5f;
    QTest::newRow("plus sign") << "+3" << 3.0f;
    QTest::newRow("second sign ends it") << "--5" << 0.0f;
    QTest::newRow("range title") << "400 mOhm" << 400.0f;
    QTest::newRow("80 digits") << QString(80, QLatin1Char('9')) << FLT_MAX;
    QTest::newRow("80 negative digits") << "-" + QString(80, QLatin1Char('9')) << -FLT_MAX;
    QTest::newRow("400 places of zeros") << "0." + QString(400, QLatin1Char('0')) + "1" << 0.0f;
    QTest::newRow("minus zero") << "-0.00" << 0.0f;
}

void TestValueText::leadingNumbers()
{
    const float n = leadingNumber(fetched<QString>("text"));
    QVERIFY(std::isfinite(n));
    QCOMPARE(n, fetched<float>("number"));
    QVERIFY(!std::signbit(n) || n != 0.0f); // never a negative zero
}

void TestValueText::formats_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("text");
    QTest::newRow("rounds up") << 12.3456 << "0.###"
                               << "12.346";
    QTest::newRow("rounds up, two kept") << 12.3456 << "0.00#"
                                         << "12.346";
    QTest::newRow("trailing zero dropped") << 12.3 << "0.###"
                                           << "12.3";
    QTest::newRow("to the minimum") << 12.3 << "0.00#"
                                    << "12.30";
    QTest::newRow("no bare point") << 12.0 << "0.###"
                                   << "12";
    QTest::newRow("whole, two kept") << 12.0 << "0.00#"
                                     << "12.00";
    QTest::newRow("zero") << 0.0 << "0.###"
                          << "0";
    QTest::newRow("zero, fixed") << 0.0 << "0.00"
                                 << "0.00";
    QTest::newRow("no minus zero") << -0.0001 << "0.###"
                                   << "0";
    QTest::newRow("no minus zero, fixed") << -0.001 << "0.00"
                                          << "0.00";
    QTest::newRow("whole numbers") << 36001.0 << "0"
                                   << "36001";
    QTest::newRow("whole rounding") << 60.5 << "0"
                                    << "61";
    QTest::newRow("negative") << -60.0 << "0.#"
                              << "-60";
    QTest::newRow("one place") << 25.25 << "0.0"
                               << "25.3";
    QTest::newRow("three places") << 1.5 << "0.000"
                                  << "1.500";
    QTest::newRow("two marks") << 0.125 << "0.##"
                               << "0.13";
    QTest::newRow("no integer zero") << 0.5 << ".###"
                                     << ".5";
    QTest::newRow("no integer zero, negative") << -0.25 << ".###"
                                               << "-.25";
    QTest::newRow("no integer zero, whole") << 12.0 << ".###"
                                            << "12";
    QTest::newRow("no integer zero, zero") << 0.0 << ".###"
                                           << "0";
    QTest::newRow("single precision value") << double(12.3f) << "0.00#"
                                            << "12.30";
}

void TestValueText::formats()
{
    QCOMPARE(formatNumber(fetched<double>("value"), fetched<QString>("format")),
             fetched<QString>("text"));
}

void TestValueText::jsonLines_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<QString>("text");  // the channel's value text as decoded
    QTest::addColumn<QString>("value"); // in the line
    QTest::addColumn<QString>("flag");  // in "flags"; empty for none
    QTest::addColumn<int>("offsetSeconds");
    QTest::addColumn<QString>("time");
    const QString at = QStringLiteral("2026-12-08T10:49:33");
    QTest::newRow("a value, east of UTC") << int(CurrentReading::Voltage) << "12.34"
                                          << "12.34"
                                          << "" << 3600 << at + "+01:00";
    QTest::newRow("UTC written as an offset") << int(CurrentReading::Voltage) << "12.34"
                                              << "12.34"
                                              << "" << 0 << at + "+00:00";
    QTest::newRow("west of UTC") << int(CurrentReading::Voltage) << "1.000"
                                 << "1"
                                 << "" << -(3 * 3600 + 1800) << at + "-03:30";
    QTest::newRow("a sign before blanks") << int(CurrentReading::Current) << "- 1.25"
                                          << "-1.25"
                                          << "" << 0 << at + "+00:00";
    QTest::newRow("overload") << int(CurrentReading::Voltage) << "  OL"
                              << "null"
                              << "OL:voltage" << 0 << at + "+00:00";
    QTest::newRow("negative overload") << int(CurrentReading::Current) << "- OL"
                                       << "null"
                                       << "-OL:current" << 0 << at + "+00:00";
    QTest::newRow("a capacity in mAh") << int(CurrentReading::TCap) << "-3.471"
                                       << "-3.471"
                                       << "" << 0 << at + "+00:00";
    QTest::newRow("nothing shown") << int(CurrentReading::Temperature) << "    "
                                   << "null"
                                   << "" << 0 << at + "+00:00";
}

// Each channel's value text becomes the number the display shows, or null with the overload
// named; the time carries its offset.
void TestValueText::jsonLines()
{
    static const char* const names[] = {"voltage",       "resistance",  "current",
                                        "temperature",   "in_capacity", "out_capacity",
                                        "total_capacity"};
    CurrentReading reading;
    reading.valueTexts.fill(QStringLiteral("0.000"));
    const int channel = fetched<int>("channel");
    reading.valueTexts[channel] = fetched<QString>("text");
    const QDateTime time(QDate(2026, 12, 8), QTime(10, 49, 33), Qt::OffsetFromUTC,
                         fetched<int>("offsetSeconds"));
    const QByteArray line = readingJsonLine(reading, time);
    QJsonParseError error{};
    const QJsonObject object = QJsonDocument::fromJson(line, &error).object();
    QVERIFY2(error.error == QJsonParseError::NoError, line.constData());
    QCOMPARE(object["time"].toString(), fetched<QString>("time"));
    const QJsonValue value = object[QLatin1String(names[channel])];
    const QString expected = fetched<QString>("value");
    if (expected == u"null")
        QVERIFY2(value.isNull(), line.constData());
    else
        QCOMPARE(value.toDouble(), expected.toDouble());
    const QString flag = fetched<QString>("flag");
    QCOMPARE(object["flags"].toArray(), flag.isEmpty() ? QJsonArray() : QJsonArray{flag});
}

QTEST_APPLESS_MAIN(TestValueText)
#include "tst_valuetext.moc"
