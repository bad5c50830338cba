// The programs' command lines as a user meets them: --help and --version answer and end, a
// wrong option is refused, the emulator's help names every switch and signal it takes, and
// celldesk --plot draws its picture with no display.
#include "Fetch.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void answersAndEnds_data();
    void answersAndEnds();
    void plotDrawsAPicture_data();
    void plotDrawsAPicture();
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
        << QStringList{"--help",          "--version",    "--demo",
                       "--port <path>",   "COM1 to COM8", "--plot",
                       "--column <name>", "-x <reading>", "-o, --output <file>"}
        << false;
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

void TestCommandLine::plotDrawsAPicture_data()
{
    QTest::addColumn<QStringList>("arguments"); // %DATA: the golden files; %DIR: a new folder
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("starts"); // the picture's first bytes, or what stderr says
    QTest::newRow("two recordings on the capacity axis, PNG") << QStringList{"--plot",
                                                                             "%DATA/discharge.txt",
                                                                             "%DATA/discharge.csv",
                                                                             "--column",
                                                                             "voltage",
                                                                             "--x",
                                                                             "capacity",
                                                                             "-o",
                                                                             "%DIR/curve.png"}
                                                              << 0 << QByteArray("\x89PNG");
    QTest::newRow("the current against elapsed time, SVG")
        << QStringList{"--plot", "%DATA/discharge.csv", "--column", "current",
                       "-o",     "%DIR/curve.svg"}
        << 0 << QByteArray("<?xml");
    QTest::newRow("a file that is not there")
        << QStringList{"--plot", "%DATA/none.csv", "-o", "%DIR/curve.png"} << 4
        << QByteArray("celldesk: ");
    QTest::newRow("an unknown column")
        << QStringList{"--plot", "%DATA/discharge.csv", "--column", "power", "-o", "%DIR/curve.png"}
        << 1 << QByteArray("celldesk: --column does not know 'power'");
}

// As a script over ssh runs it: no display and no platform chosen.
void TestCommandLine::plotDrawsAPicture()
{
    QTemporaryDir dir;
    QStringList arguments = fetched<QStringList>("arguments");
    arguments.replaceInStrings("%DATA", CELLDESK_TEST_DATA);
    arguments.replaceInStrings("%DIR", dir.path());
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    program.setProcessEnvironment(environment);
    program.start(CELLDESK_PROGRAM, arguments);
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitCode(), fetched<int>("exitCode"));
    const QByteArray starts = fetched<QByteArray>("starts");
    if (program.exitCode() != 0) {
        QVERIFY2(program.readAllStandardError().contains(starts), qPrintable(arguments.join(' ')));
        QVERIFY(!QFile::exists(arguments.last()));
        return;
    }
    QFile picture(arguments.last());
    QVERIFY(picture.open(QIODevice::ReadOnly));
    const QByteArray bytes = picture.readAll();
    QVERIFY(bytes.startsWith(starts));
    if (arguments.last().endsWith(".png")) {
        // The PNG's header chunk: width and height, big-endian, at bytes 16 and 20.
        QVERIFY(bytes.size() > 24);
        QCOMPARE(qFromBigEndian<quint32>(bytes.constData() + 16), 1200u);
        QCOMPARE(qFromBigEndian<quint32>(bytes.constData() + 20), 800u);
    }
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
