// The --for duration of celldesk-cli record, read by its parser: every unit, and what it
// refuses. The run itself (tst_cli) only shows that a duration ends it, not which one.
#include "CliCommon.h"
#include "Fetch.h"

#include <QTest>

class TestDuration : public QObject
{
    Q_OBJECT
private slots:
    void durationSeconds_data();
    void durationSeconds();
};

void TestDuration::durationSeconds_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("seconds"); // -1: refused
    QTest::newRow("seconds alone") << "90" << qint64(90);
    QTest::newRow("s") << "90s" << qint64(90);
    QTest::newRow("m") << "10m" << qint64(600);
    QTest::newRow("h") << "2h" << qint64(7200);
    QTest::newRow("d") << "1d" << qint64(86400);
    QTest::newRow("zero") << "0h" << qint64(-1);
    QTest::newRow("an unknown unit") << "2w" << qint64(-1);
    QTest::newRow("a fraction") << "1.5h" << qint64(-1);
}

void TestDuration::durationSeconds()
{
    const std::optional<qint64> read = ::durationSeconds(fetched<QString>("text"));
    QCOMPARE(read.value_or(-1), fetched<qint64>("seconds"));
}

QTEST_APPLESS_MAIN(TestDuration)
#include "tst_duration.moc"
