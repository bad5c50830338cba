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

Cell cellNamed(const QString& name)
{
    for (int i = 0; i < CellCount; ++i) {
        if (cellName(static_cast<Cell>(i)) == name)
            return static_cast<Cell>(i);
    }
    qFatal("no cell %s", qPrintable(name));
}

// Space-separated words in a fixed order, so lists compare whatever order they were made in.
QString sortedWords(const QStringList& words)
{
    QStringList sorted = words;
    sorted.removeAll(QString());
    sorted.sort();
    return sorted.join(' ');
}

QString sortedWords(const QString& text)
{
    return sortedWords(text.split(' '));
}

QString names(const CellFlags& cells)
{
    QStringList list;
    for (int i = 0; i < CellCount; ++i) {
        if (cells.test(i))
            list << cellName(static_cast<Cell>(i));
    }
    return sortedWords(list);
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
    void blinkTable_data();
    void blinkTable();
    void indicatorBits_data();
    void indicatorBits();
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
    QTest::addColumn<int>("picture"); // the one RS shown after the second frame, -1 none
    QTest::addColumn<QString>("rangeText");
    // Every range code after an unassigned one, so each row shows its own picture and text.
    QTest::newRow("code 1") << 2 << 1 << 2 << "40 mOhm";
    QTest::newRow("code 3") << 2 << 3 << 3 << "400 mOhm";
    QTest::newRow("code 4") << 2 << 4 << 1 << "4 mOhm";
    QTest::newRow("code 5") << 2 << 5 << 4 << "4 Ohm";
    QTest::newRow("code 6") << 2 << 6 << 5 << "40 Ohm";
    QTest::newRow("code 7") << 2 << 7 << 6 << "400 Ohm";
    QTest::newRow("code 0: none, text kept") << 7 << 0 << -1 << "400 Ohm";
    QTest::newRow("code 2: none, text kept") << 1 << 2 << -1 << "40 mOhm";
    QTest::newRow("1 then 4: picture moves") << 1 << 4 << 1 << "4 mOhm";
    QTest::newRow("7 then 7") << 7 << 7 << 6 << "400 Ohm";
}

