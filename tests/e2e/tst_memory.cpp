// The meter memory end to end: the toolbar's "Memory" downloads the emulator's memory over the
// pty into the Data Logger window, a set click and "Read Manual" fill the lists, Save writes the
// data list, Export CSV both lists, the two erases send their commands; and the downloads that
// fail, are refused or are cut short. After every path the poll decodes frames again.
#include "CsvReadings.h"
#include "DataList.h"
#include "Fetch.h"
#include "FileBytes.h"
#include "FileList.h"
#include "FrontPanel.h"
#include "GridView.h"
#include "ListPlot.h"
#include "LiveList.h"
#include "ManualList.h"
#include "MemoryDownload.h"
#include "MemoryManager.h"
#include "MeterMemory.h"
#include "OpenFileCommand.h"
#include "PlotRange.h"
#include "PrintedPdf.h"
#include "RealTimeList.h"
#include "SimMemory.h"
#include "StatusPanel.h"
#include "TextGrid.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

using Kind = ScriptedPrompts::Kind;
using Icon = Prompts::Icon;

const QString kNoAuto = QStringLiteral("No Automatically Recroded Data in Memoy!");
const QString kNoManual = QStringLiteral("No Manually Recroded Data in Memoy!");

MemoryManager* memoryWindow(FrontPanel& p)
{
    return p.controller->memory().window();
}

// Clears what the meter received, downloads, and returns the exchanges it saw.
QByteArray download(FrontPanel& p)
{
    p.settledCommands();
    p.meter.sim.clearReceived();
    p.clickToolbar(QStringLiteral("Memory"));
    return p.settledExchanges();
}

QStringList gridRows(const TextGrid& grid)
{
    QStringList rows;
    for (int r = 1; r < grid.rows(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid.columns(); ++c)
            cells << grid.cell(r, c);
        rows << cells.join(QLatin1Char('\t'));
    }
    return rows;
}

QStringList messageTexts(const ScriptedPrompts& prompts)
{
    QStringList texts;
    for (const auto& a : prompts.of(Kind::Message))
        texts << a.text;
    return texts;
}

// The poll runs again, decodes fresh frames, and the link was never taken for lost.
bool pollBack(FrontPanel& p)
{
    const quint64 before = p.controller->session().poll().framesDecoded();
    const bool decodes = QTest::qWaitFor(
        [&] { return p.controller->session().poll().framesDecoded() > before + 2; }, 5000);
    PollTimers& t = p.controller->session().timers();
    return decodes && t.poll().isActive() && t.keepAlive().isActive() &&
           p.text(QStringLiteral("LblCOM")) != QLatin1String("No COM") && !p.state.DisplayFrozen &&
           !p.state.longReadRunning();
}

QList<QByteArray> manualRecords(int count)
{
    QList<QByteArray> records;
    for (int i = 0; i < count; ++i)
        records << demoManualRecords().at(i % 3);
    return records;
}

} // namespace

class TestMemory : public QObject
{
    Q_OBJECT
private slots:
    void downloads_data();
    void downloads();
    void refused_data();
    void refused();
    void setToDataListToSave();
    void saveRefusedWhileRecording();
    void plotFromTheDataList();
    void readManualTwice();
    void erase_data();
    void erase();
    void commandsDuringDownloadDoNothing();
    void closingTheWindowCancels();
    void failedStreams_data();
    void failedStreams();
    void malformedMemory();
    void closingTheProgramEndsTheDownload();
};

// Which streams are asked for, in which order, and what the window and the stored memory hold.
void TestMemory::downloads_data()
{
    QTest::addColumn<QByteArray>("memory");
    QTest::addColumn<int>("manual");
    QTest::addColumn<bool>("paced");
    QTest::addColumn<QByteArray>("exchanges");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("remain");

    const QStringList demoRows{"1\t09:30:05\t2\t3", "2\t23:59:55\t10\t2"};
    // 32967 + 90 bytes in a 64 K memory: (65536 - 33057) / 1024 = 31.7 K.
    QTest::newRow("both kinds, paced") << demoAutoMemory() << 3 << true << QByteArray("AIAT")
                                       << QStringList{} << demoRows << "31.7 K";
    QTest::newRow("automatic only") << demoAutoMemory() << 0 << false << QByteArray("AI")
                                    << QStringList{kNoManual} << demoRows << "31.7 K";
    QTest::newRow("manual only") << QByteArray() << 3 << false << QByteArray("AT")
                                 << QStringList{kNoAuto} << QStringList{} << "64 K";
    QTest::newRow("empty") << QByteArray() << 0 << false << QByteArray("A")
                           << QStringList{"No Data in Memory"} << QStringList{} << "";
    // 42 bytes behind 44 reply bytes, one set of 2 readings.
    QTest::newRow("one small set")
        << encodeAutoSet(5, QTime(9, 30, 5), {SimReading{}, SimReading{}}) << 0 << false
        << QByteArray("AI") << QStringList{kNoManual} << QStringList{"1\t09:30:05\t5\t2"}
        << "31.8 K";
}

