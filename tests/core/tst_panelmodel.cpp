#include "Fetch.h"
#include "FrameBytes.h"
#include "PanelModel.h"

#include <QTest>

namespace {

QList<bool> visibility(const PanelModel& m, Cell first, int count)
{
    QList<bool> v;
    for (int k = 0; k < count; ++k)
        v << m.cell(cellAt(first, k)).visible;
    return v;
}

} // namespace

class TestPanelModel : public QObject
{
    Q_OBJECT
private slots:
    void beforeFirstFrame();
    void digitsAndSigns();
    void rangePictures_data();
    void rangePictures();
    void blinkSequences_data();
    void blinkSequences();
    void allIndicatorsExceptBlinking();
    void unitFollowsLimitedIndicator();
    void rangeButtonCycle();
    void onlyChangedCellsAreDirty();
};

void TestPanelModel::beforeFirstFrame()
{
    PanelModel m;
    QCOMPARE(m.cell(Cell::LblPercent).text, QString("100"));
    QCOMPARE(m.cell(Cell::LblMR).text, QString("000"));
    QCOMPARE(m.cell(Cell::LblDD).text, QString("00"));
    QCOMPARE(m.cell(Cell::LcdComSet).text, QString("COMP.SET"));
    QVERIFY(!m.cell(Cell::RS_0).visible);
}

void TestPanelModel::digitsAndSigns()
{
    PanelModel m;
    CurrentReading r;
    m.applyFrame(frameWith({{2, 0x12}, {3, 0x34}, {23, 0x20}, {26, 0x18}, {4, 0x05}, {5, 0x67}}), r,
                 false);
    QCOMPARE(m.cell(Cell::HighO_1).text, QString("1"));
    QCOMPARE(m.cell(Cell::HighO_4).text, QString("4"));
    QCOMPARE(m.cell(Cell::LblV).text, QString("-12.34"));
    QVERIFY(m.cell(Cell::HighONeg).visible);
    QVERIFY(m.cell(Cell::LowONeg).visible); // resistance minus lights its cell only
    QCOMPARE(m.cell(Cell::LblOhm).text, QString("0567"));
    QCOMPARE(visibility(m, Cell::HighODec_1, 3), (QList<bool>{false, true, false}));
}

void TestPanelModel::rangePictures_data()
{
    QTest::addColumn<int>("firstCode");
    QTest::addColumn<int>("secondCode");
    QTest::addColumn<QList<bool>>("pictures"); // RS 0-6 after the second frame
    QTest::addColumn<QString>("rangeText");
    QTest::newRow("1 then 4") << 1 << 4
                              << QList<bool>{false, true, false, false, false, false, false}
                              << "4 mOhm";
    QTest::newRow("1 then 2: none, text kept")
        << 1 << 2 << QList<bool>{false, false, false, false, false, false, false} << "40 mOhm";
    QTest::newRow("7 then 7") << 7 << 7
                              << QList<bool>{false, false, false, false, false, false, true}
                              << "400 Ohm";
}

void TestPanelModel::rangePictures()
{
    PanelModel m;
    CurrentReading r;
    m.applyFrame(frameWith({{34, fetched<int>("firstCode") << 4}}), r, false);
    m.applyFrame(frameWith({{34, fetched<int>("secondCode") << 4}}), r, false);
    QCOMPARE(visibility(m, Cell::RS_0, 7), fetched<QList<bool>>("pictures"));
    QCOMPARE(r.RangeText, fetched<QString>("rangeText"));
}

void TestPanelModel::blinkSequences_data()
{
    QTest::addColumn<QList<int>>("function"); // per frame
    QTest::addColumn<QList<int>>("selector");
    QTest::addColumn<int>("cell");
    QTest::addColumn<QList<bool>>("visible"); // the cell after each frame
    QTest::newRow("LowO 2 blinks") << QList<int>{0, 0, 0} << QList<int>{5, 5, 5}
                                   << int(Cell::LowO_2) << QList<bool>{false, true, false};
    QTest::newRow("selector change shows all, then inverts")
        << QList<int>{0, 0, 0} << QList<int>{5, 6, 6} << int(Cell::LowO_2)
        << QList<bool>{false, true, true};
    QTest::newRow("new selector cell")
        << QList<int>{0, 0} << QList<int>{5, 6} << int(Cell::LowO_3) << QList<bool>{true, false};
    QTest::newRow("seconds and minutes")
        << QList<int>{0, 0} << QList<int>{47, 47} << int(Cell::LblSS) << QList<bool>{false, true};
    QTest::newRow("point 3 of voltage") << QList<int>{1, 1, 1} << QList<int>{0, 0, 0}
                                        << int(Cell::HighODec_3) << QList<bool>{false, true, false};
    QTest::newRow("other voltage points hidden")
        << QList<int>{1, 1} << QList<int>{0, 0} << int(Cell::HighODec_1)
        << QList<bool>{false, false};
    QTest::newRow("OADJ") << QList<int>{4, 4} << QList<int>{0, 0} << int(Cell::LcdOADJ)
                          << QList<bool>{false, true};
    QTest::newRow("temperature point 1") << QList<int>{15, 15} << QList<int>{0, 0}
                                         << int(Cell::LowVDec_1) << QList<bool>{false, true};
    QTest::newRow("function 9 does nothing")
        << QList<int>{9, 9} << QList<int>{3, 3} << int(Cell::HighO_4) << QList<bool>{true, true};
}

