#pragma once

// A real Mosquitto broker for a test: on a free port of 127.0.0.1, with a configuration of
// its own in a temporary folder, stopped with the test. Started as root it would drop to the
// user "mosquitto", which cannot read the folder; it is told to stay the user it is.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

class Broker
{
public:
    static constexpr const char* Program = "/usr/sbin/mosquitto";

    struct Options
    {
        bool persistence = false; ///< keeps sessions and queued messages across a restart
        QString user;             ///< with a password: no anonymous clients
        QString password;
    };

    Broker() = default;
    explicit Broker(Options options) : m_options(std::move(options)) {}
    ~Broker() { stop(); }
    Broker(const Broker&) = delete;
    Broker& operator=(const Broker&) = delete;

    /// Starts the broker and waits until it accepts connections. False, with the reason in
    /// error(), when it cannot: a missing mosquitto fails the test, it never skips it.
    bool start()
    {
        if (!QFileInfo::exists(QLatin1String(Program))) {
            m_error = QStringLiteral("%1 is missing: sh scripts/install-deps.sh installs it")
                          .arg(QLatin1String(Program));
            return false;
        }
        if (m_port == 0 && !(m_port = freePort())) {
            m_error = QStringLiteral("no free port on 127.0.0.1");
            return false;
        }
        if (!writeConfig())
            return false;
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(QLatin1String(Program),
                        {QStringLiteral("-c"), m_folder.filePath(QStringLiteral("broker.conf"))});
        if (!m_process.waitForStarted()) {
            m_error = m_process.errorString();
            return false;
        }
        for (int i = 0; i < 100; ++i) {
            if (accepts())
                return true;
            if (m_process.state() == QProcess::NotRunning)
                break;
            QTest::qWait(50);
        }
        m_error = QStringLiteral("mosquitto did not listen on %1: %2")
                      .arg(m_port)
                      .arg(QString::fromLocal8Bit(m_process.readAll()));
        return false;
    }

    /// Stops it as a service manager does (SIGTERM); a persistent one saves its sessions.
    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    [[nodiscard]] int port() const { return m_port; }
    [[nodiscard]] QString url() const { return QStringLiteral("mqtt://127.0.0.1:%1").arg(m_port); }
    [[nodiscard]] const QString& error() const { return m_error; }
    [[nodiscard]] QString folder() const { return m_folder.path(); }

private:
    static int freePort()
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        int port = 0;
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            port = ntohs(address.sin_port);
        ::close(fd);
        return port;
    }

    bool accepts() const
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(quint16(m_port));
        const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::close(fd);
        return ok;
    }

    bool writeConfig()
    {
        const passwd* me = ::getpwuid(::geteuid());
        QByteArray config = "listener " + QByteArray::number(m_port) + " 127.0.0.1\n" + "user " +
                            QByteArray(me ? me->pw_name : "root") + "\n" + "log_dest stderr\n";
        if (m_options.persistence) {
            config += "persistence true\npersistence_location " +
                      QDir(m_folder.path()).absolutePath().toLocal8Bit() +
                      "/\nmax_queued_messages 0\n";
        }
        if (m_options.user.isEmpty()) {
            config += "allow_anonymous true\n";
        } else {
            const QString passwords = m_folder.filePath(QStringLiteral("passwords"));
            QProcess tool;
            tool.start(QStringLiteral("mosquitto_passwd"),
                       {QStringLiteral("-c"), QStringLiteral("-b"), passwords, m_options.user,
                        m_options.password});
            if (!tool.waitForFinished() || tool.exitCode() != 0) {
                m_error = QStringLiteral("mosquitto_passwd failed: ") + tool.errorString();
                return false;
            }
            config += "allow_anonymous false\npassword_file " + passwords.toLocal8Bit() + "\n";
        }
        QFile file(m_folder.filePath(QStringLiteral("broker.conf")));
        if (!file.open(QIODevice::WriteOnly) || file.write(config) != config.size()) {
            m_error = QStringLiteral("cannot write the broker's configuration");
            return false;
        }
        return true;
    }

    Options m_options;
    QTemporaryDir m_folder;
    QProcess m_process;
    int m_port = 0;
    QString m_error;
};
