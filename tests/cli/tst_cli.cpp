// celldesk-cli as a user runs it: the real program, with no display at all, against the
// emulated meter on a pseudo-terminal in this process.
#include "Fetch.h"
#include "MeterSim.h"
#include "SimMemory.h"
#include "SimReading.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

namespace {

constexpr int kEndsWithinMs = 60000; // a run hangs only when this passes

struct CliRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

} // namespace

class TestCli : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup() { m_sim.reset(); }
    void answers_data();
    void answers();
    void watchWritesReadingsUntilStopped_data();
    void watchWritesReadingsUntilStopped();
    void comparatorSetSendsOnlyChangedSets_data();
    void comparatorSetSendsOnlyChangedSets();
    void downloadWritesTheListSaves_data();
    void downloadWritesTheListSaves();
    void recordWritesWholeLinesUntilStopped_data();
    void recordWritesWholeLinesUntilStopped();
    void convertMatchesTheGoldenCsv_data();
    void convertMatchesTheGoldenCsv();

private:
    void startCli(QProcess& cli, const QStringList& arguments);
    CliRun runCli(const QStringList& arguments);
    [[nodiscard]] QStringList withPort(QStringList arguments) const;

    std::unique_ptr<MeterSim> m_sim;
    QTemporaryDir m_dir;
};

void TestCli::init()
{
    m_sim = std::make_unique<MeterSim>();
    QVERIFY(m_sim->open());
    m_sim->setClock(6, 12, 0, 0);
}

// No DISPLAY, no WAYLAND_DISPLAY, no QT_QPA_PLATFORM: as over ssh or from a service. The
// settings live in a folder of their own, so no default port of this machine's user counts.
void TestCli::startCli(QProcess& cli, const QStringList& arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.path());
    cli.setProcessEnvironment(environment);
    cli.start(QStringLiteral(CELLDESK_CLI), arguments);
    QVERIFY(cli.waitForStarted());
}

// The emulator answers from this event loop, so the run is waited for with a spy, never
// with a blocking wait.
CliRun TestCli::runCli(const QStringList& arguments)
{
    QProcess cli;
    startCli(cli, arguments);
    QSignalSpy ended(&cli, &QProcess::finished);
    if (!ended.wait(kEndsWithinMs)) {
        cli.kill();
        cli.waitForFinished();
        return {};
    }
    return {cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1,
            QString::fromUtf8(cli.readAllStandardOutput()),
            QString::fromUtf8(cli.readAllStandardError())};
}

QStringList TestCli::withPort(QStringList arguments) const
{
    arguments.replaceInStrings(QStringLiteral("%PORT"), m_sim->devicePath());
    arguments.replaceInStrings(QStringLiteral("%DIR"), m_dir.path());
    arguments.replaceInStrings(QStringLiteral("%DATA"), QStringLiteral(CELLDESK_TEST_DATA));
    return arguments;
}

