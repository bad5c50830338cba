#pragma once

// celldesk-cli as a user runs it, for its tests: the real program, with no display at all,
// against the emulated meter on a pseudo-terminal in the test's process, in a folder of its
// own.
#include "Fetch.h"
#include "FileSizeLimit.h"
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
#include <functional>
#include <memory>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

inline constexpr int kEndsWithinMs = 60000; // a run hangs only when this passes

struct CliRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

// What a run meets besides its arguments: a disk that fills, a stop signal.
struct RunConditions
{
    rlim_t sizeLimit = 0;  // bytes a file may grow to; 0 for no limit
    int signalAfterMs = 0; // SIGINT this long after the start; 0 for none
};

using Shape = std::function<void(MeterSim&)>; // how the meter answers, for one row

Q_DECLARE_METATYPE(Shape)
Q_DECLARE_METATYPE(RunConditions)

/// The base of a celldesk-cli test: a fresh emulated meter for each test function (initCli()
/// in init(), resetCli() in cleanup()), and runs of the program against it.
class CliTest : public QObject
{
protected:
    void initCli()
    {
        m_sim = std::make_unique<MeterSim>();
        QVERIFY(m_sim->open());
        m_sim->setClock(6, 12, 0, 0);
        // Outputs that are no regular file: a named pipe, and a device node of our own (the
        // null device, which a wrong program would replace; only root may make one).
        const QByteArray pipe = QFile::encodeName(m_dir.filePath(QStringLiteral("pipe")));
        QVERIFY(QFileInfo::exists(pipe) || ::mkfifo(pipe.constData(), 0600) == 0);
        const QByteArray node = QFile::encodeName(m_dir.filePath(QStringLiteral("null")));
        if (!QFileInfo::exists(node))
            (void)::mknod(node.constData(), S_IFCHR | 0666, makedev(1, 3));
    }
    void resetCli() { m_sim.reset(); }

    // No DISPLAY, no WAYLAND_DISPLAY, no QT_QPA_PLATFORM: as over ssh or from a service. The
    // settings live in a folder of their own, so no default port of this machine's user counts.
    [[nodiscard]] QProcessEnvironment cliEnvironment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QLatin1String(name));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.path());
        return environment;
    }

    // In cliEnvironment(). As a shell has it, "<" FILE and ">" FILE among the arguments
    // redirect stdin and stdout, and ">&-" closes stdout. Files may grow to `sizeLimit` bytes
    // (0: no limit).
    void startCli(QProcess& cli, const QStringList& arguments, rlim_t sizeLimit = 0)
    {
        cli.setProcessEnvironment(cliEnvironment());
        QStringList given;
        bool closeOut = false;
        for (qsizetype i = 0; i < arguments.size(); ++i) {
            if (arguments[i] == u"<" && i + 1 < arguments.size())
                cli.setStandardInputFile(arguments[++i]);
            else if (arguments[i] == u">" && i + 1 < arguments.size())
                cli.setStandardOutputFile(arguments[++i]);
            else if (arguments[i] == u">&-")
                closeOut = true;
            else
                given << arguments[i];
        }
        cli.setChildProcessModifier([closeOut, sizeLimit] {
            if (closeOut)
                ::close(STDOUT_FILENO);
            if (sizeLimit > 0)
                FileSizeLimit::applyInChild(sizeLimit);
        });
        cli.start(QStringLiteral(CELLDESK_CLI), given);
        QVERIFY(cli.waitForStarted());
    }

    // The emulator answers from this event loop, so the run is waited for with a spy, never
    // with a blocking wait.
    CliRun runCli(const QStringList& arguments, const RunConditions& conditions = {})
    {
        QProcess cli;
        startCli(cli, arguments, conditions.sizeLimit);
        if (conditions.signalAfterMs > 0) {
            QTimer::singleShot(conditions.signalAfterMs, &cli,
                               [&cli] { ::kill(pid_t(cli.processId()), SIGINT); });
        }
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

    [[nodiscard]] QStringList withPort(QStringList arguments) const
    {
        arguments.replaceInStrings(QStringLiteral("%PORT"), m_sim->devicePath());
        arguments.replaceInStrings(QStringLiteral("%DIR"), m_dir.path());
        arguments.replaceInStrings(QStringLiteral("%DATA"), QStringLiteral(CELLDESK_TEST_DATA));
        // The null device of our own where it could be made; /dev/null stands in otherwise (a
        // program that replaced it would then be refused by the system).
        arguments.replaceInStrings(
            QStringLiteral("%NODE"),
            QFileInfo(m_dir.filePath("null")).exists() ? m_dir.filePath("null") : "/dev/null");
        return arguments;
    }

    std::unique_ptr<MeterSim> m_sim;
    QTemporaryDir m_dir;
};
