// The serial link when the line goes away (an adapter pulled out) and comes back, and what it
// holds from a line that sends faster than anyone reads.
#include "Fetch.h"
#include "MeterSim.h"
#include "OpenMeterPort.h"
#include "SerialLink.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <ctime>
#include <functional>

namespace {

double processCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

// The emulator behind a link, and the program's port opened on the link.
struct Line
{
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("meter"));
    MeterSim sim;
    QSerialPort port;
    SerialLink serial{&port};

    bool open()
    {
        sim.setStreaming(false);
        return sim.open() && sim.makeLink(path) && OpenMeterPort(port, path).ok;
    }
};

// A raw pseudo-terminal whose master side the test writes as fast as it likes.
struct Flood
{
    int master = -1;
    int slave = -1;
    QSerialPort port;
    SerialLink serial{&port};

    bool open()
    {
        char name[128];
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return false;
        termios tio{};
        ::tcgetattr(master, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(master, TCSANOW, &tio);
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        return OpenMeterPort(port, QString::fromLatin1(name)).ok;
    }
    // Writes up to `bytes` without blocking; returns how many the terminal took.
    qint64 pour(qint64 bytes)
    {
        const QByteArray chunk(1024, 'x');
        qint64 written = 0;
        while (written < bytes) {
            const ssize_t n = ::write(master, chunk.constData(),
                                      size_t(qMin<qint64>(chunk.size(), bytes - written)));
            if (n <= 0)
                break;
            written += n;
        }
        return written;
    }
    ~Flood()
    {
        port.close();
        if (master >= 0)
            ::close(master);
        if (slave >= 0)
            ::close(slave);
    }
};

using Setup = std::function<void(Line&)>;

} // namespace

Q_DECLARE_METATYPE(Setup)

class TestPortLoss : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void lossClosesThePort_data();
    void lossClosesThePort();
    void reopensBehindTheSameLink();
    void readsAreBoundedButReadersGetTheirBytes_data();
    void readsAreBoundedButReadersGetTheirBytes();
};

void TestPortLoss::init()
{
    // A write to a closed port would warn "device not open".
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
}

void TestPortLoss::lossClosesThePort_data()
{
    QTest::addColumn<Setup>("setup");
    QTest::newRow("idle line") << Setup([](Line&) {});
    QTest::newRow("write queued when the line goes") << Setup([](Line& l) {
        l.sim.unplug();
        l.serial.writeBytes(QByteArray(64, 'a'));
    });
    QTest::newRow("input full, nobody reading") << Setup([](Line& l) {
        l.sim.setRawFrame(QByteArray(2 * SerialLink::ReadBound, 'x'));
        l.sim.setStreaming(true);
        QTRY_VERIFY(l.serial.inputCount() >= SerialLink::ReadBound);
    });
}

// Noticed within a second, the port is closed, nothing more is written, and the program
// sleeps while the line is gone.
void TestPortLoss::lossClosesThePort()
{
    Line l;
    QVERIFY(l.open());
    QSignalSpy gone(&l.serial, &SerialLink::gone);
    fetched<Setup>("setup")(l);
    QElapsedTimer clock;
    clock.start();
    l.sim.unplug();
    QVERIFY(gone.wait(1500) || gone.count() == 1);
    QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(l.serial.isGone());
    QVERIFY(!l.port.isOpen());
    QVERIFY(!l.serial.writeByte('A'));
    QCOMPARE(l.serial.inputCount(), 0);

    const double cpuBefore = processCpuSeconds();
    QTest::qWait(1000);
    const double cpu = processCpuSeconds() - cpuBefore;
    QVERIFY2(cpu < 0.2, qPrintable(QString("%1 s of CPU in 1 s with the line gone").arg(cpu)));
    QCOMPARE(gone.count(), 1);
}

void TestPortLoss::reopensBehindTheSameLink()
{
    Line l;
    QVERIFY(l.open());
    QSignalSpy back(&l.serial, &SerialLink::back);
    // A wait in progress ends when the line goes, as a silent meter's would.
    QTimer::singleShot(100, this, [&] { l.sim.unplug(); });
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!l.serial.waitForBytes(9, 5.0));
    QVERIFY(clock.elapsed() < 1500);
    QVERIFY(l.serial.isGone());

    QVERIFY(!l.serial.reopen(l.path)); // still unplugged
    QVERIFY(l.serial.isGone());
    QVERIFY(l.sim.replug());
    QVERIFY(l.serial.reopen(l.path));
    QCOMPARE(back.count(), 1);
    QVERIFY(!l.serial.isGone());
    QCOMPARE(l.port.baudRate(), 19200);

    l.sim.clearReceived();
    QVERIFY(l.serial.writeByte('A'));
    QVERIFY(l.serial.waitForBytes(9, 2.0));
    QCOMPARE(l.sim.received(), QByteArray("A")); // nothing from before the loss
}

void TestPortLoss::readsAreBoundedButReadersGetTheirBytes_data()
{
    QTest::addColumn<qsizetype>("wanted");
    QTest::newRow("comparator table") << qsizetype(992);
    QTest::newRow("more than the bound in one wait") << qsizetype(3 * SerialLink::ReadBound);
}

void TestPortLoss::readsAreBoundedButReadersGetTheirBytes()
{
    Flood f;
    QVERIFY(f.open());
    // Far more than the bound arrives while nobody reads: the port holds only the bound.
    f.pour(16 * SerialLink::ReadBound);
    QTest::qWait(200);
    f.pour(16 * SerialLink::ReadBound);
    QTest::qWait(200);
    QCOMPARE(f.serial.inputCount(), SerialLink::ReadBound);

    // A reader that empties the input and waits for its count gets all of it, even beyond
    // the bound, while the line keeps coming.
    const qsizetype wanted = fetched<qsizetype>("wanted");
    f.serial.discardInput();
    QTimer pouring;
    connect(&pouring, &QTimer::timeout, this, [&] { f.pour(4096); });
    pouring.start(5);
    QVERIFY(f.serial.waitForBytes(wanted, 5.0));
    pouring.stop();
    QVERIFY(f.serial.readAll().size() >= wanted);

    // Afterwards the bound holds again.
    f.pour(16 * SerialLink::ReadBound);
    QTest::qWait(200);
    QVERIFY(f.serial.inputCount() <= SerialLink::ReadBound);
}

QTEST_GUILESS_MAIN(TestPortLoss)
#include "tst_portloss.moc"
