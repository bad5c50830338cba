// The data-file lines byte for byte, the sample tick's decisions, and readings as CSV.
#include "CsvReadings.h"
#include "DataFileLines.h"
#include "Fetch.h"
#include "SampleSchedule.h"

#include <QTest>

#include <ctime>

namespace {

CurrentReading readingWith(const QStringList& texts, std::array<bool, 3> capMilli = {})
{
    CurrentReading r;
    for (int g = 0; g < CurrentReading::GroupCount; ++g)
        r.valueTexts[g] = texts.value(g);
    r.capMilli = capMilli;
    return r;
}

std::vector<QStringView> views(const QStringList& cells)
{
    return {cells.cbegin(), cells.cend()};
}

} // namespace

class TestDataFileLines : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void recorderHeader_data();
    void recorderHeader();
    void recorderLine_data();
    void recorderLine();
    void gridSaveLine_data();
    void gridSaveLine();
    void printLine_data();
    void printLine();
    void stamps_data();
    void stamps();
    void scheduleSamplesAtTheRightTicks_data();
    void scheduleSamplesAtTheRightTicks();
    void stopCheck_data();
    void stopCheck();
    void intervalEntries_data();
    void intervalEntries();
    void csvRows_data();
    void csvRows();
    void csvLiveRows();
    void csvFirstDates_data();
    void csvFirstDates();
};

// Central European time, given as a rule so that no time zone database is needed: +01:00 in
// winter, +02:00 in summer.
void TestDataFileLines::initTestCase()
{
    qputenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
    tzset();
}

void TestDataFileLines::recorderHeader_data()
{
    QTest::addColumn<QString>("range");
    QTest::addColumn<bool>("milliAmps");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray caps = "\tIn-Cap \tOut-Cap \tT-Cap \r\n";
    QTest::newRow("4 mOhm, mA, Celsius") << "4 mOhm" << true << "Celsius"
                                         << "No.s\tTime\tV\t4 mOhm\tmAmp\tCelsius" + caps;
    QTest::newRow("40 mOhm, A, Fahrenheit") << "40 mOhm" << false << "Fahrenheih"
                                            << "No.s\tTime\tV\t40 mOhm\tAmp\tFahrenheih" + caps;
    QTest::newRow("400 mOhm, no unit lit") << "400 mOhm" << false << ""
                                           << "No.s\tTime\tV\t400 mOhm\tAmp\t" + caps;
    QTest::newRow("4 Ohm") << "4 Ohm" << true << ""
                           << "No.s\tTime\tV\t4 Ohm\tmAmp\t" + caps;
    QTest::newRow("40 Ohm") << "40 Ohm" << false << "Celsius"
                            << "No.s\tTime\tV\t40 Ohm\tAmp\tCelsius" + caps;
    QTest::newRow("400 Ohm") << "400 Ohm" << false << "Celsius"
                             << "No.s\tTime\tV\t400 Ohm\tAmp\tCelsius" + caps;
}

void TestDataFileLines::recorderHeader()
{
    QFETCH(QString, range);
    QFETCH(bool, milliAmps);
    QFETCH(QString, unit);
    QCOMPARE(dataFileBytes(::recorderHeader(range, milliAmps, unit)), fetched<QByteArray>("bytes"));
}

void TestDataFileLines::recorderLine_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<bool>>("capMilli");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("texts as decoded, blanks and signs kept")
        << 1 << QStringList{"12.53", " 41.2", "-0.511", " 25.3", "105.0", "0.0", "105.0"}
        << QList<bool>{true, true, true}
        << QByteArray("1\t10:15:02\t12.53\t 41.2\t-0.511\t 25.3\t105.0(m)\t0.0(m)\t105.0(m)\r\n");
    QTest::newRow("(m) on Out-Cap only")
        << 36001 << QStringList{"-OL", "0567", "1.250", "-12.5", "1234", "1234", "1.234"}
        << QList<bool>{false, true, false}
        << QByteArray("36001\t10:15:02\t-OL\t0567\t1.250\t-12.5\t1234\t1234(m)\t1.234\r\n");
    QTest::newRow("empty texts keep their tabs")
        << 7 << QStringList{"", "", "", "", "", "", ""} << QList<bool>{false, false, true}
        << QByteArray("7\t10:15:02\t\t\t\t\t\t\t(m)\r\n");
}

