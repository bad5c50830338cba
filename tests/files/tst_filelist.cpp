// The file list: Open and its dialog, reading a file into the list with its captions, the
// faults of a file that cannot be opened or read, closing the list while it loads or prints,
// and plotting a column in the stored-data graph.
#include "AppState.h"
#include "AxisEdit.h"
#include "Clock.h"
#include "Fetch.h"
#include "FileList.h"
#include "FileTransfer.h"
#include "GraphView.h"
#include "GraphWindow.h"
#include "GridView.h"
#include "OpenFileCommand.h"
#include "PrintedPdf.h"
#include "ScriptedPrompts.h"
#include "TextGrid.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include <sys/stat.h>

namespace {

/// The Open command as the main window holds it, without a meter.
struct FileRig
{
    AppState state;
    ScriptedPrompts prompts;
    ManualClock clock;
    FileTransfer transfer{state, prompts, clock};
    QWidget mainWindow;
    OpenFileCommand open{state, prompts, transfer, &mainWindow};
    QTemporaryDir dir;

    FileRig()
    {
        state.reading.RangeText = QStringLiteral("40 Ohm");
        state.reading.TempUnitText = QStringLiteral("Celsius");
        mainWindow.setGeometry(100, 50, 300, 400);
    }
    QString write(const QString& name, const QByteArray& bytes) const
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    /// Toolbar "Open" answered with `path`; the list it left open, or null. Held in a QPointer
    /// like every window under test, so a window that is gone fails the test instead of
    /// crashing it.
    QPointer<FileList> openFile(const QString& path)
    {
        prompts.fileAnswers << path;
        open.run();
        return open.window();
    }
    /// Opens `path` and waits until the list has read it.
    QPointer<FileList> load(const QString& path)
    {
        QPointer<FileList> list = openFile(path);
        if (list && !QTest::qWaitFor([&] { return !list || !list->isLoading(); }, 20000))
            return nullptr;
        return list;
    }
    static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
};

QStringList titlesOf(const TextGrid& g)
{
    QStringList titles;
    for (int c = 0; c < g.columns(); ++c)
        titles << g.cell(0, c);
    return titles;
}

QStringList rowOf(const TextGrid& g, int row)
{
    QStringList cells;
    for (int c = 0; c < g.columns(); ++c)
        cells << g.cell(row, c);
    return cells;
}

// A recorder file of `records` lines: a slowly falling voltage.
QByteArray recorderFile(int records)
{
    QByteArray bytes = "No.s\tTime\tV\t400 mOhm\tAmp\tCelsius\tIn-Cap \tOut-Cap \tT-Cap \r\n";
    bytes.reserve(records * 70);
    for (int i = 1; i <= records; ++i) {
        const int s = i % 86400;
        bytes += QByteArray::number(i) + '\t' +
                 QStringLiteral("%1:%2:%3")
                     .arg(s / 3600, 2, 10, QLatin1Char('0'))
                     .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
                     .arg(s % 60, 2, 10, QLatin1Char('0'))
                     .toLatin1() +
                 '\t' + QByteArray::number(12.8 - i / 10000.0, 'f', 2) +
                 "\t 41.2\t-0.511\t 25.3\t105.0(m)\t0.0(m)\t105.0(m)\r\n";
    }
    return bytes;
}

// Whether this process holds `path` open.
bool fileHeldOpen(const QString& path)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QFileInfo& fd : fds.entryInfoList(QDir::Files | QDir::System)) {
        if (fd.symLinkTarget() == target)
            return true;
    }
    return false;
}

void clickCell(GridView& view, int gridRow, int column)
{
    const QRect cell = view.visualRect(view.model()->index(gridRow - 1, column));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, cell.center());
}