void TestCli::answers_data()
{
    QTest::addColumn<QStringList>("arguments"); // %PORT is the emulator's device
    QTest::addColumn<QByteArray>("muted");      // commands the meter leaves unanswered
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("says"); // on stdout, or on stderr when it fails
    QTest::addColumn<QByteArray>("sent");  // commands the meter must have received
    QTest::addColumn<QByteArray>("notSent");

    QTest::newRow("--help without a display") << QStringList{"--help"} << QByteArray() << 0
                                              << QStringList{"watch",
                                                             "clock",
                                                             "sampling",
                                                             "comparator",
                                                             "erase",
                                                             "download",
                                                             "--port PATH",
                                                             "COM1 to COM8",
                                                             "0  done",
                                                             "1  usage",
                                                             "2  the port could not be opened",
                                                             "3  the meter did not answer",
                                                             "4  file error"}
                                              << QByteArray() << QByteArray();
    QTest::newRow("a command's --help")
        << QStringList{"comparator", "--help"} << QByteArray() << 0
        << QStringList{"Usage: celldesk-cli comparator", "--port", "Exit status"} << QByteArray()
        << QByteArray();
    QTest::newRow("no command") << QStringList{} << QByteArray() << 1
                                << QStringList{"a command is missing"} << QByteArray()
                                << QByteArray();
    QTest::newRow("unknown command")
        << QStringList{"clocks"} << QByteArray() << 1 << QStringList{"unknown command 'clocks'"}
        << QByteArray() << QByteArray();
    QTest::newRow("unknown option")
        << QStringList{"clock", "--sett", "--port", "%PORT"} << QByteArray() << 1
        << QStringList{"Unknown option 'sett'", "celldesk-cli clock --help"} << QByteArray()
        << QByteArray("QU");
    QTest::newRow("interval out of range")
        << QStringList{"sampling", "--set", "256", "--port", "%PORT"} << QByteArray() << 1
        << QStringList{"from 1 to 255"} << QByteArray() << QByteArray("S");
    QTest::newRow("watch in an unknown format")
        << QStringList{"watch", "--format", "xml", "--port", "%PORT"} << QByteArray() << 1
        << QStringList{"jsonl or csv"} << QByteArray() << QByteArray();
    QTest::newRow("erase without --yes")
        << QStringList{"erase", "--auto", "--port", "%PORT"} << QByteArray() << 1
        << QStringList{"All the automatically recorded data in memory will be deleted!", "--yes"}
        << QByteArray() << QByteArray("Y");
    QTest::newRow("erase of both kinds at once")
        << QStringList{"erase", "--auto", "--manual", "--yes", "--port", "%PORT"} << QByteArray()
        << 1 << QStringList{"--auto or --manual"} << QByteArray() << QByteArray("YZ");
    QTest::newRow("erase --manual --yes")
        << QStringList{"erase", "--manual", "--yes", "--port", "%PORT"} << QByteArray() << 0
        << QStringList{"manually recorded data"} << QByteArray("Z") << QByteArray("Y");
    QTest::newRow("a port that does not exist")
        << QStringList{"clock", "--port", "/dev/celldesk-no-such-tty"} << QByteArray() << 2
        << QStringList{"No device available !", "/dev/celldesk-no-such-tty does not exist"}
        << QByteArray() << QByteArray();
    QTest::newRow("clock read") << QStringList{"clock", "--port", "%PORT"} << QByteArray() << 0
                                << QStringList{"Meter: 06:12:00:", "PC:    "} << QByteArray("U")
                                << QByteArray("Q");
    QTest::newRow("clock of a meter that does not answer it")
        << QStringList{"clock", "--port", "%PORT"} << QByteArray("U") << 3
        << QStringList{"does not answer the clock request"} << QByteArray("U") << QByteArray("Q");
    QTest::newRow("sampling read")
        << QStringList{"sampling", "--port", "%PORT"} << QByteArray() << 0
        << QStringList{"Meter sampling interval: 2 s"} << QByteArray("V") << QByteArray("S");
    // The interval printed is the one read back from the meter after the set.
    QTest::newRow("sampling --set, read back")
        << QStringList{"sampling", "--set", "7", "--port", "%PORT"} << QByteArray() << 0
        << QStringList{"Meter sampling interval: 7 s"} << QByteArray("SV") << QByteArray();
    QTest::newRow("record without a file")
        << QStringList{"record", "--port", "%PORT"} << QByteArray() << 1
        << QStringList{"FILE is missing"} << QByteArray() << QByteArray();
    QTest::newRow("record for a duration it cannot read")
        << QStringList{"record", "--for", "2w", "--port", "%PORT", "x.csv"} << QByteArray() << 1
        << QStringList{"--for wants a duration"} << QByteArray() << QByteArray();
    QTest::newRow("record into a folder that is not there")
        << QStringList{"record", "--port", "%PORT", "/nonexistent/rec.txt"} << QByteArray() << 4
        << QStringList{"cannot record to /nonexistent/rec.txt"} << QByteArray() << QByteArray();
    QTest::newRow("record --for stops by itself")
        << QStringList{"record", "--for",  "2s",    "--format",
                       "csv",    "--port", "%PORT", "%DIR/for.csv"}
        << QByteArray() << 0 << QStringList{} << QByteArray() << QByteArray();
    QTest::newRow("convert of a folder")
        << QStringList{"convert", "/tmp"} << QByteArray() << 4 << QStringList{"It is a folder."}
        << QByteArray() << QByteArray();
    QTest::newRow("convert of a device")
        << QStringList{"convert", "/dev/zero"} << QByteArray() << 4
        << QStringList{"It is a device."} << QByteArray() << QByteArray();
    // The golden discharge: 1.8 A, a 60 s hole in the stamps, 2.95 V at 140 s.
    QTest::newRow("stats to a cut-off, JSON")
        << QStringList{"stats", "--cutoff", "3.0", "%DATA/discharge.txt"} << QByteArray() << 0
        << QStringList{"{\"rows\": 10, \"duration_s\": 140,", "\"charge_out_Ah\": 0.04,",
                       "\"counter_out_Ah\": 0.07,", "\"cutoff_s\": 140}\n"}
        << QByteArray() << QByteArray();
    QTest::newRow("stats of a span, CSV")
        << QStringList{"stats", "--from",   "0",   "--to",
                       "60",    "--format", "csv", "%DATA/discharge.csv"}
        << QByteArray() << 0
        << QStringList{"rows,duration_s,voltage_V_min,voltage_V_max,voltage_V_mean,charge_in_Ah,"
                       "charge_out_Ah,energy_in_Wh,energy_out_Wh,counter_out_Ah,"
                       "resistance_Ohm_mean\n7,60,3.7,4,3.85,0,0.03,0,0.1155,0.03,0.0412\n"}
        << QByteArray() << QByteArray();
    QTest::newRow("stats of a device")
        << QStringList{"stats", "/dev/zero"} << QByteArray() << 4 << QStringList{"It is a device."}
        << QByteArray() << QByteArray();
    QTest::newRow("stats with --from after --to")
        << QStringList{"stats", "--from", "60", "--to", "0", "%DATA/discharge.csv"} << QByteArray()
        << 1 << QStringList{"--from is after --to"} << QByteArray() << QByteArray();
    QTest::newRow("comparator set of a file that is not there")
        << QStringList{"comparator", "set", "/nonexistent/limits.csv", "--port", "%PORT"}
        << QByteArray() << 4 << QStringList{"/nonexistent/limits.csv could not be read"}
        << QByteArray() << QByteArray("WR");
}

