// The main window's face: its size and title, one widget for every cell of the meter's
// display, the design captions, the LCD glass, and which cells a decoded frame touches.
#include "PanelViewRig.h"

class TestPanelView : public QObject
{
    Q_OBJECT
private slots:
    void windowSizeAndTitle();
    void everyCellHasOneWidget_data();
    void everyCellHasOneWidget();
    void fixedControlsExist_data();
    void fixedControlsExist();
    void designCaptions_data();
    void designCaptions();
    void lcdCellsStayOnTheGlass();
    void unlitSegmentsLieUnderTheLitOnes_data();
    void unlitSegmentsLieUnderTheLitOnes();
    void showCellsTouchesOnlyFlagged_data();
    void showCellsTouchesOnlyFlagged();
    void showAllCellsMirrorsModel();
};

void TestPanelView::windowSizeAndTitle()
{
    Panel panel;
    QCOMPARE(panel.windowTitle(), QString("Panel   V7.1"));
    QCOMPARE(panel.objectName(), QString("Panel"));
    const TwipsScale& s = panel.scale();
    QCOMPARE(panel.size(), QSize(s.px(4665), s.px(9090) + panel.toolbar()->height()));
    QCOMPARE(panel.linkLabel()->geometry(),
             s.rect(QRect(3240, 8520, 1215, 360)).translated(0, panel.toolbar()->height()));
}

void TestPanelView::everyCellHasOneWidget_data()
{
    QTest::addColumn<int>("cell");
    for (int i = 0; i < CellCount; ++i)
        QTest::newRow(qPrintable(cellName(static_cast<Cell>(i)))) << i;
}

void TestPanelView::everyCellHasOneWidget()
{
    QFETCH(int, cell);
    Panel panel;
    const Cell c = static_cast<Cell>(cell);
    const auto found = panel.findChildren<QWidget*>(cellName(c));
    QCOMPARE(found.size(), 1);
    QCOMPARE(found.first(), panel.cellWidget(c));
}

void TestPanelView::fixedControlsExist_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption"); // expected for labels and buttons
    for (int k = 0; k < 7; ++k)
        QTest::newRow(qPrintable(QString("ImgR_%1").arg(k))) << QString("ImgR_%1").arg(k) << "";
    for (int k = 0; k < 4; ++k)
        QTest::newRow(qPrintable(QString("CmdArrow_%1").arg(k)))
            << QString("CmdArrow_%1").arg(k) << "";
    for (int k = 0; k < 3; ++k)
        QTest::newRow(qPrintable(QString("CmdGray_%1").arg(k)))
            << QString("CmdGray_%1").arg(k) << "";
    QTest::newRow("CmdRange") << "CmdRange"
                              << "Range";
    QTest::newRow("LblCOM") << "LblCOM"
                            << "No COM";
    QTest::newRow("LblRec") << "LblRec"
                            << "Rec.";
    QTest::newRow("LblCount") << "LblCount"
                              << "";
    QTest::newRow("LblFileName") << "LblFileName"
                                 << "";
    QTest::newRow("LblName") << "LblName"
                             << "BATTERY ANALYZER";
    QTest::newRow("Toolbar1") << "Toolbar1"
                              << "";
}

void TestPanelView::fixedControlsExist()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    Panel panel;
    const auto found = panel.findChildren<QWidget*>(name);
    QCOMPARE(found.size(), 1);
    if (const auto* label = qobject_cast<QLabel*>(found.first()))
        QCOMPARE(label->text(), caption);
    if (const auto* button = qobject_cast<QPushButton*>(found.first()))
        QCOMPARE(button->text(), caption);
}

