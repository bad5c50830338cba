// The stored readings as the lists show them: automatic sets decoded with their format byte,
// manual records (made by the emulator's encoder) through the display decoders.
#include "Fetch.h"
#include "MemoryRecords.h"
#include "SimMemory.h"

#include <QTest>

namespace {

// The six digit pairs after the voltage: resistance 1234, current 1234, temperature 0250,
// In-Cap 0123, Out-Cap 0456, T-Cap 0789.
const QByteArray kDigits = QByteArray::fromHex("123412340250012304560789");

QByteArray reading(quint16 volt, quint8 flagsA = 0, quint8 flagsB = 0,
                   const QByteArray& digits = kDigits)
{
    QByteArray r;
    r.append(char(volt >> 8)).append(char(volt & 0xFF));
    r.append(digits);
    r.append(char(flagsA)).append(char(flagsB));
    return r;
}

QByteArray setOf(quint8 format, const QList<QByteArray>& readings)
{
    QByteArray s("\x00\x55\xAA\x00\x02\x00\x09\x30\x05", 9);
    s.append(char(format));
    for (const QByteArray& r : readings)
        s.append(r);
    return s;
}

QStringList column(SetDecoder& decoder, int c)
{
    QStringList cells;
    for (int k = 1; k <= decoder.count(); ++k)
        cells.append(decoder.row(k).split(QLatin1Char('\t')).value(c));
    return cells;
}

SimReading simReading(const std::function<void(SimReading&)>& change = {})
{
    SimReading r;
    r.hours = QStringLiteral("10");
    r.minutes = QStringLiteral("45");
    r.seconds = QStringLiteral("12");
    if (change)
        change(r);
    return r;
}

// A manual record whose In-Cap point field is replaced by `field`.
QByteArray withInCapPointField(QByteArray record, int field)
{
    const int byte29 = 21 + 6;
    record[byte29] = char((quint8(record[byte29]) & ~0x0E) | (field << 1));
    return record;
}

} // namespace

class TestMemoryRecords : public QObject
{
    Q_OBJECT
private slots:
    void setFormat_data();
    void setFormat();
    void setCells_data();
    void setCells();
    void wholeSetRow();
    void manualCells_data();
    void manualCells();
    void manualRow();
};

void TestMemoryRecords::setFormat_data()
{
    QTest::addColumn<quint8>("format");
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("range");
    QTest::addColumn<QString>("unit");
    QTest::newRow("0x90") << quint8(0x90) << "mAmp"
                          << "40 mOhm"
                          << "Celsius";
    QTest::newRow("Amp, range 0, Fahrenheit") << quint8(0x0C) << "Amp"
                                              << "? Ohm"
                                              << "Fahrenheit";
    QTest::newRow("range 2 is unknown too") << quint8(0xA4) << "Amp"
                                            << "? Ohm"
                                            << "Celsius";
    QTest::newRow("400 Ohm") << quint8(0xF8) << "Amp"
                             << "400 Ohm"
                             << "Celsius";
}

void TestMemoryRecords::setFormat()
{
    const SetFormat f = decodeSetFormat(fetched<quint8>("format"));
    QCOMPARE(f.currentTitle, fetched<QString>("current"));
    QCOMPARE(f.rangeText, fetched<QString>("range"));
    QCOMPARE(f.tempUnitText, fetched<QString>("unit"));
}

