// The emulated meter, checked the way the program sees it: through a real serial port on the
// pseudo-terminal, byte for byte.

#include "DemoBattery.h"
#include "MeterSim.h"
#include "SimMemory.h"
#include "SimReading.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <csignal>

struct ByteCheck
{
    int byte; // numbered from 1, as in the frame layout
    quint8 mask;
    quint8 value;
};
using ByteChecks = QList<ByteCheck>;
using SimCheck = std::function<void(const MeterSim&)>;
using ReplyCheck = std::function<void(const QByteArray&)>;
Q_DECLARE_METATYPE(SimReading)
Q_DECLARE_METATYPE(ByteChecks)
Q_DECLARE_METATYPE(SimCheck)
Q_DECLARE_METATYPE(ReplyCheck)
Q_DECLARE_METATYPE(MeterSim::Fault)

namespace {

// Runs the event loop, where the emulator does its work, until done() or the time is up.
bool waitUntil(const std::function<bool()>& done, int timeoutMs = 2000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.hasExpired(timeoutMs))
            return false;
        QEventLoop loop;
        QTimer::singleShot(1, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

void idle(int ms)
{
    waitUntil([] { return false; }, ms);
}

// A meter with the program's side of the line open on it. Frames are off, so a test sees only
// what it asks for.
struct Bench
{
    MeterSim sim;
    QSerialPort port;

    bool start()
    {
        sim.setStreaming(false);
        if (!sim.open())
            return false;
        port.setPortName(sim.devicePath());
        port.setBaudRate(QSerialPort::Baud19200);
        port.setDataBits(QSerialPort::Data8);
        port.setParity(QSerialPort::NoParity);
        port.setStopBits(QSerialPort::OneStop);
        port.setFlowControl(QSerialPort::NoFlowControl);
        return port.open(QIODevice::ReadWrite) && port.clear();
    }
    void send(const QByteArray& bytes) { port.write(bytes); }
    // At least n bytes, then whatever else has arrived.
    QByteArray read(qint64 n)
    {
        waitUntil([&] { return port.bytesAvailable() >= n; });
        return port.readAll();
    }
};

SimReading with(const std::function<void(SimReading&)>& change)
{
    SimReading r;
    change(r);
    return r;
}

QByteArray autoMemory42()
{
    return encodeAutoSet(2, QTime(9, 30, 5), {SimReading{}, SimReading{}});
}

QList<QByteArray> threeManualRecords()
{
    return {encodeManualRecord(SimReading{}),
            encodeManualRecord(with([](SimReading& r) { r.voltage = QStringLiteral("-1.234"); })),
            encodeManualRecord(with([](SimReading& r) { r.milliAmps = true; }))};
}

bool isValueText(const QString& text, bool signAllowed)
{
    if (text.count(QLatin1Char('.')) > 1)
        return false;
    QString chars = text;
    chars.remove(QLatin1Char('.'));
    if (signAllowed && chars.size() == 5 && chars.startsWith(QLatin1Char('-')))
        chars.remove(0, 1);
    return chars.size() == 4 && std::all_of(chars.cbegin(), chars.cend(), [](QChar c) {
               return QStringLiteral("0123456789 FLUC-").contains(c);
           });
}

} // namespace

class TestMeterSim : public QObject
{
    Q_OBJECT

private slots:
    void displayFrame_data();
    void displayFrame();
    void answers_data();
    void answers();
    void parameterBytes_data();
    void parameterBytes();
    void erase_data();
    void erase();
    void answerWaitsForFrame();
    void faults_data();
    void faults();
    void answerShapes_data();
    void answerShapes();
    void linkReplacesOnlyLinks();
    void unplugAndReplug_data();
    void unplugAndReplug();
    void demoMemoryIsWellFormed();
    void demoBatteryShowsValidTexts();
};

void TestMeterSim::displayFrame_data()
{
    QTest::addColumn<SimReading>("reading");
    QTest::addColumn<ByteChecks>("checks");

    QTest::newRow("framing, default units, Celsius")
        << SimReading{} << ByteChecks{{1, 0xFF, 0x02}, {36, 0xFF, 0x03}, {27, 0xFF, 0x6C}};
    QTest::newRow("voltage sign and point")
        << with([](SimReading& r) { r.voltage = QStringLiteral("-12.34"); })
        << ByteChecks{{2, 0xFF, 0x12}, {3, 0xFF, 0x34}, {23, 0x70, 0x20}, {26, 0x10, 0x10}};
    QTest::newRow("dashes are characters, not a sign")
        << with([](SimReading& r) { r.voltage = QStringLiteral("----"); })
        << ByteChecks{{2, 0xFF, 0xFF}, {3, 0xFF, 0xFF}, {23, 0x70, 0x00}, {26, 0x10, 0x00}};
    QTest::newRow("letters and overload") << with([](SimReading& r) {
        r.voltage = QStringLiteral("FLUC");
        r.current = QStringLiteral("0.0L");
    })
                                          << ByteChecks{{2, 0xFF, 0xBC},
                                                        {3, 0xFF, 0xDE},
                                                        {6, 0xFF, 0xA0},
                                                        {7, 0xFF, 0x0C},
                                                        {24, 0x70, 0x20}};
    QTest::newRow("resistance minus lights its cell only") << with([](SimReading& r) {
        r.resistance = QStringLiteral("03.45");
        r.resistanceMinus = true;
    }) << ByteChecks{{4, 0xFF, 0x03}, {5, 0xFF, 0x45}, {23, 0x07, 0x02}, {26, 0x08, 0x08}};
    QTest::newRow("current in mA with sign") << with([](SimReading& r) {
        r.current = QStringLiteral("-120.5");
        r.milliAmps = true;
    }) << ByteChecks{{6, 0xFF, 0x12}, {7, 0xFF, 0x05}, {24, 0xF0, 0xC0}, {26, 0x04, 0x04}};
    QTest::newRow("short temperature right-aligned, Fahrenheit") << with([](SimReading& r) {
        r.temperature = QStringLiteral("25.0");
        r.tempUnit = SimReading::TempUnit::Fahrenheit;
    }) << ByteChecks{{8, 0xFF, 0xA2}, {9, 0xFF, 0x50}, {24, 0x0F, 0x04}, {27, 0x0A, 0x02}};
    QTest::newRow("temperature sign in byte 24")
        << with([](SimReading& r) { r.temperature = QStringLiteral("- 12.5"); })
        << ByteChecks{{8, 0xFF, 0xA1}, {9, 0xFF, 0x25}, {24, 0x0F, 0x0C}};
    QTest::newRow("In-Cap point counts from the right")
        << with([](SimReading& r) { r.inCap = QStringLiteral("012.3"); })
        << ByteChecks{{10, 0xFF, 0x01}, {11, 0xFF, 0x23}, {29, 0x0F, 0x02}};
    QTest::newRow("Out-Cap in mAh") << with([](SimReading& r) {
        r.outCap = QStringLiteral("0.123");
        r.capMilli[1] = true;
    }) << ByteChecks{{12, 0xFF, 0x01}, {13, 0xFF, 0x23}, {29, 0xF0, 0x90}};
    QTest::newRow("T-Cap sign, point and mAh") << with([](SimReading& r) {
        r.tCap = QStringLiteral("-12.34");
        r.capMilli[2] = true;
    }) << ByteChecks{{14, 0xFF, 0x12}, {15, 0xFF, 0x34}, {31, 0x0F, 0x05}, {30, 0x32, 0x10}};
    QTest::newRow("percent, fields and clock") << with([](SimReading& r) {
        r.percent = QStringLiteral(" 85");
        r.threeChar = QStringLiteral("123");
        r.twoChar = QStringLiteral("45");
        r.hours = QStringLiteral("23");
        r.minutes = QStringLiteral("59");
        r.seconds = QStringLiteral("58");
    }) << ByteChecks{{16, 0xFF, 0xA8}, {17, 0xFF, 0x51}, {18, 0xFF, 0x23}, {19, 0xFF, 0x45},
                     {20, 0xFF, 0x23}, {21, 0xFF, 0x59}, {22, 0xFF, 0x58}};
    QTest::newRow("function, range, memory full, blink") << with([](SimReading& r) {
        r.functionCode = 5;
        r.rangeCode = 3;
        r.memoryFull = true;
        r.blinkSelector = 42;
    }) << ByteChecks{{34, 0xFF, 0xB5}, {35, 0xFF, 42}};
    QTest::newRow("only the extra indicator bits") << with([](SimReading& r) {
        r.defaultUnits = false;
        r.tempUnit = SimReading::TempUnit::None;
        r.extraIndicatorBits[4] = 0x80;
        r.extraIndicatorBits[10] = 0x06;
    }) << ByteChecks{{27, 0xFF, 0x80}, {33, 0xFF, 0x06}};
}

void TestMeterSim::displayFrame()
{
    QFETCH(SimReading, reading);
    QFETCH(ByteChecks, checks);

    const QByteArray frame = encodeDisplayFrame(reading);
    QCOMPARE(frame.size(), 36);
    for (const ByteCheck& c : checks) {
        const int got = quint8(frame.at(c.byte - 1)) & c.mask;
        QVERIFY2(got == c.value, qPrintable(QStringLiteral("byte %1 & 0x%2: 0x%3, want 0x%4")
                                                .arg(c.byte)
                                                .arg(c.mask, 2, 16, QLatin1Char('0'))
                                                .arg(got, 2, 16, QLatin1Char('0'))
                                                .arg(c.value, 2, 16, QLatin1Char('0'))));
    }
}

void TestMeterSim::answers_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("length");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<int>("secondsByte"); // the clock may tick once before it answers