void clickTitle(GridView& view, int column)
{
    QHeaderView* header = view.horizontalHeader();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

// A device that hands out `good` bytes and then fails, as a file on a failing disk.
class FailingDevice : public QIODevice
{
public:
    FailingDevice(QByteArray bytes, qint64 good) : m_bytes(std::move(bytes)), m_good(good) {}

protected:
    qint64 readData(char* data, qint64 max) override
    {
        if (m_at >= m_good) {
            setErrorString(QStringLiteral("Input/output error"));
            return -1;
        }
        const qint64 n = qMin(max, m_good - m_at);
        memcpy(data, m_bytes.constData() + m_at, size_t(n));
        m_at += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }
    bool isSequential() const override { return true; }

private:
    QByteArray m_bytes;
    qint64 m_good;
    qint64 m_at = 0;
};

const QStringList kRecorderTitles{"No.s",    "Time",   "V",       "400 mOhm", "Amp",
                                  "Celsius", "In-Cap", "Out-Cap", "T-Cap"};

} // namespace

class TestFileList : public QObject
{
    Q_OBJECT
private slots:
    void opensTheGoldenRecordingBesideTheMainWindow();
    void countsEveryRecordInTheCaption();
    void headerSetsTheTitles_data();
    void headerSetsTheTitles();
    void cancelKeepsTheOpenList();
    void fileThatCannotBeOpenedKeepsTheOpenList_data();
    void fileThatCannotBeOpenedKeepsTheOpenList();
    void readErrorKeepsTheRowsRead();
    void megabyteLineIsNotADataFile();
    void closingDuringTheLoadStopsIt_data();
    void closingDuringTheLoadStopsIt();
    void closingDuringThePrintStopsIt();
    void clicksThatOnlyAnswer_data();
    void clicksThatOnlyAnswer();
    void clickPlotsTheColumn_data();
    void clickPlotsTheColumn();
    void listWithoutRowsPlotsNothing();
    void exportsTheGoldenCsv_data();
    void exportsTheGoldenCsv();
    void plotOutlivesTheList();
};

void TestFileList::opensTheGoldenRecordingBesideTheMainWindow()
{
    FileRig rig;
    rig.mainWindow.show();
    rig.state.SaveFileName = QStringLiteral("/recording/in/use.txt");
    rig.state.SaveFileChosen = true;
    const QString path = QStringLiteral(CELLDESK_TEST_DATA "/recording.txt");
    QPointer<FileList> list = rig.load(path);
    QVERIFY(list && list->isVisible());
    // The dialog: "Open", the data files first.
    QCOMPARE(rig.prompts.asked.size(), 1);
    QCOMPARE(rig.prompts.asked[0].kind, ScriptedPrompts::Kind::OpenFile);
    QCOMPARE(rig.prompts.asked[0].title, QString("Open"));
    QCOMPARE(rig.prompts.asked[0].filters, (QStringList{"Data Files (*.txt)", "All Files (*)"}));
    // Open leaves the save and recording file alone.
    QCOMPARE(rig.state.SaveFileName, QString("/recording/in/use.txt"));
    QVERIFY(rig.state.SaveFileChosen);

    QCOMPARE(list->objectName(), QString("FileList"));
    QCOMPARE(list->windowTitle(), QString("recording.txt"));
    const QRect main = rig.mainWindow.frameGeometry();
    QCOMPARE(list->frameGeometry().topLeft(), QPoint(main.x() + main.width(), main.y()));
    QCOMPARE(titlesOf(list->grid()), kRecorderTitles);
    QCOMPARE(list->grid().rows(), 4);
    QCOMPARE(rowOf(list->grid(), 1), (QStringList{"1", "10:15:01", "12.53", " 41.2", "-0.511",
                                                  " 25.3", "105.0(m)", "0.0(m)", "105.0(m)"}));
    QCOMPARE(rowOf(list->grid(), 3).at(7), QString("0.000"));
    QStringList buttons;
    for (QAction* a : list->findChild<QToolBar*>("Toolbar1")->actions())
        buttons << a->property("Key").toString() + "=" + a->toolTip();
    QCOMPARE(buttons, (QStringList{"Export CSV=Export CSV", "Plot=Plot", "Print=Print (Ctrl+P)"}));
    // Every column is as wide as its width text.
    GridView& view = list->view();
    const QFontMetrics m = view.fontMetrics();
    QCOMPARE(view.columnWidth(3), m.horizontalAdvance("A400 mOhm") + view.cellPadding());
    QCOMPARE(view.columnWidth(7), m.horizontalAdvance("AAOutCapUnit") + view.cellPadding());
    QVERIFY(!fileHeldOpen(path));
    QVERIFY(rig.prompts.of(ScriptedPrompts::Kind::Message).isEmpty());
}

