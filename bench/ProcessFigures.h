#pragma once

// Figures of a process that the benchmarks print: CPU time used, resident memory, and the
// machine's load beside them; of this process, or of a child that a benchmark started.

#include <QFile>
#include <QList>
#include <QString>

#include <sys/resource.h>
#include <unistd.h>

/// User plus system CPU seconds this process has used so far.
inline double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

/// User plus system CPU seconds of the child processes that have ended and been waited for.
inline double childrenCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

/// User plus system CPU seconds the running process `pid` has used so far (0 when it cannot
/// be read).
inline double cpuSecondsOf(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    // utime and stime are fields 14 and 15 of the whole line, 12 and 13 after the name.
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) /
           double(sysconf(_SC_CLK_TCK));
}

/// A field of the status of process `pid` (0: this process) in MB, e.g. "VmRSS" or "VmHWM"
/// (the peak); -1 when it cannot be read.
inline double statusMb(const char* field, qint64 pid = 0)
{
    QFile status(pid > 0 ? QStringLiteral("/proc/%1/status").arg(pid)
                         : QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field) && line.indexOf(':') == qsizetype(qstrlen(field)))
            return line.mid(line.indexOf(':') + 1).trimmed().split(' ').first().toDouble() / 1024;
    }
    return -1;
}

/// Resident memory of this process in MB (0 when it cannot be read).
inline double residentMb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

/// Resident memory of the running process `pid` in MB (-1 when it cannot be read).
inline double residentMbOf(qint64 pid)
{
    return statusMb("VmRSS", pid);
}

/// The machine's load average over 1, 5 and 15 minutes: other work that sways the figures.
inline QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).section(u' ', 0, 2)
                                          : QStringLiteral("?");
}
