#include "PortName.h"

PortChoice choosePort(const QString& text, int previousPortNumber)
{
    PortChoice choice;
    choice.PortNumber = previousPortNumber;
    if (text == QLatin1String("Auto"))
        choice.PortNumber = 1;
    for (int n = 1; n <= 8; ++n) {
        if (text == QStringLiteral("COM%1").arg(n))
            choice.PortNumber = n;
    }
    if (text.startsWith(QLatin1Char('/'))) {
        choice.PortNumber = 0;
        choice.devicePath = text;
    } else {
        choice.devicePath = comDevicePath(choice.PortNumber);
    }
    return choice;
}

QString comDevicePath(int portNumber)
{
    if (portNumber < 1 || portNumber > 8)
        return {};
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
}

QString linkUpCaption(const PortChoice& port)
{
    if (port.PortNumber == 0 && !port.devicePath.isEmpty()) {
        QString name = port.devicePath;
        if (name.startsWith(QLatin1String("/dev/")))
            name = name.mid(5);
        return name;
    }
    return QStringLiteral("COM%1").arg(port.PortNumber);
}
