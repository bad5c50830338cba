#include "CsvReadings.h"
#include "DataFileReader.h"
#include "FailingDevice.h"
#include "Fetch.h"
#include "FileBytes.h"

#include <QBuffer>
#include <QFile>
#include <QTest>

#include <ctime>

namespace {

using Rows = QList<QStringList>;

struct ReadOut
{
    bool header = false;
    QString headerLine;
    Rows rows;
    DataFileReader::Result end = DataFileReader::Result::End;
    qint64 lineNumber = 0;
    bool staysStopped = false; // the next call after the end gives the same
};

ReadOut readAll(QIODevice& device)
{
    DataFileReader reader(device);
    ReadOut out;
    for (;;) {
        const DataFileReader::Result r = reader.next();
        if (r == DataFileReader::Result::Header) {
            out.header = true;
            out.headerLine = reader.headerLine();
        } else if (r == DataFileReader::Result::Row) {
            out.rows.append(reader.cells());
        } else {
            out.end = r;
            out.lineNumber = reader.lineNumber();
            out.staysStopped = reader.next() == r;
            return out;
        }
    }
}

ReadOut readBytes(const QByteArray& bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return readAll(buffer);
}

QStringList row(std::initializer_list<const char*> cells)
{
    QStringList r;
    for (const char* c : cells)
        r << QString::fromLatin1(c);
    while (r.size() < DataFileReader::CellCount)
        r << QString();
    return r;
}

const QByteArray kRecorderHeader =
    "No.s\tTime\tV\t400 mOhm\tAmp\tCelsius\tIn-Cap \tOut-Cap \tT-Cap ";

} // namespace

class TestDataFileReader : public QObject
{
    Q_OBJECT
private slots:
    void lines_data();
    void lines();
    void breakSplitAcrossReads();
    void lineLengthBound_data();
    void lineLengthBound();
    void readErrorKeepsRows();
    void headers_data();
    void headers();
    void goldenFiles_data();
    void goldenFiles();
    void convertsToGoldenCsv_data();
    void convertsToGoldenCsv();
    void refusesToConvert_data();
    void refusesToConvert();
};

void TestDataFileReader::lines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("header");
    QTest::addColumn<Rows>("rows");

    QTest::newRow("recorder file, CR LF")
        << kRecorderHeader +
               "\r\n1\t10:15:02\t12.53\t41.2\t0.512\t25.3\t105.0(m)\t0.0(m)\t105.0(m)\r\n"
               "2\t10:15:04\t12.52\t41.2\t0.511\t25.3\t105.3(m)\t0.0(m)\t105.3(m)\r\n"
        << true
        << Rows{row({"1", "10:15:02", "12.53", "41.2", "0.512", "25.3", "105.0(m)", "0.0(m)",
                     "105.0(m)"}),
                row({"2", "10:15:04", "12.52", "41.2", "0.511", "25.3", "105.3(m)", "0.0(m)",
                     "105.3(m)"})};
    QTest::newRow("grid save: trailing tab dropped")
        << QByteArray("No.s\tTime\tV\t4 Ohm\tAmp\tFahrenheit\tIn-Cap\tOut-Cap\tT-Cap\t\r\n"
                      "1\t00:00:01\t-OL\t1.234\tOL\t77.0\t1.5\t0.0\t1.5\t\r\n")
        << true << Rows{row({"1", "00:00:01", "-OL", "1.234", "OL", "77.0", "1.5", "0.0", "1.5"})};
    QTest::newRow("LF") << QByteArray("h\na\nb\n") << true << Rows{row({"a"}), row({"b"})};
    QTest::newRow("lone CR") << QByteArray("h\ra\rb\r") << true << Rows{row({"a"}), row({"b"})};
    QTest::newRow("mixed breaks") << QByteArray("h\r\na\rb\nc") << true
                                  << Rows{row({"a"}), row({"b"}), row({"c"})};
    QTest::newRow("LF CR is two breaks")
        << QByteArray("h\na\n\rb") << true << Rows{row({"a"}), row({}), row({"b"})};
    QTest::newRow("no final break") << QByteArray("h\r\na") << true << Rows{row({"a"})};
    QTest::newRow("empty lines are empty rows")
        << QByteArray("h\r\n\r\na\r\n\r\n") << true << Rows{row({}), row({"a"}), row({})};
    QTest::newRow("empty file") << QByteArray() << false << Rows{};
    QTest::newRow("header only") << QByteArray("No.s\tTime\r\n") << true << Rows{};
    QTest::newRow("header without break") << QByteArray("No.s") << true << Rows{};
    QTest::newRow("leading blanks skipped")
        << QByteArray("h\n   7\tx\n") << true << Rows{row({"7", "x"})};
    QTest::newRow("leading tab kept")
        << QByteArray("h\n\t10:00:00\t12.5\n") << true << Rows{row({"", "10:00:00", "12.5"})};
    QTest::newRow("commas and quotes are text")
        << QByteArray("h\n1,5\t\"a\"\tx,y\n") << true << Rows{row({"1,5", "\"a\"", "x,y"})};
    QTest::newRow("inner blanks kept") << QByteArray("h\n1\t \t- 12.5 \t 41.2\n") << true
                                       << Rows{row({"1", " ", "- 12.5 ", " 41.2"})};
    QTest::newRow("extra cells dropped")
        << QByteArray("h\n1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\n") << true
        << Rows{row({"1", "2", "3", "4", "5", "6", "7", "8", "9"})};
    QTest::newRow("Latin-1") << QByteArray("h\n25.3\xb0\n") << true << Rows{row({"25.3\xb0"})};
}

