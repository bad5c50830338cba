// The files celldesk-cli writes, run as a user runs it against the emulated meter: download's
// list saves, record's lines until it is stopped (through a pulled cable, a silent meter,
// noise), and convert's CSV against the golden files.
#include "CliTest.h"

class TestCliFiles : public CliTest
{
    Q_OBJECT
private slots:
    void init() { initCli(); }
    void cleanup() { resetCli(); }
    void downloadWritesTheListSaves_data();
    void downloadWritesTheListSaves();
    void recordWritesWholeLinesUntilStopped_data();
    void recordWritesWholeLinesUntilStopped();
    void convertMatchesTheGoldenCsv_data();
    void convertMatchesTheGoldenCsv();
};

void TestCliFiles::recordWritesWholeLinesUntilStopped_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("pause");    // after the second line: unplug, silence, garbage
    QTest::addColumn<QStringList>("told"); // the lines on stderr about it, in this order
    const QStringList unplugged{"is gone (the adapter unplugged?)", "is back",
                                "sends again, after"};
    QTest::newRow("data, unplugged meanwhile") << "data"
                                               << "unplug" << unplugged;
    QTest::newRow("csv, unplugged meanwhile") << "csv"
                                              << "unplug" << unplugged;
    QTest::newRow("data, the meter silent meanwhile")
        << "data"
        << "silence" << QStringList{"is silent", "sends again, after"};
    QTest::newRow("csv, bytes that are no frames meanwhile")
        << "csv"
        << "garbage" << QStringList{"sends bytes that are no display frames", "sends again, after"};
    QTest::newRow("data") << "data"
                          << "" << QStringList{};
    QTest::newRow("csv") << "csv"
                         << "" << QStringList{};
}

// What a user leaves running: one sample a second into the file, whole lines only when
// SIGTERM ends it, and after a pulled cable, a silent meter or a line of noise a gap in the
// times, then lines again. Its log on stderr tells each of them apart, with the time.
void TestCliFiles::recordWritesWholeLinesUntilStopped()
{
    const QString format = fetched<QString>("format");
    const QString pause = fetched<QString>("pause");
    const bool data = format == u"data";
    static int runs = 0; // a link of its own for each run
    const QString link = m_dir.filePath(QStringLiteral("meter%1").arg(++runs));
    QVERIFY(m_sim->makeLink(link));
    QVERIFY2(QFileInfo::exists(link), qPrintable(m_sim->devicePath()));
    const QString path = m_dir.filePath(QStringLiteral("rec%1.").arg(runs) + format);
    QProcess cli;
    startCli(cli, {"record", "--interval", "1", "--format", format, "--port", link, path});
    QSignalSpy ended(&cli, &QProcess::finished);
    const auto lines = [&] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll().count('\n') : 0;
    };
    const auto waitForLines = [&](qsizetype count) {
        while (lines() < count && ended.isEmpty())
            QTest::qWait(100);
    };
    QString err;
    const auto waitToBeTold = [&](const QString& text) {
        for (int waited = 0; !err.contains(text) && ended.isEmpty() && waited < 20000;
             waited += 100) {
            QTest::qWait(100);
            err += QString::fromUtf8(cli.readAllStandardError());
        }
    };
    waitForLines(3); // the header and two samples
    if (pause == u"unplug") {
        m_sim->unplug();
        QTest::qWait(3500);
        QVERIFY(m_sim->replug());
    } else if (pause == u"silence") {
        m_sim->setStreaming(false);
        waitToBeTold("is silent");
        m_sim->setStreaming(true);
    } else if (pause == u"garbage") {
        m_sim->setFault(MeterSim::Fault::Garbage);
        waitToBeTold("no display frames");
        m_sim->setFault(MeterSim::Fault::None);
    }
    const qsizetype before = lines();
    waitForLines(before + 2);
    err += QString::fromUtf8(cli.readAllStandardError());
    QVERIFY2(ended.isEmpty(), qPrintable(err));
    ::kill(pid_t(cli.processId()), SIGTERM);
    QVERIFY(ended.wait(kEndsWithinMs));
    QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
    QCOMPARE(cli.exitCode(), 0);
    err += QString::fromUtf8(cli.readAllStandardError());
    // Each line stamped; the start first, then what happened to the link, in order.
    const QStringList told = err.split(u'\n', Qt::SkipEmptyParts);
    QVERIFY2(!told.isEmpty() &&
                 told[0].endsWith(QStringLiteral(" recording %1 to %2").arg(link, path)),
             qPrintable(err));
    qsizetype at = 0;
    for (const QString& expected : fetched<QStringList>("told")) {
        while (at < told.size() && !told[at].contains(expected))
            ++at;
        QVERIFY2(at < told.size(), qPrintable(expected + " not told in order:\n" + err));
    }
    const QRegularExpression stamped(QStringLiteral("^celldesk-cli: \\d{4}-\\d\\d-\\d\\d "
                                                    "\\d\\d:\\d\\d:\\d\\d "));
    for (const QString& line : told)
        QVERIFY2(stamped.match(line).hasMatch() || line.contains("recording stopped"),
                 qPrintable(line));
    if (!pause.isEmpty()) {
        const QRegularExpressionMatch gap =
            QRegularExpression(QStringLiteral("after (\\d+) s without a reading")).match(err);
        QVERIFY2(gap.hasMatch() && gap.captured(1).toInt() >= 3, qPrintable(err));
    }

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const QByteArray end = data ? "\r\n" : "\n";
    QVERIFY(bytes.endsWith(end));
    QList<QByteArray> rows = bytes.chopped(1).split('\n');
    const QByteArray header = rows.takeFirst();
    // The window recorder's header for the emulator's display, and the CSV export's.
    QCOMPARE(header, data ? QByteArray("No.s\tTime\tV\t40 mOhm\tAmp\tCelsius\tIn-Cap \tOut-Cap "
                                       "\tT-Cap \r")
                          : QByteArray("record,date_time,elapsed_s,voltage_V,resistance_Ohm,"
                                       "current_A,temperature_C,in_capacity_Ah,out_capacity_Ah,"
                                       "total_capacity_Ah,flags,utc_offset"));
    QVERIFY(rows.size() >= 3);
    const QRegularExpression layout(
        data ? QStringLiteral("^(\\d+)\t(\\d\\d:\\d\\d:\\d\\d)(\t[^\t]+){7}\r$")
             : QStringLiteral("^(\\d+),(\\S+?),[0-9.]+(,-?[0-9.]+){7},(gap:[0-9.]+)?,"
                              "[+-]\\d\\d:\\d\\d$"));
    int gaps = 0;
    QTime last;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QRegularExpressionMatch match = layout.match(QString::fromLatin1(rows[i]));
        QVERIFY2(match.hasMatch(), rows[i].constData());
        QCOMPARE(match.captured(1).toLongLong(), i + 1);
        const QTime time = data ? QTime::fromString(match.captured(2), QStringLiteral("hh:mm:ss"))
                                : QDateTime::fromString(match.captured(2), Qt::ISODate).time();
        QVERIFY2(time.isValid(), rows[i].constData());
        const int apart = last.isValid() ? last.secsTo(time) : 1;
        if (apart >= 3)
            ++gaps;
        // The first CSV row after the gap says so in its flags; a row that follows a sample
        // taken a second before it does not.
        if (!data) {
            const bool flagged = !match.captured(4).isEmpty();
            QVERIFY2(flagged == (apart > 1) || apart == 2, rows[i].constData());
        }
        last = time;
    }
    QCOMPARE(gaps, pause.isEmpty() ? 0 : 1);
}