void TestDataFileLines::recorderLine()
{
    const QList<bool> milli = fetched<QList<bool>>("capMilli");
    const CurrentReading r =
        readingWith(fetched<QStringList>("texts"), {milli[0], milli[1], milli[2]});
    const QString sample = ReadingLine(QStringLiteral("10:15:02"), r);
    QCOMPARE(sample.count(QLatin1Char('\t')), 7);
    QCOMPARE(dataFileBytes(::recorderLine(fetched<int>("count"), sample)),
             fetched<QByteArray>("bytes"));
}

void TestDataFileLines::gridSaveLine_data()
{
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("titles, the last one too followed by a tab")
        << QStringList{"No.s",    "Time",    "V",        "40 mOhm", "Amp",
                       "Celsius", "In-Cap ", "Out-Cap ", "T-Cap "}
        << QByteArray("No.s\tTime\tV\t40 mOhm\tAmp\tCelsius\tIn-Cap \tOut-Cap \tT-Cap \t\r\n");
    QTest::newRow("empty cell gives two adjacent tabs")
        << QStringList{"1", "", " 41.2"} << QByteArray("1\t\t 41.2\t\r\n");
    QTest::newRow("12 columns give 12 cells")
        << QStringList{"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l"}
        << QByteArray("a\tb\tc\td\te\tf\tg\th\ti\tj\tk\tl\t\r\n");
    QTest::newRow("Latin-1 byte for byte")
        << QStringList{QString::fromLatin1("25\xb0")} << QByteArray("25\xb0\t\r\n");
}

void TestDataFileLines::gridSaveLine()
{
    const QStringList cells = fetched<QStringList>("cells");
    QCOMPARE(dataFileBytes(::gridSaveLine(views(cells))), fetched<QByteArray>("bytes"));
}

void TestDataFileLines::printLine_data()
{
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QString>("line");
    QTest::newRow("a record, 88 characters")
        << QStringList{"1",     "10:15:02", "12.53",  " 41.2",   "-0.511",
                       " 25.3", "105.0(m)", "0.0(m)", "105.0(m)"}
        << QString("1      10:15:02  12.53     41.2    -0.511    25.3      105.0(m)   "
                   "0.0(m)      105.0(m)  ");
    QTest::newRow("empty cell prints blanks of its width")
        << QStringList{"", "", "", "", "", "", "", "", ""} << QString(88, ' ');
    QTest::newRow("12 columns print 9")
        << QStringList{"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l"}
        << QString("a      b         c        d        e        f          g          "
                   "h           i         ");
    QTest::newRow("a wider cell whole, one blank, the rest moved right")
        << QStringList{"1", "10:15:02", "12.34 / 40 mOhm", "x", "", "", "", "", ""}
        << QString("1      10:15:02  12.34 / 40 mOhm x        ") + QString(53, ' ');
    QTest::newRow("a cell exactly as wide as its column")
        << QStringList{"1234567", "x"} << QString("1234567x         ");
}

void TestDataFileLines::printLine()
{
    const QStringList cells = fetched<QStringList>("cells");
    const QString line = ::printLine(views(cells));
    QCOMPARE(line, fetched<QString>("line"));
}

void TestDataFileLines::stamps_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("interval");
    QTest::addColumn<QStringList>("next");
    QTest::newRow("start + 2 s") << "10:15:00" << 2 << QStringList{"10:15:02", "10:15:04"};
    QTest::newRow("past midnight") << "23:59:59" << 2 << QStringList{"00:00:01", "00:00:03"};
    QTest::newRow("a whole day gives the same stamp")
        << "08:30:00" << 86400 << QStringList{"08:30:00", "08:30:00"};
    QTest::newRow("an hour") << "23:30:00" << 3600 << QStringList{"00:30:00", "01:30:00"};
    QTest::newRow("unreadable stamp counts as midnight") << "" << 5 << QStringList{"00:00:05"};
}

void TestDataFileLines::stamps()
{
    QString stamp = fetched<QString>("start");
    for (const QString& expected : fetched<QStringList>("next")) {
        stamp = nextSampleStamp(stamp, fetched<int>("interval"));
        QCOMPARE(stamp, expected);
    }
}

void TestDataFileLines::scheduleSamplesAtTheRightTicks_data()
{
    QTest::addColumn<int>("interval");
    QTest::addColumn<int>("newIntervalAfterTick"); // 0: none
    QTest::addColumn<QList<int>>("sampledTicks");
    QTest::newRow("default 2 s") << 2 << 0 << QList<int>{1, 3, 5, 7};
    QTest::newRow("1 s: every tick") << 1 << 0 << QList<int>{1, 2, 3, 4, 5, 6, 7, 8};
    QTest::newRow("3 s") << 3 << 0 << QList<int>{1, 4, 7};
    QTest::newRow("a new interval samples at the next tick") << 5 << 2 << QList<int>{1, 3, 8};
}

