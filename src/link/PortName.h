#pragma once

#include <QString>

/// The port the user chose: a COM number 1-8 or a device path typed in the port dialog.
struct PortChoice
{
    int PortNumber = 0; ///< 1-8 for "COM1".."COM8" and "Auto"; 0 for none or a typed path
    QString devicePath; ///< the device to open; empty when the choice names no device
};

/// Maps the port dialog's text to a port: "Auto" and "COM1".."COM8" (exact, case-sensitive)
/// to COM1-COM8, which are /dev/ttyS0../dev/ttyS7; a text starting with "/" is a device path
/// opened as it stands (/dev/ttyUSB0, /dev/pts/3). Any other text chooses nothing.
[[nodiscard]] PortChoice choosePort(const QString& text, int previousPortNumber = 0);

/// The device of COM port `portNumber` (1-8), or empty.
[[nodiscard]] QString comDevicePath(int portNumber);

/// What the link label shows while the link is up: "COM" and the number, or for a typed
/// path the device's name without "/dev/".
[[nodiscard]] QString linkUpCaption(const PortChoice& port);
