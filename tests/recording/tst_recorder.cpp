// PC recording: the sample tick called by hand, the data file on disk after every tick, the
// stop checks, and every way the file can fail.
#include "Fetch.h"
#include "FileSizeLimit.h"
#include "RecordingRig.h"
#include "TextGrid.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

const QStringList kLine2{"12.52", " 41.2", "-0.511", " 25.3", "105.3", "0.0", "105.3"};
const QStringList kLine3{"12.52", " 41.3", "-0.510", " 25.4", "105.6", "0.000", "105.6"};

// A file that takes whole lines until line `failAt` (the header is line 0). Of that one it
// takes half, as a full disk does: QFile then reports the short write without a reason, and
// only the next write fails with the system's.
class FailingFile : public QFile
{
public:
    FailingFile(const QString& path, int failAt) : QFile(path), m_failAt(failAt) {}

protected:
    qint64 writeData(const char* data, qint64 size) override
    {
        if (m_lines < m_failAt) {
            ++m_lines;
            return QFile::writeData(data, size);
        }
        if (!m_full) {
            m_full = true;
            return QFile::writeData(data, size / 2);
        }
        setErrorString(QStringLiteral("No space left on device"));
        return -1;
    }

private:
    int m_failAt;
    int m_lines = 0;
    bool m_full = false;
};

// The lines of a data file after its header.
QStringList dataLines(const QString& path)
{
    QStringList lines = QString::fromLatin1(fileBytes(path)).split(QStringLiteral("\r\n"));
    lines.removeFirst();
    lines.removeLast(); // after the last line end
    return lines;
}

} // namespace

class TestRecorder : public QObject
{
    Q_OBJECT
private slots:
    void recordsTheGoldenFileLineByLine();
    void onlyYoungReadingsAreSampled_data();
    void onlyYoungReadingsAreSampled();
    void restartIntoTheSameNameReplacesTheFile();
    void cancelledSaveDialogStartsNothing();
    void unitChangeStopsWithoutTheChangedSample_data();
    void unitChangeStopsWithoutTheChangedSample();
    void stopsAfter36001Lines();
    void writeFailureStopsAndTellsAfterTheTick();
    void deletedFileStopsTheRecording();
    void fileThatCannotBeStartedStartsNothing_data();
    void fileThatCannotBeStartedStartsNothing();
    void cancelledListSaveLeavesTheStoppedRecordingAlone();
};

void TestRecorder::recordsTheGoldenFileLineByLine()
{
    RecordingRig rig;
    QTemporaryDir dir;
    const QString path = dir.filePath("recording.txt");
    rig.startRecording(path);
    QVERIFY(rig.state.FileRecording);
    QVERIFY(rig.state.SaveFileChosen);
    QCOMPARE(rig.looks, QList<bool>{true});
    QCOMPARE(rig.fileName.text(), QString("recording.txt"));
    // The header is on disk before the first sample.
    const QByteArray expected = goldenBytes("recording.txt");
    QCOMPARE(fileBytes(path), expected.left(expected.indexOf("\r\n") + 2));

    const QList<QStringList> samples{{}, kLine2, kLine3};
    for (int n = 1; n <= 3; ++n) {
        if (!samples[n - 1].isEmpty())
            rig.setReading(samples[n - 1]);
        if (n == 3)
            rig.state.reading.capMilli = {true, false, true};
        rig.tick();
        // Every written line is on disk at once.
        QCOMPARE(lineCount(fileBytes(path)), 1 + n);
        QCOMPARE(rig.count.text(), QString::number(n));
        QCOMPARE(rig.rec.text(), QString("Rec"));
        QCOMPARE(rig.state.SampleTickCount, 1);
    }
    rig.recorder.runSaveCommand(); // stop
    QCOMPARE(fileBytes(path), expected);
    QCOMPARE(rig.looks, (QList<bool>{true, false}));
    QVERIFY(rig.rec.isHidden());
    QCOMPARE(rig.count.text(), QString());
    QCOMPARE(rig.fileName.text(), QString());
    QVERIFY(!rig.state.FileRecording);
    QVERIFY(!rig.state.SaveFileChosen);
    QCOMPARE(rig.state.FileRecordCount, 0);
    QVERIFY(rig.prompts.of(ScriptedPrompts::Kind::Message).isEmpty());
}

