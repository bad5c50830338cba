// The pure rules of cell grading: the capture rule over frame sequences, verdicts, limits from
// the comparator, pack matching by its invariants, and the grade CSV read back as a pack's
// cells.
#include "CellCapture.h"
#include "CellGrade.h"
#include "Fetch.h"
#include "GradeCsv.h"
#include "GradeStatistics.h"
#include "PackMatcher.h"

#include <QRandomGenerator>
#include <QSet>
#include <QTest>

#include <cmath>
#include <numbers>

namespace {

constexpr qint64 kFrameMs = 250;

// Runs a script of frames through the capture rule and lists what it took, each as
// "V/mOhm@frame" (the 1-based frame that completed it). Tokens, space-separated:
//   3.912/41.23  a frame 250 ms after the last (volts, milliohms; "OL" for an overload)
//   x4           the last frame's values four more times, each a new frame
//   stale        the last frame again, same number, 250 ms later (the reading did not change)
//   gap          the next frame comes 2 s late
//   lost         the link is lost
//   take         a cell taken by hand
QStringList captured(const QString& script, int tolerance)
{
    CellCapture capture({.settleMs = 800, .toleranceDigits = tolerance});
    QStringList taken;
    CaptureFrame frame;
    qint64 ms = 0;
    int frames = 0;
    qint64 extra = 0;
    const auto feed = [&] {
        frame.ms = ms += kFrameMs + extra;
        extra = 0;
        ++frames;
        if (const auto cell = capture.feed(frame))
            taken << QStringLiteral("%1/%2@%3")
                         .arg(*cell->voltage, 0, 'f', 3)
                         .arg(*cell->resistance * 1000, 0, 'f', 2)
                         .arg(frames);
    };
    for (const QString& token : script.split(u' ', Qt::SkipEmptyParts)) {
        if (token == u"stale") {
            --frame.number;
            feed();
            ++frame.number;
        } else if (token == u"gap") {
            extra = 2000;
        } else if (token == u"lost") {
            capture.pause();
        } else if (token == u"take") {
            capture.holdUntilLifted();
        } else if (token.startsWith(u'x')) {
            for (int k = token.mid(1).toInt(); k > 0; --k) {
                ++frame.number;
                feed();
            }
        } else {
            const QStringList vr = token.split(u'/');
            frame.values.voltage = vr[0].toDouble();
            frame.values.resistance =
                vr[1] == u"OL" ? std::nullopt : std::optional(vr[1].toDouble() / 1000.0);
            frame.voltageStep = 0.001;
            frame.resistanceStep = 0.00001;
            ++frame.number;
            feed();
        }
    }
    return taken;
}

QDateTime at(int hh, int mm, int ss)
{
    return QDateTime(QDate(2026, 12, 8), QTime(hh, mm, ss), Qt::OffsetFromUTC, 3600);
}

GradeLimits limitsOf(const QString& text)
{
    const QStringList p = text.split(u':');
    const auto value = [&](int k) {
        return p.value(k).isEmpty() ? std::nullopt : std::optional(p[k].toDouble());
    };
    GradeLimits limits;
    limits.voltageMin = value(0);
    limits.voltageMax = value(1);
    limits.resistanceMax = value(2);
    limits.voltageWarnMin = value(3);
    limits.voltageWarnMax = value(4);
    limits.resistanceWarn = value(5);
    return limits;
}

// A tray of `count` cells: capacities about 2.5 Ah in mAh steps and resistances about 40 mOhm
// in 0.01 mOhm steps; `failing` of every hundred do not pass, `withoutCapacity` have none.
QList<PackCell> tray(quint32 seed, int count, int failing, int withoutCapacity)
{
    QRandomGenerator random(seed);
    QList<PackCell> cells;
    for (int i = 0; i < count; ++i) {
        const auto gauss = [&] {
            return std::sqrt(-2 * std::log(1 - random.generateDouble())) *
                   std::cos(2 * std::numbers::pi * random.generateDouble());
        };
        PackCell c;
        c.id = automaticCellId(QStringLiteral("T"), i + 1);
        if (int(random.bounded(100)) >= withoutCapacity)
            c.capacity = std::round((2.5 + 0.05 * gauss()) * 1000) / 1000;
        c.resistance = std::round((40 + 3 * gauss()) * 100) / 100 / 1000;
        c.passing = int(random.bounded(100)) >= failing;
        cells.append(c);
    }
    return cells;
}

} // namespace

