#include "Fetch.h"
#include "MeterLink.h"
#include "PortName.h"

#include <QTest>

class TestPortChoice : public QObject
{
    Q_OBJECT
private slots:
    void portFromText_data();
    void portFromText();
    void captionToggle_data();
    void captionToggle();
};

void TestPortChoice::portFromText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("previous"); // the port number before the dialog
    QTest::addColumn<int>("portNumber");
    QTest::addColumn<QString>("device"); // empty: nothing to open
    QTest::addColumn<QString>("linkLabel");
    for (int n = 1; n <= 8; ++n)
        QTest::newRow(qPrintable(QString("COM%1").arg(n)))
            << QString("COM%1").arg(n) << 0 << n << QString("/dev/ttyS%1").arg(n - 1)
            << QString("COM%1").arg(n);
    QTest::newRow("Auto") << "Auto" << 0 << 1 << "/dev/ttyS0"
                          << "COM1";
    QTest::newRow("lower case com1") << "com1" << 0 << 0 << ""
                                     << "";
    QTest::newRow("lower case auto") << "auto" << 0 << 0 << ""
                                     << "";
    QTest::newRow("COM9") << "COM9" << 0 << 0 << ""
                          << "";
    QTest::newRow("COM0") << "COM0" << 0 << 0 << ""
                          << "";
    QTest::newRow("trailing blank") << "COM1 " << 0 << 0 << ""
                                    << "";
    QTest::newRow("other text keeps the number") << "xyz" << 3 << 3 << "/dev/ttyS2"
                                                 << "COM3";
    QTest::newRow("kept number out of range") << "xyz" << 9 << 9 << ""
                                              << "";
    QTest::newRow("typed device kept as typed") << "/dev/ttyUSB0" << 0 << 0 << "/dev/ttyUSB0"
                                                << "ttyUSB0";
    QTest::newRow("typed pseudo-terminal") << "/dev/pts/3" << 2 << 0 << "/dev/pts/3"
                                           << "pts/3";
}

void TestPortChoice::portFromText()
{
    const PortChoice port = choosePort(fetched<QString>("text"), fetched<int>("previous"));
    QCOMPARE(port.PortNumber, fetched<int>("portNumber"));
    QCOMPARE(port.devicePath, fetched<QString>("device"));
    if (!port.devicePath.isEmpty())
        QCOMPARE(linkUpCaption(port), fetched<QString>("linkLabel"));
}

void TestPortChoice::captionToggle_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("linkTag");
    QTest::addColumn<QString>("next");
    QTest::newRow("no exchange yet") << "Panel   V7.1"
                                     << ""
                                     << "Panel   V7.1   970410";
    QTest::newRow("fast exchange") << "Panel   V7.1"
                                   << "F"
                                   << "Panel   V7.1   970410F";
    QTest::newRow("slow exchange") << "Panel   V7.1"
                                   << "S"
                                   << "Panel   V7.1   970410S";
    QTest::newRow("long back to short") << "Panel   V7.1   970410S"
                                        << "S"
                                        << "Panel   V7.1";
    QTest::newRow("any other back to short") << "Panel V7.1"
                                             << "F"
                                             << "Panel   V7.1";
}

void TestPortChoice::captionToggle()
{
    QCOMPARE(toggledPanelCaption(fetched<QString>("caption"), fetched<QString>("linkTag")),
             fetched<QString>("next"));
}

QTEST_GUILESS_MAIN(TestPortChoice)
#include "tst_portchoice.moc"
