// The figures of a span against hand-computed values on a golden discharge (discharge.csv and
// the same readings as a data file, discharge.txt): 1.8 A for 60 s, a 60 s hole in the stamps,
// two more steps down to 2.95 V, then the current turns to -0.6 A (a charge).
#include "ChargeAxis.h"
#include "Fetch.h"
#include "ReadingSeries.h"
#include "SpanFigures.h"

#include <QFile>
#include <QTest>

#include <cmath>

namespace {

ReadingSeries golden(const QString& name)
{
    QFile file(QStringLiteral(CELLDESK_TEST_DATA "/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return ReadingSeries::fromFile(file.readAll());
}

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

} // namespace

class TestSpanFigures : public QObject
{
    Q_OBJECT
private slots:
    void figures_data();
    void figures();
    void currentDirection_data();
    void currentDirection();
    void gapsInTheStamps_data();
    void gapsInTheStamps();
    void chargeAxis_data();
    void chargeAxis();
    void statsText();
};

void TestSpanFigures::figures_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("to");
    QTest::addColumn<double>("cutoff"); // NaN: none
    QTest::addColumn<int>("rows");
    QTest::addColumn<double>("duration");
    QTest::addColumn<double>("chargeOut");
    QTest::addColumn<double>("chargeIn");
    QTest::addColumn<double>("energyOut");
    QTest::addColumn<double>("counterOut");
    QTest::addColumn<double>("voltageMean");

    for (const char* file : {"discharge.csv", "discharge.txt"}) {
        const QString f = QString::fromLatin1(file);
        // Constant current: Ah = I × t exactly; Wh = 1.8 A × 10 s × (sum of the mean volts of
        // each step, 23.1 V) = 415.8 Ws.
        QTest::addRow("%s: constant current", file)
            << f << 0.0 << 60.0 << kNone << 7 << 60.0 << 1.8 * 60 / 3600 << 0.0 << 415.8 / 3600
            << 0.030 << 3.85;
        // The 60 s hole is not bridged: 80 s of 1.8 A, while the counter went on.
        QTest::addRow("%s: cut-off after a gap", file)
            << f << 0.0 << 1e9 << 3.0 << 10 << 140.0 << 1.8 * 80 / 3600 << 0.0 << kNone << 0.070
            << kNone;
        // 1.8 A to -0.6 A over 10 s crosses zero at 7.5 s: 6.75 As out, 0.75 As in; then 6 As
        // in at -0.6 A.
        QTest::addRow("%s: the current changes sign", file)
            << f << 130.0 << 160.0 << kNone << 4 << 30.0 << (18 + 6.75) / 3600 << 6.75 / 3600
            << kNone << 0.005 << kNone;
        QTest::addRow("%s: all of it", file)
            << f << 0.0 << 1e9 << kNone << 12 << 160.0 << (144 + 6.75) / 3600 << 6.75 / 3600
            << kNone << 0.070 << kNone;
    }
    QTest::newRow("no rows in the span") << "discharge.csv" << 61.0 << 119.0 << kNone << 0 << kNone
                                         << 0.0 << 0.0 << kNone << kNone << kNone;
}

void TestSpanFigures::figures()
{
    QFETCH(double, cutoff);
    const ReadingSeries series = golden(fetched<QString>("file"));
    QVERIFY2(series.error().isEmpty(), qPrintable(series.error()));
    QCOMPARE(series.rows(), 12);
    RowSpan span = rowsBetween(series, fetched<double>("from"), fetched<double>("to"));
    if (!std::isnan(cutoff)) {
        const std::optional<qsizetype> end = cutoffRow(series, cutoff, span.first, span.last);
        QVERIFY(end);
        span.last = *end;
    }
    const SpanFigures f = spanFigures(series, span.first, span.last);
    const auto same = [](double got, double want) {
        return std::isnan(want) || (std::isnan(got) && std::isnan(want)) ||
               std::abs(got - want) < 1e-9;
    };
    QCOMPARE(f.rows, fetched<int>("rows"));
    QVERIFY2(same(f.durationS, fetched<double>("duration")),
             qPrintable(QString::number(f.durationS)));
    QVERIFY2(same(f.chargeOutAh, fetched<double>("chargeOut")),
             qPrintable(QString::number(f.chargeOutAh, 'g', 12)));
    QVERIFY2(same(f.chargeInAh, fetched<double>("chargeIn")),
             qPrintable(QString::number(f.chargeInAh, 'g', 12)));
    QVERIFY2(same(f.energyOutWh, fetched<double>("energyOut")),
             qPrintable(QString::number(f.energyOutWh, 'g', 12)));
    QVERIFY2(same(f.counterOutAh, fetched<double>("counterOut")),
             qPrintable(QString::number(f.counterOutAh, 'g', 12)));
    QVERIFY(same(f.voltage.mean, fetched<double>("voltageMean")));
    if (f.rows > 0)
        QVERIFY(same(f.resistanceMeanOhm, 0.0412));
}

void TestSpanFigures::currentDirection_data()
{
    QTest::addColumn<double>("current");
    QTest::addColumn<bool>("outRises");
    QTest::addColumn<bool>("inRises");
    QTest::addColumn<bool>("positiveIsOut");
    QTest::newRow("positive, Out-Cap rises") << 1.5 << true << false << true;
    QTest::newRow("negative, Out-Cap rises") << -1.5 << true << false << false;
    QTest::newRow("positive, In-Cap rises") << 1.5 << false << true << false;
    QTest::newRow("negative, In-Cap rises") << -1.5 << false << true << true;
    QTest::newRow("counters still: positive is in") << 1.5 << false << false << false;
}

// Ten 1 s steps at a steady current, each counter rising or not: which sign is charge out.
void TestSpanFigures::currentDirection()
{
    QFETCH(double, current);
    ReadingSeries s;
    for (int i = 0; i <= 10; ++i) {
        const double counted = 0.001 * i;
        s.append(i, {3.7, 0.04, current, 25, fetched<bool>("inRises") ? counted : 0,
                     fetched<bool>("outRises") ? counted : 0, 0});
    }
    s.finish();
    QCOMPARE(s.positiveCurrentIsOut(), fetched<bool>("positiveIsOut"));
    const SpanFigures f = spanFigures(s, 0, 10);
    const double charge = 1.5 * 10 / 3600;
    const bool out = (current > 0) == s.positiveCurrentIsOut();
    QCOMPARE(f.chargeOutAh, out ? charge : 0.0);
    QCOMPARE(f.chargeInAh, out ? 0.0 : charge);
}

void TestSpanFigures::gapsInTheStamps_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QList<int>>("gaps"); // rows with a gap before them
    const QByteArray newer = "record,date_time,elapsed_s,voltage_V,resistance_Ohm,current_A,"
                             "temperature_F,in_capacity_Ah,out_capacity_Ah,total_capacity_Ah,"
                             "flags,utc_offset\n";
    QTest::newRow("steady steps") << newer + "1,2026-12-08T10:00:00,0,3.7,,1,,0,0,0,,+01:00\n"
                                             "2,2026-12-08T10:00:02,2,3.7,,1,,0,0,0,,+01:00\n"
                                             "3,2026-12-08T10:00:04,4,3.7,,1,,0,0,0,,+01:00\n"
                                  << QList<int>{};
    QTest::newRow("one sample missing")
        << newer + "1,,0,3.7,,1,,0,0,0,,\n2,,2,3.7,,1,,0,0,0,,\n3,,4,3.7,,1,,0,0,0,,\n"
                   "4,,8,3.7,,1,,0,0,0,,\n5,,10,3.7,,1,,0,0,0,,\n"
        << QList<int>{3};
    QTest::newRow("a row marked after skipped samples")
        << newer + "1,,0,3.7,,1,,0,0,0,,\n2,,2,3.7,,1,,0,0,0,,\n3,,4,3.7,,1,,0,0,0,gap:3.1,\n"
        << QList<int>{2};
    QTest::newRow("a row without a time, quoted flags")
        << newer + "1,,0,3.7,,1,,0,0,0,,\n2,,,3.7,,1,,0,0,0,\"?:time\",\n3,,4,3.7,,1,,0,0,0,,\n"
        << QList<int>{1, 2};
}