void TestMemory::downloads()
{
    FrontPanel p;
    QVERIFY(p.start());
    p.meter.sim.setAutoMemory(fetched<QByteArray>("memory"));
    p.meter.sim.setManualRecords(manualRecords(fetched<int>("manual")));
    p.meter.sim.setPaced(fetched<bool>("paced"));
    QTRY_VERIFY(p.controller->session().poll().framesDecoded() > 0);

    QCOMPARE(download(p), fetched<QByteArray>("exchanges"));
    QCOMPARE(messageTexts(p.prompts), fetched<QStringList>("messages"));
    for (const auto& a : p.prompts.of(Kind::Message)) {
        QCOMPARE(a.icon, a.text.startsWith("No Data") ? Icon::Critical : Icon::Information);
        QVERIFY(a.title.isEmpty());
    }
    MemoryManager* w = memoryWindow(p);
    const bool any = fetched<QByteArray>("exchanges") != "A";
    QCOMPARE(w->isVisible(), any);
    QCOMPARE(gridRows(w->setGrid()), fetched<QStringList>("rows"));
    QCOMPARE(p.state.StoredSets.size(), fetched<QStringList>("rows").size());
    QCOMPARE(p.state.ManualBuffer.size(),
             fetched<int>("manual") > 0 ? fetched<int>("manual") * 33 + 2 : 0);
    if (any) {
        QCOMPARE(w->sizeLabel()->text(), QString("64 K"));
        QCOMPARE(w->remainLabel()->text(), fetched<QString>("remain"));
        QVERIFY(w->messageLabel()->text().endsWith("100.0% Completed"));
    }
    QVERIFY(pollBack(p));
}

// Refused before anything is sent: the meter logs or counts on its own, or the window is open.
void TestMemory::refused_data()
{
    QTest::addColumn<int>("indicatorByte"); // index into the indicator bytes 23..33
    QTest::addColumn<quint8>("bits");
    QTest::addColumn<bool>("windowOpen");
    QTest::newRow("AM") << 2 << quint8(0x02) << false;
    QTest::newRow("INTV") << 10 << quint8(0x04) << false;
    QTest::newRow("window open") << 0 << quint8(0) << true;
}

void TestMemory::refused()
{
    FrontPanel p;
    QVERIFY(p.start());
    if (fetched<bool>("windowOpen")) {
        download(p);
        QVERIFY(memoryWindow(p)->isVisible());
        p.prompts.asked.clear();
    } else {
        SimReading r;
        r.extraIndicatorBits[fetched<int>("indicatorByte")] = fetched<quint8>("bits");
        p.meter.sim.setReading(r);
        QTRY_VERIFY(p.state.reading.lit(Cell::LcdAM) || p.state.reading.lit(Cell::LcdIntv));
    }
    QCOMPARE(download(p), QByteArray());
    if (fetched<bool>("windowOpen")) {
        QVERIFY(p.prompts.asked.isEmpty());
    } else {
        QCOMPARE(p.prompts.asked.size(), 1);
        QCOMPARE(p.prompts.asked[0].text,
                 QString("Error loading in this mode,\rplease check out and try again."));
        QCOMPARE(p.prompts.asked[0].icon, Icon::None);
        QVERIFY(p.prompts.asked[0].title.isEmpty());
        QVERIFY(!memoryWindow(p)->isVisible());
    }
    QVERIFY(pollBack(p));
}

