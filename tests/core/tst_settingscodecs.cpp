// The clock and comparator byte layouts: what goes to the meter, what its answers show.
#include "ComparatorCodec.h"
#include "ComparatorCsv.h"
#include "Fetch.h"
#include "MeterClock.h"
#include "ProgressText.h"

#include <QTest>

using Digits = std::array<QString, 4>;
Q_DECLARE_METATYPE(ComparatorEdit)

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

ComparatorLimitEdit limit(const QString& digits, int choice, bool milli = false)
{
    ComparatorLimitEdit l;
    for (int k = 0; k < 4; ++k)
        l.digits[k] = digits.mid(k, 1);
    l.choice = choice;
    l.milliOhm = milli;
    return l;
}

// A reply whose byte n (counted from 1) is n modulo 256, so every position is recognisable.
QByteArray numberedReply(qsizetype size)
{
    QByteArray reply(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        reply[i] = char((i + 1) & 0xFF);
    return reply;
}

} // namespace

class TestSettingsCodecs : public QObject
{
    Q_OBJECT
private slots:
    void clockSetBytes_data();
    void clockSetBytes();
    void clockAnswer_data();
    void clockAnswer();
    void pcLine_data();
    void pcLine();
    void entryPositions_data();
    void entryPositions();
    void gridRow_data();
    void gridRow();
    void editFromEntry_data();
    void editFromEntry();
    void update_data();
    void update();
    void updateRefusesNonDigits();
    void progressCaption_data();
    void progressCaption();
    void comparatorFile_data();
    void comparatorFile();
};

void TestSettingsCodecs::clockSetBytes_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("one second before midnight")
        << QDateTime(QDate(2026, 12, 6), QTime(23, 59, 58)) << hex("0623595858");
    QTest::newRow("new year's midnight: the new day with 00:00:00")
        << QDateTime(QDate(2027, 1, 1), QTime(0, 0, 0)) << hex("0100000000");
    QTest::newRow("day 17, single-digit fields")
        << QDateTime(QDate(2026, 3, 17), QTime(9, 5, 7)) << hex("1709050707");
}

void TestSettingsCodecs::clockSetBytes()
{
    QCOMPARE(::clockSetBytes(fetched<QDateTime>("now")).toHex(),
             fetched<QByteArray>("bytes").toHex());
}

void TestSettingsCodecs::clockAnswer_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("framed");
    QTest::addColumn<QString>("line"); // empty: no clock shown
    QTest::newRow("valid") << hex("020623595803") << true << "06:23:59:58";
    QTest::newRow("all nines") << hex("029999999903") << true << "99:99:99:99";
    QTest::newRow("7 bytes, first six valid") << hex("02062359580302") << true << "06:23:59:58";
    // Digits that are no BCD are no time: the clock is not read.
    QTest::newRow("high nibble above 9") << hex("02A623595803") << true << "";
    QTest::newRow("low nibble above 9") << hex("02061A595803") << true << "";
    QTest::newRow("all hex letters") << hex("02ABFFEE9A03") << true << "";
    QTest::newRow("5 bytes") << hex("0206235958") << false << "";
    QTest::newRow("wrong STX") << hex("030623595803") << false << "";
    QTest::newRow("wrong ETX") << hex("020623595802") << false << "";
    QTest::newRow("empty") << QByteArray() << false << "";
}

void TestSettingsCodecs::clockAnswer()
{
    const QByteArray answer = fetched<QByteArray>("answer");
    const QString line = fetched<QString>("line");
    QCOMPARE(isClockAnswer(answer), fetched<bool>("framed"));
    QCOMPARE(meterClockLine(answer).value_or(QString()), line);
}

void TestSettingsCodecs::pcLine_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("line");
    QTest::newRow("evening, 24-hour")
        << QDateTime(QDate(2026, 12, 6), QTime(23, 59, 58)) << "06:23:59:58";
    QTest::newRow("leading zeros") << QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)) << "02:03:04:05";
}

void TestSettingsCodecs::pcLine()
{
    QCOMPARE(pcClockLine(fetched<QDateTime>("now")), fetched<QString>("line"));
}

