// PC recording end to end: the main window's toolbar, the real Timer2 and the meter emulator
// streaming a known reading; the data file and the real-time list it produces.
#include "ChannelDialog.h"
#include "Fetch.h"
#include "FileBytes.h"
#include "FrontPanel.h"
#include "GraphView.h"
#include "LiveGraph.h"
#include "LiveGraphWindow.h"
#include "LiveList.h"
#include "RTCSetup.h"
#include "RealTimeList.h"
#include "Recorder.h"
#include "SampleSchedule.h"
#include "SamplingChoice.h"
#include "TextGrid.h"
#include "WindowToolbar.h"

#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTime>
#include <QTimer>

#include <cmath>

namespace {

QString toolTipOfSave(const FrontPanel& p)
{
    return p.find<QToolBar>("Toolbar1")->actions().constFirst()->toolTip();
}

int secondsFrom(const QString& from, const QString& to)
{
    return QTime::fromString(from, "hh:mm:ss").secsTo(QTime::fromString(to, "hh:mm:ss"));
}

// Rows "number<tab>stamp ..." must be numbered 1, 2, 3 ... with rising stamps, none from the
// second after `lastFrame` + 1 (that sample still takes the last frame) up to `back`, and
// the last after `back`. Returns the first row that is not, or empty.
QString gapProblem(const QStringList& rows, const QString& lastFrame, const QString& back)
{
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QString stamp = rows[i].section('\t', 1, 1);
        if (rows[i].section('\t', 0, 0) != QString::number(i + 1) ||
            (i > 0 && secondsFrom(rows[i - 1].section('\t', 1, 1), stamp) < 1) ||
            (secondsFrom(lastFrame, stamp) > 1 && secondsFrom(stamp, back) >= 0))
            return rows[i];
    }
    const bool after = !rows.isEmpty() && secondsFrom(back, rows.last().section('\t', 1, 1)) > 0;
    return after ? QString() : QStringLiteral("nothing after the gap");
}

} // namespace

class TestRecording : public QObject
{
    Q_OBJECT
private slots:
    void recordsWhatTheMeterShows();
    void nothingMirroredNothingSampled_data();
    void nothingMirroredNothingSampled();
    void recordingGoesOnWhileWindowsAreOpen_data();
    void recordingGoesOnWhileWindowsAreOpen();
};

void TestRecording::recordsWhatTheMeterShows()
{
    FrontPanel p;
    QVERIFY(p.start());
    p.clock.runWithRealTime();
    SimReading r;
    r.voltage = "12.53";
    r.resistance = "41.2";
    r.current = "-0.511";
    r.temperature = "25.3";
    r.inCap = "105.0";
    r.outCap = "1.234";
    r.tCap = "105.0";
    r.capMilli = {true, false, true};
    r.rangeCode = 3;
    p.meter.sim.setReading(r);
    QTRY_COMPARE(p.state.reading.valueTexts[CurrentReading::Resistance], QString(" 41.2"));
    QCOMPARE(p.state.reading.RangeText, QString("400 mOhm"));
    p.state.PcSamplingSeconds = 1;

    p.clickToolbar("List");
    RealTimeList* list = p.controller->liveList().window();
    QVERIFY(list && list->isVisible());

    QTemporaryDir dir;
    const QString path = dir.filePath("e2e.txt");
    p.prompts.fileAnswers << path;
    p.clickToolbar("Save");
    QString stamp = p.state.SampleTimeStamp; // no tick can run before this line
    QCOMPARE(toolTipOfSave(p), QString("Stop Recording (Ctrl+S)"));
    QCOMPARE(p.text("LblFileName"), QString("e2e.txt"));
    QTRY_COMPARE_WITH_TIMEOUT(p.text("LblCount"), QString("3"), 8000);
    QCOMPARE(p.text("LblRec"), QString("Rec"));
    p.clickToolbar("Save");
    QCOMPARE(toolTipOfSave(p), QString("Save As (Ctrl+S)"));
    QVERIFY(!p.shown("LblRec"));

    QByteArray expected = "No.s\tTime\tV\t400 mOhm\tAmp\tCelsius\tIn-Cap \tOut-Cap \tT-Cap \r\n";
    QStringList stamps;
    for (int n = 1; n <= 3; ++n) {
        stamp = nextSampleStamp(stamp, 1);
        stamps << stamp;
        expected += QByteArray::number(n) + '\t' + stamp.toLatin1() +
                    "\t12.53\t 41.2\t-0.511\t 25.3\t105.0(m)\t1.234\t105.0(m)\r\n";
    }
    QCOMPARE(fileBytes(path), expected);

    // The list beside it took the same samples with the same stamps.
    const TextGrid& rows = list->grid();
    QStringList listed;
    for (int row = 1; row < rows.rows(); ++row)
        listed << rows.cell(row, 1);
    for (const QString& s : stamps)
        QVERIFY2(listed.contains(s), qPrintable(s + " not in " + listed.join(' ')));

    // A range change stops a second recording with no further line, and closes the list.
    const QString second = dir.filePath("second.txt");
    p.prompts.fileAnswers << second;
    p.clickToolbar("Save");
    QTRY_COMPARE_WITH_TIMEOUT(p.text("LblCount"), QString("1"), 4000);
    r.rangeCode = 7;
    p.meter.sim.setReading(r);
    QTRY_VERIFY_WITH_TIMEOUT(!p.state.FileRecording, 4000);
    QCOMPARE(toolTipOfSave(p), QString("Save As (Ctrl+S)"));
    QVERIFY(!p.state.ListRecording);
    const QByteArray written = fileBytes(second);
    QTest::qWait(2500);
    QCOMPARE(fileBytes(second), written);
    QVERIFY(!written.contains("400 Ohm"));
    QVERIFY(written.count("\r\n") >= 2);
    QCOMPARE(p.text("LblFileName"), QString());
}

