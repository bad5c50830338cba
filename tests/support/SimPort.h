#pragma once

#include "MeterSim.h"
#include "OpenMeterPort.h"

#include <QSerialPort>
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
};