void TestPanelModel::rangePictures()
{
    PanelModel m;
    CurrentReading r;
    m.applyFrame(frameWith({{34, fetched<int>("firstCode") << 4}}), r, false);
    m.applyFrame(frameWith({{34, fetched<int>("secondCode") << 4}}), r, false);
    const int picture = fetched<int>("picture");
    for (int k = 0; k < 7; ++k)
        QCOMPARE(m.cell(rangeCell(k)).visible, k == picture);
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

void TestPanelModel::blinkTable_data()
{
    QTest::addColumn<int>("function");
    QTest::addColumn<int>("selector");
    QTest::addColumn<int>("byte23"); // voltage and resistance points, mV and mOhm prefixes
    QTest::addColumn<QString>("blinking");
    QTest::addColumn<QString>("dark"); // hidden although lit
    QTest::addColumn<QString>("lit");  // left as the frames before showed them
    const int lit = 0xFF;
    QTest::newRow("0/0") << 0 << 0 << lit << "HighO_1"
                         << ""
                         << "";
    QTest::newRow("0/3") << 0 << 3 << lit << "HighO_4"
                         << ""
                         << "";
    QTest::newRow("0/4") << 0 << 4 << lit << "LowO_1"
                         << ""
                         << "";
    QTest::newRow("0/7") << 0 << 7 << lit << "LowO_4"
                         << ""
                         << "";
    QTest::newRow("0/8") << 0 << 8 << lit << "HighV_1"
                         << ""
                         << "";
    QTest::newRow("0/11") << 0 << 11 << lit << "HighV_4"
                          << ""
                          << "";
    QTest::newRow("0/12") << 0 << 12 << lit << "LowV_1"
                          << ""
                          << "";
    QTest::newRow("0/15") << 0 << 15 << lit << "LowV_4"
                          << ""
                          << "";
    QTest::newRow("0/16") << 0 << 16 << lit << ""
                          << ""
                          << "";
    QTest::newRow("0/41") << 0 << 41 << lit << ""
                          << ""
                          << "";
    QTest::newRow("0/42") << 0 << 42 << lit << "LblMR"
                          << ""
                          << "";
    QTest::newRow("0/43") << 0 << 43 << lit << "LblDD"
                          << ""
                          << "";
    QTest::newRow("0/44") << 0 << 44 << lit << "LblHH"
                          << ""
                          << "";
    QTest::newRow("0/45") << 0 << 45 << lit << "LblMM"
                          << ""
                          << "";
    QTest::newRow("0/46") << 0 << 46 << lit << "LblSS"
                          << ""
                          << "";
    QTest::newRow("0/47") << 0 << 47 << lit << "LblMM LblSS"
                          << ""
                          << "";
    QTest::newRow("0/48") << 0 << 48 << lit << ""
                          << ""
                          << "";
    QTest::newRow("0/255") << 0 << 255 << lit << ""
                           << ""
                           << "";
    QTest::newRow("1") << 1 << 0 << lit << "HighODec_3"
                       << "HighODec_1 HighODec_2"
                       << "";
    QTest::newRow("2") << 2 << 0 << lit << "HighODec_2"
                       << "HighODec_1 HighODec_3"
                       << "";
    QTest::newRow("3") << 3 << 0 << lit << "HighODec_1"
                       << "HighODec_2 HighODec_3"
                       << "";
    QTest::newRow("4") << 4 << 0 << lit << "LcdOADJ"
                       << ""
                       << "";
    QTest::newRow("5") << 5 << 0 << lit << "LowODec_3"
                       << "LowODec_1 LowODec_2"
                       << "";
    QTest::newRow("6") << 6 << 0 << lit << "LowODec_2"
                       << "LowODec_1 LowODec_3"
                       << "";
    QTest::newRow("7") << 7 << 0 << lit << "LowODec_1"
                       << "LowODec_2 LowODec_3"
                       << "";
    QTest::newRow("8, mV lit") << 8 << 0 << lit << "LcdVm UnitVOhm"
                               << ""
                               << "";
    QTest::newRow("8, mV dark") << 8 << 0 << 0x7F << "UnitVOhm"
                                << "LcdVm"
                                << "";
    QTest::newRow("9") << 9 << 0 << lit << ""
                       << ""
                       << "";
    QTest::newRow("10") << 10 << 0 << lit << "HighVDec_2"
                        << "HighVDec_1"
                        << "HighVDec_3";
    QTest::newRow("11") << 11 << 0 << lit << "HighVDec_1"
                        << "HighVDec_2"
                        << "HighVDec_3";
    QTest::newRow("12, mOhm lit") << 12 << 0 << lit << "LcdOhmm UnitOhm"
                                  << ""
                                  << "";
    QTest::newRow("12, mOhm dark") << 12 << 0 << 0xF7 << "UnitOhm"
                                   << "LcdOhmm"
                                   << "";
    QTest::newRow("13") << 13 << 0 << lit << ""
                        << ""
                        << "";
    QTest::newRow("14") << 14 << 0 << lit << "LowVDec_2"
                        << "LowVDec_1"
                        << "LowVDec_3";
    QTest::newRow("15") << 15 << 0 << lit << "LowVDec_1"
                        << "LowVDec_2"
                        << "LowVDec_3";
}

// The blinking cells are those that look different after each of two identical frames.
void TestPanelModel::blinkTable()
{
    PanelModel m;
    CurrentReading r;
    const QByteArray frame = frameWith({{23, fetched<int>("byte23")},
                                        {24, 0x77}, // every point of current and temperature
                                        {25, 0xFF},
                                        {27, 0xFF},
                                        {34, fetched<int>("function")},
                                        {35, fetched<int>("selector")}});
    m.applyFrame(frame, r, false);
    m.applyFrame(frame, r, false);
    CellFlags shown;
    for (int i = 0; i < CellCount; ++i)
        shown.set(i, m.cell(static_cast<Cell>(i)).visible);
    m.applyFrame(frame, r, false);
    CellFlags changed;
    for (int i = 0; i < CellCount; ++i)
        changed.set(i, shown.test(i) != m.cell(static_cast<Cell>(i)).visible);
    QCOMPARE(names(changed), sortedWords(fetched<QString>("blinking")));
    for (const QString& name : fetched<QString>("dark").split(' ', Qt::SkipEmptyParts))
        QVERIFY2(!m.cell(cellNamed(name)).visible, qPrintable(name));
    for (const QString& name : fetched<QString>("lit").split(' ', Qt::SkipEmptyParts))
        QVERIFY2(m.cell(cellNamed(name)).visible, qPrintable(name));
}

void TestPanelModel::indicatorBits_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<QStringList>("bits"); // what each bit alone changes, bit 0 first
    QTest::newRow("23") << 23 << QStringList{"LowODec_1 LblOhm=1.234", "LowODec_2 LblOhm=12.34",
                                             "LowODec_3 LblOhm=123.4", "LcdOhmm",
                                             "HighODec_1 LblV=1.234",  "HighODec_2 LblV=12.34",
                                             "HighODec_3 LblV=123.4",  "LcdVm"};
    QTest::newRow("24") << 24 << QStringList{"LowVDec_1 LblTemp=1.234", "LowVDec_2 LblTemp=12.34",
                                             "LowVDec_3 LblTemp=123.4", "LowVNeg LblTemp=-1234",
                                             "HighVDec_1 LblA=1.234",   "HighVDec_2 LblA=12.34",
                                             "HighVDec_3 LblA=123.4",   "LcdA_m"};
    QTest::newRow("25") << 25 << QStringList{"LcdLow",  "LcdAM", "LcdComSet", "LcdAHUp",
                                             "LcdHigh", "LcdH",  "LcdOADJ",   "LcdAuto"};
    QTest::newRow("26: resistance minus only lights its cell")
        << 26 << QStringList{"LcdOhmV",
                             "LcdTemV",
                             "HighVNeg LblA=-1234",
                             "LowONeg",
                             "HighONeg LblV=-1234",
                             "LcdBt",
                             "LcdBi",
                             "LcdAvg"};
    QTest::newRow("27") << 27 << QStringList{"LcdInCap", "UnitF",   "UnitA", "UnitC",
                                             "LcdAV",    "UnitOhm", "UnitV", "UnitVOhm"};
    QTest::newRow("28: T-CAP alone is put out by byte 30")
        << 28 << QStringList{"", "LcdRC", "LcdOutCap", "", "", "LcdCCA", "", ""};
    QTest::newRow("29") << 29 << QStringList{"Lcdm_0",         "LblmAh_0=123.4", "LblmAh_0=12.34",
                                             "LblmAh_0=1.234", "Lcdm_1",         "LblmAh_1=123.4",
                                             "LblmAh_1=12.34", "LblmAh_1=1.234"};
    QTest::newRow("30") << 30 << QStringList{"",
                                             "LblmAh_0=-1234",
                                             "LcdSOC",
                                             "LcdTCap",
                                             "LblmAh_2=-1234",
                                             "LblmAh_1=-1234",
                                             "",
                                             ""};
    QTest::newRow("31") << 31 << QStringList{"Lcdm_2",         "LblmAh_2=123.4", "LblmAh_2=12.34",
                                             "LblmAh_2=1.234", "LcdPercent",     "LcdAh_2",
                                             "LcdAh_1",        "LcdAh_0"};
    QTest::newRow("32") << 32 << QStringList{"LcdSOH", "DPoint_2", "DPoint_1",     "DPoint_0",
                                             "LcdSqR", "LcdSqM",   "LcdNo LineNo", "LcdCompUp"};
    QTest::newRow("33") << 33 << QStringList{"",        "LcdTime",    "LcdIntv", "LcdSet",
                                             "LcdFail", "LcdWarning", "LcdPass", "LcdComp"};
}