void TestRecording::nothingMirroredNothingSampled_data()
{
    QTest::addColumn<bool>("unplug"); // else the meter stops sending its display
    QTest::newRow("meter falls silent") << false;
    QTest::newRow("meter unplugged") << true;
}

// While the meter is silent or unplugged the reading stands still: the recording, the
// real-time list and the live graph take nothing from it, and the stamps go on. The one-second
// timers and the clock run five times as fast; each tick is still a second.
void TestRecording::nothingMirroredNothingSampled()
{
    const bool unplug = fetched<bool>("unplug");
    FrontPanel p;
    QVERIFY(p.start(unplug));
    p.clock.runWithRealTime(5);
    QTRY_VERIFY(p.state.reading.frameNumber > 0);
    p.state.PcSamplingSeconds = 1;
    p.controller->recorder().timer().setInterval(200);
    p.clickToolbar("List");
    p.clickToolbar("Graph");
    auto* dialog = p.find<ChannelDialog>("AllGraph");
    QVERIFY(dialog);
    dialog->findChild<QCheckBox*>("CkV")->setChecked(true);
    dialog->findChild<QPushButton*>("CmdOK")->click();
    LiveGraphWindow* live = p.controller->liveGraph().window();
    QVERIFY(live);
    live->timer()->setInterval(200);
    QTemporaryDir dir;
    const QString path = dir.filePath("gap.txt");
    p.prompts.fileAnswers << path;
    p.clickToolbar("Save");
    QTRY_VERIFY(p.state.FileRecordCount >= 2);

    // The stamps of the last frame before the outage ends and of the first after it.
    QString lastFrame = p.state.SampleTimeStamp;
    QString back;
    bool ended = false;
    QObject context;
    connect(&p.controller->session().poll(), &PollCycle::frameDecoded, &context, [&] {
        if (!ended)
            lastFrame = p.state.SampleTimeStamp;
        else if (back.isEmpty())
            back = p.state.SampleTimeStamp;
    });
    // Ends the outage after four seconds without a frame; the link-lost wait runs inside a
    // poll tick, so this is driven from a timer.
    QTimer end;
    connect(&end, &QTimer::timeout, &context, [&] {
        if (ended || secondsFrom(lastFrame, p.state.SampleTimeStamp) < 4)
            return;
        ended = true;
        if (unplug)
            QVERIFY(p.meter.sim.replug());
        else
            p.meter.sim.setStreaming(true);
    });
    end.start(50);
    if (unplug)
        p.meter.sim.unplug();
    else
        p.meter.sim.setStreaming(false);
    QTRY_VERIFY_WITH_TIMEOUT(!back.isEmpty() && secondsFrom(back, p.state.SampleTimeStamp) >= 2,
                             15000);
    p.clickToolbar("Save");
    QVERIFY(!p.state.FileRecording);

    const QStringList lines =
        QString::fromLatin1(fileBytes(path)).split("\r\n", Qt::SkipEmptyParts).mid(1);
    QCOMPARE(gapProblem(lines, lastFrame, back), QString());
    const TextGrid& grid = p.controller->liveList().window()->grid();
    QStringList rows;
    for (int row = 1; row < grid.rows(); ++row)
        rows << grid.cell(row, 0) + '\t' + grid.cell(row, 1);
    QCOMPARE(gapProblem(rows, lastFrame, back), QString());

    // The live graph's trace and history break off for those seconds and go on after them.
    const QCPGraph* trace = live->graph()->plot(1);
    const ChannelRing& history = p.state.allChannelGraph.ChannelHistory;
    QCOMPARE(trace->dataCount(), history.held());
    QString gaps;
    for (int i = 0; i < history.held(); ++i) {
        const bool gap = std::isnan(history.at(LiveSeries::Voltage, i));
        QCOMPARE(std::isnan(trace->data()->at(i)->value), gap);
        gaps += gap ? '-' : 'V';
    }
    QVERIFY2(gaps.contains("V--") && gaps.lastIndexOf('V') > gaps.indexOf("--"), qPrintable(gaps));
}

