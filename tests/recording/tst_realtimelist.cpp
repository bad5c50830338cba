// The real-time list: the List command, its titles, the rows the sample tick adds and their
// scrolling, its stop check, and its Save and Print, also when it is closed under them.
#include "Fetch.h"
#include "GridView.h"
#include "PrintedPdf.h"
#include "RecordingRig.h"
#include "TextGrid.h"

#include <QAction>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

namespace {

QStringList titlesOf(const TextGrid& g)
{
    QStringList titles;
    for (int c = 0; c < g.columns(); ++c)
        titles << g.cell(0, c);
    return titles;
}

} // namespace

class TestRealTimeList : public QObject
{
    Q_OBJECT
private slots:
    void listOpensBesideTheMainWindowWithTheUnitsInForce();
    void secondListClickOnlyTakesTheRange();
    void newestRowStaysAtTheBottom();
    void closesAfterThe36001stRow();
    void unitChangeAddsItsRowThenCloses_data();
    void unitChangeAddsItsRowThenCloses();
    void reopenedListStartsAtRowOne();
    void saveRefusedWhileRecording();
    void savesTheGoldenFiles();
    void closedWhileItsSaveDialogIsOpen();
    void closedInTheMiddleOfItsPrint();
};

void TestRealTimeList::listOpensBesideTheMainWindowWithTheUnitsInForce()
{
    RecordingRig rig;
    rig.mainWindow.show();
    rig.state.reading.milliAmps = true;
    rig.state.reading.TempUnitText = QStringLiteral("Fahrenheih");
    rig.list.runListCommand();
    RealTimeList* list = rig.list.window();
    QVERIFY(list && list->isVisible());
    QCOMPARE(list->objectName(), QString("RealTimeList"));
    QCOMPARE(list->windowTitle(), QString("Real Time List"));
    const QRect main = rig.mainWindow.frameGeometry();
    QCOMPARE(list->frameGeometry().topLeft(), QPoint(main.x() + main.width(), main.y()));
    QCOMPARE(titlesOf(list->grid()), (QStringList{"No.s", "Time", "V", "400 mOhm", "mAmp",
                                                  "Fahrenheih", "In-Cap ", "Out-Cap ", "T-Cap "}));
    QCOMPARE(list->grid().rows(), 1);
    QVERIFY(rig.state.ListRecording);
    QCOMPARE(rig.state.ListRangeText, QString("400 mOhm"));
    QCOMPARE(rig.state.ListTempUnitText, QString("Fahrenheih"));
    QVERIFY(rig.state.ListMilliAmps);
    // Its toolbar: Save, Export CSV and Print by key, with their tooltips.
    QStringList buttons;
    for (QAction* a : list->findChild<QToolBar*>("Toolbar1")->actions())
        buttons << a->property("Key").toString() + "=" + a->toolTip();
    QCOMPARE(buttons,
             (QStringList{"Save=Save As", "Export CSV=Export CSV", "Print=Print (Ctrl+P)"}));
    // Header and 15 whole rows in view.
    GridView& view = list->view();
    QVERIFY(view.viewport()->height() >= 15 * view.rowHeight());
    QVERIFY(view.viewport()->height() < 16 * view.rowHeight());
}

void TestRealTimeList::secondListClickOnlyTakesTheRange()
{
    RecordingRig rig;
    rig.list.runListCommand();
    rig.ticks(2);
    RealTimeList* first = rig.list.window();
    rig.state.reading.RangeText = QStringLiteral("4 Ohm");
    rig.state.reading.TempUnitText = QString();
    rig.state.reading.milliAmps = true;
    rig.list.runListCommand();
    QCOMPARE(rig.list.window(), first);
    QCOMPARE(first->grid().rows(), 3);
    QCOMPARE(rig.state.ListRangeText, QString("4 Ohm"));
    QCOMPARE(rig.state.ListTempUnitText, QString("Celsius"));
    QVERIFY(!rig.state.ListMilliAmps);
    QCOMPARE(first->grid().cell(0, 3), QString("400 mOhm"));
    QCOMPARE(first->grid().cell(0, 4), QString("Amp"));
    QVERIFY(rig.state.ListRecording);
}

