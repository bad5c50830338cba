#include "AxisText.h"
#include "Fetch.h"
#include "ReadingJson.h"
#include "RowTimes.h"
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
    void tickLabels_data();
    void tickLabels();
    void rowTimes_data();
    void rowTimes();
    void typedTimes_data();
    void typedTimes();
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

using Doubles = QList<double>;

// Ticks `step` apart from `from` to `to`, as a graph places them.
Doubles ticks(double from, double to, double step)
{
    Doubles t;
    for (int i = 0; from + i * step <= to + step * 1e-9; ++i)
        t << from + i * step;
    return t;
}

void TestValueText::tickLabels_data()
{
    QTest::addColumn<Doubles>("ticks");
    QTest::addColumn<int>("minDecimals");
    QTest::addColumn<QStringList>("labels");
    QTest::newRow("12.6 to 12.75 by 0.05")
        << ticks(12.6, 12.75, 0.05) << 0 << QStringList{"12.60", "12.65", "12.70", "12.75"};
    QTest::newRow("12.6 to 12.75 by 0.025")
        << ticks(12.6, 12.75, 0.025) << 0
        << QStringList{"12.600", "12.625", "12.650", "12.675", "12.700", "12.725", "12.750"};
    QTest::newRow("0 to 0.01") << ticks(0, 0.01, 0.002) << 0
                               << QStringList{"0.000", "0.002", "0.004", "0.006", "0.008", "0.010"};
    QTest::newRow("-60 to 60") << ticks(-60, 60, 20) << 0
                               << QStringList{"-60", "-40", "-20", "0", "20", "40", "60"};
    QTest::newRow("0 to 100000, no exponent")
        << ticks(0, 100000, 25000) << 0 << QStringList{"0", "25000", "50000", "75000", "100000"};
    QTest::newRow("sums that miss by a hair")
        << Doubles{0.1, 0.1 + 0.1, 0.1 + 0.1 + 0.1} << 0 << QStringList{"0.1", "0.2", "0.3"};
    QTest::newRow("zero from below is no -0")
        << Doubles{-0.2, -0.1, -1e-17, 0.1} << 0 << QStringList{"-0.2", "-0.1", "0.0", "0.1"};
    QTest::newRow("a milliohm above 100000")
        << ticks(100000, 100000.003, 0.001) << 0
        << QStringList{"100000.000", "100000.001", "100000.002", "100000.003"};
    QTest::newRow("list plot eighths of 12.5 to 12.7")
        << ticks(12.5, 12.7, 0.2 / 8) << 1
        << QStringList{"12.500", "12.525", "12.550", "12.575", "12.600",
                       "12.625", "12.650", "12.675", "12.700"};
    QTest::newRow("list plot eighths of the full scale")
        << ticks(-60, 60, 15) << 1
        << QStringList{"-60.0", "-45.0", "-30.0", "-15.0", "0.0", "15.0", "30.0", "45.0", "60.0"};
    QTest::newRow("one tick") << Doubles{12.5} << 0 << QStringList{"12.5"};
}

void TestValueText::tickLabels()
{
    const Doubles t = fetched<Doubles>("ticks");
    const QStringList labels = ::tickLabels(t, fetched<int>("minDecimals"));
    QCOMPARE(labels, fetched<QStringList>("labels"));
}

void TestValueText::rowTimes_data()
{
    QTest::addColumn<QStringList>("texts"); // empty: one a second from 23:59:58
    QTest::addColumn<Doubles>("records");
    QTest::addColumn<QStringList>("clock");
    QTest::addColumn<QStringList>("elapsed");
    QTest::addColumn<Doubles>("clockX"); // where the records stand on a time-of-day axis
    QTest::newRow("across midnight")
        << QStringList{"23:59:50", "23:59:58", "00:00:06", "00:00:14"} << Doubles{1, 2.5, 4, 5}
        << QStringList{"23:59:50", "00:00:02", "00:00:14", "00:00:22"}
        << QStringList{"0:00:00", "0:00:12", "0:00:24", "0:00:32"}
        << Doubles{86390, 86402, 86414, 86422};
    QTest::newRow("rows without a time keep the one before")
        << QStringList{"", "10:00:00", "bad", "10:00:10"} << Doubles{1, 3, 3.5, 4}
        << QStringList{"10:00:00", "10:00:00", "10:00:05", "10:00:10"}
        << QStringList{"0:00:00", "0:00:00", "0:00:05", "0:00:10"}
        << Doubles{36000, 36000, 36005, 36010};
    QTest::newRow("one a second, past a day")
        << QStringList{} << Doubles{1, 3, 86402} << QStringList{"23:59:58", "00:00:00", "23:59:59"}
        << QStringList{"0:00:00", "0:00:02", "24:00:01"} << Doubles{86398, 86400, 172799};
}

void TestValueText::rowTimes()
{
    const QStringList texts = fetched<QStringList>("texts");
    const RowTimes times =
        texts.isEmpty() ? RowTimes::regular(86398, 1) : RowTimes::fromTexts(texts);
    const Doubles records = fetched<Doubles>("records");
    QStringList clock;
    QStringList elapsed;
    Doubles clockX;
    for (const double r : records) {
        clock << times.text(XReading::Clock, r);
        elapsed << times.text(XReading::Elapsed, r);
        clockX << times.x(XReading::Clock, r);
        QCOMPARE(times.x(XReading::Clock, times.recordAtX(XReading::Clock, clockX.last())),
                 clockX.last());
        // The axis places a time's tick at the record taken then.
        QVERIFY(qAbs(times.elapsedAt(times.recordAt(times.elapsedAt(r))) - times.elapsedAt(r)) <
                1e-9);
    }
    QCOMPARE(clock, fetched<QStringList>("clock"));
    QCOMPARE(elapsed, fetched<QStringList>("elapsed"));
    QCOMPARE(clockX, fetched<Doubles>("clockX"));
    QCOMPARE(times.text(XReading::Record, 2.5), QString("2.5"));
    QVERIFY(RowTimes::fromTexts({"", "no time"}).isEmpty());
}

// A time box reads what the time texts write: hours first, past a day too.
void TestValueText::typedTimes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("seconds"); // NaN: not a time
    const double none = qQNaN();
    QTest::newRow("time of day") << "10:05:30" << 36330.0;
    QTest::newRow("hours and minutes") << "10:05" << 36300.0;
    QTest::newRow("hours") << "12" << 43200.0;
    QTest::newRow("elapsed past a day") << " 24:00:01 " << 86401.0;
    QTest::newRow("back") << "-0:00:30" << -30.0;
    QTest::newRow("60 minutes") << "1:60" << none;
    QTest::newRow("four parts") << "1:2:3:4" << none;
    QTest::newRow("decimals") << "1.5" << none;
    QTest::newRow("no hours") << ":30" << none;
    QTest::newRow("empty") << "" << none;
}

void TestValueText::typedTimes()
{
    const std::optional<double> seconds = secondsFromText(fetched<QString>("text"));
    const double expected = fetched<double>("seconds");
    QCOMPARE(seconds.has_value(), !std::isnan(expected));
    if (seconds)
        QCOMPARE(*seconds, expected);
}

QTEST_APPLESS_MAIN(TestValueText)
#include "tst_valuetext.moc"