void TestDataFileLines::scheduleSamplesAtTheRightTicks()
{
    QFETCH(int, interval);
    QFETCH(int, newIntervalAfterTick);
    qint32 count = 0;
    QList<int> sampled;
    for (int tick = 1; tick <= 8; ++tick) {
        if (sampleDue(count, interval)) {
            sampled << tick;
            count = 1;
        } else {
            ++count;
        }
        if (tick == newIntervalAfterTick)
            count = 0; // as the sampling command does
    }
    QCOMPARE(sampled, fetched<QList<int>>("sampledTicks"));
}

void TestDataFileLines::stopCheck_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("range");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<bool>("milliAmps");
    QTest::addColumn<bool>("stops");
    QTest::newRow("same units") << 36000 << "40 mOhm"
                                << "Celsius" << false << false;
    QTest::newRow("36001 records") << 36001 << "40 mOhm"
                                   << "Celsius" << false << true;
    QTest::newRow("range changed") << 1 << "4 Ohm"
                                   << "Celsius" << false << true;
    QTest::newRow("unit changed") << 1 << "40 mOhm"
                                  << "Fahrenheih" << false << true;
    QTest::newRow("unit gone out") << 1 << "40 mOhm"
                                   << "" << false << true;
    QTest::newRow("mA changed") << 1 << "40 mOhm"
                                << "Celsius" << true << true;
}

void TestDataFileLines::stopCheck()
{
    CurrentReading r;
    r.RangeText = fetched<QString>("range");
    r.TempUnitText = fetched<QString>("unit");
    r.milliAmps = fetched<bool>("milliAmps");
    const SampleUnits started{QStringLiteral("40 mOhm"), QStringLiteral("Celsius"), false};
    QCOMPARE(mustStopRecording(fetched<int>("count"), r, started), fetched<bool>("stops"));
}

void TestDataFileLines::intervalEntries_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("seconds"); // -1: not a number
    QTest::newRow("0") << "0" << 86400 << 1;
    QTest::newRow("-5") << "-5" << 86400 << 1;
    QTest::newRow("2.5 to the even 2") << "2.5" << 86400 << 2;
    QTest::newRow("3.5 to the even 4") << "3.5" << 86400 << 4;
    QTest::newRow("2.6") << "2.6" << 86400 << 3;
    QTest::newRow("255.5 on the meter") << "255.5" << 255 << 255;
    QTest::newRow("86400.5") << "86400.5" << 86400 << 86400;
    QTest::newRow("86401") << "86401" << 86400 << 86400;
    QTest::newRow("blanks around") << " 7 " << 86400 << 7;
    QTest::newRow("1e30 clamps") << "1e30" << 86400 << 86400;
    QTest::newRow("-1e30 clamps") << "-1e30" << 255 << 1;
    QTest::newRow("abc") << "abc" << 86400 << -1;
    QTest::newRow("nan") << "nan" << 86400 << -1;
    QTest::newRow("inf") << "inf" << 255 << -1;
    QTest::newRow("digits then letters") << "12abc" << 86400 << -1;
    QTest::newRow("decimal comma") << "2,5" << 86400 << -1;
    QTest::newRow("blanks only") << "  " << 86400 << -1;
}

void TestDataFileLines::intervalEntries()
{
    const std::optional<int> seconds =
        intervalFromEntry(fetched<QString>("entry"), 1, fetched<int>("maximum"));
    QCOMPARE(seconds.value_or(-1), fetched<int>("seconds"));
}