// A click on a set lists it; the list saves to the data file format.
void TestMemory::setToDataListToSave()
{
    FrontPanel p;
    QVERIFY(p.start());
    download(p);
    MemoryManager* w = memoryWindow(p);
    GridView& view = w->setView();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
                      view.visualRect(view.model()->index(1, 1)).center());
    QPointer<DataList> list = w->dataList();
    QVERIFY(list && list->isVisible());
    QCOMPARE(list->windowTitle(), QString("Data List"));
    QCOMPARE(list->statusPanel()->text(), QString("2 in No.2 Set"));
    QVERIFY(!list->statusPanel()->fillVisible());
    QCOMPARE(list->grid().cell(0, 3), QString("4 Ohm"));
    QCOMPARE(list->grid().cell(0, 4), QString("mAmp"));
    QCOMPARE(list->grid().cell(0, 5), QString("Fahrenheit"));
    QCOMPARE(list->grid().cell(2, 1), QString("00:00:05"));
    QVERIFY(!p.state.DisplayFrozen);

    // The first set replaces the list.
    w->showSet(1);
    QTRY_VERIFY(!list);
    list = w->dataList();
    QCOMPARE(list->statusPanel()->text(), QString("3 in No.1 Set"));

    QTemporaryDir dir;
    const QString path = dir.filePath("set1.txt");
    p.prompts.fileAnswers << path;
    list->runToolbarCommand("Save");
    QCOMPARE(fileBytes(path), fileBytes(CELLDESK_TEST_DATA "/memory-set-save.txt"));

    // The same rows as CSV, on the date offered: today's, the set holding none.
    qputenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
    tzset();
    p.prompts.inputAnswers << "2026-12-06";
    p.prompts.fileAnswers << dir.filePath("set1");
    list->runToolbarCommand("Export CSV");
    QCOMPARE(p.prompts.of(Kind::Input).constLast().defaultText, QString("2026-12-06"));
    QCOMPARE(fileBytes(dir.filePath("set1.csv")),
             fileBytes(CELLDESK_TEST_DATA "/memory-set-save.csv"));

    // Its printout names the set on each page.
    p.prompts.printAnswers << true;
    p.prompts.setUpPrinter = pdfPrinter(dir.filePath("set1.pdf"));
    list->runToolbarCommand("Print");
    QVERIFY(pdfText(dir.filePath("set1.pdf")).contains("Data List — 3 in No.1 Set"));
    QVERIFY(pollBack(p));
}

void TestMemory::saveRefusedWhileRecording()
{
    FrontPanel p;
    QVERIFY(p.start());
    download(p);
    memoryWindow(p)->showSet(1);
    DataList* list = memoryWindow(p)->dataList();
    p.prompts.asked.clear();
    p.state.FileRecording = true;
    list->runToolbarCommand("Save");
    p.state.FileRecording = false;
    QCOMPARE(p.prompts.asked.size(), 1);
    QCOMPARE(p.prompts.asked[0].text,
             QString("Aready in recording mode, close it and try again !"));
    QCOMPARE(p.prompts.asked[0].icon, Icon::Critical);
}

