// The long-answer reader on the emulator's pty: whole, paced, too long, short, silent,
// cancelled and closing streams, and streams that turn into display frames; the timers always
// run again afterwards.
#include "CommandChannel.h"
#include "Commands.h"
#include "DisplayDecoder.h"
#include "Fetch.h"
#include "MeterLink.h"
#include "SerialLink.h"
#include "SimChannel.h"
#include "SimMemory.h"
#include "SimPort.h"
#include "StreamReader.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

struct Reader : SimChannel
{
    StreamReader reader{channel, link};
};

const QByteArray fullTable = '\x02' + demoComparatorTable() + '\x03';

using Setup = std::function<void(Reader&)>;

} // namespace

Q_DECLARE_METATYPE(Setup)
Q_DECLARE_METATYPE(StreamReader::Outcome)

class TestStreamReader : public QObject
{
    Q_OBJECT
private slots:
    void outcomes_data();
    void outcomes();
    void frameRuns_data();
    void frameRuns();
    void framesNeverEnterTheAnswer();
    void countFromTheStatusAnswer();
    void endsOnRequest_data();
    void endsOnRequest();
    void staleCountsDriveNoRead();
};

// A status exchange that fails leaves the last counts standing; no stream is asked for on them.
void TestStreamReader::staleCountsDriveNoRead()
{
    Reader r;
    QVERIFY(r.meter.open(true));
    r.meter.sim.muteAnswers("A");
    const auto result = r.reader.read(Command::SendAutoMemory,
                                      [](const MeterStatus&) { return qsizetype(102); }, {});
    QCOMPARE(result.outcome, StreamReader::Outcome::NoReply);
    QVERIFY(!result.statusAnswered);
    QVERIFY(result.bytes.isEmpty());
    QVERIFY(!r.meter.sim.commands().contains('I'));
}

void TestStreamReader::outcomes_data()
{
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<double>("totalSeconds");
    QTest::addColumn<StreamReader::Outcome>("outcome");
    QTest::addColumn<int>("minBytes");
    QTest::addColumn<int>("maxBytes");
    QTest::addColumn<int>("minMs");
    QTest::addColumn<int>("maxMs");
    using O = StreamReader::Outcome;
    QTest::newRow("one burst") << Setup([](Reader&) {}) << 0.0 << O::Complete << 992 << 992 << 0
                               << 1000;
    // 994 bytes at 19200 baud take 0.52 s; the reader ends with the last byte.
    QTest::newRow("paced") << Setup([](Reader& r) { r.meter.sim.setPaced(true); }) << 0.0
                           << O::Complete << 992 << 992 << 500 << 1200;
    QTest::newRow("too long: the rest ignored")
        << Setup([](Reader& r) { r.meter.sim.extendAnswer('W', QByteArray(40, '\x55')); }) << 0.0
        << O::Complete << 992 << 992 << 0 << 1000;
    // A slow meter or a USB adapter: the stream is waited for, not asked for again.
    QTest::newRow("first byte after 100 ms")
        << Setup([](Reader& r) { r.meter.sim.delayAnswer('W', 100); }) << 0.0 << O::Complete << 992
        << 992 << 100 << 1200;
    QTest::newRow("silence: first-byte time-out")
        << Setup([](Reader& r) { r.meter.sim.muteAnswers("W"); }) << 0.0 << O::NoReply << 0 << 0
        << 1900 << 3000;
    QTest::newRow("cut at 500: gap time-out")
        << Setup([](Reader& r) { r.meter.sim.cutAnswer('W', 500); }) << 0.0 << O::StoppedShort
        << 500 << 500 << 1900 << 3000;
    // A meter that broke off and went back to its display: the read ends on the third frame,
    // with nothing of the frames taken for the answer.
    QTest::newRow("cut at 500, then display frames") << Setup([](Reader& r) {
        r.meter.sim.cutAnswer('W', 500, MeterSim::AfterCut::Frames);
        r.meter.sim.setStreaming(true);
    }) << 0.0 << O::DisplayFrames << 500 << 500 << 0 << 100000;
    QTest::newRow("overall time-out while bytes still come")
        << Setup([](Reader& r) { r.meter.sim.setPaced(true); }) << 0.25 << O::StoppedShort << 200
        << 600 << 230 << 600;
}