// The CSV rules over the value texts of the files and lists: the titles (a header line) name
// the units, each line is a row of a file or list, and `csv` is the header and the rows made.
void TestDataFileLines::csvRows_data()
{
    QTest::addColumn<QString>("titles");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("csv");
    const QString recorder = ::recorderHeader("400 mOhm", true, "Celsius");
    const QString manual =
        "No.s\tTime\tV\t(m)Ohm\tAmp\tTemp\tIn-Cap(m)Ah\tOut-Cap(m)Ah\tT-Cap(m)Ah\t";
    const QString headC = csvHeader(TemperatureUnit::Celsius);
    const QString headF = csvHeader(TemperatureUnit::Fahrenheit);
    const QDate dec8(2026, 12, 8);

    QTest::newRow("mOhm, mA and mAh move three places, resolution kept")
        << recorder << dec8
        << QStringList{"1\t10:49:33\t12.53\t 41.2\t-511.0\t 25.3\t105.0(m)\t0.0(m)\t6.597(m)"}
        << QStringList{headC, "1,2026-12-08T10:49:33,0,12.53,0.0412,-0.5110,25.3,0.1050,"
                              "0.0000,0.006597,,+01:00"};
    QTest::newRow("Ohm, A and Ah as shown, leading zeros dropped")
        << ::recorderHeader("4 Ohm", false, "Celsius") << dec8
        << QStringList{"7\t09:30:05\t03.91\t1.250\t0.045\t 25.0\t0.694\t000.1\t.5"}
        << QStringList{headC, "7,2026-12-08T09:30:05,0,3.91,1.250,0.045,25.0,0.694,0.1,0.5,,"
                              "+01:00"};
    QTest::newRow("a grid save: its trailing tab, a summer date")
        << recorder + "\t" << QDate(2026, 7, 1)
        << QStringList{"1\t10:15:01\t12.53\t 41.2\t-511.0\t 25.3\t105.0(m)\t0.0(m)\t105.0(m)\t"}
        << QStringList{headC, "1,2026-07-01T10:15:01,0,12.53,0.0412,-0.5110,25.3,0.1050,"
                              "0.0000,0.1050,,+02:00"};
    QTest::newRow("overloads of every kind: empty cells, named in flags")
        << recorder << dec8
        << QStringList{"1\t10:00:00\t OL \t0.0L\t-OL \t  0L\t0L(m)\t-0L\t12.5(m)"}
        << QStringList{headC, "1,2026-12-08T10:00:00,0,,,,,,,0.0125,OL:voltage "
                              "OL:resistance -OL:current OL:temperature OL:in_capacity "
                              "-OL:out_capacity,+01:00"};
    QTest::newRow("negative values, padded signs, no negative zero")
        << recorder << dec8
        << QStringList{"1\t10:00:00\t-12.34\t 0.000\t- 1.2\t-05.5\t-0.000\t-1.5(m)\t0"}
        << QStringList{headC, "1,2026-12-08T10:00:00,0,-12.34,0.000000,-0.0012,-5.5,"
                              "0.000,-0.0015,0,,+01:00"};
    QTest::newRow("blank values are empty cells alone; texts that are no number are flagged")
        << recorder << dec8 << QStringList{"1\t10:00:00\t    \t-\t----\t12.3.4\tU\t\t 1C"}
        << QStringList{headC, "1,2026-12-08T10:00:00,0,,,,,,,,?:current ?:temperature "
                              "?:in_capacity ?:total_capacity,+01:00"};
    QTest::newRow("Fahrenheit as the recorder spells it")
        << ::recorderHeader("40 mOhm", false, "Fahrenheih") << dec8
        << QStringList{"1\t10:00:00\t12.00\t03.45\t1.250\t 77.2\t0.000\t0.000\t0.000"}
        << QStringList{headF, "1,2026-12-08T10:00:00,0,12.00,0.00345,1.250,77.2,0.000,"
                              "0.000,0.000,,+01:00"};
    QTest::newRow("no unit named: temperature and resistance flagged")
        << ::recorderHeader("? Ohm", false, "") << dec8
        << QStringList{"1\t10:00:00\t12.00\t1234\t1.250\t 25.0\t0.000\t0.000\t0.000",
                       "2\t10:00:02\t12.00\t    \t1.250\t    \t0.000\t0.000\t0.000"}
        << QStringList{headC,
                       "1,2026-12-08T10:00:00,0,12.00,,1.250,,0.000,0.000,0.000,"
                       "?:resistance ?:temperature,+01:00",
                       "2,2026-12-08T10:00:02,2,12.00,,1.250,,0.000,0.000,0.000,,+01:00"};
    QTest::newRow("the date rolls over at midnight, elapsed runs on")
        << recorder << dec8
        << QStringList{"1\t23:59:58\t1\t\t\t\t\t\t", "2\t00:00:01\t1\t\t\t\t\t\t",
                       "3\t23:00:00\t1\t\t\t\t\t\t", "4\t23:00:00\t1\t\t\t\t\t\t",
                       "5\t01:00:00\t1\t\t\t\t\t\t"}
        << QStringList{headC,
                       "1,2026-12-08T23:59:58,0,1,,,,,,,,+01:00",
                       "2,2026-12-09T00:00:01,3,1,,,,,,,,+01:00",
                       "3,2026-12-09T23:00:00,82802,1,,,,,,,,+01:00",
                       "4,2026-12-09T23:00:00,82802,1,,,,,,,,+01:00",
                       "5,2026-12-10T01:00:00,90002,1,,,,,,,,+01:00"};
    // The offset changes in the night of the change to summer time; the hour skipped is no
    // time that passed.
    QTest::newRow("the offset of each row's own day and time")
        << recorder << QDate(2026, 3, 28)
        << QStringList{"1\t23:00:00\t1\t\t\t\t\t\t", "2\t01:30:00\t1\t\t\t\t\t\t",
                       "3\t03:30:00\t1\t\t\t\t\t\t"}
        << QStringList{headC, "1,2026-03-28T23:00:00,0,1,,,,,,,,+01:00",
                       "2,2026-03-29T01:30:00,9000,1,,,,,,,,+01:00",
                       "3,2026-03-29T03:30:00,12600,1,,,,,,,,+02:00"};
    QTest::newRow("no date: the time of day alone, no offset, elapsed across midnight")
        << recorder << QDate()
        << QStringList{"1\t23:59:59\t1\t\t\t\t\t\t", "2\t00:00:01\t1\t\t\t\t\t\t"}
        << QStringList{headC, "1,23:59:59,0,1,,,,,,,,", "2,00:00:01,2,1,,,,,,,,"};
    QTest::newRow("a row without a time of day is flagged and counts no midnight")
        << recorder << dec8
        << QStringList{"1\t12:00:00\t1", "2\t\t1", "3\t1U:--:5 \t1", "4\t11:00:00\t1"}
        << QStringList{headC, "1,2026-12-08T12:00:00,0,1,,,,,,,,+01:00", "2,,,1,,,,,,,?:time,",
                       "3,,,1,,,,,,,?:time,", "4,2026-12-09T11:00:00,82800,1,,,,,,,,+01:00"};
    // Manual readings were stored one by one, whenever the key was pressed: no sequence in
    // time, so an earlier time of day is no next day and there is no elapsed time.
    QTest::newRow("manual list: units in each cell, the first unit heads the column")
        << manual << dec8
        << QStringList{"1\t10:45:12\t12.64\t03.47 / 40 mOhm\t1.250\t 77.2 F\t125.0 (m)\t0.000\t"
                       "1.5 (m)",
                       "2\t08:15:30\t1.298\t0.210 / 400 mOhm\t120.5(m)\t 23.9 C\t15.62 (m)\t"
                       "0.000\t0.000",
                       "3\t14:03:00\t0.0L\t0.000 / ? Ohm\t0.0L(m)\t    \t0.000\t0.000\t0.000",
                       "4\t\t1\t\t\t\t\t\t"}
        << QStringList{headF, "1,10:45:12,,12.64,0.00347,1.250,77.2,0.1250,0.000,0.0015,,",
                       "2,08:15:30,,1.298,0.000210,0.1205,75.02,0.01562,0.000,0.000,,",
                       "3,14:03:00,,,,,,0.000,0.000,0.000,OL:voltage ?:resistance OL:current,",
                       "4,,,1,,,,,,,?:time,"};
    QTest::newRow("manual list: Celsius heads, Fahrenheit converted")
        << manual << QDate()
        << QStringList{"1\t10:00:00\t1\t\t\t-05.0 C\t\t\t", "2\t10:00:01\t1\t\t\t 77.2 F\t\t\t"}
        << QStringList{headC, "1,10:00:00,,1,,,-5.0,,,,,", "2,10:00:01,,1,,,25.11,,,,,"};
    QTest::newRow("record cells quoted as RFC 4180 has it")
        << recorder << QDate()
        << QStringList{"1,5\t10:00:00", "say \"2\"\t10:00:01", " 3 \t10:00:02"}
        << QStringList{headC, "\"1,5\",10:00:00,0,,,,,,,,,",
                       "\"say \"\"2\"\"\",10:00:01,1,,,,,,,,,", "3,10:00:02,2,,,,,,,,,"};
}

