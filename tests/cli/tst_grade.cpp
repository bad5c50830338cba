// celldesk-cli grade and pack as a user runs them: the real programs against the emulator's
// tray (celldesk-meter-sim --cells), into a real cell database that this process (as the
// window would) writes at the same time; and a kill -9 in the middle of a session.
#include "CellStore.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

// Five cells; T003's resistance is above the limit of 60 mOhm, T005's voltage below 3.6 V.
const QByteArray kTray = "cell_id,voltage_V,resistance_Ohm,temperature_C\n"
                         "T001,3.912,0.0412,25.1\n"
                         "T002,4.105,0.0381,24.8\n"
                         "T003,3.950,0.0612,25.0\n"
                         "T004,3.877,0.0457,25.3\n"
                         "T005,3.412,0.0439,25.2\n";

// Lines of a running program's stdout, as they come.
struct Lines
{
    QStringList lines;
    QByteArray partial;
    void take(QProcess& p)
    {
        partial += p.readAllStandardOutput();
        for (qsizetype end; (end = partial.indexOf('\n')) >= 0; partial.remove(0, end + 1))
            lines.append(QString::fromUtf8(partial.left(end)));
    }
};

bool integral(const QString& path)
{
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "check");
        db.setDatabaseName(path);
        QSqlQuery q(db);
        ok = db.open() && q.exec(QStringLiteral("PRAGMA integrity_check")) && q.next() &&
             q.value(0).toString() == u"ok";
    }
    QSqlDatabase::removeDatabase("check");
    return ok;
}

} // namespace

class TestGrade : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void gradesATrayAndPacksIt();
    void killedMidSessionLosesNoCell();
    void stoppedWhileTheMeterIsAwaited();

private:
    void startMeter(const QStringList& tray);
    void startGrade(QProcess& cli, const QStringList& more);

    QTemporaryDir m_dir;
    QProcess m_meter;
    QString m_database;
};

void TestGrade::init()
{
    QVERIFY(m_dir.isValid());
    m_database = m_dir.filePath("cells.sqlite");
}

void TestGrade::cleanup()
{
    m_meter.terminate();
    m_meter.waitForFinished(5000);
}

// The emulator behind a link of its own: frames every 100 ms, cells held for 1.5 s.
void TestGrade::startMeter(const QStringList& tray)
{
    m_meter.start(QStringLiteral(CELLDESK_METER_SIM),
                  tray + QStringList{"--period", "100", "--cell-hold", "1500", "--cell-gap", "600",
                                     "--link", m_dir.filePath("meter")});
    QVERIFY(m_meter.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_dir.filePath("meter")), 10000);
}

void TestGrade::startGrade(QProcess& cli, const QStringList& more)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.path());
    environment.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.path());
    cli.setProcessEnvironment(environment);
    cli.start(QStringLiteral(CELLDESK_CLI),
              QStringList{"grade", "--port", m_dir.filePath("meter"), "--database", m_database} +
                  more);
    QVERIFY(cli.waitForStarted());
}

