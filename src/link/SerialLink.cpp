#include "SerialLink.h"

#include <QSerialPort>

SerialLink::SerialLink(QIODevice* device, QObject* parent) : QObject(parent), m_device(device)
{
    connect(m_device, &QIODevice::readyRead, this, &SerialLink::readyRead);
}

QByteArray SerialLink::readAll()
{
    return m_device->readAll();
}

qint64 SerialLink::inputCount() const
{
    return m_device->bytesAvailable();
}

void SerialLink::discardInput()
{
    m_device->readAll();
    if (auto* port = qobject_cast<QSerialPort*>(m_device))
        port->clear(QSerialPort::Input);
}

bool SerialLink::writeByte(quint8 byte)
{
    return writeBytes(QByteArray(1, static_cast<char>(byte)));
}

bool SerialLink::writeBytes(const QByteArray& bytes)
{
    if (m_device->write(bytes) == bytes.size())
        return true;
    emit writeFailed(m_device->errorString());
    return false;
}