void TestDataFileLines::csvRows()
{
    const CsvSource source = CsvSource::fromHeader(fetched<QString>("titles"));
    const QStringList lines = fetched<QStringList>("lines");
    QList<QStringList> rows;
    for (const QString& line : lines)
        rows << line.split(QLatin1Char('\t'));
    const TemperatureUnit unit = temperatureColumnUnit(
        source, rows.size(), [&](qsizetype r) { return QStringView(rows[r].value(5)); });
    CsvReadings csv(unit, fetched<QDate>("date"));
    QStringList made{csv.header()};
    for (const QStringList& cells : rows)
        made << csv.row(views(cells), source);
    QCOMPARE(made, fetched<QStringList>("csv"));
}

// A live reading carries its own units and its date; elapsed_s counts on the monotonic clock,
// to the millisecond, so a clock set meanwhile moves date_time only. The first row after
// skipped samples says how long since the row before.
void TestDataFileLines::csvLiveRows()
{
    CurrentReading r = readingWith({"3.912", "500.0", "045.0", " 77.2", "1.389", "0.0L", "2.777"},
                                   {true, false, true});
    r.milliAmps = true;
    r.RangeText = QStringLiteral("4 Ohm");
    r.TempUnitText = QStringLiteral("Fahrenheih");
    const QDateTime first(QDate(2026, 12, 8), QTime(23, 59, 59));
    CsvReadings csv(TemperatureUnit::Celsius);
    QCOMPARE(csv.row(1, first, 5000, r), QString("1,2026-12-08T23:59:59,0,3.912,500.0,0.0450,25.11,"
                                                 "0.001389,,0.002777,OL:out_capacity,+01:00"));
    r.milliAmps = false;
    r.RangeText = QStringLiteral("40 mOhm");
    r.TempUnitText = QStringLiteral("Celsius");
    QCOMPARE(csv.row(2, first.addMSecs(1500), 6500, r),
             QString("2,2026-12-09T00:00:00,1.5,3.912,0.5000,45.0,77.2,0.001389,,0.002777,"
                     "OL:out_capacity,+01:00"));
    // The clock was set back an hour; 12.25 s passed with samples skipped.
    QCOMPARE(csv.row(3, first.addSecs(-3600).addMSecs(13750), 18750, r, true),
             QString("3,2026-12-08T23:00:12,13.75,3.912,0.5000,45.0,77.2,0.001389,,0.002777,"
                     "gap:12.25 OL:out_capacity,+01:00"));
    QCOMPARE(csv.row(4, QDateTime(QDate(2026, 7, 1), QTime(9, 0)), 19750, r).section(',', 1, 2),
             QString("2026-07-01T09:00:00,14.75"));
    QCOMPARE(csvBytes(u"a,b"), QByteArray("a,b\n"));
}