void TestSpanFigures::gapsInTheStamps()
{
    const ReadingSeries s = ReadingSeries::fromFile(fetched<QByteArray>("csv"));
    QVERIFY2(s.error().isEmpty(), qPrintable(s.error()));
    QList<int> gaps;
    for (qsizetype i = 1; i < s.rows(); ++i) {
        if (s.gapBefore(i))
            gaps << int(i);
    }
    QCOMPARE(gaps, fetched<QList<int>>("gaps"));
    QCOMPARE(s.temperatureUnit(), TemperatureUnit::Fahrenheit);
}

void TestSpanFigures::chargeAxis_data()
{
    QTest::addColumn<QList<double>>("counter");
    QTest::addColumn<QList<double>>("drawn");
    QTest::addColumn<QList<int>>("breaks");
    QTest::newRow("steady") << QList<double>{0, 0.1, 0.2} << QList<double>{0, 0.1, 0.2}
                            << QList<int>{};
    QTest::newRow("reset to zero")
        << QList<double>{0.5, 0.6, 0.0, 0.05} << QList<double>{0, 0.1, 0.1, 0.15} << QList<int>{2};
    QTest::newRow("a jump back, then a row with no number")
        << QList<double>{1.0, 1.2, 1.1, kNone, 1.3} << QList<double>{0, 0.2, 0.2, kNone, 0.4}
        << QList<int>{2, 3, 4};
}