void TestMemoryRecords::setCells_data()
{
    QTest::addColumn<quint8>("format");
    QTest::addColumn<QList<QByteArray>>("readings");
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("interval");
    QTest::addColumn<int>("column");
    QTest::addColumn<QStringList>("cells");
    using L = QList<QByteArray>;
    const L one{reading(1270)};

    // Resistance: the point from the range.
    const struct
    {
        quint8 format;
        const char* text;
    } ranges[] = {{0x90, "12.34"}, {0xB0, "123.4"}, {0xC0, "1.234"}, {0xD0, "1.234"},
                  {0xE0, "12.34"}, {0xF0, "123.4"}, {0x80, "1234"},  {0xA0, "1234"}};
    for (const auto& r : ranges)
        QTest::addRow("resistance, format 0x%02X", r.format)
            << r.format << one << "09:30:05" << 2 << 3 << QStringList{r.text};
    QTest::newRow("resistance with L: no point")
        << quint8(0x90) << L{reading(1270, 0, 0, QByteArray::fromHex("AA0C") + kDigits.mid(2))}
        << "09:30:05" << 2 << 3 << QStringList{"  0L"};

    // Current: the four scales and the sign.
    const struct
    {
        quint8 format;
        const char* text;
    } scales[] = {{0x90, "123.4"}, {0x94, "1.234"}, {0x98, "12.34"}, {0x9C, "123.4"}};
    for (const auto& s : scales)
        QTest::addRow("current, scale %d", (s.format >> 2) & 3)
            << s.format << one << "09:30:05" << 2 << 4 << QStringList{s.text};
    QTest::newRow("current minus")
        << quint8(0x94) << L{reading(1270, 0x20)} << "09:30:05" << 2 << 4 << QStringList{"-1.234"};
    QTest::newRow("temperature, point after 3, minus")
        << quint8(0x90) << L{reading(1270), reading(1270, 0x10)} << "09:30:05" << 2 << 5
        << QStringList{"025.0", "-025.0"};

    // Voltage modes; mode 6 repeats the text before it.
    QTest::newRow("voltage modes")
        << quint8(0x90)
        << L{reading(345),   reading(12345), reading(20345), reading(31234), reading(40000),
             reading(60000), reading(50000), reading(65535), reading(9)}
        << "09:30:05" << 2 << 2 << QStringList{"0.345", "23.45", "-0.345", "-12.34", " OL ",
                                               " OL ",  "-OL ",  "-OL ",   "0.009"};
    QTest::newRow("mode 6 on the first reading is empty")
        << quint8(0x90) << L{reading(60000), reading(1270)} << "09:30:05" << 2 << 2
        << QStringList{"", "1.270"};

    // Capacities: point codes of flag byte B (others: no point), milli flags.
    QTest::newRow("In-Cap point codes and mAh")
        << quint8(0x90)
        << L{reading(1, 0, 0x03), reading(1, 0, 0x04), reading(1, 0, 0x08), reading(1, 0, 0x00),
             reading(1, 0, 0x06), reading(1, 0, 0x0A), reading(1, 0, 0x0E)}
        << "09:30:05" << 2 << 6
        << QStringList{"012.3(m)", "01.23", "0.123", "0123", "0123", "0123", "0123"};
    QTest::newRow("an unmapped code after a mapped one keeps no point")
        << quint8(0x90) << L{reading(1, 0, 0x20), reading(1, 0, 0x60)} << "09:30:05" << 2 << 7
        << QStringList{"045.6", "0456"};
    QTest::newRow("Out-Cap point code 4 and mAh")
        << quint8(0x90) << L{reading(1, 0, 0x90)} << "09:30:05" << 2 << 7
        << QStringList{"0.456(m)"};
    QTest::newRow("T-Cap position from flag A, sign and mAh")
        << quint8(0x90)
        << L{reading(1, 0x00), reading(1, 0x04), reading(1, 0x08), reading(1, 0x0C),
             reading(1, 0x0F)}
        << "09:30:05" << 2 << 8 << QStringList{"0789", "0.789", "07.89", "078.9", "-078.9(m)"};

    // Times.
    QTest::newRow("across midnight")
        << quint8(0x90) << L{reading(1), reading(1), reading(1)} << "23:59:55" << 10 << 1
        << QStringList{"23:59:55", "00:00:05", "00:00:15"};
    QTest::newRow("interval 0 repeats the time")
        << quint8(0x90) << L{reading(1), reading(1)} << "12:00:00" << 0 << 1
        << QStringList{"12:00:00", "12:00:00"};
    QTest::newRow("a start that is no time of day")
        << quint8(0x90) << L{reading(1), reading(1), reading(1)} << "25:00:00" << 10 << 1
        << QStringList{"25:00:00", "", ""};
    QTest::newRow("BCD gone wrong") << quint8(0x90) << L{reading(1), reading(1)} << "AB:0F:FF" << 10
                                    << 1 << QStringList{"AB:0F:FF", ""};
}

void TestMemoryRecords::setCells()
{
    const QByteArray set = setOf(fetched<quint8>("format"), fetched<QList<QByteArray>>("readings"));
    SetDecoder decoder(set, fetched<QString>("start"), fetched<int>("interval"));
    QCOMPARE(column(decoder, fetched<int>("column")), fetched<QStringList>("cells"));
}

