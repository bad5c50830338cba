// What ends the link-lost wait: only a whole display frame, however the meter's bytes are cut
// into reads; framed blocks of any other length keep the link lost.
#include "Fetch.h"
#include "FrameBytes.h"
#include "MeterLink.h"
#include "SerialLink.h"
#include "SimPort.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

// A line whose bytes arrive exactly when the test pushes them.
class ScriptedLine : public QIODevice
{
public:
    ScriptedLine() { open(QIODevice::ReadWrite); }
    void push(const QByteArray& bytes)
    {
        m_waiting += bytes;
        emit readyRead();
    }
    [[nodiscard]] bool isSequential() const override { return true; }
    [[nodiscard]] qint64 bytesAvailable() const override
    {
        return m_waiting.size() + QIODevice::bytesAvailable();
    }

protected:
    qint64 readData(char* data, qint64 max) override
    {
        const qint64 n = qMin<qint64>(max, m_waiting.size());
        memcpy(data, m_waiting.constData(), size_t(n));
        m_waiting.remove(0, n);
        return n;
    }
    qint64 writeData(const char*, qint64 size) override { return size; }

private:
    QByteArray m_waiting;
};

} // namespace

class TestLinkLost : public QObject
{
    Q_OBJECT
private slots:
    void onlyADisplayFrameEndsTheWait_data();
    void onlyADisplayFrameEndsTheWait();
    void frameSplitBetweenReadsCounts();
};

void TestLinkLost::onlyADisplayFrameEndsTheWait_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<int>("periodMs"); // 0: back to back, so reads cut through frames
    QTest::addColumn<bool>("ends");
    const QByteArray frame = frameWith();
    QTest::newRow("display frame") << frame << 150 << true;
    QTest::newRow("frames back to back") << frame << 0 << true;
    QTest::newRow("35 bytes from STX to ETX") << frame.left(34) + '\x03' << 150 << false;
    QTest::newRow("37 bytes from STX to ETX") << frame.left(35) + "\x00\x03" << 150 << false;
    QTest::newRow("37-byte blocks back to back") << frame.left(35) + "\x00\x03" << 0 << false;
    QTest::newRow("STX ETX alone") << QByteArray("\x02\x03") << 150 << false;
    QTest::newRow("36 bytes, wrong ETX") << frameWith({{36, 0x04}}) << 150 << false;
}

void TestLinkLost::onlyADisplayFrameEndsTheWait()
{
    SimPort meter;
    QVERIFY(meter.open(true));
    meter.sim.setPaced(true);
    meter.sim.setFramePeriodMs(fetched<int>("periodMs"));
    meter.sim.setRawFrame(fetched<QByteArray>("block"));
    SerialLink serial(&meter.port);
    MeterLink link(serial, choosePort(QStringLiteral("COM1")));
    QSignalSpy restored(&link, &MeterLink::linkRestored);
    // After a while the meter sends its true display, which must end any wait.
    constexpr int switchMs = 800;
    QTimer trueDisplay;
    trueDisplay.setSingleShot(true);
    connect(&trueDisplay, &QTimer::timeout, this, [&] {
        meter.sim.setRawFrame({});
        meter.sim.setFramePeriodMs(150);
    });
    trueDisplay.start(switchMs);
    QElapsedTimer clock;
    clock.start();
    link.WaitForMeter();
    const bool endedEarly = clock.elapsed() < switchMs;
    QCOMPARE(endedEarly, fetched<bool>("ends"));
    QCOMPARE(restored.count(), 1);
    QVERIFY(clock.elapsed() < switchMs + 1000);
}

// The wait reads every 0.2 s; a frame whose two halves fall into different reads still shows
// that the meter is back.
void TestLinkLost::frameSplitBetweenReadsCounts()
{
    ScriptedLine line;
    SerialLink serial(&line);
    MeterLink link(serial, choosePort(QStringLiteral("COM1")));
    const QByteArray frame = frameWith();
    QObject context;
    QTimer::singleShot(100, &context, [&] { line.push(frame.left(20)); });
    QTimer::singleShot(300, &context, [&] { line.push(frame.mid(20)); });
    QTimer::singleShot(1500, &context, [&] { line.push(frame); }); // ends the wait anyway
    QElapsedTimer clock;
    clock.start();
    link.WaitForMeter();
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
}

QTEST_GUILESS_MAIN(TestLinkLost)
#include "tst_linklost.moc"