// Plot draws the listed voltages over their full scale, and goes on doing so when a file list's
// column click changes the program's plot request; the plot and its range dialog close with
// their list; an empty list plots nothing.
void TestMemory::plotFromTheDataList()
{
    FrontPanel p;
    QVERIFY(p.start());
    download(p);
    MemoryManager* w = memoryWindow(p);
    w->showSet(1);
    DataList* list = w->dataList();
    list->runToolbarCommand("Plot");
    QPointer<ListPlot> plot = list->plot();
    QVERIFY(plot && plot->isVisible());
    const PlotRequest& q = p.state.plotRequest;
    QCOMPARE(q.Title, QString("V"));
    QCOMPARE(q.RecordCount, 3.0f);
    QCOMPARE(q.RecordAxisMax, 3.0f);
    QCOMPARE(q.RecordFrom, 1.0f);
    QCOMPARE(q.RecordTo, 3.0f);
    QVERIFY(q.ValueMax > q.ValueMin);
    QCOMPARE(q.FullScaleMin, -60.0f);
    QCOMPARE(q.FullScaleMax, 60.0f);

    QTemporaryDir dir;
    p.prompts.printAnswers << true;
    p.prompts.setUpPrinter = pdfPrinter(dir.filePath("plot.pdf"));
    plot->runToolbarCommand("Print");
    QVERIFY(pdfText(dir.filePath("plot.pdf")).contains("Plot Data/File — 3 in No.1 Set"));
    const QString path = dir.filePath("file.txt");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("No.s\tTime\tV\t4 Ohm\tAmp\tCelsius\r\n1\t10:00:00\t1.5\t1.2\t0.5\t25.0\t105\r\n");
    file.close();
    p.prompts.fileAnswers << path;
    p.clickToolbar("Open");
    QPointer<FileList> fileList = p.controller->openFile().window();
    QVERIFY(fileList);
    QTRY_VERIFY(!fileList->isLoading());
    fileList->plotColumn(6);
    QCOMPARE(q.Title, QString("In-Cap"));
    QCOMPARE(plot->request().Title, QString("V"));

    plot->runToolbarCommand("Limit");
    QPointer<PlotRange> range = list->range();
    QVERIFY(range && range->isVisible());
    QCOMPARE(range->windowTitle(), QString("Plot Range ( V )"));
    range->accept();
    QTRY_VERIFY(!range && !plot);
    plot = list->plot();
    QVERIFY(plot && plot->isVisible());
    QCOMPARE(plot->request().Title, QString("V"));
    QCOMPARE(plot->request().FullScaleMax, 60.0f);
    QCOMPARE(plot->request().RecordTo, 3.0f);
    plot->runToolbarCommand("Limit");
    range = list->range();
    QVERIFY(range);

    list->close();
    QTRY_VERIFY(!plot && !range);

    // A set without readings: an empty list, and Plot leaves the request alone.
    p.state.StoredSets = {encodeSetHeader(2, QTime(1, 0), 0x90)};
    w->setGrid().clearRecords();
    w->setGrid().appendRows({QStringLiteral("1\t01:00:00\t2\t0")});
    w->showSet(1);
    QCOMPARE(w->dataList()->dataRows(), 0);
    QCOMPARE(w->dataList()->statusPanel()->text(), QString("0 in No.1 Set"));
    const PlotRequest before = q;
    w->dataList()->runToolbarCommand("Plot");
    QVERIFY(!w->dataList()->plot());
    QCOMPARE(q.RecordCount, before.RecordCount);
    QCOMPARE(q.Title, before.Title);
    QVERIFY(!p.state.DisplayFrozen);
}

// Read Manual lists the records of the last download, numbered from 1 each time, below the
// rows already there; the live reading's units stay as they were.
void TestMemory::readManualTwice()
{
    FrontPanel p;
    QVERIFY(p.start());
    download(p);
    const QString unit = p.state.reading.TempUnitText;
    const bool milliAmps = p.state.reading.milliAmps;
    // Records stored after the download do not count until the next one.
    p.meter.sim.setManualRecords(manualRecords(7));
    QTRY_COMPARE(p.meter.sim.manualCount(), quint16(7));

    MemoryManager* w = memoryWindow(p);
    QTest::mouseClick(w->findChild<QPushButton*>("CmdManual"), Qt::LeftButton);
    QPointer<ManualList> list = w->manualList();
    QVERIFY(list && list->isVisible());
    QCOMPARE(list->dataRows(), 3);
    w->readManual();
    QCOMPARE(list->dataRows(), 6);
    QCOMPARE(list->grid().cell(4, 0), QString("1"));
    QCOMPARE(list->grid().cell(1, 1), QString("10:45:12"));
    QCOMPARE(list->grid().cell(3, 3), QString("0.210 / 400 mOhm"));
    QCOMPARE(list->grid().cell(3, 4), QString("120.5(m)"));
    QCOMPARE(p.state.reading.TempUnitText, unit);
    QCOMPARE(p.state.reading.milliAmps, milliAmps);
    QVERIFY(!p.state.DisplayFrozen);

    // Export CSV reads each row's own units: ranges, mA, overloads. The readings were stored
    // one by one, whenever the key was pressed: no date is asked or made up, an earlier time
    // of day is no next day, and no time elapsed between them.
    QTemporaryDir dir;
    const qsizetype inputs = p.prompts.of(Kind::Input).size();
    p.prompts.fileAnswers << dir.filePath("manual.csv");
    list->runToolbarCommand("Export CSV");
    QCOMPARE(p.prompts.of(Kind::Input).size(), inputs);
    const QList<QByteArray> csv = fileBytes(dir.filePath("manual.csv")).split('\n');
    QCOMPARE(csv.size(), 8); // the titles, six rows and the end of the last
    QCOMPARE(csv[0], csvBytes(csvHeader(TemperatureUnit::Celsius)).trimmed());
    QCOMPARE(csv[1], "1,10:45:12,,12.64,0.00347,1.250,26.3,0.000,0.1250,0.1250,,");
    QCOMPARE(csv[2], "2,08:15:00,,,,0.000,24.5,0.000,0.000000,0.000000,OL:voltage OL:resistance,");
    QCOMPARE(csv[3], "3,14:02:30,,1.298,0.000210,0.1205,23.9,0.000,0.01562,0.01562,,");
    p.prompts.printAnswers << true;
    p.prompts.setUpPrinter = pdfPrinter(dir.filePath("manual.pdf"));
    list->runToolbarCommand("Print");
    QVERIFY(pdfText(dir.filePath("manual.pdf")).contains("Manual List — 6 manual records"));

    // Closed, the list starts afresh.
    list->close();
    QTRY_VERIFY(!list);
    w->readManual();
    QCOMPARE(w->manualList()->dataRows(), 3);
}