void TestSpanFigures::chargeAxis()
{
    const QList<double> counter = fetched<QList<double>>("counter");
    const ChargeAxis axis =
        ChargeAxis::fromCounter(std::vector<double>(counter.begin(), counter.end()));
    const QList<double> drawn = fetched<QList<double>>("drawn");
    QCOMPARE(axis.rows(), drawn.size());
    QList<int> breaks;
    for (qsizetype i = 0; i < axis.rows(); ++i) {
        QVERIFY2(std::isnan(drawn[i]) ? std::isnan(axis.at(i))
                                      : qFuzzyCompare(1 + axis.at(i), 1 + drawn[i]),
                 qPrintable(QString("row %1: %2").arg(i).arg(axis.at(i))));
        if (i > 0 && axis.breaksBefore(i))
            breaks << int(i);
    }
    QCOMPARE(breaks, fetched<QList<int>>("breaks"));
}

void TestSpanFigures::statsText()
{
    const ReadingSeries series = golden("discharge.csv");
    const SpanFigures f = spanFigures(series, 0, 9);
    const QList<StatsField> fields = statsFields(f, 140.0, true);
    QCOMPARE(
        statsJson(fields),
        QByteArray("{\"rows\": 10, \"duration_s\": 140, \"voltage_V_min\": 2.95, "
                   "\"voltage_V_max\": 4, \"voltage_V_mean\": 3.62, \"charge_in_Ah\": 0, "
                   "\"charge_out_Ah\": 0.04, \"energy_in_Wh\": 0, \"energy_out_Wh\": 0.146375, "
                   "\"counter_out_Ah\": 0.07, \"resistance_Ohm_mean\": 0.0412, "
                   "\"cutoff_s\": 140}\n"));
    QCOMPARE(statsCsv(statsFields(spanFigures(series, 5, 4), std::nullopt, true)),
             QByteArray("rows,duration_s,voltage_V_min,voltage_V_max,voltage_V_mean,charge_in_Ah,"
                        "charge_out_Ah,energy_in_Wh,energy_out_Wh,counter_out_Ah,"
                        "resistance_Ohm_mean,cutoff_s\n0,,,,,,,,,,,\n"));
}

QTEST_GUILESS_MAIN(TestSpanFigures)
#include "tst_spanfigures.moc"