void TestDataFileReader::lines()
{
    const ReadOut out = readBytes(fetched<QByteArray>("bytes"));
    QCOMPARE(out.end, DataFileReader::Result::End);
    QCOMPARE(out.header, fetched<bool>("header"));
    QCOMPARE(out.rows, fetched<Rows>("rows"));
    QVERIFY(out.staysStopped);
    if (QTest::currentDataTag() == QLatin1String("recorder file, CR LF"))
        QCOMPARE(out.headerLine, QString::fromLatin1(kRecorderHeader));
}

void TestDataFileReader::breakSplitAcrossReads()
{
    // The CR of a CR LF ends one read (of 16 or 64 KiB), its LF starts the next: one break.
    const QByteArray first = "h\r\n";
    QByteArray bytes = first + QByteArray(64 * 1024 - first.size() - 1, 'x') + "\r\nlast\r\n";
    QCOMPARE(bytes.indexOf('\n', first.size()), 64 * 1024);
    const ReadOut out = readBytes(bytes);
    QCOMPARE(out.rows.size(), 2);
    QCOMPARE(out.rows[1].first(), QString("last"));
}

void TestDataFileReader::lineLengthBound_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<DataFileReader::Result>("end");
    QTest::addColumn<qint64>("lineNumber");
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("text"); // no NUL byte in the first TextCheckBytes
    const qsizetype max = DataFileReader::MaxLineBytes;
    QTest::newRow("longest line") << "h\n1\n" + QByteArray(max, 'x') + "\n2\n"
                                  << DataFileReader::Result::End << qint64(4) << 3 << true;
    QTest::newRow("one byte over") << "h\n1\n" + QByteArray(max + 1, 'x') + "\n2\n"
                                   << DataFileReader::Result::LineTooLong << qint64(3) << 1 << true;
    QTest::newRow("1 MiB without a break")
        << "h\n" + QByteArray(1024 * 1024, '\0') << DataFileReader::Result::LineTooLong << qint64(2)
        << 0 << false;
    QTest::newRow("binary header") << QByteArray(200000, '\x01')
                                   << DataFileReader::Result::LineTooLong << qint64(1) << 0 << true;
    const qsizetype check = DataFileReader::TextCheckBytes;
    QTest::newRow("NUL in the last byte looked at")
        << "h\n1\n" + QByteArray(check - 5, 'x') + '\0' + "\n2\n"
        << DataFileReader::Result::End << qint64(4) << 3 << false;
    QTest::newRow("NUL right after it") << "h\n1\n" + QByteArray(check - 4, 'x') + '\0' + "\n2\n"
                                        << DataFileReader::Result::End << qint64(4) << 3 << true;
}

