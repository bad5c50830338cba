#pragma once

#include <QByteArray>
#include <QObject>

class QIODevice;

/// The operations the meter code uses on its serial line, over any QIODevice (a QSerialPort
/// in the program, a pseudo-terminal or a buffer in tests): read everything waiting, count
/// waiting bytes, discard input, write one character or byte.
class SerialLink : public QObject
{
    Q_OBJECT
public:
    explicit SerialLink(QIODevice* device, QObject* parent = nullptr);

    /// Returns and removes every byte that has arrived.
    [[nodiscard]] QByteArray readAll();
    /// Number of bytes waiting to be read.
    [[nodiscard]] qint64 inputCount() const;
    /// Throws away everything received so far, including what the driver still holds.
    void discardInput();
    /// Writes a command character or parameter byte; false when the device refused it.
    bool writeByte(quint8 byte);
    bool writeBytes(const QByteArray& bytes);

    /// Waits up to `seconds` until at least `count` bytes are waiting; window events keep
    /// running. On a serial port the driver is asked to wake the program only once that many
    /// bytes are there, so a frame costs one wake-up instead of one per byte.
    bool waitForBytes(qsizetype count, double seconds);

    /// How many received bytes make the port readable for the event loop (1-255). A reader
    /// that does not need the bytes before a certain count raises it to sleep through them;
    /// waitForBytes() leaves it at 1.
    void setWakeThreshold(qsizetype bytes);

    [[nodiscard]] QIODevice* device() const { return m_device; }

signals:
    /// New bytes have arrived.
    void readyRead();
    /// A write failed; the text says why.
    void writeFailed(const QString& reason);

private:
    QIODevice* m_device;
};