void TestCliFiles::convertMatchesTheGoldenCsv_data()
{
    QTest::addColumn<QStringList>("arguments"); // %DIR/out.csv is the output file when named
    QTest::addColumn<QString>("csv");
    QTest::newRow("a recording to stdout")
        << QStringList{"convert", "--date", "2026-12-08", "recording.txt"} << "recording.csv";
    QTest::newRow("overloads and a midnight, into a file")
        << QStringList{"convert", "overnight.txt", "--date", "2026-12-08", "-o", "%DIR/out.csv"}
        << "overnight.csv";
}

// The data files this program writes, converted as the list windows export them.
void TestCliFiles::convertMatchesTheGoldenCsv()
{
    QStringList arguments = withPort(fetched<QStringList>("arguments"));
    const QString folder = QStringLiteral(CELLDESK_TEST_DATA "/");
    for (QString& argument : arguments) {
        if (argument.endsWith(QStringLiteral(".txt")))
            argument.prepend(folder);
    }
    QProcess cli;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TZ"), QStringLiteral("CET-1CEST,M3.5.0,M10.5.0/3"));
    cli.setProcessEnvironment(environment);
    cli.start(QStringLiteral(CELLDESK_CLI), arguments);
    QVERIFY(cli.waitForFinished(kEndsWithinMs));
    QCOMPARE(cli.exitCode(), 0);
    QByteArray csv = cli.readAllStandardOutput();
    if (arguments.contains(QStringLiteral("-o"))) {
        QVERIFY(csv.isEmpty());
        QFile out(m_dir.filePath(QStringLiteral("out.csv")));
        QVERIFY(out.open(QIODevice::ReadOnly));
        csv = out.readAll();
    }
    QFile golden(folder + fetched<QString>("csv"));
    QVERIFY(golden.open(QIODevice::ReadOnly));
    QCOMPARE(csv, golden.readAll());
}