class TestGrading : public QObject
{
    Q_OBJECT
private slots:
    void captureRule_data();
    void captureRule();
    void verdicts_data();
    void verdicts();
    void limitsFromComparator_data();
    void limitsFromComparator();
    void typedLimits_data();
    void typedLimits();
    void packInvariants_data();
    void packInvariants();
    void gradeCsvIsAPacksCells();
    void histogramHoldsEveryValue_data();
    void histogramHoldsEveryValue();
};

void TestGrading::captureRule_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("tolerance");
    QTest::addColumn<QStringList>("taken");

    const QString a = QStringLiteral("3.912/41.23");
    QTest::newRow("steady: taken once the settle time is covered")
        << a + " x4" << 0 << QStringList{"3.912/41.23@5"};
    QTest::newRow("one frame short of the settle time") << a + " x3" << 0 << QStringList{};
    QTest::newRow("flicker of one digit: the median")
        << "3.913/41.24 3.912/41.23 3.913/41.23 3.912/41.24 3.912/41.23" << 0
        << QStringList{"3.912/41.23@5"};
    QTest::newRow("flicker of two digits is no steady reading")
        << "3.912/41.23 3.914/41.23 3.912/41.23 3.914/41.23 3.912/41.23 3.914/41.23" << 0
        << QStringList{};
    QTest::newRow("the same flicker within a widened tolerance")
        << "3.912/41.23 3.914/41.23 3.912/41.23 3.914/41.23 3.912/41.23" << 1
        << QStringList{"3.912/41.23@5"};
    QTest::newRow("settle ramp while the probes bite is never taken")
        << "0/OL 3.500/90.00 3.800/60.00 3.900/45.00 3.911/41.50 3.912/41.23 x4" << 0
        << QStringList{"3.912/41.23@10"};
    QTest::newRow("a slow creep of one digit a frame never settles")
        << "3.900/41.23 3.901/41.23 3.902/41.23 3.903/41.23 3.904/41.23 3.905/41.23" << 0
        << QStringList{};
    QTest::newRow("probes lifted and set on again: two cells")
        << a + " x6 0/OL " + a + " x4" << 0 << QStringList{"3.912/41.23@5", "3.912/41.23@13"};
    QTest::newRow("below 0.1 V the probes are off")
        << a + " x4 0.050/41.23 " + a + " x4" << 0
        << QStringList{"3.912/41.23@5", "3.912/41.23@11"};
    QTest::newRow("held for a minute: one cell")
        << a + " x240" << 0 << QStringList{"3.912/41.23@5"};
    QTest::newRow("touched too briefly: nothing") << a + " x2 0/OL 0/OL" << 0 << QStringList{};
    QTest::newRow("stale frames count for nothing")
        << a + " stale stale stale stale stale stale" << 0 << QStringList{};
    QTest::newRow("link lost while settling: the settle time starts again")
        << a + " x2 lost " + a + " x4" << 0 << QStringList{"3.912/41.23@8"};
    QTest::newRow("a gap between frames starts it again")
        << a + " x2 gap " + a + " x4" << 0 << QStringList{"3.912/41.23@8"};
    QTest::newRow("link lost while held, the same cell after it: one cell")
        << a + " x4 lost " + a + " x6" << 0 << QStringList{"3.912/41.23@5"};
    QTest::newRow("link lost while held, another cell after it: two cells")
        << a + " x4 lost 4.105/38.02 x4" << 0 << QStringList{"3.912/41.23@5", "4.105/38.02@10"};
    QTest::newRow("taken by hand: the next one after the probes left")
        << "take " + a + " x6 0/OL " + a + " x4" << 0 << QStringList{"3.912/41.23@13"};
}

void TestGrading::captureRule()
{
    QFETCH(QString, script);
    QFETCH(int, tolerance);
    QFETCH(QStringList, taken);
    QCOMPARE(captured(script, tolerance), taken);
}

