// The file list: Open and its dialog, reading a file into the list with its captions, the
// faults of a file that cannot be opened or read, and closing the list while it loads or
// prints.
#include "FileListRig.h"

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

QTEST_MAIN(TestFileList)
#include "tst_filelist.moc"
