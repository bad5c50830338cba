#include "MeterSim.h"

#include "SimMemory.h"

#include <QFile>
#include <QSocketNotifier>
#include <QTimeZone>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr char kStx = 0x02;
constexpr char kEtx = 0x03;
constexpr char kWrongEtx = 0x04;
constexpr quint32 kAutoMemoryStart = 32967;
constexpr int kManualRecordSize = 33;
constexpr int kComparatorSets = 99;
constexpr int kComparatorSetSize = 10;
constexpr int kDisplayFrameSize = 36;
// One byte on a 19200 baud line with a start and a stop bit.
constexpr qint64 kByteNs = 10 * 1'000'000'000LL / 19200;
// A paced message may start this much in the past, so timer granularity leaves no gaps between
// back-to-back messages; more would turn a late timer into a burst.
constexpr qint64 kCatchUpNs = 1'000'000;
// After a received byte, and after an answer has left, the display stays quiet this long, so
// a frame never lands between a status answer and the answer of the command that follows it.
constexpr qint64 kQuietNs = 150'000'000;
// A meter that breaks off in the middle of an answer has hung: its display stays dark this
// long after the last byte (longer than the program waits for a stream to go on).
constexpr qint64 kStallNs = 3'000'000'000;
// A command whose parameter bytes stop coming is dropped, so the meter listens for commands again.
constexpr int kParamTimeoutMs = 1000;

int parameterCount(char command)
{
    switch (command) {
    case 'S':
        return 1;
    case 'Q':
        return 5;
    case 'R':
        return 11;
    default:
        return 0;
    }
}

bool isCommand(char c)
{
    static const QByteArray known("AaEKLDJC\\BHO[GNFXITYZWRVSUQ");
    return c != '\0' && known.contains(c);
}

int msUntil(qint64 deltaNs)
{
    return deltaNs <= 0 ? 0 : int((deltaNs + 999'999) / 1'000'000);
}

bool makeRaw(int fd)
{
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return false;
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B19200);
    ::cfsetospeed(&tio, B19200);
    return ::tcsetattr(fd, TCSANOW, &tio) == 0;
}

QDateTime utcClock(QDate date, QTime time)
{
    // Held in UTC so the meter clock never jumps at a daylight-saving change.
    return QDateTime(date, time, QTimeZone::utc());
}

} // namespace

MeterSim::MeterSim(QObject* parent)
    : QObject(parent), m_autoMemory(demoAutoMemory()), m_manualRecords(demoManualRecords()),
      m_comparatorTable(demoComparatorTable())
{
    const QDateTime now = QDateTime::currentDateTime();
    m_clockBase = utcClock(now.date(), now.time());
    m_clockRunning.start();
    m_uptime.start();

    m_paramTimeout.setSingleShot(true);
    m_paramTimeout.setInterval(kParamTimeoutMs);
    connect(&m_paramTimeout, &QTimer::timeout, this, [this] {
        m_pendingCommand = 0;
        m_params.clear();
    });
    m_frameTimer.setSingleShot(true);
    m_frameTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_frameTimer, &QTimer::timeout, this, &MeterSim::frameDue);
    m_paceTimer.setSingleShot(true);
    m_paceTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_paceTimer, &QTimer::timeout, this, &MeterSim::pump);
}

MeterSim::~MeterSim()
{
    delete m_readNotifier;
    delete m_writeNotifier;
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
    removeLink();
}

// Removes our link, but not one that someone has pointed elsewhere meanwhile.
void MeterSim::removeLink()
{
    if (m_linkPath.isEmpty())
        return;
    char target[PATH_MAX];
    const QByteArray link = QFile::encodeName(m_linkPath);
    const ssize_t n = ::readlink(link.constData(), target, sizeof target);
    if (n > 0 && QFile::decodeName(QByteArray(target, int(n))) == m_devicePath)
        ::unlink(link.constData());
}