void TestCli::answers()
{
    m_sim->muteAnswers(fetched<QByteArray>("muted"));
    const CliRun run = runCli(withPort(fetched<QStringList>("arguments")));
    const int exitCode = fetched<int>("exitCode");
    QCOMPARE(run.exitCode, exitCode);
    const QString& said = exitCode == 0 ? run.out : run.err;
    for (const QString& text : fetched<QStringList>("says"))
        QVERIFY2(said.contains(text), qPrintable(text + " missing from:\n" + said));
    if (exitCode != 0)
        QVERIFY2(run.err.count(u'\n') == 1, qPrintable("not one line:\n" + run.err));
    const QByteArray commands = m_sim->commands();
    for (const char command : fetched<QByteArray>("sent"))
        QVERIFY2(commands.contains(command), commands.constData());
    for (const char command : fetched<QByteArray>("notSent"))
        QVERIFY2(!commands.contains(command), commands.constData());
}

void TestCli::watchWritesReadingsUntilStopped_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

// Each line is one whole JSON reading of what the meter shows; a stop ends the run with
// status 0 and nothing cut off.
void TestCli::watchWritesReadingsUntilStopped()
{
    SimReading shown;
    shown.voltage = QStringLiteral("OL");
    shown.current = QStringLiteral("-1.250");
    shown.resistance = QStringLiteral("12.34");
    m_sim->setReading(shown);

    QProcess cli;
    startCli(cli, withPort({"watch", "--format", "jsonl", "--port", "%PORT"}));
    QByteArray out;
    QSignalSpy ended(&cli, &QProcess::finished);
    while (out.count('\n') < 3 && ended.isEmpty()) {
        QSignalSpy more(&cli, &QProcess::readyReadStandardOutput);
        QVERIFY(more.wait(kEndsWithinMs));
        out += cli.readAllStandardOutput();
    }
    QVERIFY2(ended.isEmpty(), cli.readAllStandardError().constData());
    ::kill(pid_t(cli.processId()), fetched<int>("signal"));
    QVERIFY(ended.wait(kEndsWithinMs));
    QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
    QCOMPARE(cli.exitCode(), 0);
    out += cli.readAllStandardOutput();

    QVERIFY(out.endsWith('\n'));
    const QList<QByteArray> lines = out.trimmed().split('\n');
    for (const QByteArray& line : lines) {
        QJsonParseError error{};
        const QJsonObject reading = QJsonDocument::fromJson(line, &error).object();
        QVERIFY2(error.error == QJsonParseError::NoError, line.constData());
        QVERIFY2(QDateTime::fromString(reading["time"].toString(), Qt::ISODate).isValid(),
                 line.constData());
        QVERIFY(reading["voltage"].isNull());
        QCOMPARE(reading["flags"].toArray(), QJsonArray{QStringLiteral("OL:voltage")});
        QCOMPARE(reading["current"].toDouble(), -1.25);
        QCOMPARE(reading["current_unit"].toString(), QStringLiteral("A"));
        QCOMPARE(reading["resistance"].toDouble(), 12.34);
        QCOMPARE(reading["resistance_unit"].toString(), QStringLiteral("mOhm"));
        QCOMPARE(reading["temperature_unit"].toString(), QStringLiteral("C"));
    }
}