void TestCliFiles::downloadWritesTheListSaves_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("muted");
    QTest::addColumn<bool>("recording"); // the meter shows AM: it records into its memory
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("says"); // on stderr
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("golden"); // what set 1's file holds, as the data list saves it
    QTest::addColumn<Shape>("shape");    // the meter's memory and answers beyond `muted`
    QTest::addColumn<RunConditions>("conditions");

    const QStringList all{"manual.txt", "set-01.txt", "set-02.txt", "set-03.txt", "set-04.txt"};
    const Shape asSet = [](MeterSim&) {};
    // Three records take 101 bytes, too few for three display frames.
    const Shape threeRecords = [](MeterSim& m) { m.setManualRecords(demoManualRecords()); };
    QTest::newRow("data files") << QStringList{} << QByteArray() << false << 0 << QString() << all
                                << "memory-set-save.txt" << asSet << RunConditions{};
    QTest::newRow("csv on a date")
        << QStringList{"--format", "csv", "--date", "2026-12-06"} << QByteArray() << false << 0
        << QString() << all.join(' ').replace(".txt", ".csv").split(' ') << "memory-set-save.csv"
        << asSet << RunConditions{};
    QTest::newRow("the meter recording into its memory")
        << QStringList{} << QByteArray() << true << 5
        << "Error loading in this mode, please check out and try again." << QStringList{}
        << QString() << asSet << RunConditions{};
    QTest::newRow("no automatic stream")
        << QStringList{} << QByteArray("I") << false << 3
        << "The download of the automatically recorded data stopped:" << QStringList{} << QString()
        << asSet << RunConditions{};
    QTest::newRow("no manual stream")
        << QStringList{} << QByteArray("T") << false << 3
        << "The download of the manually recorded data stopped:" << all.mid(1)
        << "memory-set-save.txt" << asSet << RunConditions{};
    QTest::newRow("three manual records: the display instead")
        << QStringList{} << QByteArray("T") << false << 3
        << "The download of the manually recorded data stopped: 0 of 101 bytes received."
        << all.mid(1) << "memory-set-save.txt" << threeRecords << RunConditions{};
    QTest::newRow("three manual records: one, then the display")
        << QStringList{} << QByteArray() << false << 3
        << "The download of the manually recorded data stopped: 34 of 101 bytes received."
        << all.mid(1) << "memory-set-save.txt" << Shape([threeRecords](MeterSim& m) {
               threeRecords(m);
               m.cutAnswer('T', 34, MeterSim::AfterCut::Frames);
           })
        << RunConditions{};
    // The sets fit, the manual readings do not: whole files or none, and no name printed for
    // what was not written.
    QTest::newRow("a disk that fills")
        << QStringList{} << QByteArray() << false << 4 << "/manual.txt: File too large"
        << all.mid(1) << "memory-set-save.txt" << asSet << RunConditions{.sizeLimit = 300};
    // A memory that takes 100 s at line rate: a stop ends it at once, with no file.
    QTest::newRow("SIGINT while the memory streams")
        << QStringList{} << QByteArray() << false << 128 + SIGINT << QString() << QStringList{}
        << QString() << Shape([](MeterSim& m) {
               m.setAutoMemory(generatedAutoMemory(200000));
               m.setPaced(true);
           })
        << RunConditions{.signalAfterMs = 2500};
}

void TestCliFiles::downloadWritesTheListSaves()
{
    qputenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
    if (fetched<bool>("recording")) {
        SimReading r;
        r.extraIndicatorBits[2] = 0x02; // AM
        m_sim->setReading(r);
    }
    // Streams longer than the display frames the meter sends when it ignores the command.
    m_sim->setAutoMemory(demoAutoMemory().repeated(2));
    m_sim->setManualRecords(demoManualRecords() + demoManualRecords());
    m_sim->muteAnswers(fetched<QByteArray>("muted"));
    fetched<Shape>("shape")(*m_sim);
    const QString out = QDir(m_dir.path()).filePath(QTest::currentDataTag());
    const CliRun run = runCli(withPort(QStringList{"download", "--out", out, "--port", "%PORT"} +
                                       fetched<QStringList>("options")),
                              fetched<RunConditions>("conditions"));
    QCOMPARE(run.exitCode, fetched<int>("exitCode"));
    const QString says = fetched<QString>("says");
    QVERIFY2(run.err.contains(says), qPrintable(run.err));
    // Nothing but whole files, each named on stdout once written.
    const QStringList files = fetched<QStringList>("files");
    QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden, QDir::Name), files);
    QCOMPARE(run.out.split('\n', Qt::SkipEmptyParts).size(), files.size());
    const QString golden = fetched<QString>("golden");
    if (golden.isEmpty())
        return;
    QFile set(QDir(out).filePath("set-01" + golden.mid(golden.lastIndexOf('.'))));
    QFile expected(CELLDESK_TEST_DATA "/" + golden);
    QVERIFY(set.open(QIODevice::ReadOnly) && expected.open(QIODevice::ReadOnly));
    QCOMPARE(set.readAll(), expected.readAll());
}

QTEST_GUILESS_MAIN(TestCliFiles)
#include "tst_clifiles.moc"