void TestRealTimeList::newestRowStaysAtTheBottom()
{
    RecordingRig rig;
    rig.list.runListCommand();
    GridView& view = rig.list.window()->view();
    QList<int> tops;
    for (int n = 1; n <= 20; ++n) {
        rig.tick();
        QCOMPARE(view.currentRow(), n);
        tops << view.topRow();
    }
    QCOMPARE(tops, (QList<int>{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 3, 4, 5, 6}));
    QCOMPARE(rig.list.window()->grid().cell(20, 0), QString("20"));
    QCOMPARE(rig.list.window()->grid().cell(20, 1), QString("10:15:20"));
}

void TestRealTimeList::closesAfterThe36001stRow()
{
    RecordingRig rig;
    rig.list.runListCommand();
    QPointer<RealTimeList> list = rig.list.window();
    rig.state.ListRecordCount = 35999;
    rig.tick();
    QVERIFY(rig.state.ListRecording);
    rig.tick();
    QVERIFY(!rig.state.ListRecording);
    QCOMPARE(rig.state.ListRecordCount, 0);
    QVERIFY(!rig.list.window());
    QVERIFY(list && list->isHidden());
    QCOMPARE(list->grid().cell(2, 0), QString("36001"));
    RecordingRig::settle();
    QVERIFY(!list);
}

void TestRealTimeList::unitChangeAddsItsRowThenCloses_data()
{
    QTest::addColumn<QString>("range");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<bool>("milliAmps");
    QTest::newRow("range") << "4 Ohm"
                           << "Celsius" << false;
    QTest::newRow("unit") << "400 mOhm"
                          << "" << false;
    QTest::newRow("mA") << "400 mOhm"
                        << "Celsius" << true;
}

void TestRealTimeList::unitChangeAddsItsRowThenCloses()
{
    RecordingRig rig;
    rig.list.runListCommand();
    QPointer<RealTimeList> list = rig.list.window();
    rig.ticks(2);
    rig.state.reading.RangeText = fetched<QString>("range");
    rig.state.reading.TempUnitText = fetched<QString>("unit");
    rig.state.reading.milliAmps = fetched<bool>("milliAmps");
    rig.setReading({"12.00", " 3.45"});
    rig.tick();
    QVERIFY(!rig.state.ListRecording);
    QVERIFY(list);
    QCOMPARE(list->grid().rows(), 4);
    QCOMPARE(list->grid().cell(3, 3), QString(" 3.45"));
    RecordingRig::settle();
    QVERIFY(!list);
}

void TestRealTimeList::reopenedListStartsAtRowOne()
{
    RecordingRig rig;
    rig.list.runListCommand();
    rig.ticks(4);
    rig.list.window()->close(); // by the user
    QVERIFY(!rig.state.ListRecording);
    QCOMPARE(rig.state.ListRecordCount, 0);
    rig.ticks(2); // no list, no rows
    rig.list.runListCommand();
    rig.tick();
    const TextGrid& g = rig.list.window()->grid();
    QCOMPARE(g.rows(), 2);
    QCOMPARE(g.cell(1, 0), QString("1"));
    QCOMPARE(g.cell(1, 1), QString("10:15:07"));
}

void TestRealTimeList::saveRefusedWhileRecording()
{
    RecordingRig rig;
    QTemporaryDir dir;
    rig.list.runListCommand();
    rig.startRecording(dir.filePath("running.txt"));
    rig.ticks(2);
    rig.list.window()->runToolbarCommand(QStringLiteral("Save"));
    QCOMPARE(rig.prompts.asked.size(), 2); // the recording's dialog, then the refusal
    const auto& told = rig.prompts.asked.last();
    QCOMPARE(told.kind, ScriptedPrompts::Kind::Message);
    QCOMPARE(told.text, QString("Aready in recording mode, close it and try again !"));
    QCOMPARE(told.icon, Prompts::Icon::Critical);
    QVERIFY(told.title.isEmpty());
    QCOMPARE(rig.list.window()->grid().rows(), 3);
    QVERIFY(rig.state.FileRecording);
}

