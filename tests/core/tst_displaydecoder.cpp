#include "DisplayDecoder.h"
#include "Fetch.h"
#include "FrameBytes.h"
#include "MeterStatus.h"

#include <QRandomGenerator>
#include <QTest>

class TestDisplayDecoder : public QObject
{
    Q_OBJECT
private slots:
    void digitPair_data();
    void digitPair();
    void valueTexts_data();
    void valueTexts();
    void capacityPointKeptOnUnmappedCode();
    void pointFields_data();
    void pointFields();
    void capacityUnits_data();
    void capacityUnits();
    void indicatorOverrides();
    void temperatureUnitText_data();
    void temperatureUnitText();
    void fieldsAndByte34();
    void pointCellsLeftToBlinking_data();
    void pointCellsLeftToBlinking();
    void statusAnswer_data();
    void statusAnswer();
    void anyBytesAnyLength();
};

void TestDisplayDecoder::digitPair_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    QTest::addColumn<QString>("text");
    QTest::newRow("digits, blank, F") << 0x12 << 0xAB << "12 F";
    QTest::newRow("minus, L, U") << 0xF0 << 0xCD << "-0LU";
    QTest::newRow("leading zero kept") << 0x05 << 0x00 << "0500";
    QTest::newRow("C") << 0xEE << 0x99 << "CC99";
}

void TestDisplayDecoder::digitPair()
{
    QFETCH(int, first);
    QFETCH(int, second);
    QCOMPARE(DecodeDigitPair(first, second), fetched<QString>("text"));
}

void TestDisplayDecoder::valueTexts_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<int>("group");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("minusFlag");
    QTest::newRow("voltage point 2, minus")
        << frameWith({{2, 0x12}, {3, 0x34}, {23, 0x20}, {26, 0x10}}) << 0 << "-12.34" << true;
    QTest::newRow("voltage point code 3 = none")
        << frameWith({{2, 0x12}, {3, 0x34}, {23, 0x30}}) << 0 << "1234" << false;
    QTest::newRow("resistance never signed")
        << frameWith({{4, 0x03}, {5, 0x45}, {23, 0x01}, {26, 0x08}}) << 1 << "0.345" << true;
    QTest::newRow("current point 3, minus")
        << frameWith({{6, 0x12}, {7, 0x50}, {24, 0x40}, {26, 0x04}}) << 2 << "-125.0" << true;
    QTest::newRow("temperature minus byte 24")
        << frameWith({{8, 0xA2}, {9, 0x50}, {24, 0x0C}}) << 3 << "- 25.0" << true;
    QTest::newRow("In-Cap code 1 = after 3")
        << frameWith({{10, 0x01}, {11, 0x23}, {29, 0x02}}) << 4 << "012.3" << false;
    QTest::newRow("In-Cap code 4 = after 1")
        << frameWith({{10, 0x01}, {11, 0x23}, {29, 0x08}}) << 4 << "0.123" << false;
    QTest::newRow("Out-Cap minus")
        << frameWith({{12, 0x45}, {13, 0x67}, {29, 0x40}, {30, 0x20}}) << 5 << "-45.67" << true;
    QTest::newRow("T-Cap minus, point 1")
        << frameWith({{14, 0x98}, {15, 0x76}, {31, 0x02}, {30, 0x10}}) << 6 << "-987.6" << true;
    QTest::newRow("overload keeps its letters")
        << frameWith({{2, 0xA0}, {3, 0xCA}, {23, 0x20}}) << 0 << " 0.L " << false;
}

void TestDisplayDecoder::valueTexts()
{
    QFETCH(QByteArray, frame);
    QFETCH(int, group);
    CurrentReading r;
    decodeDisplayFrame(frame, r, false);
    QCOMPARE(r.valueTexts[group], fetched<QString>("text"));
    QCOMPARE(r.minus[group], fetched<bool>("minusFlag"));
}

void TestDisplayDecoder::capacityPointKeptOnUnmappedCode()
{
    CurrentReading r;
    decodeDisplayFrame(frameWith({{10, 0x01}, {11, 0x23}, {29, 0x04}}), r, false); // code 2
    QCOMPARE(r.valueTexts[CurrentReading::InCap], QString("01.23"));
    decodeDisplayFrame(frameWith({{10, 0x01}, {11, 0x23}, {29, 0x06}}), r, false); // code 3
    QCOMPARE(r.valueTexts[CurrentReading::InCap], QString("01.23"));
    decodeDisplayFrame(frameWith({{10, 0x01}, {11, 0x23}}), r, false); // code 0 clears
    QCOMPARE(r.valueTexts[CurrentReading::InCap], QString("0123"));
}

void TestDisplayDecoder::pointFields_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("voltage"); // groups 1-4: unmapped values drop the point
    QTest::addColumn<QString>("inCap");   // groups 5-7: unmapped values keep the last point
    QTest::newRow("0") << 0 << "1234"
                       << "1234";
    QTest::newRow("1") << 1 << "1.234"
                       << "123.4";
    QTest::newRow("2") << 2 << "12.34"
                       << "12.34";
    QTest::newRow("3") << 3 << "1234"
                       << "1.234";
    QTest::newRow("4") << 4 << "123.4"
                       << "1.234";
    QTest::newRow("5") << 5 << "1234"
                       << "1.234";
    QTest::newRow("6") << 6 << "1234"
                       << "1.234";
    QTest::newRow("7") << 7 << "1234"
                       << "1.234";
}