void TestGrading::verdicts_data()
{
    QTest::addColumn<QString>("limits"); // vmin:vmax:rmax:vwarnmin:vwarnmax:rwarn
    QTest::addColumn<double>("volts");
    QTest::addColumn<double>("ohms"); // negative: overload
    QTest::addColumn<QString>("verdict");
    QTest::addColumn<QString>("reason");

    const QString limits = QStringLiteral("3.6:4.2:0.060");
    QTest::newRow("inside") << limits << 3.912 << 0.04123 << "PASS"
                            << "";
    QTest::newRow("on the limits") << limits << 4.2 << 0.060 << "PASS"
                                   << "";
    QTest::newRow("R above") << limits << 3.912 << 0.0612 << "FAIL"
                             << "R 61.2 mOhm > 60.0 mOhm";
    QTest::newRow("R just above: more digits") << limits << 3.912 << 0.06004 << "FAIL"
                                               << "R 60.04 mOhm > 60.00 mOhm";
    QTest::newRow("V below") << limits << 3.512 << 0.04 << "FAIL"
                             << "V 3.512 V < 3.600 V";
    QTest::newRow("both") << limits << 4.251 << 0.0612 << "FAIL"
                          << "V 4.251 V > 4.200 V; R 61.2 mOhm > 60.0 mOhm";
    QTest::newRow("R overload") << limits << 3.912 << -1.0 << "FAIL"
                                << "R OL";
    QTest::newRow("R in the warning band") << "3.6:4.2:0.060:::0.045" << 3.912 << 0.0501 << "WARN"
                                           << "R 50.1 mOhm > 45.0 mOhm";
    QTest::newRow("V in the warning band") << "3.0:4.3::3.6:4.2:" << 4.25 << 0.04 << "WARN"
                                           << "V 4.250 V > 4.200 V";
    QTest::newRow("a fail outweighs a warning")
        << "3.0:4.3:0.060:3.6:4.2:0.045" << 4.25 << 0.07 << "FAIL"
        << "R 70.0 mOhm > 60.0 mOhm";
    QTest::newRow("ohms") << "::1.2" << 12.1 << 1.25 << "FAIL"
                          << "R 1.250 Ohm > 1.200 Ohm";
    QTest::newRow("no limits") << "" << 0.3 << 9.0 << "PASS"
                               << "";
}

void TestGrading::verdicts()
{
    QFETCH(QString, limits);
    QFETCH(double, volts);
    QFETCH(double, ohms);
    const CellGrade grade = gradeCell(
        limitsOf(limits), {volts, ohms < 0 ? std::nullopt : std::optional(ohms), std::nullopt});
    QTEST(verdictText(grade.verdict), "verdict");
    QTEST(grade.reason, "reason");
}

void TestGrading::limitsFromComparator_data()
{
    QTest::addColumn<QString>("entry");  // a table entry, or a comparator file's row
    QTest::addColumn<QString>("limits"); // vmin:vmax:rmax:::rwarn, "none" for nothing
    // Resistance high 060.0 mOhm (choice 3), low 045.0 mOhm; voltage 4.200 and 3.600.
    QTest::newRow("entry") << "CC110600045042003600"
                           << "3.6:4.2:0.06:::0.045";
    QTest::newRow("entry with ohms and a voltage of two places") << "11221250000012501000"
                                                                 << "10:12.5:1.25:::";
    QTest::newRow("entry with no decimal choice") << "00110600045042003600"
                                                  << "none";
    QTest::newRow("file row") << "5,060.0,mOhm,045.0,mOhm,4.200,3.600"
                              << "3.6:4.2:0.06:::0.045";
    QTest::newRow("file row with a zero low limit") << "7,1.250,Ohm,0.000,Ohm,12.50,10.00"
                                                    << "10:12.5:1.25:::";
    QTest::newRow("file row with an unknown unit") << "7,1.250,kOhm,0,Ohm,12.50,10.00"
                                                   << "none";
}

