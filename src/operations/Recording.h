#pragma once

#include "Clock.h"
#include "CsvReadings.h"
#include "SampleSchedule.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QIODevice;
struct AppState;

/// The file a recording writes to: whole lines only. Each line goes to the system as it is
/// written and is flushed, so a crash or a stop loses none; a line the system refuses in part
/// is cut back, so the file ends on a whole line; the reason is the system's own.
class RecordingFile
{
public:
    /// Makes the device a recording writes to, not yet open (a QFile by default).
    using Opener = std::function<std::unique_ptr<QIODevice>(const QString& path)>;

    RecordingFile();
    ~RecordingFile();
    RecordingFile(const RecordingFile&) = delete;
    RecordingFile& operator=(const RecordingFile&) = delete;

    void setOpener(Opener opener) { m_opener = std::move(opener); }

    /// Creates (or empties) the file at `path` and writes `header`. A path that is there and
    /// is no regular file is refused ("PATH is not a regular file") before it is opened. When
    /// the header cannot be written the file is removed again (a data file without its header
    /// is none). False with the system's reason on failure.
    bool open(const QString& path, const QByteArray& header, QString& reason);
    /// Writes one whole line's bytes; false with the system's reason when it fails or the
    /// file was deleted meanwhile. The file then still ends on the last whole line.
    bool write(const QByteArray& bytes, QString& reason);
    void close();
    [[nodiscard]] bool isOpen() const { return m_file != nullptr; }

private:
    Opener m_opener;
    std::unique_ptr<QIODevice> m_file;
    qint64 m_written = 0; // bytes of whole lines in the file
};

/// Why a data-file recording stopped by itself.
enum class RecordingStop
{
    None,
    LineLimit,       ///< it holds MaxRecordCount lines
    Range,           ///< the resistance range changed
    TemperatureUnit, ///< the temperature unit changed
    Current,         ///< the current changed between A and mA
};

/// Which stop check of mustStopRecording() holds, None when none.
[[nodiscard]] RecordingStop recordingStopReason(qint32 count, const CurrentReading& reading,
                                                const SampleUnits& started);
/// The stop reason in words ("36001 lines written", "the range changed" ...).
[[nodiscard]] QString recordingStopText(RecordingStop stop);

/// What the recording label and the status line say while due samples are skipped.
inline const QString WaitingForReadingText = QStringLiteral("waiting for a fresh reading");

/// What one second of a recording did.
struct RecordingTick
{
    enum class File
    {
        Idle,        ///< no recording runs
        Unchanged,   ///< nothing to write: no sample due or no fresh frame
        Written,     ///< a line was written
        Stopped,     ///< a stop check ended the recording; the changed sample is not written
        WriteFailed, ///< the line could not be written; the recording ended
    };

    bool due = false;   ///< a sample was due this second
    bool fresh = false; ///< ... and a young display frame gave one: `line` holds it
    QString line;       ///< the sample line (stamp and values), when fresh
    File file = File::Idle;
    RecordingStop stop = RecordingStop::None; ///< with File::Stopped
    QString reason;                           ///< the system's reason with File::WriteFailed
};

/// PC recording without any window: each one-second tick follows the sample schedule, takes a
/// sample only from a young reading (FreshReading), stamps it with the counted time kept true
/// to the clock (clockedSampleStamp), and while a recording runs writes it to the file. The data
/// format holds the data files' lines and stops on their checks (line limit, a range, temperature
/// unit or A/mA change); the CSV format carries SI values in every row, so it goes on across such
/// changes and has no limit. Keeps its counts in the state, as the window's labels show them.
class Recording
{
public:
    enum class Format
    {
        Data,
        Csv
    };

    /// `clock` (it must outlive the recording) ages the readings, keeps the stamps true and
    /// dates the CSV rows.
    Recording(AppState& state, const Clock& clock);

    void setFileOpener(RecordingFile::Opener opener) { m_file.setOpener(std::move(opener)); }

    /// Starts recording to `path` with the reading's present units. False with the system's
    /// reason when the file cannot be made; then nothing runs.
    bool start(const QString& path, QString& reason, Format format = Format::Data);
    /// One second passed.
    RecordingTick tick();
    /// Ends the recording: the file is closed with what was written.
    void stop();

    [[nodiscard]] bool isRecording() const;
    /// True from a due sample skipped for want of a young reading until the next one taken:
    /// what the recording label and the status line show as "waiting for a fresh reading".
    [[nodiscard]] bool waitingForReading() const { return m_waiting; }

private:
    AppState& m_state;
    RecordingFile m_file;
    const Clock& m_clock;
    FreshReading m_fresh; // whether the reading took a young frame since the last sample
    bool m_waiting = false;
    Format m_format = Format::Data;
    std::optional<CsvReadings> m_csv;
    bool m_gapBeforeRow = false; // due samples were skipped since the last CSV row
};
