#pragma once

#include "EraseMemory.h"
#include "StreamReader.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class CommandChannel;
class MeterLink;
struct CurrentReading;

/// Reads one of the meter's two memory streams ("I" for the automatic, "T" for the manual
/// memory) through the long-answer reader, after its own status exchange whose counts give
/// its length. A stream that never starts is asked for once more (unless the status exchange
/// itself failed). The window's download and celldesk-cli's both read through this, so both
/// end a download on the same outcomes and with the same texts.
class MeterMemoryRead : public QObject
{
    Q_OBJECT
public:
    /// What became of one stream.
    enum class Ending
    {
        Complete,      ///< every byte of the stream arrived
        Failed,        ///< to be told: `text` and `reason` say what happened
        Cancelled,     ///< cancel() was called; the rest of the stream has been let pass
        ProgramClosing ///< the program is ending; nothing to tell
    };

    struct Result
    {
        Ending ending = Ending::Failed;
        QByteArray bytes; ///< the stream, only when complete
        /// One sentence on a failure: "The download of the ... stopped: n of m bytes received."
        QString text;
        /// Why, as a sentence followed by a blank ("The meter stopped sending. "); empty when
        /// the status exchange before the stream failed.
        QString reason;
        StreamReader::Outcome outcome = StreamReader::Outcome::NoReply;
    };

    /// Why a download is refused while the meter shows `reading` ("Error loading in this
    /// mode,..." while it records into its own memory or shows its interval); empty when
    /// it may start. Lines are separated by "\r".
    [[nodiscard]] static QString refusal(const CurrentReading& reading);
    /// The text when the first status exchange of a download is not answered.
    [[nodiscard]] static QString noAnswerText();

    MeterMemoryRead(CommandChannel& channel, MeterLink& link, QObject* parent = nullptr);

    /// Reads the stream of `kind` (its status exchange included). Events keep running.
    Result read(MemoryKind kind);
    /// Ends a running read at its next wake; read() then lets the rest of the stream pass
    /// unread and returns Cancelled.
    void cancel() { m_reader.cancel(); }
    [[nodiscard]] bool isReading() const { return m_reader.isReading(); }

signals:
    /// How much of the stream has come: `prefix` 'A' (automatic) or 'M' (manual). At the start
    /// of each request `received` is 0 and `expected` 1.
    void progress(char prefix, qsizetype received, qsizetype expected);

private:
    /// Lets the rest of a cancelled stream pass unread, so the poll does not take it for
    /// broken frames.
    void drain(qsizetype remaining);

    CommandChannel& m_channel;
    StreamReader m_reader;
    char m_prefix = 'A';
};