void TestMemory::erase_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("Clear Manual, OK") << "CmdClearManual" << true << QByteArray("AZ");
    QTest::newRow("Clear Manual, Cancel") << "CmdClearManual" << false << QByteArray();
    QTest::newRow("free space, OK") << "LblRemain" << true << QByteArray("AY");
    QTest::newRow("free space, Cancel") << "LblRemain" << false << QByteArray();
    QTest::newRow("toolbar Erase, OK") << "Erase" << true << QByteArray("AY");
}

// The erase is sent after a question that defaults to Cancel. Nothing is read back; what the
// meter no longer holds is no longer shown: its lists close and its copy is dropped.
void TestMemory::erase()
{
    FrontPanel p;
    QVERIFY(p.start());
    download(p);
    MemoryManager* w = memoryWindow(p);
    w->showSet(1);
    w->readManual();
    QPointer<DataList> dataList = w->dataList();
    QPointer<ManualList> manualList = w->manualList();
    dataList->runToolbarCommand("Plot");
    QPointer<ListPlot> plot = dataList->plot();
    QVERIFY(dataList && manualList && plot);
    const QStringList rows = gridRows(w->setGrid());
    const QString remain = w->remainLabel()->text();
    const qsizetype sets = p.state.StoredSets.size();
    const QByteArray manual = p.state.ManualBuffer;
    p.settledCommands();
    p.meter.sim.clearReceived();
    p.prompts.asked.clear();
    const QString from = fetched<QString>("from");
    const bool ok = fetched<bool>("ok");
    p.prompts.confirmAnswers << ok;
    if (from == "CmdClearManual")
        QTest::mouseClick(w->findChild<QPushButton*>(from), Qt::LeftButton);
    else if (from == "LblRemain")
        QTest::mouseClick(w->remainLabel(), Qt::LeftButton);
    else
        p.clickToolbar(from);
    QCOMPARE(p.settledExchanges(), fetched<QByteArray>("sent"));
    QCOMPARE(p.prompts.asked.size(), 1);
    QCOMPARE(p.prompts.asked[0].kind, Kind::Confirm);
    QCOMPARE(p.prompts.asked[0].icon, Icon::Exclamation);
    QCOMPARE(p.prompts.asked[0].defaultButton, Prompts::DefaultButton::Cancel);
    const bool manualErased = from == "CmdClearManual";
    QCOMPARE(p.prompts.asked[0].text,
             manualErased
                 ? QString("All the manually recorded data in memory will be deleted!")
                 : QString("All the automatically recorded data in memory will be deleted!"));
    const bool autoGone = ok && !manualErased;
    const bool manualGone = ok && manualErased;
    QCOMPARE(gridRows(w->setGrid()), autoGone ? QStringList() : rows);
    QCOMPARE(w->remainLabel()->text(),
             autoGone ? memorySizeText(p.controller->session().channel().status()) : remain);
    QCOMPARE(p.state.StoredSets.size(), autoGone ? 0 : sets);
    QCOMPARE(p.state.ManualBuffer, manualGone ? QByteArray() : manual);
    QTRY_COMPARE(dataList.isNull(), autoGone);
    QTRY_COMPARE(plot.isNull(), autoGone);
    QTRY_COMPARE(manualList.isNull(), manualGone);
    if (manualGone) {
        w->readManual(); // nothing left to list
        QVERIFY(!w->manualList());
    }
    QVERIFY(pollBack(p));
}