void TestFileList::countsEveryRecordInTheCaption()
{
    FileRig rig;
    const QString path = rig.write("big.txt", recorderFile(36001));
    QStringList captions;
    QPointer<FileList> list = rig.openFile(path);
    QVERIFY(list);
    connect(list, &QWidget::windowTitleChanged, this, [&](const QString& t) { captions << t; });
    QVERIFY(QTest::qWaitFor([&] { return !list || !list->isLoading(); }, 20000));
    QVERIFY(list);
    QCOMPARE(list->grid().rows(), 36002);
    QCOMPARE(rowOf(list->grid(), 36001).first(), QString("36001"));
    QVERIFY(captions.size() >= 2);
    QCOMPARE(captions.last(), QString("big.txt"));
    QCOMPARE(captions.at(captions.size() - 2), QString("36001 Records Completed"));
    // The count only grows.
    int last = 0;
    for (qsizetype i = 0; i + 1 < captions.size(); ++i) {
        QVERIFY2(captions[i].endsWith(" Records Completed"), qPrintable(captions[i]));
        const int n = captions[i].section(' ', 0, 0).toInt();
        QVERIFY(n > last);
        last = n;
    }
}

void TestFileList::headerSetsTheTitles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<int>("rows");
    // Before the file the list shows the live range "40 Ohm" and "Celsius".
    const QStringList atLoad{"No.s",    "Time",   "V",       "40 Ohm", "Amp",
                             "Celsius", "In-Cap", "Out-Cap", "T-Cap"};
    QTest::newRow("empty file") << QByteArray() << atLoad << 0;
    QTest::newRow("header only, no range")
        << QByteArray("No.s\tTime\tV\t\tAmp\tFahrenheih\r\n")
        << QStringList{"No.s",       "Time",   "V",       "40 Ohm", "Amp",
                       "Fahrenheit", "In-Cap", "Out-Cap", "T-Cap"}
        << 0;
    QTest::newRow("grid save in mA, 4 Ohm")
        << QByteArray("No.s\tTime\tV\t4 Ohm\tmAmp\tCelsius\tIn-Cap \tOut-Cap \tT-Cap \t\r\n"
                      "1\t10:00:00\t1.5\t1.234\t-511.0\t25.3\t1.5\t0.0\t1.5\t\r\n")
        << QStringList{"No.s",    "Time",   "V",       "4 Ohm", "mAmp",
                       "Celsius", "In-Cap", "Out-Cap", "T-Cap"}
        << 1;
    QTest::newRow("400 mOhm is not 4 mOhm, LF breaks, empty line")
        << QByteArray("No.s\tTime\tV\t400 mOhm\tAmp\t\n1\t\t12.5\n\n3\n")
        << QStringList{"No.s",       "Time",   "V",       "400 mOhm", "Amp",
                       "Fahrenheit", "In-Cap", "Out-Cap", "T-Cap"}
        << 3;
}

void TestFileList::headerSetsTheTitles()
{
    FileRig rig;
    const QString path = rig.write("titles.txt", fetched<QByteArray>("bytes"));
    QPointer<FileList> list = rig.load(path);
    QVERIFY(list);
    QCOMPARE(titlesOf(list->grid()), fetched<QStringList>("titles"));
    QCOMPARE(list->grid().rows() - 1, fetched<int>("rows"));
    QCOMPARE(list->windowTitle(), QString("titles.txt"));
}