void TestPanelView::designCaptions_data()
{
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QStringList>("captions"); // before the first frame
    QTest::addColumn<QList<QPoint>>("at");     // left, top in twips; none where the look moved it
    const auto row = [](int top, const QList<int>& lefts) {
        QList<QPoint> at;
        for (int left : lefts)
            at << QPoint(left, top);
        return at;
    };
    QTest::newRow("digits") << QStringList{"HighO_1", "LowO_2", "HighV_3", "LowV_4"}
                            << QStringList{"", "", "", ""}
                            << QList<QPoint>{{735, 1440}, {3135, 1440}, {1455, 1920}, {3855, 1920}};
    QTest::newRow("points") << QStringList{"HighODec_1", "LowODec_2", "HighVDec_3", "LowVDec_1"}
                            << QStringList{".", ".", ".", "."} << QList<QPoint>{};
    QTest::newRow("minus") << QStringList{"HighONeg", "LowONeg", "HighVNeg", "LowVNeg"}
                           << QStringList{"-", "-", "-", "-"}
                           << QList<QPoint>{{360, 1440}, {2400, 1440}, {360, 1920}, {2400, 1920}};
    QTest::newRow("row at 1170") << QStringList{"LcdOADJ",   "LcdH",  "LcdHigh", "LcdAHUp",
                                                "LcdComSet", "LcdAM", "LcdLow",  "LcdAvg"}
                                 << QStringList{"OADJ",     "H",  "HIGH", "AH",
                                                "COMP.SET", "AM", "LOW",  "AVG"}
                                 << row(1170, {540, 990, 1110, 1470, 1710, 2520, 2790, 3210});
    QTest::newRow("row at 2520") << QStringList{"LcdInCap", "LcdCCA",  "LcdOutCap",
                                                "LcdRC",    "LcdTCap", "LcdSOC"}
                                 << QStringList{"IN-CAP", "CCA", "OUT-CAP", "RC", "T-CAP", "SOC"}
                                 << row(2520, {600, 1200, 1920, 2760, 3240, 3840});
    QTest::newRow("capacities") << QStringList{"LblmAh_0", "LblmAh_1", "LblmAh_2"}
                                << QStringList{"", "", ""} << QList<QPoint>{};
    QTest::newRow("row at 3120") << QStringList{"LblPercent", "LblMR",    "LblDD",
                                                "LblHH",      "LblMM",    "LblSS",
                                                "DPoint_0",   "DPoint_1", "DPoint_2"}
                                 << QStringList{"100", "000", "00", "00", "00", "00", ":", ":", ":"}
                                 << row(3120,
                                        {600, 1920, 2880, 3240, 3600, 3960, 3150, 3510, 3870});
    QTest::newRow("memory number")
        << QStringList{"LcdCompUp", "LcdNo"} << QStringList{"COMP", "NO."}
        << QList<QPoint>{{1320, 3060}, {1560, 3240}};
    QTest::newRow("row at 3480") << QStringList{"LcdSOH",  "LcdComp", "LcdPass", "LcdWarning",
                                                "LcdFail", "LcdSet",  "LcdIntv", "LcdTime"}
                                 << QStringList{"SOH",  "COMP", "PASS", "WARNING",
                                                "FAIL", "SET",  "INTV", "TIME"}
                                 << row(3480, {360, 720, 1320, 1860, 2700, 3120, 3480, 3930});
}

void TestPanelView::designCaptions()
{
    QFETCH(QStringList, cells);
    QFETCH(QStringList, captions);
    QFETCH(QList<QPoint>, at);
    QCOMPARE(cells.size(), captions.size());
    Panel panel;
    const TwipsScale& s = panel.scale();
    for (int i = 0; i < cells.size(); ++i) {
        const auto* label = panel.findChild<QLabel*>(cells[i]);
        QVERIFY2(label, qPrintable(cells[i]));
        QCOMPARE(cells[i] + '=' + label->text(), cells[i] + '=' + captions[i]);
        if (at.isEmpty())
            continue;
        const QPoint expected(s.px(at[i].x()), s.px(at[i].y()) + panel.toolbar()->height());
        const QPoint actual = label->mapTo(&panel, QPoint(0, 0));
        QVERIFY2((actual - expected).manhattanLength() <= 1,
                 qPrintable(QString("%1 at %2,%3").arg(cells[i]).arg(actual.x()).arg(actual.y())));
    }
}

void TestPanelView::lcdCellsStayOnTheGlass()
{
    Panel panel;
    const QWidget* glass = panel.findChild<QWidget*>("LcdScreen");
    QVERIFY(glass);
    for (int i = 0; i < CellCount; ++i) {
        const Cell c = static_cast<Cell>(i);
        if (c == Cell::LblV || c == Cell::LblOhm || c == Cell::LblA || c == Cell::LblTemp) {
            QVERIFY2(!panel.rect().intersects(panel.cellWidget(c)->geometry()),
                     qPrintable(cellName(c)));
            continue;
        }
        QWidget* w = panel.cellWidget(c);
        QCOMPARE(w->parentWidget(), glass);
        QVERIFY2(glass->rect().contains(w->geometry()), qPrintable(cellName(c)));
    }
}

void TestPanelView::unlitSegmentsLieUnderTheLitOnes_data()
{
    QTest::addColumn<double>("zoom"); // window size against the design size
    QTest::newRow("design size") << 1.0;
    QTest::newRow("smallest") << 0.7;
    QTest::newRow("odd size") << 0.83;
    QTest::newRow("large") << 1.7;
}

