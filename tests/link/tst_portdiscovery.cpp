// The port dialog's list from the devices the system reports: COM1-COM8 first, the others in
// the order a person expects, each followed by its stable names.
#include "Fetch.h"
#include "PortDiscovery.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using Devices = QList<SerialDevice>;

class TestPortDiscovery : public QObject
{
    Q_OBJECT
private slots:
    void entries_data();
    void entries();
    void toolTipsNameDeviceAndMaker();
    void stableNamesFollowTheirLinks();
};

namespace {

const QStringList kComs{"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"};
const QString kFtdi =
    QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");

QStringList texts(const QList<PortEntry>& entries)
{
    QStringList out;
    for (const PortEntry& entry : entries)
        out << entry.text;
    return out;
}

} // namespace

void TestPortDiscovery::entries_data()
{
    QTest::addColumn<Devices>("devices");
    QTest::addColumn<QStringList>("after"); // what follows COM1..COM8
    QTest::newRow("nothing found") << Devices{} << QStringList{};
    QTest::newRow("numbers by value, ACM before USB")
        << Devices{{"/dev/ttyUSB10", "", "", {}},
                   {"/dev/ttyUSB2", "", "", {}},
                   {"/dev/ttyACM0", "", "", {}}}
        << QStringList{"/dev/ttyACM0", "/dev/ttyUSB2", "/dev/ttyUSB10"};
    QTest::newRow("stable name right after its device")
        << Devices{{"/dev/ttyUSB1", "", "", {}}, {"/dev/ttyUSB0", "", "", {kFtdi}}}
        << QStringList{"/dev/ttyUSB0", kFtdi, "/dev/ttyUSB1"};
    QTest::newRow("COM devices are not listed twice") << Devices{{"/dev/ttyS0", "16550A", "", {}},
                                                                 {"/dev/ttyS7", "", "", {}},
                                                                 {"/dev/ttyS8", "", "", {}}}
                                                      << QStringList{"/dev/ttyS8"};
    QTest::newRow("a device reported twice, listed once")
        << Devices{{"/dev/ttyACM0", "", "", {}}, {"/dev/ttyACM0", "", "", {}}}
        << QStringList{"/dev/ttyACM0"};
    QTest::newRow("nameless entries dropped")
        << Devices{{"", "ghost", "", {}}, {"/dev/pts/3", "", "", {}}} << QStringList{"/dev/pts/3"};
}

void TestPortDiscovery::entries()
{
    const QStringList listed = texts(portEntries(fetched<Devices>("devices")));
    QCOMPARE(listed, kComs + fetched<QStringList>("after"));
}

void TestPortDiscovery::toolTipsNameDeviceAndMaker()
{
    const QList<PortEntry> entries = portEntries(
        {{"/dev/ttyUSB0", "FT232R USB UART", "FTDI", {kFtdi}}, {"/dev/ttyS1", "16550A", "", {}}});
    QCOMPARE(entries.size(), 10);
    QCOMPARE(entries[0].toolTip, QString("/dev/ttyS0"));
    QCOMPARE(entries[1].toolTip, QString("/dev/ttyS1\n16550A"));
    QCOMPARE(entries[8].toolTip, QString("/dev/ttyUSB0\nFT232R USB UART\nFTDI"));
    QCOMPARE(entries[9].toolTip, kFtdi + "\n/dev/ttyUSB0\nFT232R USB UART\nFTDI");
}

// A folder of links as udev makes them: each link that leads to a device is one of its
// names; dangling links and plain files are not.
void TestPortDiscovery::stableNamesFollowTheirLinks()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString node = dir.filePath("ttyUSB0");
    const QString other = dir.filePath("ttyACM0");
    for (const QString& path : {node, other}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(QDir().mkpath(dir.filePath("by-id")));
    const QString byId = dir.filePath("by-id");
    QVERIFY(QFile::link("../ttyUSB0", byId + "/usb-FTDI_FT232R-if00-port0"));
    QVERIFY(QFile::link(node, byId + "/usb-FTDI_FT232R-if01-port0"));
    QVERIFY(QFile::link("../ttyUSB9", byId + "/usb-gone-if00-port0"));
    QFile plain(byId + "/README");
    QVERIFY(plain.open(QIODevice::WriteOnly));

    Devices devices{{node, "", "", {}}, {other, "", "", {}}};
    addStableNames(devices, byId);
    QCOMPARE(devices[0].stableNames, (QStringList{byId + "/usb-FTDI_FT232R-if00-port0",
                                                  byId + "/usb-FTDI_FT232R-if01-port0"}));
    QVERIFY(devices[1].stableNames.isEmpty());

    addStableNames(devices, dir.filePath("no-such-folder")); // a machine without by-id names
    QCOMPARE(devices[0].stableNames.size(), 2);
}

QTEST_GUILESS_MAIN(TestPortDiscovery)
#include "tst_portdiscovery.moc"