// Keys, toolbar commands and the window's erases while a stream arrives send nothing, and a
// second download does not start; nor does a recording, whose save dialog would hold the
// download. Stopping the recording that runs and opening the real-time list work.
void TestMemory::commandsDuringDownloadDoNothing()
{
    FrontPanel p;
    QVERIFY(p.start());
    p.meter.sim.setPaced(true);
    p.meter.sim.setAutoMemory(generatedAutoMemory(6000, 20)); // about 3 s at line rate
    QTemporaryDir dir;
    p.prompts.fileAnswers << dir.filePath("running.txt") << dir.filePath("refused.txt");
    QTRY_VERIFY(p.state.reading.frameNumber > 0); // the units it records under
    p.clickToolbar("Save");
    p.prompts.asked.clear();
    p.prompts.confirmAnswers << true << true << true;
    bool tried = false;
    QTimer::singleShot(1200, [&] {
        QVERIFY(p.state.MemoryBusy && p.state.FileRecording);
        emit p.window.arrowReleased(0);
        emit p.window.grayReleased(1);
        for (const char* key :
             {"Erase", "COMP", "TimeSet", "Sampling", "Memory", "Save", "Save", "Open", "List"})
            p.clickToolbar(QString::fromLatin1(key));
        memoryWindow(p)->clearManual();
        memoryWindow(p)->clearAuto();
        tried = !p.state.FileRecording && p.state.ListRecording && p.state.MemoryBusy;
    });
    QCOMPARE(download(p), QByteArray("AIAT"));
    QVERIFY(tried);
    QCOMPARE(
        memoryWindow(p)->setGrid().rows() - 1,
        int(splitAutoMemory(QByteArray(1, 0) + generatedAutoMemory(6000, 20) + QByteArray(1, 0))
                .sets.size()));
    QVERIFY(p.prompts.asked.isEmpty());
    QVERIFY(!p.state.FileRecording);
    QVERIFY(!p.find("LblRec")->isVisible());
    QVERIFY(p.controller->liveList().window()->isVisible());
    QVERIFY(pollBack(p));
}

// Closing the window stops the download without a word; the rest of the stream is not taken
// for frames, and the next download runs.
void TestMemory::closingTheWindowCancels()
{
    FrontPanel p;
    QVERIFY(p.start());
    p.meter.sim.setPaced(true);
    p.meter.sim.setAutoMemory(generatedAutoMemory(20000, 50)); // about 10 s at line rate
    QTimer::singleShot(1500, [&] { memoryWindow(p)->close(); });
    QElapsedTimer took;
    took.start();
    p.clickToolbar("Memory");
    // The rest of the stream passes unread (it ends about 10.5 s after the command).
    QVERIFY(took.elapsed() < 13000);
    QCOMPARE(p.meter.sim.commands().count('T'), 0);
    QVERIFY(p.prompts.asked.isEmpty());
    QVERIFY(!memoryWindow(p)->isVisible());
    QVERIFY(pollBack(p));

    p.meter.sim.setPaced(false);
    QCOMPARE(download(p), QByteArray("AIAT"));
    QVERIFY(memoryWindow(p)->isVisible());
    QVERIFY(pollBack(p));
}