void TestRecorder::onlyYoungReadingsAreSampled_data()
{
    QTest::addColumn<int>("interval");
    // Per second, each ended by its sample tick: F a frame arrives just before the tick, - none,
    // L a frame arrives, then 1.001 s pass, S a frame arrives, then the process stands still
    // for 30 s, C and B the time of day is set an hour ahead or back and a frame arrives.
    QTest::addColumn<QString>("seconds");
    QTest::addColumn<QStringList>("stamps");
    QTest::addColumn<QString>("label"); // LblRec after the last second
    const QString rec = QStringLiteral("Rec");
    const QString waiting = QStringLiteral("waiting for a fresh reading");
    QTest::newRow("no frame yet") << 1 << "--F" << QStringList{"10:15:03"} << rec;
    QTest::newRow("three seconds without")
        << 1 << "FF---F" << QStringList{"10:15:01", "10:15:02", "10:15:06"} << rec;
    // The frame of the third second is a second old at the due tick: still young.
    QTest::newRow("frame between two due ticks")
        << 3 << "F-F-" << QStringList{"10:15:03", "10:15:06"} << rec;
    // The frame of the eighth second, the last before the meter fell silent, is two seconds
    // old at the due tick of the tenth: no sample.
    QTest::newRow("frame just before a fault")
        << 3 << "F-F----F--" << QStringList{"10:15:03", "10:15:06"} << waiting;
    QTest::newRow("frame a little over a second old")
        << 1 << "FL" << QStringList{"10:15:01"} << waiting;
    // The frame from before the stop is not stamped at the resume; the stamps go on from the
    // clock, so the stop shows as a gap.
    QTest::newRow("stopped process")
        << 1 << "FFSF" << QStringList{"10:15:01", "10:15:02", "10:15:33"} << rec;
    QTest::newRow("clock set an hour ahead")
        << 1 << "FFCF" << QStringList{"10:15:01", "10:15:02", "11:15:03", "11:15:04"} << rec;
    QTest::newRow("clock set an hour back")
        << 1 << "FFBF" << QStringList{"10:15:01", "10:15:02", "09:15:03", "09:15:04"} << rec;
}