void TestRecording::recordingGoesOnWhileWindowsAreOpen_data()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("clock window reading the meter") << "clock";
    QTest::newRow("Export CSV save dialog") << "export";
    QTest::newRow("print dialog") << "print";
    QTest::newRow("meter sampling input box") << "sampling";
}

// A 1-s recording while a window stays open for HoldSeconds: a dialog that does not talk to the
// meter leaves the live poll running, and the display frames between the clock window's and
// the sampling exchanges reach the reading, so the samples go on. Each dialog is opened from a
// timer, as a click comes in: inside the poll's wait for the next frame.
void TestRecording::recordingGoesOnWhileWindowsAreOpen()
{
    constexpr int HoldSeconds = 5;
    const QString window = fetched<QString>("window");
    FrontPanel p;
    QVERIFY(p.start());
    // A frame every quarter of a second, byte by byte at the line's pace, as the meter sends.
    p.meter.sim.setPaced(true);
    p.meter.sim.setFramePeriodMs(250);
    p.clock.runWithRealTime();
    QTRY_VERIFY(p.state.reading.frameNumber > 0);
    p.state.PcSamplingSeconds = 1;
    p.clickToolbar("List");
    QTemporaryDir dir;
    p.prompts.fileAnswers << dir.filePath("open.txt");
    p.clickToolbar("Save");
    QTRY_VERIFY_WITH_TIMEOUT(p.state.FileRecordCount >= 1, 4000);

    int kept = -1;
    const auto hold = [&] {
        const int before = p.state.FileRecordCount;
        QEventLoop loop;
        QTimer::singleShot(HoldSeconds * 1000, &loop, &QEventLoop::quit);
        loop.exec();
        kept = p.state.FileRecordCount - before;
    };
    p.prompts.whileAsking = [&](const ScriptedPrompts::Asked& a) {
        if (a.kind != ScriptedPrompts::Kind::Message)
            hold();
    };
    RealTimeList* list = p.controller->liveList().window();
    if (window == "clock") {
        // A window of its own, not a dialog's event loop: it reads the meter's clock every
        // 350 ms between the display frames.
        p.clickToolbar("TimeSet");
        auto* w = p.window.findChild<RTCSetup*>("RTCSetup");
        QTest::mouseClick(w->findChild<QWidget*>("LblMeterTime"), Qt::LeftButton);
        const int before = p.state.FileRecordCount;
        QTest::qWait(HoldSeconds * 1000);
        kept = p.state.FileRecordCount - before;
        QVERIFY(w->meterReadOn());
        QVERIFY(p.meter.sim.commands().count('U') >= 2 * HoldSeconds);
        w->close();
    }
    QObject row; // the dialog's opening goes with this row
    QTimer::singleShot(300, &row, [&] {
        if (window == "export") {
            list->runToolbarCommand(CsvExportKey);
        } else if (window == "print") {
            list->runToolbarCommand("Print");
        } else if (window == "sampling") {
            auto* ok = new QTimer(&row);
            connect(ok, &QTimer::timeout, &row, [ok] {
                if (auto* d = qobject_cast<SamplingChoice*>(QApplication::activeModalWidget())) {
                    ok->deleteLater();
                    d->findChild<QPushButton*>("CmdOK")->click(); // the meter's interval
                }
            });
            ok->start(5);
            p.clickToolbar("Sampling");
        }
    });
    QTRY_VERIFY_WITH_TIMEOUT(kept >= 0, (HoldSeconds + 5) * 1000);
    QVERIFY2(kept >= HoldSeconds - 1, qPrintable(QString::number(kept)));
    p.clickToolbar("Save");
}

QTEST_MAIN(TestRecording)
#include "tst_recording.moc"
