// The meter memory's bytes: reply lengths from the status, the split of the automatic memory
// into sets and their grid rows, and the memory window's label texts.
#include "Fetch.h"
#include "MeterMemory.h"

#include <QTest>

namespace {

// A set: marker, interval, unused byte, start time in BCD, format byte, then `records`
// readings whose bytes count up from `fill`.
QByteArray set(int records, quint8 interval = 2, quint8 hour = 0x09, quint8 minute = 0x30,
               quint8 second = 0x05, char fill = 0x11)
{
    QByteArray bytes("\x00\x55\xAA\x00", 4);
    bytes.append(char(interval)).append('\0');
    bytes.append(char(hour)).append(char(minute)).append(char(second)).append('\x90');
    for (int i = 0; i < records * 16; ++i)
        bytes.append(char(fill + i % 7));
    return bytes;
}

QByteArray framed(const QByteArray& data, char first = 0x02, char last = 0x03)
{
    return first + data + last;
}

MeterStatus status(quint16 sizeCode, quint32 pointer, quint16 manual = 0)
{
    return {sizeCode, pointer, manual};
}

} // namespace

class TestMeterMemory : public QObject
{
    Q_OBJECT
private slots:
    void replyLengths_data();
    void replyLengths();
    void manualRecordsByPosition();
    void split_data();
    void split();
    void gridRows_data();
    void gridRows();
    void labels_data();
    void labels();
};

void TestMeterMemory::replyLengths_data()
{
    QTest::addColumn<quint32>("pointer");
    QTest::addColumn<quint16>("manual");
    QTest::addColumn<qsizetype>("autoLength");
    QTest::addColumn<qsizetype>("manualLength");
    QTest::newRow("empty memory") << quint32(32967) << quint16(0) << qsizetype(0) << qsizetype(0);
    QTest::newRow("42 data bytes, 3 manual")
        << quint32(32967 + 42) << quint16(3) << qsizetype(44) << qsizetype(101);
    QTest::newRow("garbled pointer below the start")
        << quint32(100) << quint16(1) << qsizetype(0) << qsizetype(35);
    QTest::newRow("one byte past the start")
        << quint32(32968) << quint16(0) << qsizetype(3) << qsizetype(0);
    QTest::newRow("most manual records")
        << quint32(0xFFFFFF) << quint16(65535) << qsizetype(0xFFFFFF - 32965)
        << qsizetype(65535 * 33 + 2);
}

void TestMeterMemory::replyLengths()
{
    const MeterStatus s = status(1, fetched<quint32>("pointer"), fetched<quint16>("manual"));
    QCOMPARE(autoReplyLength(s), fetched<qsizetype>("autoLength"));
    QCOMPARE(manualReplyLength(s), fetched<qsizetype>("manualLength"));
}

// Record k starts at 1 + 33 (k - 1), whatever the framing bytes hold; a broken tail is no
// record.
void TestMeterMemory::manualRecordsByPosition()
{
    QByteArray reply(3 * 33 + 2, '\0');
    for (int i = 0; i < reply.size(); ++i)
        reply[i] = char(i);
    QCOMPARE(manualRecordCount(reply), 3);
    QCOMPARE(quint8(manualRecord(reply, 1)[0]), quint8(1));
    QCOMPARE(quint8(manualRecord(reply, 2)[0]), quint8(34));
    QCOMPARE(quint8(manualRecord(reply, 3)[32]), quint8(99));
    QVERIFY(manualRecord(reply, 4).isEmpty());
    QVERIFY(manualRecord(reply, 0).isEmpty());
    QCOMPARE(manualRecordCount(reply.left(33)), 0);
    QCOMPARE(manualRecordCount({}), 0);
}

void TestMeterMemory::split_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QList<int>>("setLengths");
    QTest::addColumn<qsizetype>("unread");

    const QByteArray a = set(2);
    const QByteArray b = set(3, 10, 0x23, 0x59, 0x55, 0x40);
    QTest::newRow("two sets: the second's marker ends the first")
        << framed(a + b) << QList<int>{42, 58} << qsizetype(0);
    QTest::newRow("42-byte memory behind 44 reply bytes: one set of 2")
        << framed(a) << QList<int>{42} << qsizetype(0);
    QTest::newRow("framing 0xFF and 0x00, dropped by position")
        << framed(a + b, '\xFF', '\x00') << QList<int>{42, 58} << qsizetype(0);
    QTest::newRow("framing bytes that look like the marker")
        << framed(a, '\x00', '\x00') << QList<int>{42} << qsizetype(0);
    QByteArray markerInside = set(2);
    markerInside.replace(10 + 5, 4, QByteArray("\x00\x55\xAA\x00", 4));
    QTest::newRow("the marker inside a reading is data")
        << framed(markerInside) << QList<int>{42} << qsizetype(0);
    QTest::newRow("no leading marker")
        << framed(QByteArray(5, '\x01') + a) << QList<int>{} << qsizetype(47);
    QTest::newRow("a marker off the grid ends nothing")
        << framed(a + b.left(42) + QByteArray(5, '\x01') + set(1)) << QList<int>{42}
        << qsizetype(42 + 5 + 26);
    QTest::newRow("a partial reading at the end")
        << framed(a + b + QByteArray(7, '\x01')) << QList<int>{42} << qsizetype(58 + 7);
    QTest::newRow("a header without readings at the end")
        << framed(a + a.left(10)) << QList<int>{42} << qsizetype(10);
    QTest::newRow("only the framing bytes") << framed({}) << QList<int>{} << qsizetype(0);
    QTest::newRow("nothing at all") << QByteArray() << QList<int>{} << qsizetype(0);
    QByteArray many;
    QList<int> lengths;
    for (int n = 1; n <= 300; ++n) {
        many += set(1 + n % 4);
        lengths.append(10 + 16 * (1 + n % 4));
    }
    QTest::newRow("300 sets, every one listed") << framed(many) << lengths << qsizetype(0);
}