    const QByteArray stx(1, 0x02);
    const QByteArray etx(1, 0x03);
    // MemPointer 32967 + 42 = 0x0080F1, three manual records, size code 2.
    QTest::newRow("A status") << QByteArray("A") << 9
                              << QByteArray("\x02\xDD\x02\xF1\x80\x00\x03\x00\x03", 9) << -1;
    QTest::newRow("V interval") << QByteArray("V") << 3 << QByteArray("\x02\x07\x03") << -1;
    QTest::newRow("U clock") << QByteArray("U") << 6 << QByteArray("\x02\x06\x23\x59\x58\x03") << 4;
    QTest::newRow("I automatic memory, MemPointer - 32965 bytes")
        << QByteArray("I") << 44 << stx + autoMemory42() + etx << -1;
    QTest::newRow("T manual records, 33 n + 2 bytes")
        << QByteArray("T") << 101 << stx + threeManualRecords().join() + etx << -1;
    QTest::newRow("W comparator table, 992 bytes")
        << QByteArray("W") << 992 << stx + demoComparatorTable() + etx << -1;
}

void TestMeterSim::answers()
{
    QFETCH(QByteArray, command);
    QFETCH(int, length);
    QFETCH(QByteArray, expected);
    QFETCH(int, secondsByte);

    Bench bench;
    QVERIFY(bench.start());
    bench.sim.setSizeCode(2);
    bench.sim.setAutoMemory(autoMemory42());
    bench.sim.setManualRecords(threeManualRecords());
    bench.sim.setSamplingSeconds(7);
    bench.sim.setClock(6, 23, 59, 58);

    bench.send(command);
    QByteArray reply = bench.read(length);
    idle(30);
    reply += bench.port.readAll();
    QCOMPARE(reply.size(), length);
    if (secondsByte >= 0) {
        QVERIFY(reply.at(secondsByte) - expected.at(secondsByte) <= 1);
        reply[secondsByte] = expected.at(secondsByte);
    }
    QCOMPARE(reply, expected);
    QCOMPARE(bench.sim.commands(), command);
}

