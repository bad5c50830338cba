#pragma once

#include "MeterSim.h"
#include "OpenMeterPort.h"

#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

/// The meter emulator on a pseudo-terminal and the program's serial port opened on it.
struct SimPort
{
    MeterSim sim;
    QSerialPort port;

    /// Opens both sides; frames off unless `streaming`.
    bool open(bool streaming = false)
    {
        if (!sim.open())
            return false;
        sim.setStreaming(streaming);
        return OpenMeterPort(port, sim.devicePath()).ok;
    }
    /// Like open(), but the port is opened on a symbolic link to the emulator's device, the
    /// way a USB adapter is reached by a stable name: unplugged and plugged in again, the
    /// meter comes back behind the same path.
    bool openBehindLink(bool streaming = false)
    {
        if (!linkDir.isValid() || !sim.open() || !sim.makeLink(linkPath()))
            return false;
        sim.setStreaming(streaming);
        return OpenMeterPort(port, linkPath()).ok;
    }
    [[nodiscard]] QString linkPath() const { return linkDir.filePath(QStringLiteral("meter")); }

    QTemporaryDir linkDir;
};

/// The commands the meter received with each run of status requests counted once: a display
/// frame in flight when "A" goes out makes the first answer unreadable, and the status
/// exchange rightly asks again.
inline QByteArray withoutStatusRetries(const QByteArray& commands)
{
    QByteArray out;
    for (char c : commands) {
        if (c != 'A' || !out.endsWith('A'))
            out += c;
    }
    return out;
}