void TestDisplayDecoder::pointFields()
{
    const int field = fetched<int>("field");
    CurrentReading r;
    // The frame before put both points after the first digit.
    decodeDisplayFrame(frameWith({{23, 0x10}, {29, 0x08}}), r, false);
    decodeDisplayFrame(
        frameWith(
            {{2, 0x12}, {3, 0x34}, {10, 0x12}, {11, 0x34}, {23, field << 4}, {29, field << 1}}),
        r, false);
    QCOMPARE(r.valueTexts[CurrentReading::Voltage], fetched<QString>("voltage"));
    QCOMPARE(r.valueTexts[CurrentReading::InCap], fetched<QString>("inCap"));
}

void TestDisplayDecoder::capacityUnits_data()
{
    QTest::addColumn<int>("byte29");
    QTest::addColumn<int>("byte31");
    QTest::addColumn<QStringList>("units"); // In-Cap, Out-Cap, T-Cap
    QTest::newRow("none milli") << 0xEE << 0xFE << QStringList{"Ah", "Ah", "Ah"};
    QTest::newRow("In-Cap") << 0x01 << 0x00 << QStringList{"mAh", "Ah", "Ah"};
    QTest::newRow("Out-Cap") << 0x10 << 0x00 << QStringList{"Ah", "mAh", "Ah"};
    QTest::newRow("T-Cap") << 0x00 << 0x01 << QStringList{"Ah", "Ah", "mAh"};
}

void TestDisplayDecoder::capacityUnits()
{
    CurrentReading r;
    decodeDisplayFrame(frameWith({{29, fetched<int>("byte29")}, {31, fetched<int>("byte31")}}), r,
                       false);
    const QStringList units = fetched<QStringList>("units");
    for (int cap = 0; cap < 3; ++cap) {
        QCOMPARE(r.capUnitTexts[cap], units[cap]);
        QCOMPARE(r.capMilli[cap], units[cap] == "mAh");
    }
}

void TestDisplayDecoder::indicatorOverrides()
{
    CurrentReading r;
    decodeDisplayFrame(frameWith({{28, 0x01}, {30, 0x00}}), r, false);
    QVERIFY(!r.lit(Cell::LcdTCap));
    decodeDisplayFrame(frameWith({{28, 0x00}, {30, 0x08}}), r, false);
    QVERIFY(r.lit(Cell::LcdTCap));
    decodeDisplayFrame(frameWith({{33, 0x02}}), r, false);
    QVERIFY(!r.MeterRecordingFlag);
    decodeDisplayFrame(frameWith({{33, 0x06}}), r, false);
    QVERIFY(r.MeterRecordingFlag);
    decodeDisplayFrame(frameWith({{29, 0x11}, {31, 0x01}, {24, 0x80}}), r, false);
    QCOMPARE(r.capUnitTexts[0], QString("mAh"));
    QCOMPARE(r.capUnitTexts[2], QString("mAh"));
    QVERIFY(r.milliAmps && r.lit(Cell::LcdA_m) && r.lit(Cell::Lcdm_1));
    decodeDisplayFrame(frameWith({{32, 0x40}}), r, false);
    QVERIFY(r.lit(Cell::LcdNo) && r.lit(Cell::LineNo));
}

void TestDisplayDecoder::temperatureUnitText_data()
{
    QTest::addColumn<int>("byte27");
    QTest::addColumn<QString>("decoderText");
    QTest::addColumn<QString>("liveText");
    QTest::newRow("both: Celsius wins") << 0x0A << "Celsius"
                                        << "Celsius";
    QTest::newRow("Fahrenheit") << 0x02 << "Fahrenheit"
                                << "Fahrenheih";
    QTest::newRow("neither keeps / clears") << 0x00 << "previous"
                                            << "";
}

void TestDisplayDecoder::temperatureUnitText()
{
    QFETCH(int, byte27);
    CurrentReading stored;
    stored.TempUnitText = "previous";
    DecodeUnitFlags(byte27, stored);
    QCOMPARE(stored.TempUnitText, fetched<QString>("decoderText"));
    CurrentReading live;
    live.TempUnitText = "previous";
    decodeDisplayFrame(frameWith({{27, byte27}}), live, false);
    QCOMPARE(live.TempUnitText, fetched<QString>("liveText"));
}