void TestDataFileReader::lineLengthBound()
{
    QByteArray bytes = fetched<QByteArray>("bytes");
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QCOMPARE(DataFileReader::startsAsText(buffer), fetched<bool>("text"));
    // The look leaves the file where it was: the reader still gets every byte.
    const ReadOut out = readAll(buffer);
    QCOMPARE(out.end, fetched<DataFileReader::Result>("end"));
    QCOMPARE(out.lineNumber, fetched<qint64>("lineNumber"));
    QCOMPARE(out.rows.size(), fetched<int>("rows"));
    QVERIFY(out.staysStopped);
}

void TestDataFileReader::readErrorKeepsRows()
{
    QByteArray bytes = kRecorderHeader + "\r\n";
    for (int i = 1; i <= 5000; ++i)
        bytes += QByteArray::number(i) + "\t10:00:00\t12.5\r\n";
    FailingDevice device(bytes, bytes.size() / 2);
    device.open(QIODevice::ReadOnly);
    const ReadOut out = readAll(device);
    QCOMPARE(out.end, DataFileReader::Result::ReadError);
    QVERIFY(out.rows.size() > 1000);
    QVERIFY(out.rows.size() < 5000);
    QCOMPARE(out.rows.last().first(), QString::number(out.rows.size()));
}

void TestDataFileReader::headers_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("titles");
    const QString loadRange = "40 Ohm"; // the list's titles before the file: the live range
    QTest::newRow("recorder") << QString::fromLatin1(kRecorderHeader)
                              << QStringList{"No.s",    "Time",   "V",       "400 mOhm", "Amp",
                                             "Celsius", "In-Cap", "Out-Cap", "T-Cap"};
    const QStringList ranges{"4 mOhm", "40 mOhm", "400 mOhm", "4 Ohm", "40 Ohm", "400 Ohm"};
    for (const QString& r : ranges) {
        QTest::addRow("range %s", qPrintable(r))
            << "No.s\tTime\tV\t" + r + "\tAmp\tCelsius"
            << QStringList{"No.s", "Time", "V", r, "Amp", "Celsius", "In-Cap", "Out-Cap", "T-Cap"};
    }
    QTest::newRow("first range in the list order wins")
        << "400 Ohm 4 mOhm" << QStringList{"No.s",       "Time",   "V",       "4 mOhm", "Amp",
                                           "Fahrenheit", "In-Cap", "Out-Cap", "T-Cap"};
    QTest::newRow("no range keeps the title")
        << "No.s\tTime\tV\t\tAmp\tCelsius"
        << QStringList{"No.s",    "Time",   "V",       loadRange, "Amp",
                       "Celsius", "In-Cap", "Out-Cap", "T-Cap"};
    QTest::newRow("Fahrenheih") << "No.s\tTime\tV\t4 Ohm\tAmp\tFahrenheih"
                                << QStringList{"No.s",       "Time",   "V",       "4 Ohm", "Amp",
                                               "Fahrenheit", "In-Cap", "Out-Cap", "T-Cap"};
    QTest::newRow("no unit") << "No.s\tTime\tV\t4 Ohm\tAmp\t"
                             << QStringList{"No.s",       "Time",   "V",       "4 Ohm", "Amp",
                                            "Fahrenheit", "In-Cap", "Out-Cap", "T-Cap"};
    QTest::newRow("milliamperes") << "No.s\tTime\tV\t40 mOhm\tmAmp\tCelsius"
                                  << QStringList{"No.s",    "Time",   "V",       "40 mOhm", "mAmp",
                                                 "Celsius", "In-Cap", "Out-Cap", "T-Cap"};
}

