#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QSerialPort>
#include <QTimer>

class QIODevice;
class QSocketNotifier;

/// The operations the meter code uses on its serial line, over any QIODevice (a QSerialPort
/// in the program, a pseudo-terminal or a buffer in tests): read everything waiting, count
/// waiting bytes, discard input, write one character or byte.
///
/// On a serial port it also notices when the line is gone (a USB adapter pulled out: a hang-up,
/// a failed read or write), closes the port at once and refuses every write until reopen()
/// brings it back, and it bounds what the port holds between reads.
class SerialLink : public QObject
{
    Q_OBJECT
public:
    /// Most bytes the port takes in while nobody reads (over a hundred display frames, two
    /// seconds of the line). Every reader empties the input first, so nothing it needs is
    /// dropped; a wait for more bytes than this raises the bound while it lasts.
    static constexpr qint64 ReadBound = 4096;
    /// How often an open port is checked for a hang-up that no read has reported yet.
    static constexpr int LineCheckMs = 500;

    explicit SerialLink(QIODevice* device, QObject* parent = nullptr);

    /// Returns and removes every byte that has arrived.
    [[nodiscard]] QByteArray readAll();
    /// How many times the input was read (discarding reads it too). A reader that waits and
    /// finds this moved on knows that another step took bytes off the line meanwhile.
    [[nodiscard]] quint64 readCount() const { return m_reads; }
    /// Number of bytes waiting to be read.
    [[nodiscard]] qint64 inputCount() const;
    /// Throws away everything received so far, including what the driver still holds.
    void discardInput();
    /// Writes a command character or parameter byte; false when the device refused it or
    /// the port is gone (then nothing is written).
    bool writeByte(quint8 byte);
    bool writeBytes(const QByteArray& bytes);

    /// Waits up to `seconds` until at least `count` bytes are waiting; window events keep
    /// running. On a serial port the driver is asked to wake the program only once that many
    /// bytes are there, so a frame costs one wake-up instead of one per byte.
    /// When the port goes during the wait, the wait ends at once (false); a wait that starts
    /// while it is gone lasts its time, as for a silent meter.
    bool waitForBytes(qsizetype count, double seconds);

    /// How many received bytes make the port readable for the event loop (1-255). A reader
    /// that does not need the bytes before a certain count raises it to sleep through them;
    /// every wait sets its own. The driver is only told when the count changes: mirroring
    /// back-to-back frames asks for the same count frame after frame.
    void setWakeThreshold(qsizetype bytes);

    /// Stops taking in bytes until the next readAll(), discardInput() or waitForBytes(): what
    /// the meter sends meanwhile stays with the driver, and the program is not woken for it
    /// (the kernel wakes a thread that polls a port for every chunk the line delivers, whatever
    /// the wake threshold). A hang-up is still found by the line check.
    void restUntilNextRead();

    /// True from the moment the port failed until reopen() succeeds; the port is closed.
    [[nodiscard]] bool isGone() const { return m_gone; }
    /// Opens the gone port again on `devicePath` at the meter's line settings; true when it
    /// is back. Does nothing (and returns true) while the port is not gone.
    bool reopen(const QString& devicePath);

    [[nodiscard]] QIODevice* device() const { return m_device; }

signals:
    /// New bytes have arrived.
    void readyRead();
    /// A write failed; the text says why.
    void writeFailed(const QString& reason);
    /// The port failed and has been closed; `reason` is the system's word for it.
    void gone(const QString& reason);
    /// The gone port is open again.
    void back();

private:
    void portError(QSerialPort::SerialPortError error);
    void checkLine();
    void markGone(const QString& reason);
    void closeGonePort();
    void resumeReads();
    [[nodiscard]] qint64 driverCount() const;
    [[nodiscard]] double lineSeconds(qint64 bytes) const;

    QIODevice* m_device;
    QSerialPort* m_port = nullptr; // m_device, when it is a serial port
    QTimer m_lineCheck;
    bool m_gone = false;
    int m_wakeThreshold = 0; // what the driver was last told; 0 when unknown (port opened anew)
    bool m_closePending = false;
    QPointer<QSocketNotifier> m_restingNotifier; // the port's read notifier while it rests
    QString m_goneReason;
    quint64 m_reads = 0;
};