void TestMeterSim::parameterBytes_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QByteArray>("commands");
    QTest::addColumn<SimCheck>("check");

    QTest::newRow("S takes the 0x41 after it as the interval")
        << QByteArray("S\x41") << QByteArray("S")
        << SimCheck([](const MeterSim& sim) { QCOMPARE(sim.samplingSeconds(), quint8(0x41)); });
    QTest::newRow("R stores the set, format bytes first")
        << QByteArray("R\x12\x34\x05\x60\x13\x50\x11\x00\xA1\x22\x07", 12) << QByteArray("R")
        << SimCheck([](const MeterSim& sim) {
               QCOMPARE(sim.comparatorEntry(7),
                        QByteArray("\xA1\x22\x12\x34\x05\x60\x13\x50\x11\x00", 10));
               QCOMPARE(sim.comparatorEntry(8), demoComparatorTable().mid(70, 10));
           });
    QTest::newRow("Q sets the clock from packed BCD")
        << QByteArray("Q\x06\x23\x59\x58\x58") << QByteArray("Q")
        << SimCheck([](const MeterSim& sim) {
               const QDateTime clock = sim.clock();
               QCOMPARE(clock.date().day(), 6);
               QCOMPARE(clock.time().hour(), 23);
               QCOMPARE(clock.time().minute(), 59);
               QVERIFY(clock.time().second() - 58 <= 1);
           });
    QTest::newRow("Q with a byte that is not BCD is ignored")
        << QByteArray("Q\x06\x2A\x59\x58\x58") << QByteArray("Q")
        << SimCheck([](const MeterSim& sim) {
               QCOMPARE(sim.clock().date().day(), 1);
               QCOMPARE(sim.clock().time().hour(), 2);
           });
}