void TestStreamReader::outcomes()
{
    Reader r;
    QVERIFY(r.meter.open());
    fetched<Setup>("setup")(r);
    r.timers.start();
    QSignalSpy progress(&r.reader, &StreamReader::progress);
    QElapsedTimer clock;
    clock.start();
    const StreamReader::Result result = r.reader.read(
        Command::SendComparators, 992, {.totalSeconds = fetched<double>("totalSeconds")});
    const qint64 ms = clock.elapsed();

    QCOMPARE(result.outcome, fetched<StreamReader::Outcome>("outcome"));
    QVERIFY2(result.bytes.size() >= fetched<int>("minBytes") &&
                 result.bytes.size() <= fetched<int>("maxBytes"),
             qPrintable(QString::number(result.bytes.size())));
    QCOMPARE(result.bytes, fullTable.left(result.bytes.size()));
    QVERIFY2(ms >= fetched<int>("minMs") && ms <= fetched<int>("maxMs"),
             qPrintable(QString::number(ms)));
    QVERIFY(result.statusAnswered);
    // Asked once, never again (a frame in flight may make the status exchange ask twice).
    QCOMPARE(withoutStatusRetries(r.meter.sim.commands()), QByteArray("AW"));
    QVERIFY(r.timers.poll().isActive() && r.timers.keepAlive().isActive());
    if (result.outcome == StreamReader::Outcome::DisplayFrames) {
        // Ended as soon as the frames were in, not after the whole count.
        QVERIFY2(result.received - result.bytes.size() <
                     DisplayFrameRunLength + StreamReader::MaxBytesPerWake,
                 qPrintable(QString::number(result.received)));
    } else if (!result.bytes.isEmpty()) {
        QCOMPARE(progress.last().at(0).value<qsizetype>(), result.bytes.size());
        // Woken per block of up to 255 bytes, not per byte.
        QVERIFY2(progress.size() <= 8, qPrintable(QString::number(progress.size())));
    } else {
        QVERIFY(progress.isEmpty());
    }
}

// Where an answer turned into the display: three whole frames at 36-byte steps anywhere, or
// frames back to back to its end, each followed by the next one's STX, as few as fit in it;
// the meter's own answers, binary as they are, never hold them.
void TestStreamReader::frameRuns_data()
{
    const QByteArray frame = encodeDisplayFrame(SimReading{});
    const QByteArray frames = frame.repeated(4);
    const QByteArray manual = '\x02' + demoManualRecords().join() + '\x03'; // 3 records
    QTest::addColumn<QByteArray>("bytes"); // the answer, then what came after its count
    QTest::addColumn<int>("answerLength"); // -1: all of `bytes`
    QTest::addColumn<int>("at");           // where the display starts; -1 nowhere
    QTest::addColumn<bool>("undecided");   // the bytes after the count would tell
    QTest::newRow("answer, then frames")
        << fullTable.left(500) + frame + frame + frame << -1 << 500 << false;
    QTest::newRow("two frames inside an answer")
        << fullTable.left(500) + frame + frame + fullTable.mid(500) << -1 << -1 << false;
    QTest::newRow("an answer ending in two frames")
        << fullTable.left(500) + frame + frame << -1 << 500 << false;
    QTest::newRow("a byte between frames")
        << frame + frame + 'x' + frame + frame << -1 << 73 << false;
    QTest::newRow("comparator table") << fullTable << -1 << -1 << false;
    QTest::newRow("automatic memory, 16 MiB")
        << '\x02' + generatedAutoMemory(16 << 20) + '\x03' << -1 << -1 << false;
    QTest::newRow("automatic memory, short sets")
        << '\x02' + generatedAutoMemory(1 << 20, 3) + '\x03' << -1 << -1 << false;
    QTest::newRow("manual memory, then the display")
        << manual + frame + frame << 101 << -1 << false;
    // A meter that ignored "T", or broke off after one record, and went on with its display.
    QTest::newRow("three manual records: the display instead") << frames << 101 << 0 << false;
    QTest::newRow("one manual record, then the display")
        << manual.left(34) + frames << 101 << 34 << false;
    QTest::newRow("two records, then the display: told after the count")
        << (manual.left(67) + frames).left(104) << 101 << 67 << false;
    QTest::newRow("two records, then the display: the count alone")
        << (manual.left(67) + frames).left(101) << 101 << -1 << true;
    // Byte for byte as an answer whose last record but one ends in STX: taken for the answer.
    QTest::newRow("a frame ending on the answer's last byte")
        << (manual.left(65) + frames).left(137) << 101 << -1 << false;
}