void TestFileList::cancelKeepsTheOpenList()
{
    FileRig rig;
    QPointer<FileList> first = rig.load(rig.write("a.txt", recorderFile(3)));
    QVERIFY(first);
    rig.open.run(); // Cancel
    rig.prompts.fileAnswers << QString();
    rig.open.run(); // OK with no name
    FileRig::settle();
    QVERIFY(first);
    QCOMPARE(rig.open.window(), first.data());
    QVERIFY(first->isVisible());
    QCOMPARE(first->grid().rows(), 4);
    QCOMPARE(rig.prompts.asked.size(), 3);
    QVERIFY(rig.prompts.of(ScriptedPrompts::Kind::Message).isEmpty());
}

void TestFileList::fileThatCannotBeOpenedKeepsTheOpenList_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text"); // %1: the path
    QTest::addColumn<QString>("reason");
    const QString cannot = QStringLiteral("Cannot open %1");
    const QString notData = QStringLiteral("%1 is not a data file.");
    QTest::newRow("missing") << "missing.txt" << cannot << "No such file or directory";
    QTest::newRow("no permission") << "locked.txt" << cannot << "Permission denied";
    QTest::newRow("folder") << "folder" << notData << "It is a folder.";
    // Opening a pipe that nothing writes would wait for a writer for ever.
    QTest::newRow("named pipe") << "pipe" << notData << "It is a named pipe.";
}

void TestFileList::fileThatCannotBeOpenedKeepsTheOpenList()
{
    FileRig rig;
    QFETCH(QString, name);
    QPointer<FileList> first = rig.load(rig.write("a.txt", recorderFile(3)));
    QVERIFY(first);
    const QString path = rig.dir.filePath(name);
    if (name == "folder")
        QVERIFY(QDir(rig.dir.path()).mkdir(name));
    if (name == "pipe")
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    if (name == "locked.txt") {
        rig.write(name, recorderFile(1));
        QFile::setPermissions(path, QFileDevice::Permissions());
        if (QFile(path).open(QIODevice::ReadOnly))
            QSKIP("this user may read any file");
    }
    rig.openFile(path);
    FileRig::settle();
    QVERIFY(first);
    QCOMPARE(rig.open.window(), first.data());
    QVERIFY(first->isVisible());
    QCOMPARE(first->grid().rows(), 4);
    const auto messages = rig.prompts.of(ScriptedPrompts::Kind::Message);
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].text, fetched<QString>("text").arg(QDir::toNativeSeparators(path)));
    QCOMPARE(messages[0].icon, Prompts::Icon::Critical);
    QVERIFY2(messages[0].details.contains(fetched<QString>("reason")),
             qPrintable(messages[0].details));
}

void TestFileList::readErrorKeepsTheRowsRead()
{
    FileRig rig;
    QPointer<GraphWindow> plot;
    FileList list(rig.state, rig.prompts, rig.transfer, plot, &rig.mainWindow);
    const QByteArray bytes = recorderFile(5000);
    auto device = std::make_unique<FailingDevice>(bytes, bytes.size() / 2);
    device->open(QIODevice::ReadOnly);
    QSignalSpy finished(&list, &FileList::loadFinished);
    list.load(std::move(device), "/data/failing.txt");
    QVERIFY(finished.wait(20000));
    const int rows = list.grid().rows() - 1;
    QVERIFY(rows > 1000 && rows < 5000);
    QCOMPARE(rowOf(list.grid(), rows).first(), QString::number(rows));
    // The caption keeps its count: the list is not the whole file.
    QCOMPARE(list.windowTitle(), QString::number(rows) + " Records Completed");
    const auto messages = rig.prompts.of(ScriptedPrompts::Kind::Message);
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].text, QString("Cannot read /data/failing.txt"));
    QCOMPARE(messages[0].details, "Input/output error\nOnly the first " + QString::number(rows) +
                                      " records are listed.");
}

void TestFileList::megabyteLineIsNotADataFile()
{
    FileRig rig;
    const QString path =
        rig.write("binary.txt", recorderFile(2) + QByteArray(1024 * 1024, '\x7f') + "\r\n");
    QPointer<FileList> list = rig.load(path);
    QVERIFY(list);
    QCOMPARE(list->grid().rows(), 3);
    QCOMPARE(list->windowTitle(), QString("2 Records Completed"));
    QVERIFY(!fileHeldOpen(path));
    const auto messages = rig.prompts.of(ScriptedPrompts::Kind::Message);
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].text, QDir::toNativeSeparators(path) + " is not a data file.");
    QCOMPARE(messages[0].details, QString("Line 4 is longer than 65536 characters."));
}