// A stream that never starts is asked for once more; one that stops short, or turns into the
// display stream, ends the download. The message names the stream and the bytes; a completed
// stream stays.
void TestMemory::failedStreams_data()
{
    QTest::addColumn<char>("command");
    QTest::addColumn<int>("cutAfter");
    QTest::addColumn<bool>("framesGoOn"); // the meter shows its display instead of answering
    QTest::addColumn<int>("autoBytes");   // 0: the demo memory
    QTest::addColumn<QByteArray>("exchanges");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("setRows");
    QTest::addColumn<double>("mostShown"); // percentage the progress may have reached
    // A meter that sends nothing at all may have missed the command: it is asked once more.
    QTest::newRow("no automatic stream")
        << 'I' << 0 << false << 0 << QByteArray("AIAI")
        << "The download of the automatically recorded data stopped: 0 of 102 bytes received." << 0
        << 100.0;
    QTest::newRow("automatic stream stops short")
        << 'I' << 40 << false << 0 << QByteArray("AI")
        << "The download of the automatically recorded data stopped: 40 of 102 bytes received." << 0
        << 100.0;
    QTest::newRow("manual stream stops short")
        << 'T' << 50 << false << 0 << QByteArray("AIAT")
        << "The download of the manually recorded data stopped: 50 of 101 bytes received." << 2
        << 100.0;
    // Three records take 101 bytes, too few for three display frames: "T" ignored, or broken
    // off after the first record, still fills no row from the display.
    QTest::newRow("manual stream is display frames")
        << 'T' << 0 << true << 0 << QByteArray("AIAT")
        << "The download of the manually recorded data stopped: 0 of 101 bytes received." << 2
        << 99.9;
    QTest::newRow("manual stream cut after a record, then display frames")
        << 'T' << 34 << true << 0 << QByteArray("AIAT")
        << "The download of the manually recorded data stopped: 34 of 101 bytes received." << 2
        << 99.9;
    // "I" ignored on a 64 KiB memory: the frames end it at once, not after 64 KiB of them.
    const qsizetype expected = generatedAutoMemory(64 << 10).size() + 2;
    QTest::newRow("automatic stream is display frames")
        << 'I' << 0 << true << (64 << 10) << QByteArray("AI")
        << QString("The download of the automatically recorded data stopped: 0 of %1 bytes "
                   "received.")
               .arg(expected)
        << 0 << 1.0;
}

void TestMemory::failedStreams()
{
    FrontPanel p;
    QVERIFY(p.start());
    const bool framesGoOn = fetched<bool>("framesGoOn");
    if (fetched<int>("autoBytes") > 0) {
        p.meter.sim.setAutoMemory(generatedAutoMemory(fetched<int>("autoBytes")));
        p.meter.sim.setSizeCode(2);
    }
    p.meter.sim.cutAnswer(fetched<char>("command"), fetched<int>("cutAfter"),
                          framesGoOn ? MeterSim::AfterCut::Frames : MeterSim::AfterCut::Hang);
    p.settledCommands();
    p.meter.sim.clearReceived();
    p.meter.sim.setStreaming(fetched<int>("cutAfter") > 0 || framesGoOn);
    p.clickToolbar(QStringLiteral("Memory"));
    p.meter.sim.setStreaming(true);
    QCOMPARE(p.settledExchanges(), fetched<QByteArray>("exchanges"));
    QCOMPARE(messageTexts(p.prompts), QStringList{fetched<QString>("message")});
    QCOMPARE(p.prompts.asked[0].icon, Icon::Critical);
    QCOMPARE(memoryWindow(p)->setGrid().rows() - 1, fetched<int>("setRows"));
    QCOMPARE(p.state.ManualBuffer.size(), 0);
    // "A 0.1% Completed": how far the read went before it ended.
    const QString shown = memoryWindow(p)->messageLabel()->text();
    QVERIFY2(shown.section(' ', 1, 1).chopped(1).toDouble() <= fetched<double>("mostShown"),
             qPrintable(shown));
    p.meter.sim.clearAnswerShapes();
    QVERIFY(pollBack(p));
}

// Sets that do not fit their grid: those before are listed, the rest is named.
void TestMemory::malformedMemory()
{
    FrontPanel p;
    QVERIFY(p.start());
    QByteArray memory = demoAutoMemory();
    memory.append(encodeSetHeader(2, QTime(1, 2, 3), 0x90)).append(QByteArray(7, '\x11'));
    p.meter.sim.setAutoMemory(memory);
    download(p);
    QCOMPARE(memoryWindow(p)->setGrid().rows() - 1, 2);
    const auto messages = p.prompts.of(Kind::Message);
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].text,
             QString("The automatic memory could not be read from set 3 on (17 bytes)."));
    QCOMPARE(p.state.ManualBuffer.size(), 3 * 33 + 2);
    QVERIFY(pollBack(p));
}

void TestMemory::closingTheProgramEndsTheDownload()
{
    FrontPanel p;
    QVERIFY(p.start());
    p.meter.sim.setPaced(true);
    p.meter.sim.setAutoMemory(generatedAutoMemory(20000, 50));
    QTimer::singleShot(1000, [&] { p.window.close(); });
    QElapsedTimer took;
    took.start();
    p.clickToolbar("Memory");
    QVERIFY(took.elapsed() < 3000);
    QVERIFY(p.prompts.asked.isEmpty());
    QVERIFY(!p.state.MemoryBusy);
}

QTEST_MAIN(TestMemory)
#include "tst_memory.moc"
