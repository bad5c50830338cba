// What the file list does with the rows it read: a click on a column plots it in the
// stored-data graph (or only answers), the graph outlives the list, and Export CSV writes what
// `celldesk-cli convert` writes.
#include "FileListRig.h"

class TestFileListPlot : public QObject
{
    Q_OBJECT
private slots:
    void clicksThatOnlyAnswer_data();
    void clicksThatOnlyAnswer();
    void clickPlotsTheColumn_data();
    void clickPlotsTheColumn();
    void listWithoutRowsPlotsNothing();
    void exportsTheGoldenCsv_data();
    void exportsTheGoldenCsv();
    void plotOutlivesTheList();
};

void TestFileListPlot::clicksThatOnlyAnswer_data()
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
void TestFileListPlot::clicksThatOnlyAnswer()
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

void TestFileListPlot::clickPlotsTheColumn_data()
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

void TestFileListPlot::clickPlotsTheColumn()
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

void TestFileListPlot::listWithoutRowsPlotsNothing()
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

void TestFileListPlot::plotOutlivesTheList()
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
void TestFileListPlot::exportsTheGoldenCsv_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QDateTime>("written");
    QTest::newRow("recording") << "recording" << QDateTime(QDate(2026, 12, 8), QTime(18, 0));
    QTest::newRow("overnight") << "overnight" << QDateTime(QDate(2026, 12, 9), QTime(7, 0));
}

void TestFileListPlot::exportsTheGoldenCsv()
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

QTEST_MAIN(TestFileListPlot)
#include "tst_filelistplot.moc"