void TestFileList::closingDuringTheLoadStopsIt_data()
{
    QTest::addColumn<QString>("by");
    QTest::newRow("the user") << "user";
    QTest::newRow("a new Open") << "open";
    QTest::newRow("the main window") << "main";
}

void TestFileList::closingDuringTheLoadStopsIt()
{
    FileRig rig;
    rig.mainWindow.show();
    const QString big = rig.write("big.txt", recorderFile(200000));
    const QString small = rig.write("small.txt", recorderFile(5));
    QPointer<FileList> list = rig.openFile(big);
    QVERIFY(list);
    QSignalSpy finished(list.data(), &FileList::loadFinished);
    const QString by = fetched<QString>("by");
    // Closed right after the first slice of rows, from inside the load's own caption change.
    int rowsAtClose = -1;
    bool fileOpenAfterClose = true;
    bool aliveAfterClose = false;
    int finishedAtClose = 0;
    connect(list, &QWidget::windowTitleChanged, this, [&] {
        if (rowsAtClose >= 0)
            return;
        rowsAtClose = list->grid().rows();
        if (by == "user")
            list->close();
        else if (by == "open")
            rig.openFile(small);
        else
            rig.mainWindow.close();
        fileOpenAfterClose = fileHeldOpen(big);
        aliveAfterClose = list && list->isHidden() && list->grid().rows() == rowsAtClose;
        finishedAtClose = int(finished.size());
    });
    QVERIFY(QTest::qWaitFor([&] { return rowsAtClose >= 0; }, 20000));
    QVERIFY(rowsAtClose > 1 && rowsAtClose < 200001);
    // The file closed at once; the window went only after the load's handler returned.
    QVERIFY(!fileOpenAfterClose);
    QVERIFY(aliveAfterClose);
    QCOMPARE(finishedAtClose, 1);
    QTest::qWait(50);
    FileRig::settle();
    QVERIFY(!list);
    QCOMPARE(finished.size(), 1);
    if (by == "open") {
        QPointer<FileList> second = rig.open.window();
        QVERIFY(second);
        QVERIFY(QTest::qWaitFor([&] { return !second || !second->isLoading(); }, 20000));
        QVERIFY(second);
        QCOMPARE(second->grid().rows(), 6);
        QCOMPARE(second->windowTitle(), QString("small.txt"));
    } else {
        QVERIFY(!rig.open.window());
    }
    QVERIFY(rig.prompts.of(ScriptedPrompts::Kind::Message).isEmpty());
}

void TestFileList::closingDuringThePrintStopsIt()
{
    FileRig rig;
    const QString path = rig.write("print.txt", recorderFile(3000));
    QPointer<FileList> list = rig.load(path);
    QVERIFY(list);
    const QString pdf = rig.dir.filePath("list.pdf");
    rig.prompts.printAnswers << true;
    rig.prompts.setUpPrinter = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
    };
    QStringList captions;
    connect(list, &QWidget::windowTitleChanged, this, [&](const QString& t) {
        captions << t;
        if (t == "5 record(s) completed")
            list->close();
    });
    list->runToolbarCommand("Print");
    QVERIFY(list);
    // Stopped at the next line; the window goes once the print has returned.
    QCOMPARE(captions.at(captions.size() - 2), QString("5 record(s) completed"));
    QCOMPARE(captions.last(), QString("print.txt"));
    QVERIFY(QFile(pdf).size() > 0);
    QVERIFY(pdfText(pdf).contains("print.txt — " + QDir::toNativeSeparators(path)));
    QVERIFY(!fileHeldOpen(pdf));
    const auto messages = rig.prompts.of(ScriptedPrompts::Kind::Message);
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages[0].text.startsWith("Cannot print to"));
    FileRig::settle();
    QVERIFY(!list);
}