void TestPanelModel::blinkSequences()
{
    QFETCH(QList<int>, function);
    QFETCH(QList<int>, selector);
    const Cell cell = static_cast<Cell>(fetched<int>("cell"));
    QFETCH(QList<bool>, visible);
    PanelModel m;
    CurrentReading r;
    // Points of every group lit, so point cells start visible where they are not blinking.
    for (int i = 0; i < function.size(); ++i) {
        m.applyFrame(
            frameWith({{23, 0x77}, {24, 0x77}, {25, 0x40}, {34, function[i]}, {35, selector[i]}}),
            r, false);
        QCOMPARE(m.cell(cell).visible, visible[i]);
    }
}

void TestPanelModel::allIndicatorsExceptBlinking()
{
    PanelModel m;
    CurrentReading r;
    QByteArray all = frameWith({{34, 4}});
    for (int n = 23; n <= 33; ++n)
        all[n - 1] = static_cast<char>(0xFF);
    m.applyFrame(all, r, false);
    QVERIFY(!m.cell(Cell::LcdOADJ).visible); // function 4 blinks it: inverted from lit
    for (Cell c : {Cell::LcdAuto, Cell::LcdComp, Cell::LcdSOH, Cell::LcdAh_0, Cell::Lcdm_2,
                   Cell::LineNo, Cell::UnitVOhm, Cell::LcdVm, Cell::UnitC, Cell::DPoint_0})
        QVERIFY2(m.cell(c).visible, qPrintable(cellName(c)));
    QVERIFY(!m.cell(Cell::UnitF).visible);
}

void TestPanelModel::unitFollowsLimitedIndicator()
{
    PanelModel m;
    CurrentReading r;
    m.applyFrame(frameWith({{23, 0x80}, {34, 8}}), r, false);
    QVERIFY(!m.cell(Cell::LcdVm).visible);
    QVERIFY(!m.cell(Cell::UnitVOhm).visible);
    m.applyFrame(frameWith({{23, 0x80}, {34, 8}}), r, false);
    QVERIFY(m.cell(Cell::LcdVm).visible);
    QVERIFY(m.cell(Cell::UnitVOhm).visible);
    m.applyFrame(frameWith({{23, 0x00}, {34, 8}}), r, false);
    QVERIFY(!m.cell(Cell::LcdVm).visible);
    QVERIFY(!m.cell(Cell::UnitVOhm).visible);
}

void TestPanelModel::rangeButtonCycle()
{
    PanelModel m;
    const QList<int> expected{0, 1, 2, 3, 4, 5, 6, 5, 4, 3, 2, 1, 0, 1};
    for (int shown : expected) {
        m.stepRangePicture();
        for (int k = 0; k < 7; ++k)
            QCOMPARE(m.cell(rangeCell(k)).visible, k == shown);
    }
}

void TestPanelModel::onlyChangedCellsAreDirty()
{
    PanelModel m;
    CurrentReading r;
    const QByteArray frame = frameWith({{2, 0x12}, {3, 0x34}});
    m.applyFrame(frame, r, false);
    (void)m.takeDirty();
    m.applyFrame(frame, r, false);
    QVERIFY(m.takeDirty().none());
    m.applyFrame(frameWith({{2, 0x12}, {3, 0x35}}), r, false);
    const CellFlags dirty = m.takeDirty();
    QVERIFY(dirty.test(cellIndex(Cell::HighO_4)));
    QVERIFY(dirty.test(cellIndex(Cell::LblV)));
    QCOMPARE(dirty.count(), size_t(2));
}

QTEST_GUILESS_MAIN(TestPanelModel)
#include "tst_panelmodel.moc"
