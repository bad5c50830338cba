#include "Fetch.h"
#include "RemoteKeys.h"

#include <QTest>

class TestRemoteKeys : public QObject
{
    Q_OBJECT
private slots:
    void commandPerHoldTime_data();
    void commandPerHoldTime();
};

void TestRemoteKeys::commandPerHoldTime_data()
{
    QTest::addColumn<bool>("arrow");
    QTest::addColumn<int>("index");
    // The command after holding 0, 2.0, 2.001, 5.0 and 5.001 s.
    QTest::addColumn<QByteArray>("commands");
    QTest::newRow("arrow 0") << true << 0 << QByteArray("EEKKL");
    QTest::newRow("arrow 1") << true << 1 << QByteArray("DDJJJ");
    QTest::newRow("arrow 2") << true << 2 << QByteArray("CC\\\\\\");
    QTest::newRow("arrow 3") << true << 3 << QByteArray("BBBBB");
    QTest::newRow("grey 0") << false << 0 << QByteArray("HHOO[");
    QTest::newRow("grey 1") << false << 1 << QByteArray("GGNNN");
    QTest::newRow("grey 2") << false << 2 << QByteArray("FFXXX");
    QTest::newRow("no arrow 4") << true << 4 << QByteArray(5, '\0');
    QTest::newRow("no grey 3") << false << 3 << QByteArray(5, '\0');
    QTest::newRow("no grey -1") << false << -1 << QByteArray(5, '\0');
}

void TestRemoteKeys::commandPerHoldTime()
{
    const KeyRow row = fetched<bool>("arrow") ? KeyRow::Arrow : KeyRow::Gray;
    QFETCH(int, index);
    QByteArray sent;
    for (double held : {0.0, 2.0, 2.001, 5.0, 5.001})
        sent += keyCommand(row, index, held);
    QCOMPARE(sent, fetched<QByteArray>("commands"));
}

QTEST_GUILESS_MAIN(TestRemoteKeys)
#include "tst_remotekeys.moc"