void TestFileList::clicksThatOnlyAnswer_data()
{
    QTest::addColumn<QString>("click");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("message");
    const QString invalid = "Invalid, try again!";
    QTest::newRow("record number cell") << "cell" << 0 << invalid;
    QTest::newRow("time cell") << "cell" << 1 << invalid;
    QTest::newRow("record number title") << "title" << 0 << invalid;
    QTest::newRow("time title") << "title" << 1 << invalid;
    QTest::newRow("toolbar Plot") << "Plot" << 0
                                  << "Move mouse pointer to the list data then click to plot.";
}

// A message with OK only, no icon and no title; nothing plotted, the request untouched.
void TestFileList::clicksThatOnlyAnswer()
{
    FileRig rig;
    QPointer<FileList> list = rig.load(QStringLiteral(CELLDESK_TEST_DATA "/recording.txt"));
    QVERIFY(list);
    list->show();
    QVERIFY(QTest::qWaitForWindowExposed(list));
    QVERIFY(list);
    rig.state.plotRequest.Title = QStringLiteral("earlier");
    const QString click = fetched<QString>("click");
    if (click == "title") {
        clickTitle(list->view(), fetched<int>("column"));
    } else if (click == "cell") {
        clickCell(list->view(), 2, fetched<int>("column"));
    } else {
        for (QAction* a : list->findChild<QToolBar*>("Toolbar1")->actions()) {
            if (a->property("Key").toString() == click)
                a->trigger();
        }
    }
    const auto messages = rig.prompts.of(ScriptedPrompts::Kind::Message);
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].text, fetched<QString>("message"));
    QCOMPARE(messages[0].icon, Prompts::Icon::None);
    QVERIFY(messages[0].title.isEmpty());
    QVERIFY(!rig.open.plotWindow());
    QCOMPARE(rig.state.plotRequest.Title, QString("earlier"));
}

void TestFileList::clickPlotsTheColumn_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("onTitle");
    QTest::addColumn<QString>("title");
    QTest::addColumn<float>("valueMin");
    QTest::addColumn<float>("valueMax");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QList<float>>("values");
    QTest::addColumn<QString>("axisTitle");
    QTest::addColumn<QCPRange>("fitted"); // the value axis after Fit, overloads left out
    // Column 2 holds 1.5, OL, -OL, 70; the others the file's fixed texts.
    QTest::newRow("voltage, widened by 70")
        << 2 << false << "V" << -60.0f << 70.0f << "0.###" << QList<float>{1.5f, 60, -60, 70}
        << "Voltage (V)" << QCPRange(-1.925, 73.425);
    QTest::newRow("resistance by its title")
        << 3 << true << "40 mOhm" << 0.0f << 41.3f << "0.###"
        << QList<float>{41.2f, 41.2f, 41.3f, 0.5f} << "Resistance (mOhm)" << QCPRange(-1.54, 43.34);
    QTest::newRow("milliamperes") << 4 << false << "mAmp" << -650.0f << 650.0f << "0.##"
                                  << QList<float>{-511.0f, -510.9f, -510.8f, 12.0f}
                                  << "Current (mA)" << QCPRange(-537.15, 38.15);
    QTest::newRow("Fahrenheit") << 5 << false << "Fahrenheit" << -4.0f << 140.0f << "0.#"
                                << QList<float>{77.5f, 77.5f, 77.7f, -3.5f} << "Temperature (°F)"
                                << QCPRange(-7.56, 81.76);
    QTest::newRow("capacity in mAh throughout")
        << 6 << false << "In-Cap" << 0.0f << 10000.0f << "0.###"
        << QList<float>{105.0f, 105.3f, 1500.0f, 2000.0f} << "In-Cap (mAh)"
        << QCPRange(10.25, 2094.75);
}

