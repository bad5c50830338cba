// Resident memory of CellDesk's main window while a pseudo-terminal floods it far faster than
// any serial line could (a thread writes to the master side whenever the terminal takes more),
// and after the flood. Usage: bench_flood_memory [seconds] [garbage|frames] (default 60
// garbage: bytes free of STX and ETX; frames: display frames back to back).
#include "MainWindowOnPort.h"
#include "ProcessFigures.h"

#include <QApplication>
#include <QFile>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

QByteArray floodBlock(bool frames)
{
    QByteArray block(36 * 1024, '\0');
    for (qsizetype i = 0; i < block.size(); ++i)
        block[i] = char(0x10 + i % 200);
    if (frames) {
        for (qsizetype i = 0; i < block.size(); i += 36) {
            block[i] = 0x02;
            block[i + 35] = 0x03;
        }
    }
    return block;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? QString(argv[1]).toInt() : 60;
    const bool frames = argc > 2 && QByteArray(argv[2]) == "frames";

    int master = -1;
    int slave = -1;
    char name[128];
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
        return 1;
    termios tio{};
    ::tcgetattr(master, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(master, TCSANOW, &tio);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    MainWindowOnPort cellDesk;
    if (!cellDesk.open(QString::fromLatin1(name), "bench_flood_memory"))
        return 1;

    std::atomic<bool> flooding{true};
    std::atomic<qint64> written{0};
    const QByteArray block = floodBlock(frames);
    double rssBefore = 0;
    std::thread writer;
    QTimer::singleShot(1000, &app, [&] {
        rssBefore = statusMb("VmRSS");
        writer = std::thread([&] {
            while (flooding) {
                const ssize_t n = ::write(master, block.constData(), size_t(block.size()));
                if (n > 0) {
                    written += n;
                } else {
                    pollfd full{master, POLLOUT, 0}; // the terminal is full: nobody reads
                    ::poll(&full, 1, 20);
                }
            }
        });
    });
    QTimer::singleShot(1000 + seconds * 1000, &app, [&] {
        flooding = false;
        writer.join();
        const double rssEnd = statusMb("VmRSS");
        QTimer::singleShot(5000, &app, [&, rssEnd] {
            std::printf("flood=%s flood_seconds=%d flood_mb_per_second=%.1f rss_before_mb=%.1f "
                        "rss_at_end_of_flood_mb=%.1f rss_peak_mb=%.1f rss_5s_after_mb=%.1f\n",
                        frames ? "frames" : "garbage", seconds, written / 1e6 / seconds, rssBefore,
                        rssEnd, statusMb("VmHWM"), statusMb("VmRSS"));
            cellDesk.controller->session().shutDown();
            QApplication::exit(0);
        });
    });
    const int code = QApplication::exec();
    ::close(master);
    ::close(slave);
    return code;
}