// Every digit lit as 8 covers its unlit 8 exactly: the glass with and without the unlit
// segments under the lit ones differs only in the soft edges of the glyphs.
void TestPanelView::unlitSegmentsLieUnderTheLitOnes()
{
    QFETCH(double, zoom);
    Panel panel;
    panel.resize(panel.sizeHint() * zoom);
    for (int i = 0; i < CellCount; ++i) {
        const Cell c = static_cast<Cell>(i);
        auto* label = qobject_cast<QLabel*>(panel.cellWidget(c));
        if (!label)
            continue;
        switch (PanelLayout::cellPlace(c).look) {
        case CellLook::BigDigit:
            label->setText("8");
            break;
        case CellLook::SmallValue:
            label->setText("8.8.8.8");
            break;
        case CellLook::SmallDigits:
            label->setText(QString(cellCaption(c).size(), '8'));
            break;
        default:
            break;
        }
        label->show();
    }
    auto* glass = panel.findChild<LcdScreen*>("LcdScreen");
    const QImage with = glass->grab().toImage();
    glass->clearGhosts();
    const QImage without = glass->grab().toImage();
    int stray = 0;
    for (int y = 0; y < with.height(); ++y) {
        for (int x = 0; x < with.width(); ++x)
            stray += qAbs(qGray(with.pixel(x, y)) - qGray(without.pixel(x, y))) > 6;
    }
    QCOMPARE(stray, 0);
}

void TestPanelView::showCellsTouchesOnlyFlagged_data()
{
    QTest::addColumn<QList<int>>("flagged");
    QTest::newRow("nothing") << QList<int>{};
    QTest::newRow("one digit") << QList<int>{cellIndex(Cell::HighO_2)};
    QTest::newRow("digits and their sign")
        << QList<int>{cellIndex(Cell::LowV_1), cellIndex(Cell::LowV_4), cellIndex(Cell::LowVNeg)};
    QTest::newRow("indicator words")
        << QList<int>{cellIndex(Cell::LcdHigh), cellIndex(Cell::LcdWarning)};
    QTest::newRow("pictures") << QList<int>{cellIndex(Cell::RS_2), cellIndex(Cell::UnitOhm),
                                            cellIndex(Cell::LineNo)};
    QTest::newRow("small fields") << QList<int>{cellIndex(Cell::LblmAh_0), cellIndex(Cell::LblSS)};
}

void TestPanelView::showCellsTouchesOnlyFlagged()
{
    QFETCH(QList<int>, flagged);
    Panel panel;
    PanelModel model;
    panel.showAllCells(model);
    QList<Shown> before;
    for (int i = 0; i < CellCount; ++i)
        before << shown(panel, static_cast<Cell>(i));

    CurrentReading reading;
    model.applyFrame(busyFrame(), reading, false);
    CellFlags flags;
    for (int i : flagged) {
        const Cell c = static_cast<Cell>(i);
        // Each flagged cell must really change, or the row proves nothing.
        QVERIFY2(model.cell(c).text != before[i].text || model.cell(c).visible != before[i].visible,
                 qPrintable(cellName(c)));
        flags.set(i);
    }
    panel.showCells(model, flags);

    for (int i = 0; i < CellCount; ++i) {
        const Cell c = static_cast<Cell>(i);
        const Shown now = shown(panel, c);
        const bool isLabel = qobject_cast<QLabel*>(panel.cellWidget(c)) != nullptr;
        const QString expectedText = flags.test(i) && isLabel ? model.cell(c).text : before[i].text;
        const bool expectedVisible = flags.test(i) ? model.cell(c).visible : before[i].visible;
        QVERIFY2(now.text == expectedText, qPrintable(cellName(c)));
        QVERIFY2(now.visible == expectedVisible, qPrintable(cellName(c)));
    }
}

void TestPanelView::showAllCellsMirrorsModel()
{
    Panel panel;
    PanelModel model;
    CurrentReading reading;
    model.applyFrame(busyFrame(), reading, false);
    // The frame must really change things for this check to mean anything.
    QVERIFY(model.cell(Cell::HighO_1).text == "1");
    QVERIFY(model.cell(Cell::RS_2).visible);
    panel.showAllCells(model);
    for (int i = 0; i < CellCount; ++i) {
        const Cell c = static_cast<Cell>(i);
        const Shown now = shown(panel, c);
        QVERIFY2(now.visible == model.cell(c).visible, qPrintable(cellName(c)));
        if (qobject_cast<QLabel*>(panel.cellWidget(c)))
            QVERIFY2(now.text == model.cell(c).text, qPrintable(cellName(c)));
    }
}

QTEST_MAIN(TestPanelView)
#include "tst_panelview.moc"