void TestFileList::clickPlotsTheColumn()
{
    FileRig rig;
    const QString path =
        rig.write("plot.txt", "No.s\tTime\tV\t40 mOhm\tmAmp\tFahrenheit\tIn-Cap\tOut-Cap\tT-Cap\r\n"
                              "1\t10:00:01\t1.5\t 41.2\t-511.0\t 77.5\t105.0(m)\t0\t0\r\n"
                              "2\t10:00:02\tOL\t 41.2\t-510.9\t 77.5\t105.3(m)\t0\t0\r\n"
                              "3\t10:00:03\t-OL\t 41.3\t-510.8\t 77.7\t1.500\t0\t0\r\n"
                              "4\t10:00:04\t70\t0.5\t12\t-3.5\t2.000\t0\t0\r\n");
    QPointer<FileList> list = rig.load(path);
    QVERIFY(list);
    list->show();
    QVERIFY(QTest::qWaitForWindowExposed(list));
    QVERIFY(list);
    QFETCH(int, column);
    if (fetched<bool>("onTitle"))
        clickTitle(list->view(), column);
    else
        clickCell(list->view(), 3, column);

    const PlotRequest& r = rig.state.plotRequest;
    QCOMPARE(r.Title, fetched<QString>("title"));
    QCOMPARE(r.ValueMin, fetched<float>("valueMin"));
    QCOMPARE(r.ValueMax, fetched<float>("valueMax"));
    QCOMPARE(r.ValueFormat, fetched<QString>("format"));
    QCOMPARE(r.RecordCount, 4.0f);
    QCOMPARE(r.RecordAxisMax, 4.0f);
    QCOMPARE(r.RecordFrom, 1.0f);
    QCOMPARE(r.RecordTo, 4.0f);

    QPointer<GraphWindow> plot = rig.open.plotWindow();
    QVERIFY(plot && plot->isVisible());
    QCOMPARE(plot->objectName(), QString("Plot"));
    QCOMPARE(plot->label("LblUnit")->text(), r.Title);
    QCOMPARE(plot->axisMinBox(1)->value(), 1.0);
    QCOMPARE(plot->axisMaxBox(1)->value(), 4.0);
    QCOMPARE(plot->axisMinBox(2)->value(), double(r.ValueMin));
    QCOMPARE(plot->axisMaxBox(2)->value(), double(r.ValueMax));
    QCOMPARE(plot->axisMaxBox(2)->format(), r.ValueFormat);
    QCOMPARE(plot->graph()->axisMinimum(2), double(r.ValueMin));
    QCOMPARE(plot->graph()->axisMaximum(2), double(r.ValueMax));
    QCOMPARE(plot->graph()->axisMaximum(1), 4.0);
    QList<float> plotted;
    for (const QCPGraphData& p : *plot->graph()->plot(1)->data())
        plotted << float(p.value);
    QCOMPARE(plotted, fetched<QList<float>>("values"));
    QVERIFY(rig.prompts.of(ScriptedPrompts::Kind::Message).isEmpty());

    // The value axis names its quantity and unit; Fit leaves the overloads out.
    GraphView* g = plot->graph();
    QCOMPARE(g->axis(2)->label(), fetched<QString>("axisTitle"));
    plot->findChild<QPushButton*>("CmdFit")->click();
    QVERIFY(plot);
    const QCPRange fitted = fetched<QCPRange>("fitted");
    QVERIFY2(qAbs(g->axisMinimum(2) - fitted.lower) < 1e-3,
             qPrintable(QString::number(g->axisMinimum(2))));
    QVERIFY2(qAbs(g->axisMaximum(2) - fitted.upper) < 1e-3,
             qPrintable(QString::number(g->axisMaximum(2))));
    // The rows' times of day on the record axis, in its boxes and in the read-out.
    plot->setXReading(XReading::Clock);
    QCOMPARE(g->axis(1)->label(), QString("Time of day (hh:mm:ss)"));
    QCOMPARE(plot->axisMinBox(1)->text(), QString("10:00:01"));
    QCOMPARE(plot->axisMaxBox(1)->text(), QString("10:00:04"));
    plot->applyTrackMode(1);
    g->setCursorPosition(1, g->xOfRecord(3), 0);
    QCOMPARE(plot->label("XPosition")->text(), QString("10:00:03"));
}