void TestMeterSim::parameterBytes()
{
    QFETCH(QByteArray, message);
    QFETCH(QByteArray, commands);
    QFETCH(SimCheck, check);

    Bench bench;
    QVERIFY(bench.start());
    bench.sim.setClock(1, 2, 3, 4);

    // The status request after the message is answered only if the parameters were counted right.
    bench.send(message + 'A');
    QByteArray reply = bench.read(9);
    idle(30);
    reply += bench.port.readAll();
    QCOMPARE(reply.size(), 9);
    QVERIFY(reply.startsWith("\x02\xDD"));
    QCOMPARE(bench.sim.commands(), commands + 'A');
    check(bench.sim);
}

void TestMeterSim::erase_data()
{
    QTest::addColumn<char>("command");
    QTest::addColumn<QByteArray>("status");
    QTest::addColumn<char>("download");

    QTest::newRow("Y empties the automatic memory")
        << 'Y' << QByteArray("\x02\xDD\x01\xC7\x80\x00\x03\x00\x03", 9) << 'I';
    QTest::newRow("Z empties the manual memory")
        << 'Z' << QByteArray("\x02\xDD\x01\xF1\x80\x00\x00\x00\x03", 9) << 'T';
}

void TestMeterSim::erase()
{
    QFETCH(char, command);
    QFETCH(QByteArray, status);
    QFETCH(char, download);

    Bench bench;
    QVERIFY(bench.start());
    bench.sim.setAutoMemory(autoMemory42());
    bench.sim.setManualRecords(threeManualRecords());

    bench.send(QByteArray(1, command) + 'A');
    QCOMPARE(bench.read(9), status);
    bench.send(QByteArray(1, download));
    QCOMPARE(bench.read(2), QByteArray("\x02\x03"));
}

void TestMeterSim::answerWaitsForFrame()
{
    Bench bench;
    QVERIFY(bench.start());
    const QByteArray frame = encodeDisplayFrame(bench.sim.reading());
    const QByteArray status("\x02\xDD\x01\x2B\x81\x00\x03\x00\x03", 9);
    QCOMPARE(bench.sim.memPointer(), 0x812Bu);

    bench.sim.setPaced(true);
    bench.sim.setFramePeriodMs(0);
    QElapsedTimer clock;
    clock.start();
    bench.sim.setStreaming(true);
    idle(25);
    bench.send("A");

    QByteArray data;
    QVERIFY(waitUntil([&] {
        data += bench.port.readAll();
        const qsizetype at = data.indexOf(status);
        return at >= 0 && data.size() >= at + 9 + 2 * 36;
    }));
    // At 19200 baud no more than about 1.92 bytes can have come per millisecond.
    QVERIFY2(data.size() <= clock.elapsed() * 1.93 + 36, qPrintable(QString::number(data.size())));

    qsizetype pos = 0;
    while (data.mid(pos, 36) == frame)
        pos += 36;
    QVERIFY2(pos > 0, "the answer must come after the frame it waited for");
    QCOMPARE(data.mid(pos, 9), status);
    pos += 9;
    while (data.size() - pos >= 36) {
        QCOMPARE(data.mid(pos, 36), frame);
        pos += 36;
    }
    QVERIFY(frame.startsWith(data.mid(pos)));
}

void TestMeterSim::faults_data()
{
    QTest::addColumn<MeterSim::Fault>("fault");
    QTest::addColumn<bool>("streaming");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("count");
    QTest::addColumn<ReplyCheck>("check");

    const ReplyCheck noFraming = [](const QByteArray& bytes) {
        QVERIFY(!bytes.contains('\x02') && !bytes.contains('\x03'));
    };
    QTest::newRow("silent: no frame, no answer")
        << MeterSim::Fault::Silent << true << QByteArray("A") << 0
        << ReplyCheck([](const QByteArray& bytes) { QVERIFY(bytes.isEmpty()); });
    QTest::newRow("wrong ETX") << MeterSim::Fault::WrongEtx << true << QByteArray() << 36
                               << ReplyCheck([](const QByteArray& bytes) {
                                      QCOMPARE(bytes.at(0), '\x02');
                                      QVERIFY(bytes.at(35) != '\x03');
                                  });
    QTest::newRow("short status answer") << MeterSim::Fault::ShortAnswer << false << QByteArray("A")
                                         << 5 << ReplyCheck([](const QByteArray& bytes) {
                                                QCOMPARE(bytes, QByteArray("\x02\xDD\x01\x2B\x81"));
                                            });
    QTest::newRow("garbage answer")
        << MeterSim::Fault::Garbage << false << QByteArray("A") << 9 << noFraming;
    QTest::newRow("garbage frames")
        << MeterSim::Fault::Garbage << true << QByteArray() << 72 << noFraming;
}