void MeterSim::unplug()
{
    if (m_master < 0)
        return;
    delete m_readNotifier;
    m_readNotifier = nullptr;
    delete m_writeNotifier;
    m_writeNotifier = nullptr;
    m_frameTimer.stop();
    m_paceTimer.stop();
    m_paramTimeout.stop();
    // Both sides close, as when the device vanishes: the program's open port hangs up.
    ::close(m_master);
    ::close(m_slave);
    m_master = -1;
    m_slave = -1;
    removeLink(); // as udev removes a by-id link; the path is kept for replug()
    // What was on the line or half received is lost with the cable.
    m_tx.clear();
    m_txPos = 0;
    m_answers.clear();
    m_answerStalls.clear();
    m_delayedAnswers = 0;
    ++m_plugGeneration;
    m_framePending = false;
    m_blocked = false;
    m_pendingCommand = 0;
    m_params.clear();
}

bool MeterSim::replug()
{
    if (!open())
        return false;
    return m_linkPath.isEmpty() || makeLink(m_linkPath);
}

bool MeterSim::open()
{
    if (m_master >= 0)
        return true;
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        return false;
    char name[PATH_MAX];
    const bool ok = ::ptsname_r(master, name, sizeof name) == 0 && makeRaw(master) &&
                    makeRaw(slave) &&
                    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK) == 0;
    if (!ok) {
        ::close(master);
        ::close(slave);
        return false;
    }
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave, F_SETFD, FD_CLOEXEC);
    m_master = master;
    m_slave = slave;
    m_devicePath = QFile::decodeName(name);

    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &MeterSim::readInput);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &MeterSim::writable);

    if (m_streaming)
        m_frameTimer.start(0);
    return true;
}

bool MeterSim::makeLink(const QString& path)
{
    if (m_devicePath.isEmpty())
        return false;
    const QByteArray link = QFile::encodeName(path);
    struct stat st
    {
    };
    if (::lstat(link.constData(), &st) == 0) {
        if (!S_ISLNK(st.st_mode) || ::unlink(link.constData()) != 0)
            return false;
    }
    if (::symlink(QFile::encodeName(m_devicePath).constData(), link.constData()) != 0)
        return false;
    m_linkPath = path;
    return true;
}

void MeterSim::setReading(const SimReading& reading)
{
    m_reading = reading;
}

void MeterSim::setRawFrame(const QByteArray& frame)
{
    m_rawFrame = frame;
}

void MeterSim::setFramePeriodMs(int ms)
{
    m_periodMs = std::max(0, ms);
    if (m_master >= 0 && m_streaming && !m_framePending)
        scheduleNextFrame();
}

void MeterSim::setStreaming(bool on)
{
    if (on == m_streaming)
        return;
    m_streaming = on;
    m_framePending = false;
    m_frameTimer.stop();
    if (on && m_master >= 0)
        m_frameTimer.start(0);
}

void MeterSim::setPaced(bool on)
{
    if (on == m_paced)
        return;
    m_paced = on;
    // The rest of a message on the line continues at the new pace from now.
    const qint64 now = nowNs();
    m_txStartNs = now - m_txPos * kByteNs;
    m_lineFreeNs = now;
    m_paceTimer.stop();
    pump();
}

void MeterSim::setFault(Fault fault)
{
    m_fault = fault;
}

void MeterSim::cutAnswer(char command, int bytes, AfterCut after)
{
    AnswerShape& shape = m_answerShapes[command];
    shape.cutAfter = bytes;
    shape.afterCut = after;
}

void MeterSim::extendAnswer(char command, const QByteArray& extra)
{
    m_answerShapes[command].extra = extra;
}

void MeterSim::delayAnswer(char command, int ms)
{
    m_answerShapes[command].delayMs = std::max(0, ms);
}

void MeterSim::muteAnswers(const QByteArray& commands)
{
    for (const char command : commands)
        cutAnswer(command, 0);
}

void MeterSim::clearAnswerShapes()
{
    m_answerShapes.clear();
}

void MeterSim::setSizeCode(quint8 code)
{
    m_sizeCode = code;
}