void TestFileList::listWithoutRowsPlotsNothing()
{
    FileRig rig;
    QPointer<FileList> list =
        rig.load(rig.write("empty.txt", "No.s\tTime\tV\t4 Ohm\tAmp\tCelsius\r\n"));
    QVERIFY(list);
    list->show();
    QVERIFY(QTest::qWaitForWindowExposed(list));
    QVERIFY(list);
    rig.state.plotRequest.Title = QStringLiteral("earlier");
    rig.state.plotRequest.RecordCount = 7;
    clickTitle(list->view(), 2);
    QVERIFY(list);
    list->plotColumn(3);
    QVERIFY(!rig.open.plotWindow());
    QCOMPARE(rig.state.plotRequest.Title, QString("earlier"));
    QCOMPARE(rig.state.plotRequest.RecordCount, 7.0f);
    QVERIFY(rig.prompts.asked.size() == 1); // the open dialog only
}

void TestFileList::plotOutlivesTheList()
{
    FileRig rig;
    QPointer<FileList> first = rig.load(rig.write("a.txt", recorderFile(10)));
    QVERIFY(first);
    first->plotColumn(2);
    QPointer<GraphWindow> plot = rig.open.plotWindow();
    QVERIFY(plot);
    QCOMPARE(plot->axisMaxBox(1)->value(), 10.0);
    QVERIFY(plot->source().endsWith("a.txt"));
    QPointer<FileList> second = rig.load(rig.write("b.txt", recorderFile(20)));
    QVERIFY(second && second != first);
    FileRig::settle();
    QVERIFY(!first);
    QVERIFY(plot && plot->isVisible());
    // The next click refills the same window.
    QVERIFY(second);
    second->plotColumn(2);
    QVERIFY(plot);
    QCOMPARE(rig.open.plotWindow(), plot.data());
    QCOMPARE(plot->axisMaxBox(1)->value(), 20.0);
    QCOMPARE(plot->graph()->plot(1)->data()->size(), 20);
    QVERIFY(plot->source().endsWith("b.txt")); // its printouts name the file shown
}

// Export CSV offers the file's date, counted back over the midnights its rows pass from the
// time it was last written, and writes what `celldesk-cli convert` writes.
void TestFileList::exportsTheGoldenCsv_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QDateTime>("written");
    QTest::newRow("recording") << "recording" << QDateTime(QDate(2026, 12, 8), QTime(18, 0));
    QTest::newRow("overnight") << "overnight" << QDateTime(QDate(2026, 12, 9), QTime(7, 0));
}

void TestFileList::exportsTheGoldenCsv()
{
    qputenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
    tzset();
    FileRig rig;
    const QString name = fetched<QString>("file");
    QFile golden(QStringLiteral(CELLDESK_TEST_DATA "/") + name + ".txt");
    QVERIFY(golden.open(QIODevice::ReadOnly));
    const QString path = rig.write(name + ".txt", golden.readAll());
    QFile copy(path);
    QVERIFY(copy.open(QIODevice::ReadWrite));
    QVERIFY(copy.setFileTime(fetched<QDateTime>("written"), QFileDevice::FileModificationTime));
    copy.close();
    QPointer<FileList> list = rig.load(path);
    QVERIFY(list);
    rig.prompts.asked.clear();
    rig.prompts.inputAnswers << "2026-12-08";
    rig.prompts.fileAnswers << rig.dir.filePath(name);
    for (QAction* a : list->findChild<QToolBar*>("Toolbar1")->actions()) {
        if (a->property("Key").toString() == "Export CSV")
            a->trigger();
    }
    const auto asked = rig.prompts.of(ScriptedPrompts::Kind::Input);
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked[0].defaultText, QString("2026-12-08"));
    QFile csv(rig.dir.filePath(name + ".csv"));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    QFile expected(QStringLiteral(CELLDESK_TEST_DATA "/") + name + ".csv");
    QVERIFY(expected.open(QIODevice::ReadOnly));
    QCOMPARE(csv.readAll(), expected.readAll());
    QVERIFY(rig.prompts.of(ScriptedPrompts::Kind::Message).isEmpty());
}
QTEST_MAIN(TestFileList)
#include "tst_filelist.moc"