void TestMeterSim::faults()
{
    QFETCH(MeterSim::Fault, fault);
    QFETCH(bool, streaming);
    QFETCH(QByteArray, command);
    QFETCH(int, count);
    QFETCH(ReplyCheck, check);

    Bench bench;
    QVERIFY(bench.start());
    bench.sim.setFault(fault);
    bench.sim.setStreaming(streaming);
    bench.send(command);
    QByteArray reply = bench.read(count);
    idle(count == 0 ? 150 : 30);
    reply += bench.port.readAll();
    if (streaming)
        reply.truncate(count);
    QCOMPARE(reply.size(), count);
    check(reply);
}

using Shape = std::function<void(MeterSim&)>;
Q_DECLARE_METATYPE(Shape)

// A shaped answer changes only its own command: the status exchange before it stays whole.
// An unanswered command, and a cut that lets the display go on, are followed by frames at once.
void TestMeterSim::answerShapes_data()
{
    QTest::addColumn<Shape>("shape");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("answerSize");
    QTest::addColumn<bool>("framesFollow");
    QTest::newRow("muted V") << Shape([](MeterSim& m) { m.muteAnswers("V"); }) << QByteArray("V")
                             << 0 << true;
    QTest::newRow("W cut at 500") << Shape([](MeterSim& m) { m.cutAnswer('W', 500); })
                                  << QByteArray("W") << 500 << false;
    QTest::newRow("W cut at 500, then frames")
        << Shape([](MeterSim& m) { m.cutAnswer('W', 500, MeterSim::AfterCut::Frames); })
        << QByteArray("W") << 500 << true;
    QTest::newRow("U extended by 2")
        << Shape([](MeterSim& m) { m.extendAnswer('U', "xy"); }) << QByteArray("U") << 8 << false;
    QTest::newRow("cleared again") << Shape([](MeterSim& m) {
        m.muteAnswers("U");
        m.clearAnswerShapes();
    }) << QByteArray("U") << 6 << false;
}

void TestMeterSim::answerShapes()
{
    QFETCH(Shape, shape);
    QFETCH(QByteArray, command);
    QFETCH(int, answerSize);
    QFETCH(bool, framesFollow);

    Bench bench;
    QVERIFY(bench.start());
    shape(bench.sim);
    bench.send("A" + command);
    QByteArray reply = bench.read(9 + answerSize);
    idle(150);
    reply += bench.port.readAll();
    QCOMPARE(reply.size(), 9 + answerSize);
    QCOMPARE(reply.left(2), QByteArray("\x02\xDD"));
    if (framesFollow) {
        // A hung meter would keep its display dark for 3 s, longer than this wait.
        bench.sim.setStreaming(true);
        const QByteArray frame = bench.read(36).left(36);
        QCOMPARE(frame, encodeDisplayFrame(bench.sim.reading()));
    }
}

void TestMeterSim::linkReplacesOnlyLinks()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("meter"));
    const QString file = dir.filePath(QStringLiteral("file"));
    QVERIFY(QFile::link(QStringLiteral("/dev/pts/stale"), link));
    QFile regular(file);
    QVERIFY(regular.open(QIODevice::WriteOnly));
    regular.close();
    {
        MeterSim sim;
        QVERIFY(sim.open());
        QVERIFY(sim.makeLink(link));
        QCOMPARE(QFileInfo(link).symLinkTarget(), sim.devicePath());
        QVERIFY(!sim.makeLink(file));
        QVERIFY(QFileInfo(file).isFile() && !QFileInfo(file).isSymLink());

        QSerialPort port(link);
        QVERIFY(port.open(QIODevice::ReadWrite));
    }
    QVERIFY(!QFileInfo(link).isSymLink());
}

void TestMeterSim::unplugAndReplug_data()
{
    QTest::addColumn<bool>("viaProgram");
    QTest::newRow("library") << false;
    QTest::newRow("program, on SIGUSR1 and SIGUSR2") << true;
}