// The date offered for a file's first row, from when the file was last written; and the date
// of a live stamp near midnight.
void TestDataFileLines::csvFirstDates_data()
{
    QTest::addColumn<QStringList>("times");
    QTest::addColumn<QDateTime>("lastWritten");
    QTest::addColumn<QDate>("first");
    const QDateTime dec8(QDate(2026, 12, 8), QTime(12, 0));
    QTest::newRow("written after its last row")
        << QStringList{"10:00:00", "11:59:00"} << dec8 << QDate(2026, 12, 8);
    QTest::newRow("a stamp a little ahead of the clock")
        << QStringList{"11:59:00", "12:05:00"} << dec8 << QDate(2026, 12, 8);
    QTest::newRow("last row before midnight, written after")
        << QStringList{"23:59:58"} << QDateTime(QDate(2026, 12, 9), QTime(0, 0, 3))
        << QDate(2026, 12, 8);
    QTest::newRow("two midnights passed")
        << QStringList{"22:00:00", "02:00:00", "23:00:00", "01:00:00", "bad"} << dec8
        << QDate(2026, 12, 6);
    QTest::newRow("no times") << QStringList{"", "xx"} << dec8 << QDate(2026, 12, 8);
}

void TestDataFileLines::csvFirstDates()
{
    TimeOfDayRun run;
    for (const QString& time : fetched<QStringList>("times"))
        (void)run.next(time);
    QCOMPARE(run.firstDate(fetched<QDateTime>("lastWritten")), fetched<QDate>("first"));
    const QDateTime now(QDate(2026, 12, 8), QTime(0, 0, 2));
    QCOMPARE(dateNearest(QTime(23, 59, 58), now), QDate(2026, 12, 7));
    QCOMPARE(dateNearest(QTime(0, 0, 5), now), QDate(2026, 12, 8));
    QCOMPARE(dateNearest(QTime(0, 0, 1), QDateTime(QDate(2026, 12, 8), QTime(23, 59, 59))),
             QDate(2026, 12, 9));
}

QTEST_APPLESS_MAIN(TestDataFileLines)
#include "tst_datafilelines.moc"
