#include "OpenMeterPort.h"

#include <QFileInfo>
#include <QSerialPort>

#include <unistd.h>

namespace {

QString explainFailure(const QString& devicePath, const QSerialPort& port)
{
    const QFileInfo info(devicePath);
    if (devicePath.isEmpty())
        return QStringLiteral("No serial port was chosen. Choose COM1 to COM8 (the devices "
                              "/dev/ttyS0 to /dev/ttyS7), \"Auto\", or type a device path such "
                              "as /dev/ttyUSB0.");
    if (!info.exists())
        return QStringLiteral("The device %1 does not exist. Check that the meter's cable or "
                              "USB adapter is plugged in, or type its device path (for example "
                              "/dev/ttyUSB0).")
            .arg(devicePath);
    if (::access(qPrintable(devicePath), R_OK | W_OK) != 0)
        return QStringLiteral("Permission denied on %1. Add your user to the group that owns "
                              "it (usually \"dialout\": sudo adduser $USER dialout), then log "
                              "out and in again.")
            .arg(devicePath);
    // Readable and writable, yet refused: another program holds the port (or its lock).
    if (port.error() == QSerialPort::PermissionError || port.error() == QSerialPort::OpenError)
        return QStringLiteral("%1 is already in use by another program.").arg(devicePath);
    return QStringLiteral("%1 could not be opened: %2").arg(devicePath, port.errorString());
}

} // namespace

PortOpenResult OpenMeterPort(QSerialPort& port, const QString& devicePath)
{
    if (port.isOpen())
        return {true, {}};
    port.setPortName(devicePath);
    if (!devicePath.isEmpty()) {
        if (port.open(QIODevice::ReadWrite)) {
            const bool configured =
                port.setBaudRate(QSerialPort::Baud19200) && port.setParity(QSerialPort::NoParity) &&
                port.setDataBits(QSerialPort::Data8) && port.setStopBits(QSerialPort::OneStop) &&
                port.setFlowControl(QSerialPort::NoFlowControl);
            if (configured)
                return {true, {}};
            const QString reason = QStringLiteral("%1 does not accept the line settings "
                                                  "19200,n,8,1: %2")
                                       .arg(devicePath, port.errorString());
            port.close();
            return {false, reason};
        }
    }
    return {false, explainFailure(devicePath, port)};
}