void TestMemoryRecords::wholeSetRow()
{
    // A partial reading at the end is not one.
    const QByteArray set = setOf(0x90, {reading(1270, 0x05, 0x33)}) + QByteArray(9, '\x11');
    SetDecoder decoder(set, QStringLiteral("09:30:05"), 2);
    QCOMPARE(decoder.count(), 1);
    QCOMPARE(decoder.row(1),
             QString("1\t09:30:05\t1.270\t12.34\t123.4\t025.0\t012.3(m)\t045.6(m)\t0.789(m)"));
    QVERIFY(decoder.row(2).isEmpty());

    SetDecoder empty(QByteArray(), QStringLiteral("09:30:05"), 2);
    QCOMPARE(empty.count(), 0);
    QVERIFY(!empty.hasHeader());
}

void TestMemoryRecords::manualCells_data()
{
    QTest::addColumn<QList<QByteArray>>("records");
    QTest::addColumn<int>("column");
    QTest::addColumn<QStringList>("cells");
    using L = QList<QByteArray>;
    const auto record = [](const std::function<void(SimReading&)>& change) {
        return encodeManualRecord(simReading(change));
    };

    L ranges;
    for (int code = 0; code < 8; ++code)
        ranges.append(record([code](SimReading& r) { r.rangeCode = quint8(code); }));
    QTest::newRow("every range code")
        << ranges << 3
        << QStringList{"3.450 / ? Ohm",  "3.450 / 40 mOhm", "3.450 / ? Ohm",  "3.450 / 400 mOhm",
                       "3.450 / 4 mOhm", "3.450 / 4 Ohm",   "3.450 / 40 Ohm", "3.450 / 400 Ohm"};
    QTest::newRow("mA, then A again") << L{record([](SimReading& r) {
                                               r.milliAmps = true;
                                               r.current = QStringLiteral("120.5");
                                           }),
                                           record({})}
                                      << 4 << QStringList{"120.5(m)", "1.250"};
    QTest::newRow("negative current")
        << L{record([](SimReading& r) { r.current = QStringLiteral("-01.25"); })} << 4
        << QStringList{"-01.25"};
    QTest::newRow("Celsius, Fahrenheit, four blanks, minus")
        << L{record({}), record([](SimReading& r) {
                 r.tempUnit = SimReading::TempUnit::Fahrenheit;
                 r.temperature = QStringLiteral("77.0");
             }),
             record([](SimReading& r) { r.temperature = QStringLiteral("    "); }),
             record([](SimReading& r) { r.temperature = QStringLiteral("-025.0"); })}
        << 5 << QStringList{" 25.0 C", " 77.0 F", "    ", "-025.0 C"};
    QTest::newRow("capacities in mAh take a blank before (m)") << L{record([](SimReading& r) {
        r.inCap = QStringLiteral("125.0");
        r.outCap = QStringLiteral("-12.50");
        r.capMilli = {true, true, false};
    })} << 6 << QStringList{"125.0 (m)"};
    QTest::newRow("an unmapped capacity code keeps the point before it")
        << L{record([](SimReading& r) { r.inCap = QStringLiteral("12.50"); }),
             withInCapPointField(record([](SimReading& r) { r.inCap = QStringLiteral("34.56"); }),
                                 3)}
        << 6 << QStringList{"12.50", "34.56"};
    QTest::newRow("time from bytes 18-20") << L{record({})} << 1 << QStringList{"10:45:12"};
    QTest::newRow("numbered from 1") << L{record({}), record({})} << 0 << QStringList{"1", "2"};
}

void TestMemoryRecords::manualCells()
{
    CurrentReading live;
    live.TempUnitText = QStringLiteral("Fahrenheih");
    ManualDecoder decoder(live);
    QStringList cells;
    int k = 0;
    for (const QByteArray& record : fetched<QList<QByteArray>>("records"))
        cells.append(
            decoder.row(++k, record).split(QLatin1Char('\t')).value(fetched<int>("column")));
    QCOMPARE(cells, fetched<QStringList>("cells"));
}

void TestMemoryRecords::manualRow()
{
    ManualDecoder decoder{CurrentReading()};
    const SimReading r = simReading([](SimReading& s) {
        s.outCap = QStringLiteral("-12.50");
        s.capMilli = {false, true, true};
        s.tCap = QStringLiteral("0.694");
    });
    QCOMPARE(decoder.row(3, encodeManualRecord(r)),
             QString("3\t10:45:12\t12.60\t3.450 / 40 mOhm\t1.250\t 25.0 C\t0.000\t-12.50 (m)\t"
                     "0.694 (m)"));
    // A record cut short reads as zeros: digits 0000 and no point.
    QCOMPARE(decoder.row(4, QByteArray(5, '\0')).split('\t').value(2), QString("0000"));
}

QTEST_MAIN(TestMemoryRecords)
#include "tst_memoryrecords.moc"
