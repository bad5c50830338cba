#include "MeterMemoryRead.h"

#include "CommandChannel.h"
#include "Commands.h"
#include "CurrentReading.h"
#include "MeterMemory.h"
#include "SerialLink.h"
#include "Waits.h"

#include <QElapsedTimer>

namespace {

// The line is taken to be quiet again after this long without a byte.
constexpr double kQuietSeconds = 0.3;
// Seconds one byte takes at 19200 baud, start and stop bit included.
constexpr double kByteSeconds = 10.0 / 19200.0;

} // namespace

QString MeterMemoryRead::refusal(const CurrentReading& reading)
{
    if (reading.lit(Cell::LcdAM) || reading.lit(Cell::LcdIntv))
        return QStringLiteral("Error loading in this mode,\rplease check out and try again.");
    return {};
}

QString MeterMemoryRead::noAnswerText()
{
    return QStringLiteral("The meter did not answer, so its memory was not downloaded.");
}

MeterMemoryRead::MeterMemoryRead(CommandChannel& channel, MeterLink& link, QObject* parent)
    : QObject(parent), m_channel(channel), m_reader(channel, link)
{
    connect(&m_reader, &StreamReader::progress, this,
            [this](qsizetype received, qsizetype expected) {
                emit progress(m_prefix, received, expected);
            });
}

void MeterMemoryRead::drain(qsizetype remaining)
{
    SerialLink& serial = m_channel.serial();
    const double most = double(qMax<qsizetype>(remaining, 0)) * kByteSeconds + kQuietSeconds;
    QElapsedTimer elapsed;
    elapsed.start();
    while (!waitsAbandoned() && !serial.isGone() && elapsed.elapsed() < most * 1000.0) {
        serial.discardInput();
        (void)serial.waitForBytes(StreamReader::MaxBytesPerWake, kQuietSeconds);
        if (serial.inputCount() == 0)
            break;
    }
    serial.discardInput();
}

MeterMemoryRead::Result MeterMemoryRead::read(MemoryKind kind)
{
    const bool automatic = kind == MemoryKind::Automatic;
    const char command = automatic ? Command::SendAutoMemory : Command::SendManualMemory;
    const StreamReader::ExpectedCount length = automatic ? autoReplyLength : manualReplyLength;
    m_prefix = automatic ? 'A' : 'M';

    StreamReader::Result read;
    for (int attempt = 0; attempt < 2; ++attempt) {
        emit progress(m_prefix, 0, 1);
        read = m_reader.read(command, length, {});
        // A stream that never started is asked for once more; a failed status exchange is not.
        if (read.outcome != StreamReader::Outcome::NoReply || !read.statusAnswered)
            break;
    }
    Result result;
    result.outcome = read.outcome;
    switch (read.outcome) {
    case StreamReader::Outcome::Complete:
        result.ending = Ending::Complete;
        result.bytes = read.bytes;
        return result;
    case StreamReader::Outcome::Cancelled:
        drain(read.expected - read.bytes.size());
        result.ending = Ending::Cancelled;
        return result;
    case StreamReader::Outcome::ProgramClosing:
        result.ending = Ending::ProgramClosing;
        return result;
    case StreamReader::Outcome::NoReply:
    case StreamReader::Outcome::StoppedShort:
    case StreamReader::Outcome::DisplayFrames: // the meter went back to its display
    case StreamReader::Outcome::LinkBroken:
        break;
    }
    const QString what = automatic ? QStringLiteral("automatically recorded data")
                                   : QStringLiteral("manually recorded data");
    if (!read.statusAnswered) {
        result.text = QStringLiteral("The meter did not answer before sending its %1, so the "
                                     "download stopped.")
                          .arg(what);
    } else {
        result.text = QStringLiteral("The download of the %1 stopped: %2 of %3 bytes received.")
                          .arg(what)
                          .arg(read.bytes.size())
                          .arg(read.expected);
        result.reason = read.bytes.isEmpty() ? QStringLiteral("The meter did not send them. ")
                                             : QStringLiteral("The meter stopped sending. ");
    }
    return result;
}
