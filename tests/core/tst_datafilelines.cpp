// The data-file lines byte for byte, and the sample tick's decisions.
#include "DataFileLines.h"
#include "Fetch.h"
#include "SampleSchedule.h"

#include <QTest>

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
};

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

QTEST_APPLESS_MAIN(TestDataFileLines)
#include "tst_datafilelines.moc"
