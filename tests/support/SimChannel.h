#pragma once

#include "CommandChannel.h"
#include "MeterLink.h"
#include "PollTimers.h"
#include "SerialLink.h"
#include "SimPort.h"

#include <QString>

// The program's command channel on the emulator's pty, as the protocol tests drive it.
struct SimChannel
{
    SimPort meter;
    SerialLink serial{&meter.port};
    MeterLink link{serial, choosePort(QStringLiteral("COM1"))};
    PollTimers timers;
    MeterStatus status;
    QString linkTag;
    CommandChannel channel{serial, link, timers, status, linkTag};
};