void TestSettingsCodecs::entryPositions_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("set");
    QTest::addColumn<QString>("entry");
    // Set 1 is bytes 2..11, set 99 bytes 982..991 (0xD6 .. 0xDF after wrapping at 256).
    QTest::newRow("set 1") << numberedReply(992) << 1 << "02030405060708090A0B";
    QTest::newRow("set 99") << numberedReply(992) << 99 << "D6D7D8D9DADBDCDDDEDF";
    QTest::newRow("reply over 992 bytes: set 99 unchanged")
        << numberedReply(1200) << 99 << "D6D7D8D9DADBDCDDDEDF";
    QTest::newRow("reply ending inside set 99") << numberedReply(990) << 99 << "";
    QTest::newRow("set 0 is not a set") << numberedReply(992) << 0 << "";
    QTest::newRow("set 100 is not a set") << numberedReply(1200) << 100 << "";
}

void TestSettingsCodecs::entryPositions()
{
    const QByteArray reply = fetched<QByteArray>("reply");
    const int set = fetched<int>("set");
    QCOMPARE(comparatorEntryFromReply(reply, set), fetched<QString>("entry"));
    if (set >= 1 && set <= ComparatorSetCount)
        QCOMPARE(comparatorTableFromReply(reply)[set], fetched<QString>("entry"));
}

void TestSettingsCodecs::gridRow_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QStringList>("row");
    QTest::newRow("0xA1: 40 mOhm high, 4 Ohm low")
        << "A1120123005075001000"
        << QStringList{"5", "01.23 / 40 mOhm", "0.050 / 4 Ohm", "7.500", "10.00"};
    QTest::newRow("400 range both, voltage codes 2 and 1")
        << "44211234567812345678"
        << QStringList{"5", "123.4 / 400 Ohm", "567.8 / 400 Ohm", "12.34", "5.678"};
    QTest::newRow("codes 3 and 0: Error, point after 1; voltage code 3 after 1")
        << "30331234567812345678"
        << QStringList{"5", "1.234 / Error", "5.678 / Error", "1.234", "5.678"};
    QTest::newRow("unit bit with code 7 still Error")
        << "F8001234567812345678"
        << QStringList{"5", "1.234 / Error", "5.678 / Error", "1.234", "5.678"};
    QTest::newRow("non-BCD nibbles shown as display characters")
        << "1111FABCDE0000000000"
        << QStringList{"5", "-. FL / 4 Ohm", "U.C00 / 4 Ohm", "0.000", "0.000"};
    QTest::newRow("19 digits: no row") << "A112012300507500100" << QStringList();
    QTest::newRow("not hex: no row") << "G1120123005075001000" << QStringList();
}

void TestSettingsCodecs::gridRow()
{
    QCOMPARE(comparatorGridRow(5, fetched<QString>("entry")), fetched<QStringList>("row"));
}

void TestSettingsCodecs::editFromEntry_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<ComparatorEdit>("edit");
    QTest::newRow("0xA1 0x12") << "A1120123005075001000" << true
                               << ComparatorEdit{limit("0123", 2, true), limit("0050", 1),
                                                 limit("7500", 1), limit("1000", 2)};
    QTest::newRow("several bits: the lowest wins; none: nothing selected")
        << "7E030000000000000000" << true
        << ComparatorEdit{limit("0000", 1), limit("0000", 2, true), limit("0000", 0),
                          limit("0000", 1)};
    QTest::newRow("choice 3, units clear")
        << "44200000000000000000" << true
        << ComparatorEdit{limit("0000", 3), limit("0000", 3), limit("0000", 2), limit("0000", 0)};
    QTest::newRow("non-BCD nibbles load as no digit")
        << "1111FA12000000000000" << true
        << ComparatorEdit{limit("- 12", 1), limit("0000", 1), limit("0000", 1), limit("0000", 1)};
    QTest::newRow("empty entry") << "" << false << ComparatorEdit{};
    QTest::newRow("21 digits") << "A11201230050750010000" << false << ComparatorEdit{};
}

void TestSettingsCodecs::editFromEntry()
{
    const auto edit = comparatorEditFromEntry(fetched<QString>("entry"));
    QCOMPARE(edit.has_value(), fetched<bool>("valid"));
    if (edit)
        QVERIFY(*edit == fetched<ComparatorEdit>("edit"));
}