void MeterSim::setManualRecords(const QList<QByteArray>& records33)
{
    m_manualRecords.clear();
    for (QByteArray record : records33) {
        record.resize(kManualRecordSize, '\0');
        m_manualRecords.append(record);
    }
}

void MeterSim::setAutoMemory(const QByteArray& bytes)
{
    m_autoMemory = bytes;
}

quint32 MeterSim::memPointer() const
{
    return kAutoMemoryStart + quint32(m_autoMemory.size());
}

void MeterSim::setClock(quint8 day, quint8 hour, quint8 minute, quint8 second)
{
    if (day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59)
        return;
    // The meter only knows the day of the month; keep the month running when it has that day.
    const QDate today = clock().date();
    QDate date(today.year(), today.month(), day);
    if (!date.isValid())
        date = QDate(today.year(), 1, day);
    m_clockBase = utcClock(date, QTime(hour, minute, second));
    m_clockRunning.restart();
}

QDateTime MeterSim::clock() const
{
    return m_clockBase.addSecs(m_clockRunning.elapsed() / 1000);
}

QByteArray MeterSim::comparatorEntry(int set) const
{
    if (set < 1 || set > kComparatorSets)
        return {};
    return m_comparatorTable.mid((set - 1) * kComparatorSetSize, kComparatorSetSize);
}

void MeterSim::setComparatorEntry(int set, const QByteArray& entry)
{
    if (set < 1 || set > kComparatorSets || entry.size() != kComparatorSetSize)
        return;
    m_comparatorTable.replace((set - 1) * kComparatorSetSize, kComparatorSetSize, entry);
}

void MeterSim::clearReceived()
{
    m_received.clear();
    m_commands.clear();
}

void MeterSim::readInput()
{
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break; // EAGAIN: all read
        const QByteArray chunk(buffer, qsizetype(n));
        m_quietUntilNs = std::max(m_quietUntilNs, nowNs() + kQuietNs);
        m_received.append(chunk);
        emit bytesReceived(chunk);
        for (const char c : chunk)
            handleByte(quint8(c));
    }
}

void MeterSim::handleByte(quint8 byte)
{
    if (m_pendingCommand != 0) {
        m_params.append(char(byte));
        if (m_params.size() < parameterCount(m_pendingCommand))
            return;
        m_paramTimeout.stop();
        const char command = m_pendingCommand;
        m_pendingCommand = 0;
        execute(command, std::exchange(m_params, {}));
        return;
    }
    const char command = char(byte);
    if (!isCommand(command))
        return; // line noise: kept in received() only
    m_commands.append(command);
    if (parameterCount(command) > 0) {
        m_pendingCommand = command;
        m_params.clear();
        m_paramTimeout.start();
        return;
    }
    execute(command, {});
}

void MeterSim::execute(char command, const QByteArray& params)
{
    switch (command) {
    case 'A': {
        if (!m_scriptedStatusAnswers.isEmpty()) {
            sendAnswer(command, m_scriptedStatusAnswers.dequeue());
            break;
        }
        const quint32 pointer = memPointer();
        const quint16 count = manualCount();
        QByteArray answer;
        answer.append(kStx).append(char(0xDD)).append(char(m_sizeCode));
        answer.append(char(pointer & 0xFF)).append(char((pointer >> 8) & 0xFF));
        answer.append(char((pointer >> 16) & 0xFF));
        answer.append(char(count & 0xFF)).append(char(count >> 8)).append(kEtx);
        sendAnswer(command, answer);
        break;
    }
    case 'I':
        sendAnswer(command, m_framingFirst + m_autoMemory + m_framingLast);
        break;
    case 'T':
        sendAnswer(command, m_framingFirst + m_manualRecords.join() + m_framingLast);
        break;
    case 'Y':
        m_autoMemory.clear();
        break;
    case 'Z':
        m_manualRecords.clear();
        break;
    case 'W':
        sendAnswer(command, kStx + m_comparatorTable + kEtx);
        break;
    case 'R': {
        // The message carries the four limits first, the table keeps the format bytes first.
        const QByteArray entry = params.mid(8, 2) + params.left(8);
        setComparatorEntry(quint8(params.at(10)), entry);
        break;
    }
    case 'V':
        sendAnswer(command, QByteArray(1, kStx) + char(m_samplingSeconds) + kEtx);
        break;
    case 'S':
        m_samplingSeconds = quint8(params.at(0));
        break;
    case 'U': {
        const QDateTime now = clock();
        QByteArray answer(1, kStx);
        answer.append(char(simToBcd(now.date().day())));
        answer.append(char(simToBcd(now.time().hour())));
        answer.append(char(simToBcd(now.time().minute())));
        answer.append(char(simToBcd(now.time().second())));
        answer.append(kEtx);
        sendAnswer(command, answer);
        break;
    }
    case 'Q': {
        // The fifth byte repeats the seconds and carries nothing new.
        const int day = simFromBcd(quint8(params.at(0)));
        const int hour = simFromBcd(quint8(params.at(1)));
        const int minute = simFromBcd(quint8(params.at(2)));
        const int second = simFromBcd(quint8(params.at(3)));
        if (day >= 0 && hour >= 0 && minute >= 0 && second >= 0)
            setClock(quint8(day), quint8(hour), quint8(minute), quint8(second));
        break;
    }
    default:
        break; // keep-alive and key presses: nothing to answer
    }
    emit commandReceived(command);
}

