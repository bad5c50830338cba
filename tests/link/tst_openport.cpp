#include "MeterSim.h"
#include "OpenMeterPort.h"

#include <QSerialPort>
#include <QTest>

class TestOpenPort : public QObject
{
    Q_OBJECT
private slots:
    void opensAtMeterSettings();
    void busyPortIsNamedAsBusy();
};

void TestOpenPort::opensAtMeterSettings()
{
    MeterSim sim;
    QVERIFY(sim.open());
    QSerialPort port;
    QVERIFY(OpenMeterPort(port, sim.devicePath()).ok);
    QCOMPARE(port.baudRate(), 19200);
    QCOMPARE(port.parity(), QSerialPort::NoParity);
    QCOMPARE(port.dataBits(), QSerialPort::Data8);
    QCOMPARE(port.stopBits(), QSerialPort::OneStop);
}

void TestOpenPort::busyPortIsNamedAsBusy()
{
    MeterSim sim;
    QVERIFY(sim.open());
    QSerialPort first;
    QVERIFY(OpenMeterPort(first, sim.devicePath()).ok);
    QSerialPort second;
    const PortOpenResult result = OpenMeterPort(second, sim.devicePath());
    QVERIFY(!result.ok);
    QVERIFY2(result.reason.contains("in use"), qPrintable(result.reason));
}

QTEST_GUILESS_MAIN(TestOpenPort)
#include "tst_openport.moc"
