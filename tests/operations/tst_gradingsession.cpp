// The grading session's bookkeeping over a real cell database: which ID each cell gets
// (automatic, typed, a new prefix, one another program took, a session opened again), a cell
// measured again or removed, and every cell shown being a cell stored.
#include "CellStore.h"
#include "Clock.h"
#include "GradingSession.h"
#include "SimMemory.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// One cell set on the probes after they were off: five steady frames a quarter second apart.
void present(GradingSession& session, CurrentReading& reading, ManualClock& clock,
             const QString& volts)
{
    const auto frame = [&](const QString& v, const QString& r) {
        reading.valueTexts[CurrentReading::Voltage] = v;
        reading.valueTexts[CurrentReading::Resistance] = r;
        ++reading.frameNumber;
        clock.advanceMs(250);
        session.takeFrame();
    };
    frame(QStringLiteral("0.000"), QStringLiteral(" 0L "));
    for (int k = 0; k < 5; ++k)
        frame(volts, QStringLiteral("041.2"));
}

QStringList ids(const QList<GradedCell>& cells)
{
    QStringList out;
    for (const GradedCell& c : cells)
        out << c.id;
    return out;
}

} // namespace

class TestGradingSession : public QObject
{
    Q_OBJECT
private slots:
    void cellIds_data();
    void cellIds();
};

void TestGradingSession::cellIds_data()
{
    // take, type:ID, prefix:P, other:ID (another program stores ID in this session), reopen,
    // again:N (measure cell N again, from 1), remove:N; frame (one steady frame arrives now),
    // wait:MS, lost (the link), space (the present reading taken by hand)
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("cells");
    QTest::newRow("automatic") << "take take take" << QStringList{"A0001", "A0002", "A0003"};
    QTest::newRow("typed, then automatic") << "type:SN-1 take take" << QStringList{"SN-1", "A0001"};
    QTest::newRow("a typed ID the counter would give is skipped")
        << "take type:A0002 take take" << QStringList{"A0001", "A0002", "A0003"};
    QTest::newRow("a typed ID in use is refused")
        << "take type:A0001 take" << QStringList{"A0001", "A0002"};
    QTest::newRow("a new prefix counts from 1, a known one skips what it has")
        << "take prefix:B take prefix:A take" << QStringList{"A0001", "B0001", "A0002"};
    QTest::newRow("another program took the next ID")
        << "take other:A0002 take" << QStringList{"A0001", "A0003"};
    QTest::newRow("opened again, it counts on")
        << "take take reopen take" << QStringList{"A0001", "A0002", "A0003"};
    QTest::newRow("measured again: same ID, one cell")
        << "take again:1 take" << QStringList{"A0001"};
    QTest::newRow("a removed cell's ID is not given again")
        << "take remove:1 take" << QStringList{"A0002"};
    // Space takes the present reading only while it is young: its frame at most 1 s old.
    QTest::newRow("Space on a reading 1 s old") << "frame wait:1000 space" << QStringList{"A0001"};
    QTest::newRow("Space on an older reading takes nothing")
        << "frame wait:1001 space take" << QStringList{"A0001"};
    QTest::newRow("Space with the link lost takes nothing") << "frame lost space" << QStringList{};
    // The meter's three manual readings, all in one commit, around an ID taken meanwhile.
    QTest::newRow("an import after a cell")
        << "take import" << QStringList{"A0001", "A0002", "A0003", "A0004"};
    QTest::newRow("an import past an ID another program took")
        << "other:A0002 import" << QStringList{"A0001", "A0003", "A0004"};
}

void TestGradingSession::cellIds()
{
    QFETCH(QString, script);
    QTemporaryDir dir;
    CellStore store;
    QVERIFY(store.open(dir.filePath("cells.sqlite")));
    CurrentReading reading;
    reading.RangeText = QStringLiteral("400 mOhm");
    reading.TempUnitText = QStringLiteral("Celsius");
    ManualClock clock;
    auto session = std::make_unique<GradingSession>(store, reading, clock);
    QVERIFY(session->open(QStringLiteral("tray")));
    int taken = 0;
    for (const QString& token : script.split(u' ')) {
        const QString arg = token.section(u':', 1);
        if (token == u"take") {
            present(*session, reading, clock, QStringLiteral("3.%1").arg(900 + ++taken));
        } else if (token.startsWith(u"type:")) {
            (void)session->setNextId(arg);
        } else if (token.startsWith(u"prefix:")) {
            QVERIFY(session->setPrefix(arg));
        } else if (token.startsWith(u"other:")) {
            CellStore other;
            QVERIFY(other.open(store.path()));
            GradedCell c;
            c.id = arg;
            c.taken = clock.now();
            QVERIFY(other.addCell(session->info().key, c, 1));
        } else if (token == u"reopen") {
            session = std::make_unique<GradingSession>(store, reading, clock);
            QVERIFY(session->open(QStringLiteral("tray")));
        } else if (token.startsWith(u"again:")) {
            QVERIFY(session->measureAgain(session->cells()[arg.toInt() - 1].key));
        } else if (token.startsWith(u"remove:")) {
            QVERIFY(session->removeCell(session->cells()[arg.toInt() - 1].key));
        } else if (token == u"frame") {
            reading.valueTexts[CurrentReading::Voltage] = QStringLiteral("3.950");
            reading.valueTexts[CurrentReading::Resistance] = QStringLiteral("041.2");
            ++reading.frameNumber;
            reading.frameReceivedMs = clock.monotonicMs();
            session->takeFrame();
        } else if (token.startsWith(u"wait:")) {
            clock.advanceMs(arg.toInt());
        } else if (token == u"lost") {
            session->setLinkLost(true);
        } else if (token == u"space") {
            (void)session->takeNow();
        } else if (token == u"import") {
            QVERIFY(session->importManual('\x02' + demoManualRecords().join() + '\x03'));
        }
    }
    QTEST(ids(session->cells()), "cells");
    // What the session shows is what the file holds, values and all.
    const QList<GradedCell> stored = *store.cells(session->info().key);
    for (const GradedCell& shown : session->cells()) {
        const auto it = std::find_if(stored.begin(), stored.end(),
                                     [&](const GradedCell& c) { return c.key == shown.key; });
        QVERIFY2(it != stored.end(), qPrintable(shown.id));
        QCOMPARE(it->id, shown.id);
        QCOMPARE(it->values, shown.values);
    }
    if (script.contains(u"again"))
        QCOMPARE(session->cells().first().values.voltage, std::optional(3.902));
}

QTEST_GUILESS_MAIN(TestGradingSession)
#include "tst_gradingsession.moc"