// Save writes the data file, Export CSV the same rows as CSV, dated by the clock when the
// first row came (it asks for no date) and not refused while a recording runs.
void TestRealTimeList::savesTheGoldenFiles()
{
    qputenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
    tzset();
    RecordingRig rig; // 2026-12-08 10:15
    QTemporaryDir dir;
    rig.state.reading.milliAmps = true;
    rig.list.runListCommand();
    rig.setReading({"12.53", " 41.2", "-511.0", " 25.3", "105.0", "0.0", "105.0"});
    rig.tick();
    rig.setReading({"12.52", " 41.2", "-510.9", " 25.3", "105.3", "0.0", "105.3"});
    rig.tick();
    rig.setReading({"12.52", " 41.3", "-510.8", " 25.4", "105.6", "0.000", "105.6"});
    rig.state.reading.capMilli = {true, false, true};
    rig.tick();
    const QString path = dir.filePath("list.txt");
    rig.prompts.fileAnswers << path;
    rig.list.window()->runToolbarCommand(QStringLiteral("Save"));
    QCOMPARE(fileBytes(path), fileBytes(CELLDESK_TEST_DATA "/list-save.txt"));
    QVERIFY(!rig.state.SaveFileChosen);
    QCOMPARE(rig.list.window()->windowTitle(), QString("Real Time List"));
    QVERIFY(!QGuiApplication::overrideCursor());

    rig.state.FileRecording = true;
    rig.clock.advanceMs(3 * 86400 * 1000); // the date is the first row's, not the export's
    rig.prompts.fileAnswers << dir.filePath("list");
    rig.list.window()->runToolbarCommand(QStringLiteral("Export CSV"));
    QCOMPARE(fileBytes(dir.filePath("list.csv")), fileBytes(CELLDESK_TEST_DATA "/list-save.csv"));
    QVERIFY(rig.prompts.of(ScriptedPrompts::Kind::Input).isEmpty());
    QCOMPARE(rig.prompts.of(ScriptedPrompts::Kind::Message).size(), 0);
}

void TestRealTimeList::closedWhileItsSaveDialogIsOpen()
{
    RecordingRig rig;
    QTemporaryDir dir;
    rig.list.runListCommand();
    QPointer<RealTimeList> list = rig.list.window();
    rig.ticks(3);
    const QString path = dir.filePath("closed.txt");
    rig.prompts.fileAnswers << path;
    rig.prompts.whileAsking = [&](const ScriptedPrompts::Asked&) {
        rig.state.reading.RangeText = QStringLiteral("4 Ohm");
        rig.tick(); // the list's stop check closes it under its dialog
        RecordingRig::settle();
        QVERIFY(list);
    };
    list->runToolbarCommand(QStringLiteral("Save"));
    QCOMPARE(lineCount(fileBytes(path)), 5); // titles and the four rows
    QVERIFY(!rig.state.ListRecording);
    QVERIFY(list && list->isHidden());
    RecordingRig::settle();
    QVERIFY(!list);
}

void TestRealTimeList::closedInTheMiddleOfItsPrint()
{
    RecordingRig rig;
    QTemporaryDir dir;
    rig.list.runListCommand();
    QPointer<RealTimeList> list = rig.list.window();
    rig.ticks(30);
    const QString pdf = dir.filePath("closed.pdf");
    rig.prompts.printAnswers << true;
    rig.prompts.setUpPrinter = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
    };
    QStringList captions;
    connect(list, &QWidget::windowTitleChanged, this, [&](const QString& t) { captions << t; });
    // While the lines go out: one more row, then a range change that closes the list.
    int tick = 0;
    QTimer during;
    connect(&during, &QTimer::timeout, this, [&] {
        if (++tick == 2)
            rig.state.reading.RangeText = QStringLiteral("4 Ohm");
        if (tick <= 2)
            rig.tick();
    });
    during.start(0);
    list->runToolbarCommand(QStringLiteral("Print"));
    during.stop();
    QCOMPARE(tick > 2, true);
    QVERIFY(list);
    QCOMPARE(list->grid().rows(), 33);
    // Every row present at the start went out, none of the later ones.
    QCOMPARE(captions.first(), QString("0 record(s) completed"));
    QCOMPARE(captions.at(captions.size() - 2), QString("30 record(s) completed"));
    QCOMPARE(captions.last(), QString("Real Time List"));
    QVERIFY(fileBytes(pdf).startsWith("%PDF"));
    QVERIFY(pdfText(pdf).contains("Real Time List — live readings"));
    QVERIFY(rig.prompts.of(ScriptedPrompts::Kind::Message).isEmpty());
    QVERIFY(rig.timers.poll().isActive());
    RecordingRig::settle();
    QVERIFY(!list);
}

QTEST_MAIN(TestRealTimeList)
#include "tst_realtimelist.moc"
