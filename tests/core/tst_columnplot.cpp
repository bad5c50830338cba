#include "ColumnPlot.h"
#include "Fetch.h"

#include <QTest>

using Floats = QList<float>;

class TestColumnPlot : public QObject
{
    Q_OBJECT
private slots:
    void clickTable_data();
    void clickTable();
    void values_data();
    void values();
};

void TestColumnPlot::clickTable_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("header");
    QTest::addColumn<bool>("plotted");
    QTest::addColumn<QString>("title");
    QTest::addColumn<float>("max");
    QTest::addColumn<float>("min");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("step");
    QTest::newRow("record number") << 0 << "No.s" << false << "" << 0.f << 0.f << ""
                                   << "";
    QTest::newRow("time") << 1 << "Time" << false << "" << 0.f << 0.f << ""
                          << "";
    QTest::newRow("voltage") << 2 << "V" << true << "V" << 60.f << -60.f << "0.###"
                             << "0.001";
    QTest::newRow("40 mOhm") << 3 << "40 mOhm" << true << "40 mOhm" << 40.f << 0.f << "0.###"
                             << "0.001";
    QTest::newRow("4 Ohm") << 3 << "4 Ohm" << true << "4 Ohm" << 4.f << 0.f << "0.###"
                           << "0.001";
    QTest::newRow("400 mOhm") << 3 << "400 mOhm" << true << "400 mOhm" << 400.f << 0.f << "0.###"
                              << "0.001";
    QTest::newRow("amperes") << 4 << "Amp" << true << "Amp" << 650.f << -650.f << "0.##"
                             << "0.01";
    QTest::newRow("milliamperes") << 4 << "mAmp" << true << "mAmp" << 650.f << -650.f << "0.##"
                                  << "0.01";
    QTest::newRow("Celsius") << 5 << "Celsius" << true << "Celsius" << 60.f << -20.f << "0.#"
                             << "0.1";
    QTest::newRow("Fahrenheit") << 5 << "Fahrenheit" << true << "Fahrenheit" << 140.f << -4.f
                                << "0.#"
                                << "0.1";
    QTest::newRow("Celsius with a blank")
        << 5 << "Celsius " << true << "Celsius " << 140.f << -4.f << "0.#"
        << "0.1";
    QTest::newRow("In-Cap") << 6 << "In-Cap " << true << "In-Cap" << 10000.f << 0.f << "0.###"
                            << "0.001";
    QTest::newRow("Out-Cap") << 7 << "anything" << true << "Out-Cap" << 10000.f << 0.f << "0.###"
                             << "0.001";
    QTest::newRow("T-Cap") << 8 << "" << true << "T-Cap" << 10000.f << 0.f << "0.###"
                           << "0.001";
    QTest::newRow("past the ninth") << 9 << "" << false << "" << 0.f << 0.f << ""
                                    << "";
    QTest::newRow("negative") << -1 << "" << false << "" << 0.f << 0.f << ""
                              << "";
}

void TestColumnPlot::clickTable()
{
    const std::optional<ColumnKind> kind =
        columnKind(fetched<int>("column"), fetched<QString>("header"));
    QCOMPARE(kind.has_value(), fetched<bool>("plotted"));
    if (!kind)
        return;
    QCOMPARE(kind->title, fetched<QString>("title"));
    QCOMPARE(kind->fullScaleMax, fetched<float>("max"));
    QCOMPARE(kind->fullScaleMin, fetched<float>("min"));
    QCOMPARE(kind->valueFormat, fetched<QString>("format"));
    QCOMPARE(kind->valueStep, fetched<QString>("step"));
}

void TestColumnPlot::values_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<float>("fullMax");
    QTest::addColumn<float>("fullMin");
    QTest::addColumn<Floats>("values");
    QTest::addColumn<float>("max");
    QTest::addColumn<float>("min");
    QTest::newRow("overloads at the edges so far")
        << QStringList{"1.5", "OL", "-OL", "70"} << 60.f << -60.f << Floats{1.5f, 60, -60, 70}
        << 70.f << -60.f;
    QTest::newRow("overload after widening")
        << QStringList{"75.2", "OL", "-70", "-OL"} << 60.f << -60.f
        << Floats{75.2f, 75.2f, -70, -70} << 75.2f << -70.f;
    QTest::newRow("inside the full scale")
        << QStringList{"12.53", "- 12.5", " 41.2", "-59.9"} << 60.f << -60.f
        << Floats{12.53f, -12.5f, 41.2f, -59.9f} << 60.f << -60.f;
    QTest::newRow("no number is 0")
        << QStringList{"", "abc", "5"} << 40.f << 0.f << Floats{0, 0, 5} << 40.f << 0.f;
    QTest::newRow("all in mAh") << QStringList{"105.0(m)", "999.9(m)", "OL"} << 10000.f << 0.f
                                << Floats{105, 999.9f, 10000} << 10000.f << 0.f;
    QTest::newRow("all in Ah") << QStringList{"1.5", "12.25"} << 10000.f << 0.f
                               << Floats{1.5f, 12.25f} << 10000.f << 0.f;
    QTest::newRow("mAh turning into Ah")
        << QStringList{"998.0(m)", "999.9(m)", "1.000", "12.5", "-OL"} << 10000.f << 0.f
        << Floats{998, 999.9f, 1000, 12500, 0} << 12500.f << 0.f;
    QTest::newRow("Ah beyond single precision")
        << QStringList{"1(m)", QString(39, QLatin1Char('9'))} << 10000.f << 0.f
        << Floats{1, std::numeric_limits<float>::max()} << std::numeric_limits<float>::max() << 0.f;
    QTest::newRow("no rows") << QStringList{} << 60.f << -60.f << Floats{} << 60.f << -60.f;
}

void TestColumnPlot::values()
{
    const ColumnValues column = columnValues(fetched<QStringList>("texts"),
                                             fetched<float>("fullMax"), fetched<float>("fullMin"));
    QCOMPARE(Floats(column.values.begin(), column.values.end()), fetched<Floats>("values"));
    QCOMPARE(column.valueMax, fetched<float>("max"));
    QCOMPARE(column.valueMin, fetched<float>("min"));
}

QTEST_APPLESS_MAIN(TestColumnPlot)
#include "tst_columnplot.moc"