void TestSettingsCodecs::update_data()
{
    QTest::addColumn<ComparatorEdit>("edit");
    QTest::addColumn<int>("set");
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QStringList>("row");

    const ComparatorEdit documented{limit("0123", 2, true), limit("0050", 1), limit("7500", 1),
                                    limit("1000", 2)};
    QTest::newRow("entry A112... as set 5")
        << documented << 5 << hex("0123005075001000A11205") << "A1120123005075001000"
        << QStringList{"5", "01.23 / 40 mOhm", "0.050 / 4 Ohm", "7.500", "10.00"};
    QTest::newRow("set 0 means set 1")
        << documented << 0 << hex("0123005075001000A11201") << "A1120123005075001000"
        << QStringList{"1", "01.23 / 40 mOhm", "0.050 / 4 Ohm", "7.500", "10.00"};

    ComparatorEdit clamped = documented;
    clamped.voltHigh = limit("7500", 2);
    clamped.voltLow = limit("6001", 2);
    QTest::newRow("7500 and 6001 with choice 2 go out as 60.00")
        << clamped << 12 << hex("0123005060006000A1220C") << "A1220123005060006000"
        << QStringList{"12", "01.23 / 40 mOhm", "0.050 / 4 Ohm", "60.00", "60.00"};
    ComparatorEdit edge = documented;
    edge.voltHigh = limit("6000", 2);
    QTest::newRow("6000 with choice 2 is kept")
        << edge << 99 << hex("0123005060001000A12263") << "A1220123005060001000"
        << QStringList{"99", "01.23 / 40 mOhm", "0.050 / 4 Ohm", "60.00", "10.00"};

    const ComparatorEdit none{limit("1234", 0, true), limit("5678", 0), limit("9999", 0),
                              limit("0001", 0)};
    QTest::newRow("nothing selected: 400-range and 2 bytes, Error, points after 3")
        << none << 7 << hex("1234567899990001C42207") << "C4221234567899990001"
        << QStringList{"7", "123.4 / Error", "567.8 / Error", "999.9", "000.1"};
    const ComparatorEdit third{limit("4000", 3), limit("0400", 3, true), limit("0001", 1),
                               limit("0002", 1)};
    QTest::newRow("choice 3 and choice 1")
        << third << 3
        << hex("4000040000010002"
               "4C1103")
        << "4C114000040000010002"
        << QStringList{"3", "400.0 / 400 Ohm", "040.0 / 400 mOhm", "0.001", "0.002"};
}

void TestSettingsCodecs::update()
{
    const auto update = comparatorUpdate(fetched<ComparatorEdit>("edit"), fetched<int>("set"));
    QVERIFY(update);
    QCOMPARE(update->message.toHex(), fetched<QByteArray>("message").toHex());
    QCOMPARE(update->entry, fetched<QString>("entry"));
    QCOMPARE(update->row, fetched<QStringList>("row"));
    // With every choice made, the stored entry reads back as the row Update wrote.
    const ComparatorEdit& e = update->edit;
    if (e.ohmHigh.choice && e.ohmLow.choice && e.voltHigh.choice && e.voltLow.choice)
        QCOMPARE(comparatorGridRow(update->set, update->entry), update->row);
}

void TestSettingsCodecs::updateRefusesNonDigits()
{
    const auto loaded = comparatorEditFromEntry(QStringLiteral("1111FA12000000000000"));
    QVERIFY(loaded);
    QVERIFY(!comparatorUpdate(*loaded, 4));
    ComparatorEdit empty{limit("0123", 2), limit("0050", 1), limit("75", 1), limit("1000", 2)};
    QVERIFY(!comparatorUpdate(empty, 4)); // two lists with nothing chosen
}

void TestSettingsCodecs::progressCaption_data()
{
    QTest::addColumn<int>("done");
    QTest::addColumn<QString>("caption");
    QTest::newRow("none") << 0 << "0.0% Completed";
    QTest::newRow("412 bytes") << 412 << "41.5% Completed";
    QTest::newRow("half") << 496 << "50.0% Completed";
    QTest::newRow("all") << 992 << "100.0% Completed";
    QTest::newRow("more than all") << 1500 << "100.0% Completed";
}

void TestSettingsCodecs::progressCaption()
{
    QCOMPARE(percentCompleted(fetched<int>("done"), 992), fetched<QString>("caption"));
}

