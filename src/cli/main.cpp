// celldesk-cli: the meter without a window. The first argument names a subcommand; each
// subcommand parses the rest itself.
#include "CliCommon.h"
#include "Subcommands.h"

#include <QCoreApplication>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

QString overview()
{
    QString text = QStringLiteral(
        "Usage: celldesk-cli <command> [options]\n"
        "\n"
        "The battery test meter on a serial line (19200,n,8,1) without a window: for a\n"
        "terminal, ssh, scripts and services. celldesk-cli <command> --help tells more.\n"
        "\n"
        "Commands:\n");
    for (const Subcommand& command : subcommands())
        text += QStringLiteral("  %1%2\n")
                    .arg(QLatin1String(command.name), -12)
                    .arg(QLatin1String(command.summary));
    text += QStringLiteral("\n"
                           "Options:\n"
                           "  -h, --help     Show this help and end.\n"
                           "  -v, --version  Show the version and end.\n"
                           "\n"
                           "Every command takes --help; every command that talks to the meter\n"
                           "takes --port PATH.\n"
                           "\n") +
            portHelp() + u'\n' + exitStatusHelp();
    return text;
}

// A standard descriptor that was closed would be taken by the next file opened, the meter's
// port among them, and lines meant for stdout would go to the meter. Each closed one is held
// by /dev/null opened for reading: writes to it fail as they would on a closed one.
void holdClosedStandardDescriptors()
{
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF)
            continue;
        const int held = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (held >= 0 && held != fd) {
            ::dup2(held, fd);
            ::close(held);
        }
    }
}

} // namespace

int main(int argc, char* argv[])
{
    holdClosedStandardDescriptors();
    // A reader that went away is a write that fails, told and ended with status 4 like a full
    // disk, instead of a silent death by SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("CellDesk"));
    QCoreApplication::setApplicationName(QStringLiteral("celldesk-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CELLDESK_VERSION));

    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const QString first = arguments.value(0);
    if (first == u"-h" || first == u"--help" || first == u"help") {
        std::fputs(qUtf8Printable(overview()), stdout);
        return Exit::Done;
    }
    if (first == u"-v" || first == u"--version") {
        std::printf("celldesk-cli %s\n", CELLDESK_VERSION);
        return Exit::Done;
    }
    if (first.isEmpty())
        return fail(Exit::Usage, QStringLiteral("a command is missing (see celldesk-cli --help)"));
    for (const Subcommand& command : subcommands()) {
        if (first == QLatin1String(command.name))
            return command.run(arguments.mid(1));
    }
    return fail(Exit::Usage,
                QStringLiteral("unknown command '%1' (see celldesk-cli --help)").arg(first));
}