void TestDisplayDecoder::fieldsAndByte34()
{
    CurrentReading r;
    decodeDisplayFrame(frameWith({{16, 0x08},
                                  {17, 0x55},
                                  {18, 0x12},
                                  {19, 0x34},
                                  {20, 0x09},
                                  {21, 0x30},
                                  {22, 0x45},
                                  {34, 0x97}}),
                       r, false);
    QCOMPARE(r.percentText, QString(" 85"));
    QCOMPARE(r.threeCharText, QString("512"));
    QCOMPARE(r.twoCharText, QString("34"));
    QCOMPARE(r.hoursText + r.minutesText + r.secondsText, QString("093045"));
    QCOMPARE(r.FunctionCode, 7);
    QCOMPARE(r.RangeCode, 1);
    QVERIFY(r.memoryFull);
    QCOMPARE(r.RangeText, QString("40 mOhm"));
    decodeDisplayFrame(frameWith({{16, 0x19}, {34, 0x20}}), r, false);
    QCOMPARE(r.RangeText, QString("40 mOhm")); // code 2 is unassigned
    QCOMPARE(r.percentText, QString("19 "));
    QVERIFY(!r.memoryFull);
}

void TestDisplayDecoder::pointCellsLeftToBlinking_data()
{
    QTest::addColumn<int>("previousFunction");
    QTest::addColumn<bool>("frozen");
    QTest::addColumn<QList<bool>>("written"); // groups 1-4
    const QList<bool> all{true, true, true, true};
    QTest::newRow("frozen") << 0 << true << QList<bool>{false, false, false, false};
    // Every function code: only the group whose point blinks is left alone.
    const QList<QList<bool>> byFunction{all,                       // 0: digits blink
                                        {false, true, true, true}, // 1-3: voltage point
                                        {false, true, true, true}, //
                                        {false, true, true, true}, //
                                        all,                       // 4: OADJ
                                        {true, false, true, true}, // 5-7: resistance point
                                        {true, false, true, true}, //
                                        {true, false, true, true}, //
                                        all,                       // 8: mV
                                        all,                       // 9
                                        {true, true, false, true}, // 10-11: current point
                                        {true, true, false, true}, //
                                        all,                       // 12: mOhm
                                        all,                       // 13
                                        {true, true, true, false}, // 14-15: temperature point
                                        {true, true, true, false}};
    for (int f = 0; f < 16; ++f)
        QTest::newRow(qPrintable(QString("function %1").arg(f))) << f << false << byFunction[f];
}

void TestDisplayDecoder::pointCellsLeftToBlinking()
{
    CurrentReading r;
    r.FunctionCode = fetched<int>("previousFunction");
    const PointCellUpdates cells =
        decodeDisplayFrame(frameWith({{23, 0x21}, {24, 0x14}}), r, fetched<bool>("frozen"));
    const QList<bool> written = fetched<QList<bool>>("written");
    for (int g = 0; g < 4; ++g)
        QCOMPARE(cells.fields[g].has_value(), written[g]);
    if (cells.fields[0])
        QCOMPARE(int(*cells.fields[0]), 2);
}

void TestDisplayDecoder::statusAnswer_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("sizeCode");
    QTest::addColumn<uint>("memPointer");
    QTest::addColumn<uint>("manualCount");
    const QByteArray valid = QByteArray::fromHex("02dd05010203048003");
    QTest::newRow("valid") << valid << true << 5 << 1u + 2 * 256 + 3 * 65536 << 0x8004u;
    QTest::newRow("count above 32767")
        << QByteArray::fromHex("02dd01000000ffff03") << true << 1 << 0u << 65535u;
    QTest::newRow("12 bytes, trailing ignored") << valid + "abc" << true << 5 << 197121u << 0x8004u;
    QTest::newRow("wrong STX") << QByteArray::fromHex("03dd05010203048003") << false << 0 << 0u
                               << 0u;
    QTest::newRow("wrong marker") << QByteArray::fromHex("02dc01010203000003") << false << 0 << 0u
                                  << 0u;
    QTest::newRow("wrong ETX") << QByteArray::fromHex("02dd01010203000004") << false << 0 << 0u
                               << 0u;
    QTest::newRow("short") << valid.left(8) << false << 0 << 0u << 0u;
}

void TestDisplayDecoder::statusAnswer()
{
    QFETCH(QByteArray, answer);
    const auto status = parseStatusAnswer(answer);
    QCOMPARE(status.has_value(), fetched<bool>("accepted"));
    if (status) {
        QCOMPARE(int(status->SizeCode), fetched<int>("sizeCode"));
        QCOMPARE(uint(status->MemPointer), fetched<uint>("memPointer"));
        QCOMPARE(uint(status->ManualCount), fetched<uint>("manualCount"));
    }
}

void TestDisplayDecoder::anyBytesAnyLength()
{
    // Decoders take any bytes; short input is ignored rather than read past its end.
    auto* rng = QRandomGenerator::global();
    for (int length = 0; length <= 40; ++length) {
        for (int round = 0; round < 50; ++round) {
            QByteArray bytes(length, '\0');
            for (char& c : bytes)
                c = static_cast<char>(rng->bounded(256));
            CurrentReading r;
            decodeDisplayFrame(bytes, r, false);
            decodeIndicatorBytes(bytes, r, false);
            (void)parseStatusAnswer(bytes);
            if (length >= 36)
                QCOMPARE(r.digits[0].size(), 4);
        }
    }
}

QTEST_GUILESS_MAIN(TestDisplayDecoder)
#include "tst_displaydecoder.moc"