void TestCli::comparatorSetSendsOnlyChangedSets_data()
{
    QTest::addColumn<QString>("row"); // set 5's row replaced by this ("" leaves the file)
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<int>("setsWritten");
    QTest::addColumn<QString>("says");

    QTest::newRow("one changed set")
        << "5,02.25,mOhm,01.00,Ohm,11.11,10.10" << 0 << 1 << "Wrote and read back 1 set(s): 5";
    QTest::newRow("the file as read") << "" << 0 << 0 << "nothing was sent";
    QTest::newRow("a voltage above 60.00 V")
        << "5,02.25,mOhm,01.00,mOhm,75.00,10.10" << 4 << 0 << "line 6 (set 5)";
    QTest::newRow("a limit without its leading zero")
        << "5,2.25,mOhm,01.00,mOhm,12.25,10.10" << 4 << 0 << "resistance high \"2.25\"";
    QTest::newRow("an unknown unit")
        << "5,02.25,MOhm,01.00,mOhm,12.25,10.10" << 4 << 0 << "neither Ohm nor mOhm";
    QTest::newRow("a set out of range")
        << "100,02.25,mOhm,01.00,mOhm,12.25,10.10" << 4 << 0 << "not a number from 1 to 99";
}

// get, change a row, set, get: only the changed set goes to the meter, and the meter then
// holds exactly the file.
void TestCli::comparatorSetSendsOnlyChangedSets()
{
    const QString path = m_dir.filePath(QStringLiteral("limits.csv"));
    const CliRun get = runCli(withPort({"comparator", "get", path, "--port", "%PORT"}));
    QCOMPARE(get.exitCode, 0);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = file.readAll().split('\n');
    file.close();
    QCOMPARE(lines.size(), 1 + 99 + 1); // header, sets, the end of the last line
    QVERIFY(lines[5].startsWith("5,"));
    if (const QString row = fetched<QString>("row"); !row.isEmpty())
        lines[5] = row.toUtf8();
    const QByteArray edited = lines.join('\n');
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(edited);
    file.close();
    const QByteArray tableBefore = m_sim->comparatorEntry(9);

    m_sim->clearReceived();
    const CliRun set = runCli(withPort({"comparator", "set", path, "--port", "%PORT"}));
    QCOMPARE(set.exitCode, fetched<int>("exitCode"));
    QVERIFY2((set.exitCode == 0 ? set.out : set.err).contains(fetched<QString>("says")),
             qPrintable(set.out + set.err));
    QCOMPARE(m_sim->commands().count('R'), fetched<int>("setsWritten"));
    QCOMPARE(m_sim->comparatorEntry(9), tableBefore);
    if (set.exitCode != 0)
        return;

    const CliRun again = runCli(withPort({"comparator", "get", "-", "--port", "%PORT"}));
    QCOMPARE(again.exitCode, 0);
    QCOMPARE(again.out.toUtf8(), edited);
}

void TestCli::recordWritesWholeLinesUntilStopped_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<bool>("unplug"); // the cable pulled after the second line, then back
    QTest::newRow("data, unplugged meanwhile") << "data" << true;
    QTest::newRow("csv, unplugged meanwhile") << "csv" << true;
    QTest::newRow("data") << "data" << false;
    QTest::newRow("csv") << "csv" << false;
}