void TestMeterMemory::split()
{
    const QByteArray reply = fetched<QByteArray>("reply");
    const MemorySplit result = splitAutoMemory(reply);
    QList<int> lengths;
    qsizetype at = 1;
    for (const QByteArray& s : result.sets) {
        lengths.append(int(s.size()));
        QCOMPARE(s, reply.mid(at, s.size())); // the sets' own bytes, in order
        at += s.size();
    }
    QCOMPARE(lengths, fetched<QList<int>>("setLengths"));
    QCOMPARE(result.unreadBytes, fetched<qsizetype>("unread"));
}

void TestMeterMemory::gridRows_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QByteArray>("set");
    QTest::addColumn<QString>("row");
    QTest::newRow("BCD time as two hex digits each")
        << 1 << set(2, 2, 0x09, 0x30, 0x05) << "1\t09:30:05\t2\t2";
    QTest::newRow("interval 255, late set")
        << 300 << set(7, 255, 0x23, 0x59, 0x59) << "300\t23:59:59\t255\t7";
    QTest::newRow("time bytes that are no BCD")
        << 2 << set(1, 0, 0xAB, 0x0F, 0xFF) << "2\tAB:0F:FF\t0\t1";
    QTest::newRow("a short header lists no time") << 3 << QByteArray(4, '\0') << "3\t\t\t0";
}

void TestMeterMemory::gridRows()
{
    QCOMPARE(setGridRow(fetched<int>("number"), fetched<QByteArray>("set")),
             fetched<QString>("row"));
}

void TestMeterMemory::labels_data()
{
    QTest::addColumn<quint16>("sizeCode");
    QTest::addColumn<quint32>("pointer");
    QTest::addColumn<bool>("full");
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("remain");
    QTest::addColumn<QString>("manualOnly");
    QTest::newRow("64 K, 42967 used") << quint16(1) << quint32(42967) << false << "64 K"
                                      << "22.0 K"
                                      << "22.0 K";
    QTest::newRow("memory-full flag") << quint16(1) << quint32(42967) << true << "64 K"
                                      << "0 K"
                                      << "22.0 K";
    QTest::newRow("empty automatic memory") << quint16(1) << quint32(32967) << false << "64 K"
                                            << "31.8 K"
                                            << "64 K";
    QTest::newRow("a half rounds up: 0.25 K")
        << quint16(1) << quint32(65536 - 256) << false << "64 K"
        << "0.3 K"
        << "0 K";
    QTest::newRow("a negative half rounds away from zero")
        << quint16(1) << quint32(65536 + 256) << false << "64 K"
        << "-0.3 K"
        << "0 K";
    QTest::newRow("128 K") << quint16(2) << quint32(32967) << false << "128 K"
                           << "95.8 K"
                           << "128 K";
    QTest::newRow("end of a 64 K memory") << quint16(1) << quint32(64456) << false << "64 K"
                                          << "1.1 K"
                                          << "0 K";
    QTest::newRow("just before the end") << quint16(1) << quint32(64455) << false << "64 K"
                                         << "1.1 K"
                                         << "1.1 K";
}

void TestMeterMemory::labels()
{
    const MeterStatus s = status(fetched<quint16>("sizeCode"), fetched<quint32>("pointer"));
    QCOMPARE(memorySizeText(s), fetched<QString>("size"));
    QCOMPARE(memoryRemainText(s, fetched<bool>("full")), fetched<QString>("remain"));
    QCOMPARE(manualOnlyRemainText(s), fetched<QString>("manualOnly"));

    QCOMPARE(memoryProgressText('A', 22, 44), QString("A 50.0% Completed"));
    QCOMPARE(memoryProgressText('M', 1, 2000), QString("M 0.1% Completed"));
    QCOMPARE(memoryProgressText('M', 150, 101), QString("M 100.0% Completed"));
}

QTEST_MAIN(TestMeterMemory)
#include "tst_metermemory.moc"
