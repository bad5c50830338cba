#pragma once

#include "SimReading.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QQueue>
#include <QRandomGenerator>
#include <QString>
#include <QTimer>

#include <algorithm>

class QSocketNotifier;

/// Emulates the battery test meter on the master side of a pseudo-terminal.
// The program under test opens devicePath() with an ordinary serial port. Everything runs on the
// event loop of the owning thread, so the emulator keeps working inside nested event loops.
// Like the meter, it sends no display frame from a received byte until its answer is out and
// 150 ms more have passed, so a command's answer follows the status answer directly.
class MeterSim : public QObject
{
    Q_OBJECT
public:
    /// Ways the meter can misbehave, to exercise the program's error handling.
    enum class Fault
    {
        None,
        Silent,      // sends nothing at all (commands are still taken)
        WrongEtx,    // encoded display frames end with 0x04 instead of ETX
        ShortAnswer, // answers stop after size / 2 + 1 bytes (the status answer after 5)
        Garbage      // frames and answers are replaced by random bytes free of STX and ETX
    };

    /// Creates a meter with demo memory, comparator table and the PC's time; call open() next.
    explicit MeterSim(QObject* parent = nullptr);
    ~MeterSim() override;

    /// Opens the pseudo-terminal and starts streaming; true on success or when already open.
    bool open();
    /// True once open() has succeeded.
    [[nodiscard]] bool isOpen() const { return m_master >= 0; }
    /// The device the program under test opens, e.g. /dev/pts/5.
    [[nodiscard]] QString devicePath() const { return m_devicePath; }
    /// Points a symbolic link at devicePath(), replacing an old link but no other file.
    bool makeLink(const QString& path);
    /// Pulls the cable: the pseudo-terminal closes, so the program's port hangs up, and the
    /// device and the link to it disappear. What the meter shows and stores stays.
    void unplug();
    /// Plugs the cable in again: a new pseudo-terminal, behind the same link if there was one.
    bool replug();

    /// Sets what the display shows; used from the next frame on.
    void setReading(const SimReading& reading);
    /// What the display shows.
    [[nodiscard]] SimReading reading() const { return m_reading; }
    /// Streams exactly these bytes as the frame instead of the encoded reading; empty = encoded.
    void setRawFrame(const QByteArray& frame);
    /// Time from the start of one frame to the next; 0 = back to back (a frame's time on the line).
    void setFramePeriodMs(int ms);
    /// Switches the display frames on or off; answers to commands go out either way.
    void setStreaming(bool on);
    /// Sends bytes at the pace of 19200 baud (about 0.52 ms each) instead of all at once.
    void setPaced(bool on);
    /// Makes the meter misbehave from now on.
    void setFault(Fault fault);
    /// What the meter does after it broke off an answer.
    enum class AfterCut
    {
        Hang,  // it has hung: no display frame follows for 3 s
        Frames // it goes back to its display at once, as if the answer were done
    };
    /// Cuts the answer to `command` after `bytes` bytes from now on: 0 leaves it unanswered
    /// (the display frames go on), a negative count sends it whole again. The command itself
    /// is still carried out.
    void cutAnswer(char command, int bytes, AfterCut after = AfterCut::Hang);
    /// Appends `extra` to every answer to `command` from now on (empty: nothing more).
    void extendAnswer(char command, const QByteArray& extra);
    /// Leaves every command of `commands` unanswered from now on; the display frames go on.
    void muteAnswers(const QByteArray& commands);
    /// Every command gets its whole answer again.
    void clearAnswerShapes();
    /// The answer to `command` starts `ms` after the command from now on (0: at once), as a
    /// slow meter or a USB adapter makes it; the display stays quiet meanwhile.
    void delayAnswer(char command, int ms);
    /// The bytes that open and close the answers to "I" and "T" (STX and ETX unless set).
    void setFramingBytes(char first, char last)
    {
        m_framingFirst = first;
        m_framingLast = last;
    }

    /// Memory size code reported by the status answer (1 = 64 K).
    void setSizeCode(quint8 code);
    /// Replaces the manual records; each is cut or zero-padded to 33 bytes.
    void setManualRecords(const QList<QByteArray>& records33);
    /// Replaces the automatic memory with these bytes, well-formed or not.
    void setAutoMemory(const QByteArray& bytes);
    /// Next free address of the automatic memory: 32967 + its length.
    [[nodiscard]] quint32 memPointer() const;
    /// Number of manual records.
    [[nodiscard]] quint16 manualCount() const { return quint16(m_manualRecords.size()); }
    /// Sets the meter's own sampling interval in seconds.
    void setSamplingSeconds(quint8 seconds) { m_samplingSeconds = seconds; }
    /// The meter's own sampling interval in seconds.
    [[nodiscard]] quint8 samplingSeconds() const { return m_samplingSeconds; }
    /// Sets the meter clock (binary values); invalid values are ignored. The clock runs on.
    void setClock(quint8 day, quint8 hour, quint8 minute, quint8 second);
    /// The meter clock now; only its day of month and time of day are meaningful.
    [[nodiscard]] QDateTime clock() const;
    /// The 10 bytes of comparator set 1..99 (empty for other numbers).
    [[nodiscard]] QByteArray comparatorEntry(int set) const;
    /// Replaces comparator set 1..99 with 10 bytes; other numbers or sizes are ignored.
    void setComparatorEntry(int set, const QByteArray& entry);