// A pulled cable hangs up the program's port and takes the device and its link away; plugged
// in again, a new device streams behind the same link.
void TestMeterSim::unplugAndReplug()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("meter"));
    MeterSim sim;
    QProcess program;
    std::function<void()> unplug;
    std::function<void()> replug;
    QFETCH(bool, viaProgram);
    if (viaProgram) {
        program.start(QStringLiteral(CELLDESK_METER_SIM),
                      {QStringLiteral("--link"), link, QStringLiteral("--period"), "50"});
        QVERIFY(waitUntil([&] { return QFileInfo(link).isSymLink(); }, 5000));
        unplug = [&] { ::kill(pid_t(program.processId()), SIGUSR1); };
        replug = [&] { ::kill(pid_t(program.processId()), SIGUSR2); };
    } else {
        sim.setFramePeriodMs(50);
        QVERIFY(sim.open() && sim.makeLink(link));
        unplug = [&] { sim.unplug(); };
        replug = [&] { QVERIFY(sim.replug()); };
    }
    const QString firstDevice = QFileInfo(link).symLinkTarget();
    QSerialPort port(link);
    QVERIFY(port.open(QIODevice::ReadWrite));
    QVERIFY(waitUntil([&] { return port.bytesAvailable() >= 36; }));

    unplug();
    QVERIFY(waitUntil([&] { return port.error() != QSerialPort::NoError; }));
    port.close();
    QVERIFY(waitUntil([&] { return !QFileInfo::exists(firstDevice); }));
    QVERIFY(!QFileInfo(link).isSymLink());

    replug();
    QVERIFY(waitUntil([&] { return QFileInfo(link).exists(); }));
    QVERIFY(port.open(QIODevice::ReadWrite));
    QVERIFY(waitUntil([&] { return port.bytesAvailable() >= 72; }));
    const QByteArray frames = port.readAll();
    const qsizetype start = frames.indexOf('\x02');
    QVERIFY(start >= 0 && start + 36 <= frames.size());
    QCOMPARE(frames.at(start + 35), '\x03');

    if (program.state() != QProcess::NotRunning) {
        program.terminate();
        QVERIFY(program.waitForFinished(3000));
        QVERIFY(!QFileInfo(link).isSymLink());
    }
}

void TestMeterSim::demoMemoryIsWellFormed()
{
    // The program splits the memory at set markers; one inside a record would cut a set in two.
    const QByteArray memory = demoAutoMemory();
    const QByteArray marker("\x00\x55\xAA\x00", 4);
    QList<qsizetype> sets;
    for (qsizetype at = memory.indexOf(marker); at >= 0; at = memory.indexOf(marker, at + 1))
        sets.append(at);
    QCOMPARE(sets, (QList<qsizetype>{0, 10 + 3 * 16}));
    QCOMPARE(memory.size(), 10 + 3 * 16 + 10 + 2 * 16);

    const QByteArray table = demoComparatorTable();
    QCOMPARE(table.size(), 990);
    for (int set = 0; set < 99; ++set) {
        for (int i = 2; i < 10; ++i)
            QVERIFY(simFromBcd(quint8(table.at(set * 10 + i))) >= 0);
    }
    for (const QByteArray& record : demoManualRecords())
        QCOMPARE(record.size(), 33);
}

void TestMeterSim::demoBatteryShowsValidTexts()
{
    MeterSim sim;
    DemoBattery battery(sim);
    int lastPercent = 100;
    for (int second = 0; second <= 30000; ++second) {
        battery.step();
        const SimReading r = sim.reading();
        for (const QString& text : {r.voltage, r.current, r.temperature, r.inCap, r.outCap, r.tCap})
            QVERIFY2(isValueText(text, true), qPrintable(text));
        QVERIFY2(isValueText(r.resistance, false) && r.resistance.indexOf(u'.') == 2,
                 qPrintable(r.resistance));
        QVERIFY(r.percent.trimmed().toInt() <= lastPercent);
        lastPercent = r.percent.trimmed().toInt();
        if (second == 3600) {
            // An hour at 1.25 A: about 1250 mAh out.
            QVERIFY(r.capMilli[1]);
            QVERIFY2(qAbs(r.outCap.toDouble() - 1250.0) < 5.0, qPrintable(r.outCap));
        }
    }
    // Past 9999 mAh the capacities are shown in Ah.
    const SimReading r = sim.reading();
    QVERIFY(!r.capMilli[1] && !r.capMilli[2]);
    QVERIFY2(qAbs(r.outCap.toDouble() - 10.42) < 0.05, qPrintable(r.outCap));
}

QTEST_GUILESS_MAIN(TestMeterSim)
#include "tst_metersim.moc"