void TestGrading::limitsFromComparator()
{
    QFETCH(QString, entry);
    QFETCH(QString, limits);
    const std::optional<GradeLimits> got = entry.contains(u',')
                                               ? limitsFromComparatorCells(entry.split(u','))
                                               : limitsFromComparatorEntry(entry);
    if (limits == u"none") {
        QVERIFY(!got);
        return;
    }
    QVERIFY(got);
    const GradeLimits want = limitsOf(limits);
    for (const auto member : {&GradeLimits::voltageMin, &GradeLimits::voltageMax,
                              &GradeLimits::resistanceMax, &GradeLimits::resistanceWarn}) {
        QCOMPARE(bool((*got).*member), bool(want.*member));
        if (want.*member)
            QCOMPARE(*((*got).*member), *(want.*member));
    }
}

void TestGrading::typedLimits_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("limits"); // "error" when refused
    QTest::newRow("all three") << "3.6:4.2:0.060"
                               << "3.6:4.2:0.06";
    QTest::newRow("voltage unchecked") << "::0.060"
                                       << "::0.06";
    QTest::newRow("minimum above maximum") << "4.2:3.6:0.060"
                                           << "error";
    QTest::newRow("two parts") << "3.6:4.2"
                               << "error";
    QTest::newRow("no number") << "3.6:4.2:60m"
                               << "error";
    QTest::newRow("no resistance of 0") << "3.6:4.2:0"
                                        << "error";
}

void TestGrading::typedLimits()
{
    QFETCH(QString, text);
    QFETCH(QString, limits);
    QString error;
    const std::optional<GradeLimits> got = parseLimits(text, error);
    QCOMPARE(!got, limits == u"error");
    QCOMPARE(error.isEmpty(), bool(got));
    if (got)
        QCOMPARE(*got, limitsOf(limits));
}

void TestGrading::packInvariants_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("series");
    QTest::addColumn<int>("parallel");
    QTest::addColumn<bool>("byCapacity");
    QTest::addColumn<int>("failing");         // per hundred
    QTest::addColumn<int>("withoutCapacity"); // per hundred
    QTest::addColumn<int>("missing");

    QTest::newRow("4S10P of 50 by capacity") << 1u << 50 << 4 << 10 << true << 10 << 0 << 0;
    QTest::newRow("4S10P of 50 by resistance") << 2u << 50 << 4 << 10 << false << 10 << 0 << 0;
    QTest::newRow("every cell used") << 3u << 120 << 12 << 10 << true << 0 << 0 << 0;
    QTest::newRow("some without capacity") << 4u << 200 << 8 << 10 << true << 20 << 30 << 0;
    QTest::newRow("one cell per group") << 5u << 30 << 13 << 1 << false << 0 << 0 << 0;
    QTest::newRow("one group") << 6u << 30 << 1 << 8 << true << 0 << 0 << 0;
    QTest::newRow("too few passing") << 7u << 40 << 4 << 10 << true << 100 << 0 << 40;
}

void TestGrading::packInvariants()
{
    QFETCH(quint32, seed);
    QFETCH(int, count);
    QFETCH(int, series);
    QFETCH(int, parallel);
    QFETCH(bool, byCapacity);
    QFETCH(int, missing);
    const QList<PackCell> cells =
        tray(seed, count, fetched<int>("failing"), fetched<int>("withoutCapacity"));
    const Balance by = byCapacity ? Balance::Capacity : Balance::Resistance;
    const PackPlan plan = matchPack(cells, series, parallel, by);

    qsizetype usable = 0;
    for (const PackCell& c : cells)
        usable += c.passing && (byCapacity ? bool(c.capacity) : bool(c.resistance));
    QCOMPARE(plan.usable, usable);
    QCOMPARE(plan.missing, missing);
    if (missing > 0) {
        QVERIFY(plan.groups.isEmpty());
        QCOMPARE(planMissingText(plan), QStringLiteral("4S10P needs 40 passing cells with a "
                                                       "capacity: 40 are missing"));
        return;
    }
    QCOMPARE(plan.groups.size(), series);
    QSet<qsizetype> used;
    std::vector<double> values;
    for (const PackGroup& g : plan.groups) {
        QCOMPARE(g.cells.size(), parallel);
        double capacity = 0;
        double conductance = 0;
        for (const qsizetype c : g.cells) {
            QVERIFY2(!used.contains(c), "a cell twice");
            used.insert(c);
            QVERIFY(cells[c].passing);
            QVERIFY(byCapacity ? bool(cells[c].capacity) : bool(cells[c].resistance));
            capacity += cells[c].capacity.value_or(0);
            conductance += 1 / *cells[c].resistance;
        }
        if (byCapacity)
            QCOMPARE(*g.capacity, capacity);
        QCOMPARE(*g.resistance, 1 / conductance);
        values.push_back(byCapacity ? capacity : 1 / conductance);
    }
    QCOMPARE(plan.spread, spreadOf(values));
    QVERIFY2(plan.spread <= plan.startSpread,
             qPrintable(QStringLiteral("%1 > %2").arg(plan.spread).arg(plan.startSpread)));
    // Only the plan's cells give a spread: a second run of the same cells makes the same plan.
    const PackPlan again = matchPack(cells, series, parallel, by);
    QCOMPARE(again.spread, plan.spread);
    QCOMPARE(again.groups.first().cells, plan.groups.first().cells);
}

