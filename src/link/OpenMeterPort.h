#pragma once

#include <QString>

class QSerialPort;

/// Why a port could not be opened, in words a user can act on; empty on success.
struct PortOpenResult
{
    bool ok = false;
    QString reason;
};

/// Opens `devicePath` at "19200,n,8,1" (19200 baud, no parity, 8 data bits, 1 stop bit, no
/// flow control) on `port`.
PortOpenResult OpenMeterPort(QSerialPort& port, const QString& devicePath);