    /// The next status requests get these answers, one each and as they stand, before the
    /// meter answers on its own again (for wrong markers, short or long answers).
    void queueStatusAnswers(const QList<QByteArray>& answers)
    {
        for (const QByteArray& a : answers)
            m_scriptedStatusAnswers.enqueue(a);
    }

    /// Every byte received, in order.
    [[nodiscard]] QByteArray received() const { return m_received; }
    /// Forgets the received bytes and commands.
    void clearReceived();
    /// The command characters received (parameter bytes and unknown bytes left out).
    [[nodiscard]] QByteArray commands() const { return m_commands; }

signals:
    /// A command, with its parameter bytes if it takes any, has been received and carried out.
    void commandReceived(char command);
    /// Bytes have arrived from the program (before they are acted on).
    void bytesReceived(const QByteArray& bytes);

private:
    void removeLink();
    void readInput();
    void handleByte(quint8 byte);
    void execute(char command, const QByteArray& params);
    void sendAnswer(char command, QByteArray answer);
    void queueAnswer(QByteArray answer, bool brokenOff);
    [[nodiscard]] QByteArray frameBytes();
    [[nodiscard]] QByteArray garbage(qsizetype size);

    void frameDue();
    void scheduleNextFrame();
    bool takeNextMessage();
    void beginMessage(QByteArray bytes, bool isFrame);
    /// True while the display must stay quiet after a command; the frame then comes later.
    bool holdFrame();
    void pump();
    void waitWritable();
    void writable();
    [[nodiscard]] qint64 nowNs() const { return m_uptime.nsecsElapsed(); }
    [[nodiscard]] bool lineBusy() const;

    // The pseudo-terminal. The slave stays open so the line keeps its settings and no byte is
    // lost while the program under test has the port closed.
    int m_master = -1;
    int m_slave = -1;
    QString m_devicePath;
    QString m_linkPath;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;

    // What the meter shows and stores.
    SimReading m_reading;
    QByteArray m_rawFrame;
    quint8 m_sizeCode = 1;
    QByteArray m_autoMemory;
    QList<QByteArray> m_manualRecords;
    QByteArray m_comparatorTable;
    quint8 m_samplingSeconds = 2;
    QDateTime m_clockBase;
    QElapsedTimer m_clockRunning;

    // Receiving: a command that takes parameters collects them here.
    QByteArray m_received;
    QByteArray m_commands;
    char m_pendingCommand = 0;
    QByteArray m_params;
    QTimer m_paramTimeout;

    // Sending: one message (frame or answer) is on the line at a time.
    Fault m_fault = Fault::None;
    struct AnswerShape
    {
        int cutAfter = -1;
        AfterCut afterCut = AfterCut::Hang;
        QByteArray extra;
        int delayMs = 0;
    };
    QHash<char, AnswerShape> m_answerShapes;
    int m_delayedAnswers = 0;     // answers waiting for their delay to pass
    quint64 m_plugGeneration = 0; // a delayed answer is lost when the cable is pulled
    char m_framingFirst = 0x02;
    char m_framingLast = 0x03;
    bool m_streaming = true;
    bool m_paced = false;
    int m_periodMs = 250;
    QElapsedTimer m_uptime;
    QTimer m_frameTimer;
    QTimer m_paceTimer;
    QQueue<QByteArray> m_answers;
    QQueue<bool> m_answerStalls; // per queued answer: it breaks off and the meter hangs
    QQueue<QByteArray> m_scriptedStatusAnswers;
    bool m_framePending = false;
    qint64 m_lastFrameStartNs = 0;
    qint64 m_frameDueNs = 0;
    QByteArray m_tx;
    bool m_txIsFrame = false;
    bool m_txStalls = false;
    qint64 m_quietUntilNs = 0;
    qsizetype m_txPos = 0;
    qint64 m_txStartNs = 0;
    qint64 m_lineFreeNs = 0;
    bool m_blocked = false;
    QRandomGenerator m_random{20260412u};
};