void TestGrade::gradesATrayAndPacksIt()
{
    QFile tray(m_dir.filePath("tray.csv"));
    QVERIFY(tray.open(QIODevice::WriteOnly) && tray.write(kTray) == kTray.size());
    tray.close();
    startMeter({"--cells", tray.fileName()});

    QProcess cli;
    startGrade(cli, {"--session", "tray 7", "--limits", "3.6:4.2:0.060"});
    Lines out;
    connect(&cli, &QProcess::readyReadStandardOutput, this, [&] { out.take(cli); });

    // Meanwhile this process writes cells of its own session, as the window would.
    CellStore window;
    QVERIFY(window.open(m_database));
    GradeSession mine;
    mine.name = "window";
    mine.created = QDateTime::currentDateTime();
    QVERIFY2(window.createSession(mine), qPrintable(window.error()));
    int written = 0;
    while (out.lines.size() < 6 && cli.state() == QProcess::Running && written < 2000) {
        GradedCell c;
        c.id = QStringLiteral("W%1").arg(++written);
        c.taken = QDateTime::currentDateTime();
        QVERIFY2(window.addCell(mine.key, c, written + 1), qPrintable(window.error()));
        QTest::qWait(10);
    }
    QTRY_VERIFY_WITH_TIMEOUT(out.lines.size() >= 6, 30000);
    // Each line as its cell is taken: the program is still running.
    QCOMPARE(cli.state(), QProcess::Running);
    QSignalSpy ended(&cli, &QProcess::finished);
    ::kill(pid_t(cli.processId()), SIGINT);
    QVERIFY(ended.wait(5000));
    QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
    QCOMPARE(cli.exitCode(), 0);
    out.take(cli);

    QCOMPARE(out.lines.value(0), QStringLiteral("cell_id,date_time,voltage_V,resistance_Ohm,"
                                                "temperature_C,verdict,reason,utc_offset"));
    QCOMPARE(out.lines.size(), 6);
    const QStringList verdicts{"PASS", "PASS", "FAIL", "PASS", "FAIL"};
    const QList<QByteArray> trayRows = kTray.split('\n').mid(1, 5);
    for (int k = 0; k < 5; ++k) {
        const QStringList f = out.lines[k + 1].split(u',');
        const QList<QByteArray> want = trayRows[k].split(',');
        QCOMPARE(f.size(), 8);
        QCOMPARE(f[0], QStringLiteral("A%1").arg(k + 1, 4, 10, QLatin1Char('0')));
        // The reading held, within the digit of flicker; never the ramp.
        QVERIFY2(std::abs(f[2].toDouble() - want[1].toDouble()) < 0.0015, qPrintable(f[2]));
        QVERIFY2(std::abs(f[3].toDouble() - want[2].toDouble()) < 0.00015, qPrintable(f[3]));
        QCOMPARE(f[5], verdicts[k]);
    }
    QVERIFY(out.lines[3].contains(QStringLiteral(",R 61.")));
    QVERIFY(out.lines[5].contains(QStringLiteral(",V 3.41")));

    // Both programs' cells are in the file, and it is whole.
    const auto graded = window.session("tray 7");
    QVERIFY(graded);
    QCOMPARE(graded->cellCount, 5);
    QCOMPARE(window.session("window")->cellCount, written);
    QVERIFY(integral(m_database));

    // A pack of the passing cells, then one that needs more of them than there are.
    QProcess pack;
    pack.start(QStringLiteral(CELLDESK_CLI),
               {"pack", "--series", "3", "--parallel", "1", "--session", "tray 7", "--database",
                m_database, "-o", m_dir.filePath("plan.csv")});
    QVERIFY(pack.waitForFinished(20000));
    QCOMPARE(pack.exitCode(), 0);
    QVERIFY(pack.readAllStandardError().contains("spread"));
    QFile plan(m_dir.filePath("plan.csv"));
    QVERIFY(plan.open(QIODevice::ReadOnly));
    const QList<QByteArray> rows = plan.readAll().trimmed().split('\n');
    QCOMPARE(rows.value(0), QByteArray("group,cell_id,capacity_Ah,resistance_Ohm"));
    QCOMPARE(rows.size(), 4);
    for (const QByteArray& row : rows.mid(1))
        QVERIFY2(!row.contains("A0003") && !row.contains("A0005"), row.constData());

    pack.start(QStringLiteral(CELLDESK_CLI), {"pack", "--series", "2", "--parallel", "3",
                                              "--session", "tray 7", "--database", m_database});
    QVERIFY(pack.waitForFinished(20000));
    QCOMPARE(pack.exitCode(), 4);
    QVERIFY(pack.readAllStandardError().contains("2S3P needs 6 passing cells with a resistance: "
                                                 "3 are missing"));
}

// Each line on stdout is a cell committed: killed without warning, the file holds every one.
void TestGrade::killedMidSessionLosesNoCell()
{
    startMeter({"--tray", "20"});
    QProcess cli;
    startGrade(cli, {"--session", "killed"});
    Lines out;
    connect(&cli, &QProcess::readyReadStandardOutput, this, [&] { out.take(cli); });
    QTRY_VERIFY_WITH_TIMEOUT(out.lines.size() >= 4, 30000);
    ::kill(pid_t(cli.processId()), SIGKILL);
    QVERIFY(cli.waitForFinished(5000));
    out.take(cli);

    CellStore store;
    QVERIFY(store.open(m_database));
    const auto session = store.session("killed");
    QVERIFY(session);
    const auto cells = store.cells(session->key);
    QVERIFY(cells);
    QVERIFY(cells->size() >= out.lines.size() - 1);
    for (int k = 1; k < out.lines.size(); ++k) {
        const QStringList f = out.lines[k].split(u',');
        QCOMPARE(cells->at(k - 1).id, f[0]);
        QCOMPARE(cells->at(k - 1).values.voltage, std::optional(f[2].toDouble()));
    }
    QVERIFY(integral(m_database));
}

// Ctrl-C while the port opens on a meter that sends nothing ends the run at once, as on a
// running session: status 0, and no word of a cable.
void TestGrade::stoppedWhileTheMeterIsAwaited()
{
    startMeter({"--fault", "silent"});
    m_database = m_dir.filePath("stopped.sqlite"); // a file of its own: its making is the sign
    QProcess cli;
    startGrade(cli, {"--comparator-set", "5"});
    // The database is made once the stop signals are taken, before the meter is awaited.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_database), 10000);
    ::kill(pid_t(cli.processId()), SIGINT);
    QVERIFY(cli.waitForFinished(30000));
    QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
    const QByteArray told = cli.readAllStandardError();
    QVERIFY2(!told.contains("sends no display"), told.constData());
    QCOMPARE(cli.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestGrade)
#include "tst_grade.moc"