// A session's CSV export is a pack's cells file: only PASS rows pass; the reason's commas are
// quoted.
void TestGrading::gradeCsvIsAPacksCells()
{
    GradedCell pass{.id = "A0001",
                    .taken = at(10, 15, 1),
                    .values = {3.912, 0.04123, 25.1},
                    .capacity = {},
                    .grade = {Verdict::Pass, {}}};
    GradedCell fail{.id = "A,2",
                    .taken = at(10, 15, 9),
                    .values = {3.512, std::nullopt, std::nullopt},
                    .capacity = {},
                    .grade = {Verdict::Fail, "V 3.512 V < 3.600 V; R OL"}};
    QCOMPARE(gradeCsvHeader(), QStringLiteral("cell_id,date_time,voltage_V,resistance_Ohm,"
                                              "temperature_C,verdict,reason,utc_offset"));
    QCOMPARE(gradeCsvRow(pass), QStringLiteral("A0001,2026-12-08T10:15:01,3.912,0.04123,25.1,"
                                               "PASS,,+01:00"));
    const QString csv =
        gradeCsvHeader() + "\n" + gradeCsvRow(pass) + "\n" + gradeCsvRow(fail) + "\n";
    const CellsCsv read = parseCellsCsv(csv.toUtf8());
    QCOMPARE(read.error, QString());
    QCOMPARE(read.cells.size(), 2);
    QCOMPARE(read.cells[0].resistance, std::optional(0.04123));
    QVERIFY(read.cells[0].passing);
    QCOMPARE(read.cells[1].id, QStringLiteral("A,2"));
    QVERIFY(!read.cells[1].passing);

    const CellsCsv twice = parseCellsCsv("cell_id,capacity_Ah\nB1,2.5\nB1,2.6\n");
    QCOMPARE(twice.error, QStringLiteral("line 3: cell B1 is listed twice"));
}

void TestGrading::histogramHoldsEveryValue_data()
{
    QTest::addColumn<QList<double>>("values");
    QTest::addColumn<double>("step");
    QTest::newRow("one value") << QList<double>{3.912} << 0.001;
    QTest::newRow("all alike") << QList<double>{0.04, 0.04, 0.04} << 0.00001;
    QTest::newRow("spread") << QList<double>{3.6, 3.65, 3.912, 4.1, 4.2, 4.2} << 0.001;
    QTest::newRow("one far out") << QList<double>{40, 41, 42, 40.5, 900} << 0.01;
}

void TestGrading::histogramHoldsEveryValue()
{
    QFETCH(QList<double>, values);
    QFETCH(double, step);
    const Histogram h = histogram(values, step);
    QVERIFY(!h.counts.isEmpty() && h.counts.size() <= 24);
    int total = 0;
    for (const int n : h.counts)
        total += n;
    QCOMPARE(total, values.size());
    for (const double v : values) {
        const auto k = qsizetype(std::floor((v - h.first) / h.width + 1e-9));
        QVERIFY2(k >= 0 && k < h.counts.size() && h.counts[k] > 0, qPrintable(QString::number(v)));
    }
    const Summary s = summarize(values);
    QCOMPARE(s.count, values.size());
    QVERIFY(s.min <= s.mean && s.mean <= s.max);
}

QTEST_APPLESS_MAIN(TestGrading)
#include "tst_grading.moc"