void TestDataFileReader::headers()
{
    const QStringList loadTitles{"No.s", "Time",   "V",       "40 Ohm", "Amp",
                                 "",     "In-Cap", "Out-Cap", "T-Cap"};
    QCOMPARE(DataFileHeader::fromLine(fetched<QString>("line")).appliedTo(loadTitles),
             fetched<QStringList>("titles"));
}

// The files this program writes read back cell for cell: the recorder's, and a grid save
// with its trailing tab and a list titled in milliamperes.
void TestDataFileReader::goldenFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<Rows>("rows");
    QTest::newRow("recording") << "recording.txt"
                               << QStringList{"No.s",    "Time",   "V",       "400 mOhm", "Amp",
                                              "Celsius", "In-Cap", "Out-Cap", "T-Cap"}
                               << Rows{row({"1", "10:15:01", "12.53", " 41.2", "-0.511", " 25.3",
                                            "105.0(m)", "0.0(m)", "105.0(m)"}),
                                       row({"2", "10:15:02", "12.52", " 41.2", "-0.511", " 25.3",
                                            "105.3(m)", "0.0(m)", "105.3(m)"}),
                                       row({"3", "10:15:03", "12.52", " 41.3", "-0.510", " 25.4",
                                            "105.6(m)", "0.000", "105.6(m)"})};
    QTest::newRow("list save") << "list-save.txt"
                               << QStringList{"No.s",    "Time",   "V",       "400 mOhm", "mAmp",
                                              "Celsius", "In-Cap", "Out-Cap", "T-Cap"}
                               << Rows{row({"1", "10:15:01", "12.53", " 41.2", "-511.0", " 25.3",
                                            "105.0(m)", "0.0(m)", "105.0(m)"}),
                                       row({"2", "10:15:02", "12.52", " 41.2", "-510.9", " 25.3",
                                            "105.3(m)", "0.0(m)", "105.3(m)"}),
                                       row({"3", "10:15:03", "12.52", " 41.3", "-510.8", " 25.4",
                                            "105.6(m)", "0.000", "105.6(m)"})};
}

