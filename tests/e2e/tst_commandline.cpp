// The programs' command lines as a user meets them: --help and --version answer and end, a
// wrong option is refused, and the emulator's help names every switch and signal it takes.
#include "Fetch.h"

#include <QProcess>
#include <QTest>

class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void answersAndEnds_data();
    void answersAndEnds();
};

void TestCommandLine::answersAndEnds_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("says"); // on stdout, or on stderr when it fails
    QTest::addColumn<bool>("noDisplay");   // no display and no platform chosen, as over ssh
    const QString celldesk = QStringLiteral(CELLDESK_PROGRAM);
    const QString sim = QStringLiteral(CELLDESK_METER_SIM);
    QTest::newRow("celldesk --help")
        << celldesk << QStringList{"--help"} << 0
        << QStringList{"--help", "--version", "--demo", "--port <path>", "COM1 to COM8"} << false;
    QTest::newRow("celldesk -h") << celldesk << QStringList{"-h"} << 0
                                 << QStringList{"--port <path>"} << false;
    QTest::newRow("celldesk --version")
        << celldesk << QStringList{"--version"} << 0
        << QStringList{QStringLiteral("CellDesk " CELLDESK_VERSION)} << false;
    QTest::newRow("celldesk, unknown option") << celldesk << QStringList{"--prot", "/dev/ttyUSB0"}
                                              << 1 << QStringList{"Unknown option 'prot'"} << false;
    QTest::newRow("celldesk --port without a path")
        << celldesk << QStringList{"--port"} << 1 << QStringList{"Missing value after '--port'"}
        << false;
    QTest::newRow("celldesk --help without a display")
        << celldesk << QStringList{"--help"} << 0 << QStringList{"--port <path>"} << true;
    QTest::newRow("celldesk --version without a display")
        << celldesk << QStringList{"--version"} << 0
        << QStringList{QStringLiteral("CellDesk " CELLDESK_VERSION)} << true;
    QTest::newRow("meter-sim --help") << sim << QStringList{"--help"} << 0
                                      << QStringList{"--help",
                                                     "--version",
                                                     "--link <path>",
                                                     "--period <ms>",
                                                     "--paced",
                                                     "--fault <kind>",
                                                     "silent",
                                                     "wrong-etx",
                                                     "short",
                                                     "garbage",
                                                     "--demo",
                                                     "--log",
                                                     "--mute <commands>",
                                                     "--cut <command:bytes[:frames]>",
                                                     "--extend <command:bytes>",
                                                     "SIGUSR1  unplug",
                                                     "SIGUSR2  replug",
                                                     "SIGTERM"}
                                      << false;
    QTest::newRow("meter-sim --version")
        << sim << QStringList{"--version"} << 0
        << QStringList{QStringLiteral("celldesk-meter-sim " CELLDESK_VERSION)} << false;
}

void TestCommandLine::answersAndEnds()
{
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (fetched<bool>("noDisplay")) {
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
    } else {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }
    program.setProcessEnvironment(environment);
    program.start(fetched<QString>("program"), fetched<QStringList>("arguments"));
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    const int exitCode = fetched<int>("exitCode");
    QCOMPARE(program.exitCode(), exitCode);
    const QString out = QString::fromLocal8Bit(exitCode == 0 ? program.readAllStandardOutput()
                                                             : program.readAllStandardError());
    for (const QString& text : fetched<QStringList>("says"))
        QVERIFY2(out.contains(text), qPrintable(text + " missing from:\n" + out));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
