#pragma once

#include <QList>
#include <QString>
#include <QStringList>

/// One serial device the system has now, as the port dialog lists it.
struct SerialDevice
{
    QString path;            ///< the device node, e.g. /dev/ttyUSB0
    QString description;     ///< what the device says it is, e.g. "FT232R USB UART"
    QString manufacturer;    ///< its maker, e.g. "FTDI"
    QStringList stableNames; ///< links under /dev/serial/by-id that lead to it
};

/// One entry of the port dialog's list: the text chosen and what its tooltip says.
struct PortEntry
{
    QString text;
    QString toolTip;
};

/// The serial devices the system reports now (QSerialPortInfo), each with the stable names
/// in `byIdFolder` that lead to it.
[[nodiscard]] QList<SerialDevice>
systemSerialDevices(const QString& byIdFolder = QStringLiteral("/dev/serial/by-id"));

/// Gives each device the names in `byIdFolder` whose link leads to its node.
void addStableNames(QList<SerialDevice>& devices, const QString& byIdFolder);

/// The port dialog's list: "COM1".."COM8" first, then every other device in natural order
/// (ttyUSB2 before ttyUSB10), each followed by its stable names. A device that is COM1-COM8
/// under another name lends its description to that COM entry instead of being listed twice.
[[nodiscard]] QList<PortEntry> portEntries(const QList<SerialDevice>& devices);
