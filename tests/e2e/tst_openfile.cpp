// Opening a recorded file end to end: a recording made with the toolbar's Save against the
// meter emulator opens through the toolbar's Open into the file list, a column click plots
// it, and closing the main window closes both windows. What is no data file is refused at
// once while the panel goes on mirroring the meter.
#include "Fetch.h"
#include "FileList.h"
#include "FrontPanel.h"
#include "GraphView.h"
#include "GraphWindow.h"
#include "OpenFileCommand.h"
#include "TextGrid.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

class TestOpenFile : public QObject
{
    Q_OBJECT
private slots:
    void refusesWhatIsNoDataFile_data();
    void refusesWhatIsNoDataFile();
    // Last: it closes the program, after which every wait in this process returns at once.
    void opensWhatWasRecorded();
};

void TestOpenFile::opensWhatWasRecorded()
{
    FrontPanel p;
    QVERIFY(p.start());
    SimReading r;
    r.voltage = "12.53";
    r.current = "-0.511";
    r.rangeCode = 3;
    p.meter.sim.setReading(r);
    QTRY_COMPARE(p.state.reading.RangeText, QString("400 mOhm"));
    p.state.PcSamplingSeconds = 1;

    QTemporaryDir dir;
    const QString path = dir.filePath("recorded.txt");
    p.prompts.fileAnswers << path;
    p.clickToolbar("Save");
    QTRY_COMPARE_WITH_TIMEOUT(p.text("LblCount"), QString("2"), 8000);
    // Open is refused while the recording runs, and reads the file once it stopped.
    p.clickToolbar("Open");
    QVERIFY(!p.controller->openFile().window());
    p.clickToolbar("Save");
    QVERIFY(!p.state.FileRecording);
    const int messages = int(p.prompts.asked.size());

    p.prompts.fileAnswers << path;
    p.clickToolbar("Open");
    QPointer<FileList> list = p.controller->openFile().window();
    QVERIFY(list && list->isVisible());
    QTRY_VERIFY(!list->isLoading());
    QCOMPARE(list->windowTitle(), QString("recorded.txt"));
    QCOMPARE(list->grid().rows(), 3);
    QCOMPARE(list->grid().cell(0, 3), QString("400 mOhm"));
    QCOMPARE(list->grid().cell(2, 0), QString("2"));
    QCOMPARE(list->grid().cell(2, 2), QString("12.53"));
    QCOMPARE(p.prompts.asked.size(), messages + 1); // the open dialog only

    list->plotColumn(2);
    QPointer<GraphWindow> plot = p.controller->openFile().plotWindow();
    QVERIFY(plot && plot->isVisible());
    QCOMPARE(p.state.plotRequest.Title, QString("V"));
    QCOMPARE(plot->graph()->plot(1)->data()->size(), 2);
    QCOMPARE(plot->graph()->plot(1)->data()->at(1)->value, double(12.53f));

    p.window.close();
    QVERIFY(list->isHidden());
    QVERIFY(!plot || plot->isHidden());
}

void TestOpenFile::refusesWhatIsNoDataFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("a pipe nothing writes") << "fifo";
    QTest::newRow("/dev/urandom") << "urandom";
    QTest::newRow("1 MiB of random bytes") << "random";
}

void TestOpenFile::refusesWhatIsNoDataFile()
{
    FrontPanel p;
    QVERIFY(p.start());
    QTemporaryDir dir;
    const QString kind = fetched<QString>("kind");
    QString path = dir.filePath(kind);
    if (kind == "fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == "urandom") {
        path = QStringLiteral("/dev/urandom");
    } else {
        QByteArray bytes(1024 * 1024, Qt::Uninitialized);
        QRandomGenerator(17).fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }
    p.prompts.fileAnswers << path;
    p.clickToolbar("Open");
    QVERIFY(!p.controller->openFile().window());
    const auto messages = p.prompts.of(ScriptedPrompts::Kind::Message);
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].text, QDir::toNativeSeparators(path) + " is not a data file.");

    // The panel goes on showing the meter.
    SimReading r;
    r.voltage = "11.07";
    p.meter.sim.setReading(r);
    QTRY_COMPARE(p.text("LblV"), QString("11.07"));
}

QTEST_MAIN(TestOpenFile)
#include "tst_openfile.moc"