void MeterSim::sendAnswer(char command, QByteArray answer)
{
    bool brokenOff = false;
    int delayMs = 0;
    if (const auto shape = m_answerShapes.constFind(command); shape != m_answerShapes.cend()) {
        answer += shape->extra;
        brokenOff = shape->cutAfter > 0 && shape->cutAfter < answer.size() &&
                    shape->afterCut == AfterCut::Hang;
        if (shape->cutAfter >= 0)
            answer.truncate(shape->cutAfter);
        delayMs = shape->delayMs;
        if (answer.isEmpty())
            return;
    }
    switch (m_fault) {
    case Fault::Silent:
        return;
    case Fault::ShortAnswer:
        answer.truncate(answer.size() / 2 + 1);
        break;
    case Fault::Garbage:
        answer = garbage(answer.size());
        break;
    case Fault::None:
    case Fault::WrongEtx:
        break;
    }
    if (delayMs == 0) {
        queueAnswer(std::move(answer), brokenOff);
        return;
    }
    ++m_delayedAnswers;
    QTimer::singleShot(delayMs, this,
                       [this, answer = std::move(answer), brokenOff, plug = m_plugGeneration] {
                           if (plug != m_plugGeneration)
                               return;
                           --m_delayedAnswers;
                           queueAnswer(answer, brokenOff);
                       });
}

void MeterSim::queueAnswer(QByteArray answer, bool brokenOff)
{
    m_answers.enqueue(std::move(answer));
    m_answerStalls.enqueue(brokenOff);
    pump();
}

QByteArray MeterSim::frameBytes()
{
    if (m_fault == Fault::Garbage)
        return garbage(m_rawFrame.isEmpty() ? kDisplayFrameSize : m_rawFrame.size());
    if (!m_rawFrame.isEmpty())
        return m_rawFrame;
    QByteArray frame = encodeDisplayFrame(m_reading);
    if (m_fault == Fault::WrongEtx)
        frame.back() = kWrongEtx;
    return frame;
}

QByteArray MeterSim::garbage(qsizetype size)
{
    // Free of STX and ETX, so no well-formed frame or answer can be picked out of it.
    QByteArray bytes(size, '\0');
    for (char& b : bytes) {
        quint32 v = m_random.bounded(254u);
        b = char(v < 2 ? v : v + 2);
    }
    return bytes;
}

bool MeterSim::lineBusy() const
{
    return !m_tx.isEmpty() || !m_answers.isEmpty() || m_blocked || m_delayedAnswers > 0;
}