void TestSettingsCodecs::comparatorFile_data()
{
    QTest::addColumn<QString>("held");  // the meter's entry of set 5
    QTest::addColumn<QString>("file");  // "%HELD" stands for set 5's row as read from the meter
    QTest::addColumn<QString>("error"); // part of the error; empty for a good file
    QTest::addColumn<QString>("sent");  // the entry written into set 5; empty for none
    const QString header = ComparatorCsvHeader + u'\n';
    const QString held = QStringLiteral("A1120123005075001000");
    QTest::newRow("a changed limit") << held << header + "5,01.23,mOhm,0.050,Ohm,7.600,10.00\n"
                                     << ""
                                     << "A1120123005076001000";
    QTest::newRow("the row as read") << held << header + "%HELD\n"
                                     << ""
                                     << "";
    QTest::newRow("blanks, quotes, CR LF, blank lines")
        << held << header + "\r\n5, \"01.23\" ,mOhm,0.050,Ohm,7.500,10.00\r\n\n"
        << ""
        << "";
    QTest::newRow("a garbled set as read is left alone")
        << "1111A250000000000000" << header + "%HELD\n"
        << ""
        << "";
    QTest::newRow("a garbled set changed is refused")
        << "1111A250000000000000" << header + "5, .2505,Ohm,0.000,Ohm,1.000,0.000\n"
        << "line 2 (set 5): resistance high \".2505\""
        << "";
    // Numbers as a spreadsheet writes them back: the meter's decimal choices kept.
    QTest::newRow("spreadsheet numbers of the row as read")
        << held << header + "5,1.23,mOhm,.05,Ohm,7.5,10\n"
        << ""
        << "";
    QTest::newRow("a spreadsheet number changed, the decimal choice kept")
        << held << header + "5,1.23,mOhm,0.05,Ohm,7.6,9.5\n"
        << ""
        << "A1120123005076000950";
    QTest::newRow("a number that fits another decimal choice only")
        << held << header + "5,123,mOhm,0.05,Ohm,7.5,10\n"
        << ""
        << "C1121230005075001000";
    QTest::newRow("a number that would lose a digit")
        << held << header + "5,01.23,mOhm,0.050,Ohm,7.5,10.125\n"
        << "voltage low \"10.125\""
        << "";
    QTest::newRow("a voltage with three digits before the point")
        << held << header + "5,01.23,mOhm,0.050,Ohm,750.0,10.00\n"
        << "voltage high \"750.0\""
        << "";
    QTest::newRow("a voltage the meter holds at 60.00 V")
        << held << header + "5,01.23,mOhm,0.050,Ohm,7.500,60.01\n"
        << "above 60.00 V"
        << "";
    QTest::newRow("no header") << held << QStringLiteral("5,01.23,mOhm,0.050,Ohm,7.600,10.00\n")
                               << "line 1: the header must read"
                               << "";
    QTest::newRow("a set twice") << held << header + "%HELD\n%HELD\n"
                                 << "line 3: set 5 is there twice"
                                 << "";
    QTest::newRow("a cell missing") << held << header + "5,01.23,mOhm,0.050,Ohm,7.600\n"
                                    << "line 2: 6 cells where a set has 7"
                                    << "";
    QTest::newRow("empty") << held << QString() << "the file is empty"
                           << "";
}

// A comparator file against the meter's table: what is sent, and what is refused before
// anything is sent.
void TestSettingsCodecs::comparatorFile()
{
    ComparatorTexts meter;
    meter.fill(QStringLiteral("11110000000000000000"));
    meter[5] = fetched<QString>("held");
    const QString heldRow = comparatorCsvCells(5, meter[5]).join(u',');
    const QString text = fetched<QString>("file").replace(QStringLiteral("%HELD"), heldRow);
    const ComparatorCsvFile file = parseComparatorCsv(text.toUtf8());
    const ComparatorChanges changes =
        file.error.isEmpty() ? comparatorChanges(meter, file.rows) : ComparatorChanges{};
    const QString error = file.error.isEmpty() ? changes.error : file.error;
    const QString expectedError = fetched<QString>("error");
    QVERIFY2(expectedError.isEmpty() ? error.isEmpty() : error.contains(expectedError),
             qPrintable(error));
    const QString sent = fetched<QString>("sent");
    QCOMPARE(changes.updates.size(), sent.isEmpty() ? 0 : 1);
    if (!sent.isEmpty()) {
        QCOMPARE(changes.updates[0].set, 5);
        QCOMPARE(changes.updates[0].entry, sent);
    }
}

QTEST_APPLESS_MAIN(TestSettingsCodecs)
#include "tst_settingscodecs.moc"
