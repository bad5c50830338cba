#include "PortDiscovery.h"

#include "PortName.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>

namespace {

// The tooltip of `name`, the device's node or one of its stable names: the name, the node it
// leads to, what the device says it is and its maker.
QString describe(const SerialDevice& device, const QString& name)
{
    QStringList lines{name};
    if (name != device.path)
        lines << device.path;
    if (!device.description.isEmpty())
        lines << device.description;
    if (!device.manufacturer.isEmpty())
        lines << device.manufacturer;
    return lines.join(QLatin1Char('\n'));
}

// The COM number (1-8) whose device is `path`, or 0.
int comNumberOf(const QString& path)
{
    for (int n = 1; n <= 8; ++n) {
        if (comDevicePath(n) == path)
            return n;
    }
    return 0;
}

// Orders device names as a person would: runs of digits by their value, so ttyUSB2 comes
// before ttyUSB10.
bool naturallyBefore(const QString& a, const QString& b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype endA = i;
            qsizetype endB = j;
            while (endA < a.size() && a[endA].isDigit())
                ++endA;
            while (endB < b.size() && b[endB].isDigit())
                ++endB;
            const qulonglong numberA = a.mid(i, endA - i).toULongLong();
            const qulonglong numberB = b.mid(j, endB - j).toULongLong();
            if (numberA != numberB)
                return numberA < numberB;
            i = endA;
            j = endB;
        } else {
            if (a[i] != b[j])
                return a[i] < b[j];
            ++i;
            ++j;
        }
    }
    return a.size() - i < b.size() - j;
}

} // namespace

QList<SerialDevice> systemSerialDevices(const QString& byIdFolder)
{
    QList<SerialDevice> devices;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& port : ports)
        devices.append({port.systemLocation(), port.description(), port.manufacturer(), {}});
    addStableNames(devices, byIdFolder);
    return devices;
}

void addStableNames(QList<SerialDevice>& devices, const QString& byIdFolder)
{
    const QDir folder(byIdFolder);
    const QFileInfoList links = folder.entryInfoList(QDir::System | QDir::Files, QDir::Name);
    for (const QFileInfo& link : links) {
        if (!link.isSymLink())
            continue;
        const QString target = link.canonicalFilePath();
        for (SerialDevice& device : devices) {
            if (!target.isEmpty() && QFileInfo(device.path).canonicalFilePath() == target)
                device.stableNames << link.absoluteFilePath();
        }
    }
}

QList<PortEntry> portEntries(const QList<SerialDevice>& devices)
{
    QList<PortEntry> entries;
    for (int n = 1; n <= 8; ++n)
        entries.append({QStringLiteral("COM%1").arg(n), comDevicePath(n)});

    QList<SerialDevice> others;
    for (const SerialDevice& device : devices) {
        if (const int n = comNumberOf(device.path))
            entries[n - 1].toolTip = describe(device, device.path);
        else if (!device.path.isEmpty() &&
                 std::none_of(others.cbegin(), others.cend(),
                              [&](const SerialDevice& o) { return o.path == device.path; }))
            others.append(device);
    }
    std::stable_sort(others.begin(), others.end(),
                     [](const SerialDevice& a, const SerialDevice& b) {
                         return naturallyBefore(a.path, b.path);
                     });
    for (const SerialDevice& device : others) {
        entries.append({device.path, describe(device, device.path)});
        QStringList names = device.stableNames;
        names.sort();
        for (const QString& name : names)
            entries.append({name, describe(device, name)});
    }
    return entries;
}