void TestPanelModel::indicatorBits()
{
    const int byte = fetched<int>("byte");
    const QStringList bits = fetched<QStringList>("bits");
    QCOMPARE(bits.size(), 8);
    // "1234" in every digit group, every indicator byte clear, nothing blinking.
    QByteArray dark = frameWith();
    for (int n = 2; n <= 15; ++n)
        dark[n - 1] = static_cast<char>(n % 2 == 0 ? 0x12 : 0x34);
    for (int bit = 0; bit < 8; ++bit) {
        PanelModel m;
        CurrentReading r;
        m.applyFrame(dark, r, false);
        std::array<CellState, CellCount> before;
        for (int i = 0; i < CellCount; ++i)
            before[i] = m.cell(static_cast<Cell>(i));
        QByteArray lit = dark;
        lit[byte - 1] = static_cast<char>(1 << bit);
        m.applyFrame(lit, r, false);
        QStringList changed;
        for (int i = 0; i < CellCount; ++i) {
            const CellState& now = m.cell(static_cast<Cell>(i));
            if (now.visible != before[i].visible)
                changed << cellName(static_cast<Cell>(i));
            if (now.text != before[i].text)
                changed << cellName(static_cast<Cell>(i)) + '=' + now.text;
        }
        const QString prefix = QString("bit %1: ").arg(bit);
        QCOMPARE(prefix + sortedWords(changed), prefix + sortedWords(bits[bit]));
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
