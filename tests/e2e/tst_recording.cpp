// PC recording end to end: the main window's toolbar, the real Timer2 and the meter emulator
// streaming a known reading; the data file and the real-time list it produces.
#include "FrontPanel.h"
#include "LiveList.h"
#include "RealTimeList.h"
#include "SampleSchedule.h"
#include "TextGrid.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString toolTipOfSave(const FrontPanel& p)
{
    return p.find<QToolBar>("Toolbar1")->actions().constFirst()->toolTip();
}

} // namespace

class TestRecording : public QObject
{
    Q_OBJECT
private slots:
    void recordsWhatTheMeterShows();
};

void TestRecording::recordsWhatTheMeterShows()
{
    FrontPanel p;
    QVERIFY(p.start());
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
    QCOMPARE(toolTipOfSave(p), QString("Stop Recording"));
    QCOMPARE(p.text("LblFileName"), QString("e2e.txt"));
    QTRY_COMPARE_WITH_TIMEOUT(p.text("LblCount"), QString("3"), 8000);
    QCOMPARE(p.text("LblRec"), QString("Rec"));
    p.clickToolbar("Save");
    QCOMPARE(toolTipOfSave(p), QString("Save As"));
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
    QCOMPARE(toolTipOfSave(p), QString("Save As"));
    QVERIFY(!p.state.ListRecording);
    const QByteArray written = fileBytes(second);
    QTest::qWait(2500);
    QCOMPARE(fileBytes(second), written);
    QVERIFY(!written.contains("400 Ohm"));
    QVERIFY(written.count("\r\n") >= 2);
    QCOMPARE(p.text("LblFileName"), QString());
}

QTEST_MAIN(TestRecording)
#include "tst_recording.moc"