void TestDataFileReader::goldenFiles()
{
    QFile file(QStringLiteral(CELLDESK_TEST_DATA "/") + fetched<QString>("file"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const ReadOut out = readAll(file);
    QCOMPARE(out.end, DataFileReader::Result::End);
    QCOMPARE(out.rows, fetched<Rows>("rows"));
    const QStringList loadTitles{"No.s", "Time",   "V",       "4 Ohm", "Amp",
                                 "",     "In-Cap", "Out-Cap", "T-Cap"};
    QCOMPARE(DataFileHeader::fromLine(out.headerLine).appliedTo(loadTitles),
             fetched<QStringList>("titles"));
}

namespace {

} // namespace

// The files this program writes, converted to CSV: a recording, a list save in milliamperes,
// a saved set of the meter's memory, and a night's recording in Fahrenheit with overloads
// that passes midnight. The dates are offered as from a file written at `written`.
void TestDataFileReader::convertsToGoldenCsv_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QDateTime>("written");
    QTest::addColumn<QString>("csv");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QByteArray>("lastLine"); // replaces the file's last line; empty: as it is
    QTest::addColumn<QString>("warning");
    QTest::addColumn<QString>("lastFlags"); // the flags of the last CSV row; empty: the golden's
    const QDate dec8(2026, 12, 8);
    const QDateTime evening(dec8, QTime(18, 0));
    QTest::newRow("recording") << "recording.txt" << dec8 << evening << "recording.csv" << 3
                               << QByteArray() << QString() << QString();
    QTest::newRow("list save") << "list-save.txt" << dec8 << evening << "list-save.csv" << 3
                               << QByteArray() << QString() << QString();
    QTest::newRow("set save") << "memory-set-save.txt" << QDate(2026, 12, 6)
                              << QDateTime(QDate(2026, 12, 6), QTime(9, 30, 10))
                              << "memory-set-save.csv" << 3 << QByteArray() << QString()
                              << QString();
    QTest::newRow("overnight") << "overnight.txt" << dec8
                               << QDateTime(QDate(2026, 12, 9), QTime(7, 0)) << "overnight.csv" << 5
                               << QByteArray() << QString() << QString();
    // A recorder stopped while it wrote: "12.52" cut to "1" is no reading.
    QTest::newRow("recording with its last line cut")
        << "recording.txt" << dec8 << evening << "recording.csv" << 2
        << QByteArray("3\t10:15:03\t1")
        << "line 4 was cut off (3 of 9 fields, no line end) and is not converted" << QString();
    QTest::newRow("recording with a short last line, ended")
        << "recording.txt" << dec8 << evening << "recording.csv" << 3
        << QByteArray("3\t10:15:03\t12.52\t 41.3\r\n") << QString()
        << "missing:current missing:temperature missing:in_capacity missing:out_capacity "
           "missing:total_capacity";
    QTest::newRow("list save with its trailing tab cut")
        << "list-save.txt" << dec8 << evening << "list-save.csv" << 2
        << QByteArray("3\t10:15:03\t12.52\t 41.3\t-0.510\t 25.4\t105.6(m)\t0.000\t105.6(m)")
        << "line 4 was cut off (9 of 10 fields, no line end) and is not converted" << QString();
}

void TestDataFileReader::convertsToGoldenCsv()
{
    qputenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
    tzset();
    QByteArray bytes = goldenBytes(fetched<QString>("file"));
    QVERIFY(!bytes.isEmpty());
    const QByteArray lastLine = fetched<QByteArray>("lastLine");
    if (!lastLine.isEmpty())
        bytes = bytes.left(bytes.lastIndexOf('\n', bytes.size() - 2) + 1) + lastLine;
    QCOMPARE(dataFileFirstDate(bytes, fetched<QDateTime>("written")), fetched<QDate>("date"));
    const CsvConversion out = convertDataFile(bytes, fetched<QDate>("date"));
    QCOMPARE(out.error, QString());
    QCOMPARE(out.warning, fetched<QString>("warning"));
    QCOMPARE(out.rows, fetched<int>("rows"));
    QByteArray expected = goldenBytes(fetched<QString>("csv"));
    const QString lastFlags = fetched<QString>("lastFlags");
    const qsizetype lastRow = expected.lastIndexOf('\n', expected.size() - 2) + 1;
    if (lastFlags.isEmpty() && out.rows < expected.count('\n') - 1)
        expected.truncate(lastRow); // the cut line is no row
    QCOMPARE(out.csv.left(lastRow), expected.left(lastRow));
    if (lastFlags.isEmpty())
        QCOMPARE(out.csv, expected);
    else
        QVERIFY2(out.csv.mid(lastRow).contains(lastFlags.toUtf8()), out.csv.mid(lastRow).data());
}

void TestDataFileReader::refusesToConvert_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");
    QTest::newRow("empty") << QByteArray() << "It is empty: this is no data file.";
    QTest::newRow("NUL bytes") << QByteArray("No.s\tTime\r\n1\t\0\r\n", 17)
                               << "It holds NUL bytes: this is no data file.";
    QTest::newRow("a line too long")
        << QByteArray("No.s\r\n1\t10:00:00\r\n") + QByteArray(70000, 'x')
        << "Line 3 is longer than 65536 characters: this is no data file.";
}

void TestDataFileReader::refusesToConvert()
{
    const CsvConversion out = convertDataFile(fetched<QByteArray>("bytes"), QDate(2026, 12, 8));
    QCOMPARE(out.error, fetched<QString>("error"));
    QCOMPARE(out.csv, QByteArray());
    QCOMPARE(out.rows, 0);
}

QTEST_APPLESS_MAIN(TestDataFileReader)
#include "tst_datafilereader.moc"