// A sample (file line, list row) is taken only from a frame received after the previous sample
// and at most a second before the tick; a second that has none gives no line, no row and uses
// no record number. The stamps count on from the start, or from the clock when they are more
// than an interval apart from it, so every gap shows in the time column.
void TestRecorder::onlyYoungReadingsAreSampled()
{
    RecordingRig rig;
    rig.state.PcSamplingSeconds = float(fetched<int>("interval"));
    QTemporaryDir dir;
    const QString path = dir.filePath("gaps.txt");
    rig.list.runListCommand();
    rig.startRecording(path);
    for (const QChar second : fetched<QString>("seconds")) {
        switch (second.toLatin1()) {
        case 'F':
            rig.tick();
            break;
        case '-':
            rig.quietTick();
            break;
        case 'L':
            rig.frame();
            rig.clock.advanceMs(1001);
            rig.recorder.tick();
            break;
        case 'S':
            rig.frame();
            rig.clock.advanceMs(29'000);
            rig.quietTick();
            break;
        default: // C, B
            rig.clock.stepTimeOfDayMs(second == 'C' ? 3'600'000 : -3'600'000);
            rig.tick();
            break;
        }
    }
    const QStringList stamps = fetched<QStringList>("stamps");
    const QStringList lines = dataLines(path);
    const TextGrid& rows = rig.list.window()->grid();
    QCOMPARE(lines.size(), stamps.size());
    QCOMPARE(rows.rows() - 1, stamps.size());
    for (int n = 1; n <= stamps.size(); ++n) {
        const QString start = QString::number(n) + '\t' + stamps[n - 1] + '\t';
        QVERIFY2(lines[n - 1].startsWith(start), qPrintable(lines[n - 1]));
        QCOMPARE(rows.cell(n, 0), QString::number(n));
        QCOMPARE(rows.cell(n, 1), stamps[n - 1]);
    }
    QCOMPARE(rig.count.text(), QString::number(stamps.size()));
    QCOMPARE(rig.rec.text(), fetched<QString>("label"));
}

void TestRecorder::restartIntoTheSameNameReplacesTheFile()
{
    RecordingRig rig;
    QTemporaryDir dir;
    const QString path = dir.filePath("again.txt");
    rig.startRecording(path);
    rig.ticks(5);
    rig.recorder.runSaveCommand();
    QCOMPARE(lineCount(fileBytes(path)), 6);
    rig.startRecording(path);
    rig.ticks(2);
    const QByteArray bytes = fileBytes(path);
    QCOMPARE(lineCount(bytes), 3);
    QVERIFY(bytes.contains("\r\n1\t10:15:06\t"));
    QVERIFY(bytes.endsWith(
        "\r\n2\t10:15:07\t12.53\t 41.2\t-0.511\t 25.3\t105.0(m)\t0.0(m)\t105.0(m)\r\n"));
}

void TestRecorder::cancelledSaveDialogStartsNothing()
{
    RecordingRig rig;
    rig.recorder.runSaveCommand(); // no answer: Cancel
    QCOMPARE(rig.prompts.asked.size(), 1);
    QVERIFY(!rig.state.FileRecording);
    QVERIFY(!rig.state.SaveFileChosen);
    QVERIFY(rig.looks.isEmpty());
    QCOMPARE(rig.fileName.text(), QString());
    // Not recording: the tick empties the captions.
    rig.tick();
    QCOMPARE(rig.rec.text(), QString());
    QVERIFY(!rig.rec.isHidden());
}

void TestRecorder::unitChangeStopsWithoutTheChangedSample_data()
{
    QTest::addColumn<QString>("range");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<bool>("milliAmps");
    QTest::newRow("range") << "4 Ohm"
                           << "Celsius" << false;
    QTest::newRow("unit") << "400 mOhm"
                          << "Fahrenheih" << false;
    QTest::newRow("mA") << "400 mOhm"
                        << "Celsius" << true;
}

void TestRecorder::unitChangeStopsWithoutTheChangedSample()
{
    RecordingRig rig;
    QTemporaryDir dir;
    const QString path = dir.filePath("units.txt");
    rig.startRecording(path);
    rig.ticks(2);
    rig.state.reading.RangeText = fetched<QString>("range");
    rig.state.reading.TempUnitText = fetched<QString>("unit");
    rig.state.reading.milliAmps = fetched<bool>("milliAmps");
    rig.setReading({"99.99"});
    rig.tick();
    QVERIFY(!rig.state.FileRecording);
    QCOMPARE(lineCount(fileBytes(path)), 3);
    QVERIFY(!fileBytes(path).contains("99.99"));
    QCOMPARE(rig.looks, (QList<bool>{true, false}));
    QCOMPARE(rig.rec.text(), QString());
    QVERIFY(!rig.rec.isHidden());
    QCOMPARE(rig.count.text(), QString());
    QCOMPARE(rig.fileName.text(), QString("units.txt")); // until the next tick
    QCOMPARE(rig.state.FileRecordCount, 0);
    QVERIFY(rig.state.SaveFileChosen);
    QVERIFY(rig.prompts.of(ScriptedPrompts::Kind::Message).isEmpty());
    rig.tick();
    QCOMPARE(rig.fileName.text(), QString());
    QCOMPARE(lineCount(fileBytes(path)), 3);
}

void TestRecorder::stopsAfter36001Lines()
{
    RecordingRig rig;
    QTemporaryDir dir;
    const QString path = dir.filePath("full.txt");
    rig.startRecording(path);
    rig.ticks(36001);
    QVERIFY(rig.state.FileRecording);
    QCOMPARE(rig.count.text(), QString("36001"));
    rig.tick(); // the stop, without a line
    QVERIFY(!rig.state.FileRecording);
    const QByteArray bytes = fileBytes(path);
    QCOMPARE(lineCount(bytes), 36002);
    QVERIFY(bytes.contains("\r\n36001\t"));
}

void TestRecorder::writeFailureStopsAndTellsAfterTheTick()
{
    RecordingRig rig;
    QTemporaryDir dir;
    const QString path = dir.filePath("failing.txt");
    rig.recorder.setFileOpener(
        [](const QString& p) { return std::make_unique<FailingFile>(p, 3); });
    rig.list.runListCommand();
    rig.startRecording(path);
    rig.ticks(2);
    rig.tick();                             // line 3 fails half-way
    QVERIFY(rig.prompts.asked.size() == 1); // only the save dialog so far
    QVERIFY(!rig.state.FileRecording);
    QVERIFY(!rig.state.SaveFileChosen);
    QCOMPARE(rig.looks, (QList<bool>{true, false}));
    QCOMPARE(rig.count.text(), QString());
    QCOMPARE(rig.state.SampleTickCount, 1);
    QCOMPARE(rig.state.ListRecordCount, 3); // the list still got its row
    // The half line is cut back to the last whole one.
    const QByteArray bytes = fileBytes(path);
    QCOMPARE(lineCount(bytes), 3);
    QVERIFY(bytes.endsWith("\r\n"));
    QCOMPARE(bytes.count('\n'), 3);

    QCoreApplication::processEvents();
    const auto told = rig.prompts.of(ScriptedPrompts::Kind::Message);
    QCOMPARE(told.size(), 1);
    QVERIFY(told[0].text.contains(path));
    QVERIFY(told[0].text.contains("No space left on device"));
    QCOMPARE(told[0].icon, Prompts::Icon::Critical);
    QVERIFY(told[0].title.isEmpty());
    // The next tick neither writes nor tells again; the list goes on.
    rig.tick();
    QCoreApplication::processEvents();
    QCOMPARE(rig.prompts.of(ScriptedPrompts::Kind::Message).size(), 1);
    QCOMPARE(rig.state.ListRecordCount, 4);
}

void TestRecorder::deletedFileStopsTheRecording()
{
    RecordingRig rig;
    QTemporaryDir dir;
    const QString path = dir.filePath("deleted.txt");
    rig.startRecording(path);
    rig.ticks(1);
    QVERIFY(QFile::remove(path));
    rig.tick();
    QVERIFY(!rig.state.FileRecording);
    QCOMPARE(rig.looks, (QList<bool>{true, false}));
    QCoreApplication::processEvents();
    const auto told = rig.prompts.of(ScriptedPrompts::Kind::Message);
    QCOMPARE(told.size(), 1);
    QVERIFY(told[0].text.contains(path));
    QVERIFY(told[0].text.contains("deleted"));
}

void TestRecorder::fileThatCannotBeStartedStartsNothing_data()
{
    QTest::addColumn<QString>("path"); // "<dir>" stands for a read-only folder
    QTest::addColumn<QString>("reason");
    QTest::addColumn<int>("sizeLimit"); // bytes a file may grow to in a writable folder, or 0
    // Refused before the open, which would block on a pipe for ever.
    QTest::newRow("a device") << "/dev/full"
                              << "/dev/full is not a regular file" << 0;
    QTest::newRow("a named pipe") << "pipe"
                                  << "is not a regular file" << 0;
    QTest::newRow("no such folder") << "/tmp/celldesk-no-such-folder/r.txt"
                                    << "No such file or directory" << 0;
    QTest::newRow("read-only folder") << "<dir>/r.txt"
                                      << "" << 0;
    // The system takes the first bytes of the header, as a disk that fills up does, then
    // refuses the rest.
    QTest::newRow("header cut short") << "cut.txt"
                                      << "File too large" << 20;
}

void TestRecorder::fileThatCannotBeStartedStartsNothing()
{
    RecordingRig rig;
    QTemporaryDir dir;
    QString path = fetched<QString>("path");
    if (path.startsWith("<dir>")) {
        // Permissions do not stop root; a read-only file system does.
        if (geteuid() == 0) {
            path = QStringLiteral("/proc/celldesk-recording.txt");
        } else {
            QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
            path.replace("<dir>", dir.path());
        }
    }
    if (path == u"pipe")
        QCOMPARE(::mkfifo(QFile::encodeName(path = dir.filePath(path)).constData(), 0600), 0);
    const int sizeLimit = fetched<int>("sizeLimit");
    if (sizeLimit > 0)
        path = dir.filePath(path);
    const QFileInfo before(path);
    {
        const FileSizeLimit limit{rlim_t(sizeLimit)};
        rig.startRecording(path);
    }
    // A file without its header is not left behind; what was there (a device, a pipe) stays.
    QCOMPARE(QFileInfo::exists(path), before.exists());
    if (before.exists())
        QCOMPARE(QFileInfo(path).isFile(), before.isFile());
    QVERIFY(!rig.state.FileRecording);
    QVERIFY(!rig.state.SaveFileChosen);
    QVERIFY(rig.looks.isEmpty());
    QCOMPARE(rig.fileName.text(), QString());
    const auto told = rig.prompts.of(ScriptedPrompts::Kind::Message);
    QCOMPARE(told.size(), 1);
    QVERIFY(told[0].text.contains(path));
    QVERIFY(told[0].text.contains(fetched<QString>("reason")));
    QCOMPARE(told[0].icon, Prompts::Icon::Critical);
    rig.tick();
    QCOMPARE(rig.count.text(), QString());
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestRecorder::cancelledListSaveLeavesTheStoppedRecordingAlone()
{
    RecordingRig rig;
    QTemporaryDir dir;
    const QString path = dir.filePath("stopped.txt");
    rig.startRecording(path);
    rig.ticks(2);
    rig.state.reading.RangeText = QStringLiteral("4 Ohm");
    rig.tick(); // stop check: the flag stays set
    QVERIFY(rig.state.SaveFileChosen);
    const QByteArray before = fileBytes(path);
    rig.list.runListCommand();
    rig.ticks(3);
    rig.list.window()->runToolbarCommand(QStringLiteral("Save")); // cancelled
    QCOMPARE(fileBytes(path), before);
    QVERIFY(!rig.state.SaveFileChosen);
}

QTEST_MAIN(TestRecorder)
#include "tst_recorder.moc"
