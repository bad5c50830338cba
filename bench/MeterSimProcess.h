#pragma once

// The meter emulator in a process of its own, as the end-to-end benchmarks run it, so that
// only the program's own work is counted.

#include <QProcess>
#include <QString>
#include <QStringList>

#include <cstdio>

/// Starts the emulator (CELLDESK_METER_SIM) in `meter` with `arguments` and returns the
/// device it plays the meter on, the last word of its first line; empty, told on stderr as
/// `bench`'s, when it did not start within 5 s.
inline QString startMeterSim(QProcess& meter, const QStringList& arguments, const char* bench)
{
    meter.start(QStringLiteral(CELLDESK_METER_SIM), arguments);
    if (!meter.waitForReadyRead(5000)) {
        std::fprintf(stderr, "%s: the meter emulator did not start\n", bench);
        return {};
    }
    return QString::fromLocal8Bit(meter.readLine()).trimmed().section(QLatin1Char(' '), -1);
}