// What a user leaves running: one sample a second into the file, whole lines only when
// SIGTERM ends it, and after a pulled cable a gap in the times, then lines again.
void TestCli::recordWritesWholeLinesUntilStopped()
{
    const QString format = fetched<QString>("format");
    const bool unplug = fetched<bool>("unplug");
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
    waitForLines(3); // the header and two samples
    if (unplug) {
        m_sim->unplug();
        QTest::qWait(3500);
        QVERIFY(m_sim->replug());
        const qsizetype before = lines();
        waitForLines(before + 2);
    } else {
        waitForLines(4);
    }
    QVERIFY2(ended.isEmpty(), cli.readAllStandardError().constData());
    ::kill(pid_t(cli.processId()), SIGTERM);
    QVERIFY(ended.wait(kEndsWithinMs));
    QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
    QCOMPARE(cli.exitCode(), 0);

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
                                       "total_capacity_Ah,flags"));
    QVERIFY(rows.size() >= 3);
    const QRegularExpression layout(
        data ? QStringLiteral("^(\\d+)\t(\\d\\d:\\d\\d:\\d\\d)(\t[^\t]+){7}\r$")
             : QStringLiteral("^(\\d+),(\\S+?),[0-9.]+(,-?[0-9.]+){7},$"));
    int gaps = 0;
    QTime last;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QRegularExpressionMatch match = layout.match(QString::fromLatin1(rows[i]));
        QVERIFY2(match.hasMatch(), rows[i].constData());
        QCOMPARE(match.captured(1).toLongLong(), i + 1);
        const QTime time = data ? QTime::fromString(match.captured(2), QStringLiteral("hh:mm:ss"))
                                : QDateTime::fromString(match.captured(2), Qt::ISODate).time();
        QVERIFY2(time.isValid(), rows[i].constData());
        if (last.isValid() && last.secsTo(time) >= 3)
            ++gaps;
        last = time;
    }
    QCOMPARE(gaps, unplug ? 1 : 0);
}

void TestCli::convertMatchesTheGoldenCsv_data()
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
void TestCli::convertMatchesTheGoldenCsv()
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

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"

void TestCli::downloadWritesTheListSaves_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("muted");
    QTest::addColumn<bool>("recording"); // the meter shows AM: it records into its memory
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("says"); // on stderr
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("golden"); // what set 1's file holds, as the data list saves it

    const QStringList all{"manual.txt", "set-01.txt", "set-02.txt", "set-03.txt", "set-04.txt"};
    QTest::newRow("data files") << QStringList{} << QByteArray() << false << 0 << QString() << all
                                << "memory-set-save.txt";
    QTest::newRow("csv on a date")
        << QStringList{"--format", "csv", "--date", "2026-12-06"} << QByteArray() << false << 0
        << QString() << all.join(' ').replace(".txt", ".csv").split(' ') << "memory-set-save.csv";
    QTest::newRow("the meter recording into its memory")
        << QStringList{} << QByteArray() << true << 5
        << "Error loading in this mode, please check out and try again." << QStringList{}
        << QString();
    QTest::newRow("no automatic stream")
        << QStringList{} << QByteArray("I") << false << 3
        << "The download of the automatically recorded data stopped:" << QStringList{} << QString();
    QTest::newRow("no manual stream")
        << QStringList{} << QByteArray("T") << false << 3
        << "The download of the manually recorded data stopped:" << all.mid(1)
        << "memory-set-save.txt";
}

void TestCli::downloadWritesTheListSaves()
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
    const QString out = QDir(m_dir.path()).filePath(QTest::currentDataTag());
    const CliRun run = runCli(withPort(QStringList{"download", "--out", out, "--port", "%PORT"} +
                                       fetched<QStringList>("options")));
    QCOMPARE(run.exitCode, fetched<int>("exitCode"));
    const QString says = fetched<QString>("says");
    QVERIFY2(run.err.contains(says), qPrintable(run.err));
    QCOMPARE(QDir(out).entryList(QDir::Files, QDir::Name), fetched<QStringList>("files"));
    const QString golden = fetched<QString>("golden");
    if (golden.isEmpty())
        return;
    QFile set(QDir(out).filePath("set-01" + golden.mid(golden.lastIndexOf('.'))));
    QFile expected(CELLDESK_TEST_DATA "/" + golden);
    QVERIFY(set.open(QIODevice::ReadOnly) && expected.open(QIODevice::ReadOnly));
    QCOMPARE(set.readAll(), expected.readAll());
}