void MeterSim::frameDue()
{
    if (!m_streaming || m_master < 0)
        return;
    if (m_fault == Fault::Silent) {
        m_lastFrameStartNs = nowNs();
        scheduleNextFrame();
        return;
    }
    // A frame never cuts into an answer: it follows as soon as the line is free.
    if (lineBusy()) {
        m_framePending = true;
        return;
    }
    if (holdFrame())
        return;
    beginMessage(frameBytes(), true);
    pump();
}

void MeterSim::scheduleNextFrame()
{
    if (!m_streaming) {
        m_frameTimer.stop();
        return;
    }
    const qsizetype frameSize = m_rawFrame.isEmpty() ? kDisplayFrameSize : m_rawFrame.size();
    const qint64 interval = m_periodMs > 0 ? m_periodMs * 1'000'000LL : frameSize * kByteNs;
    m_frameDueNs = m_lastFrameStartNs + interval;
    m_frameTimer.start(msUntil(m_frameDueNs - nowNs()));
}

bool MeterSim::takeNextMessage()
{
    if (!m_answers.isEmpty()) {
        beginMessage(m_answers.dequeue(), false);
        m_txStalls = m_answerStalls.dequeue();
        return true;
    }
    if (m_framePending) {
        m_framePending = false;
        if (holdFrame())
            return false;
        if (m_streaming && m_fault != Fault::Silent) {
            beginMessage(frameBytes(), true);
            return true;
        }
        scheduleNextFrame();
    }
    return false;
}

bool MeterSim::holdFrame()
{
    const qint64 now = nowNs();
    if (now >= m_quietUntilNs)
        return false;
    m_frameTimer.start(msUntil(m_quietUntilNs - now));
    return true;
}

void MeterSim::beginMessage(QByteArray bytes, bool isFrame)
{
    const qint64 now = nowNs();
    m_tx = std::move(bytes);
    m_txPos = 0;
    m_txIsFrame = isFrame;
    // A frame keeps to its period even though the timer fires a little late; a paced message
    // also waits for the line.
    const qint64 earliest = std::max(now - kCatchUpNs, isFrame ? m_frameDueNs : 0);
    m_txStartNs = m_paced ? std::max(m_lineFreeNs, earliest) : now;
    if (isFrame) {
        m_lastFrameStartNs = m_paced ? m_txStartNs : std::min(earliest, now);
        scheduleNextFrame();
    }
}

void MeterSim::pump()
{
    if (m_master < 0 || m_blocked)
        return;
    for (;;) {
        if (m_tx.isEmpty() && !takeNextMessage())
            return;
        const qint64 now = nowNs();
        qsizetype due = m_tx.size();
        if (m_paced)
            due = std::clamp<qint64>((now - m_txStartNs) / kByteNs, 0, m_tx.size());
        if (due > m_txPos) {
            const ssize_t n = ::write(m_master, m_tx.constData() + m_txPos, size_t(due - m_txPos));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN) {
                m_tx.clear(); // the line is gone; drop the message rather than retry for ever
                m_txPos = 0;
                continue;
            }
            m_txPos += std::max<ssize_t>(n, 0);
            if (m_txPos < due) {
                waitWritable(); // the program is not reading and the terminal buffer is full
                return;
            }
        }
        if (m_txPos == m_tx.size()) {
            m_lineFreeNs = m_paced ? m_txStartNs + m_tx.size() * kByteNs : now;
            if (!m_txIsFrame)
                m_quietUntilNs =
                    std::max(m_quietUntilNs, m_lineFreeNs + (m_txStalls ? kStallNs : kQuietNs));
            m_tx.clear();
            m_txPos = 0;
            continue;
        }
        m_paceTimer.start(msUntil(m_txStartNs + (m_txPos + 1) * kByteNs - now));
        return;
    }
}

void MeterSim::waitWritable()
{
    m_blocked = true;
    m_paceTimer.stop();
    m_writeNotifier->setEnabled(true);
}

void MeterSim::writable()
{
    m_writeNotifier->setEnabled(false);
    m_blocked = false;
    // Bytes held back while blocked leave at the line's pace, not in one burst.
    if (m_paced)
        m_txStartNs = std::max(m_txStartNs, nowNs() - m_txPos * kByteNs);
    pump();
}