void TestStreamReader::frameRuns()
{
    const QByteArray bytes = fetched<QByteArray>("bytes");
    const int given = fetched<int>("answerLength");
    const qsizetype length = given < 0 ? bytes.size() : given;
    const qsizetype run = findDisplayFrameRun(bytes.first(length));
    const DisplayTail tail = run >= 0 ? DisplayTail{run, false} : findDisplayTail(bytes, length);
    QCOMPARE(int(tail.start), fetched<int>("at"));
    QCOMPARE(tail.undecided, fetched<bool>("undecided"));
}

// Display frames stream back to back; none of their bytes may land in the answer.
void TestStreamReader::framesNeverEnterTheAnswer()
{
    Reader r;
    QVERIFY(r.meter.open(true));
    r.meter.sim.setPaced(true);
    r.meter.sim.setFramePeriodMs(0);
    for (int round = 0; round < 5; ++round) {
        QTest::qWait(7 * round); // meet the frames at different points
        const auto result = r.reader.read(Command::SendComparators, 992, {});
        QCOMPARE(result.outcome, StreamReader::Outcome::Complete);
        QCOMPARE(result.bytes, fullTable.left(992));
    }
}

// The memory download's use: the length comes from the status answer of the same exchange.
void TestStreamReader::countFromTheStatusAnswer()
{
    Reader r;
    QVERIFY(r.meter.open());
    const auto autoLength = [](const MeterStatus& s) { return qsizetype(s.MemPointer) - 32965; };
    auto result = r.reader.read(Command::SendAutoMemory, autoLength, {});
    QCOMPARE(result.outcome, StreamReader::Outcome::Complete);
    QCOMPARE(result.bytes, '\x02' + demoAutoMemory() + '\x03');
    // Framing bytes of any value are taken as they come.
    r.meter.sim.setFramingBytes('\xFF', '\x00');
    result = r.reader.read(Command::SendAutoMemory, autoLength, {});
    QCOMPARE(result.bytes, '\xFF' + demoAutoMemory() + '\x00');

    r.meter.sim.setAutoMemory({});
    r.meter.sim.clearReceived();
    result =
        r.reader.read(Command::SendAutoMemory,
                      [](const MeterStatus& s) { return qsizetype(s.MemPointer) - 32967; }, {});
    QCOMPARE(result.outcome, StreamReader::Outcome::Complete);
    QVERIFY(result.bytes.isEmpty());
    QCOMPARE(r.meter.sim.commands(), QByteArray("A")); // nothing to ask for
}

void TestStreamReader::endsOnRequest_data()
{
    QTest::addColumn<bool>("silent");
    QTest::addColumn<Setup>("end");
    QTest::addColumn<StreamReader::Outcome>("outcome");
    const Setup cancel = [](Reader& r) { r.reader.cancel(); };
    QTest::newRow("cancelled while bytes come")
        << false << cancel << StreamReader::Outcome::Cancelled;
    QTest::newRow("cancelled in silence") << true << cancel << StreamReader::Outcome::Cancelled;
    QTest::newRow("program closing in silence")
        << true << Setup([](Reader& r) { r.link.shutDown(); })
        << StreamReader::Outcome::ProgramClosing;
    // Whatever comes once the port is back is no part of the answer begun before.
    QTest::newRow("unplugged while bytes come")
        << false << Setup([](Reader& r) { r.meter.sim.unplug(); })
        << StreamReader::Outcome::LinkBroken;
}

void TestStreamReader::endsOnRequest()
{
    Reader r;
    QVERIFY(r.meter.open());
    r.meter.sim.setPaced(true);
    if (fetched<bool>("silent"))
        r.meter.sim.muteAnswers("W");
    r.timers.start();
    QElapsedTimer clock;
    connect(&r.meter.sim, &MeterSim::commandReceived, this, [&](char c) {
        if (c != Command::SendComparators)
            return;
        clock.start();
        QTimer::singleShot(150, this, [&] { fetched<Setup>("end")(r); });
    });
    const auto result = r.reader.read(Command::SendComparators, 992, {});
    QCOMPARE(result.outcome, fetched<StreamReader::Outcome>("outcome"));
    QVERIFY2(clock.elapsed() < 150 + 400, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!r.reader.isReading());
    QVERIFY(r.timers.poll().isActive() && r.timers.keepAlive().isActive());
}

QTEST_MAIN(TestStreamReader)
#include "tst_streamreader.moc"
