#include "Recording.h"

#include "AppState.h"
#include "DataFileLines.h"
#include "OutputFile.h"

#include <QFile>

#include <utility>

#include <sys/stat.h>

namespace {

std::unique_ptr<QIODevice> openAsFile(const QString& path)
{
    return std::make_unique<QFile>(path);
}

} // namespace

RecordingFile::RecordingFile() : m_opener(openAsFile) {}

RecordingFile::~RecordingFile() = default;

bool RecordingFile::open(const QString& path, const QByteArray& header, QString& reason)
{
    // Checked before the open: opening a named pipe waits for a reader for ever.
    if (reason = outputRefusal(path); !reason.isEmpty())
        return false;
    m_file = m_opener(path);
    m_written = 0;
    // Unbuffered: each line goes to the system as it is written, so a crash loses none.
    if (!m_file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        reason = m_file->errorString();
        m_file.reset();
        return false;
    }
    if (!write(header, reason)) {
        const auto* file = qobject_cast<QFileDevice*>(m_file.get());
        struct stat info
        {
        };
        const bool regular = file && fstat(file->handle(), &info) == 0 && S_ISREG(info.st_mode);
        close();
        if (regular)
            QFile::remove(path);
        return false;
    }
    return true;
}

bool RecordingFile::write(const QByteArray& bytes, QString& reason)
{
    auto* file = qobject_cast<QFileDevice*>(m_file.get());
    // A full disk takes part of a line and refuses only the next write, and only that one
    // carries the system's reason: the rest is offered again until it fails.
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = m_file->write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            break;
        done += n;
    }
    bool ok = done == bytes.size();
    if (ok && file)
        ok = file->flush();
    if (!ok) {
        reason = m_file->errorString();
    } else if (file) {
        // A file deleted while recording still takes writes on Linux: it has no name left.
        struct stat info
        {
        };
        if (fstat(file->handle(), &info) == 0 && info.st_nlink == 0) {
            ok = false;
            reason = QStringLiteral("The file was deleted.");
        }
    }
    if (!ok) {
        // A partly written line is cut back to the last whole one.
        if (file && file->size() > m_written)
            file->resize(m_written);
        return false;
    }
    m_written += bytes.size();
    return true;
}

void RecordingFile::close()
{
    if (m_file)
        m_file->close();
    m_file.reset();
}

RecordingStop recordingStopReason(qint32 count, const CurrentReading& reading,
                                  const SampleUnits& started)
{
    if (!mustStopRecording(count, reading, started))
        return RecordingStop::None;
    if (count >= MaxRecordCount)
        return RecordingStop::LineLimit;
    const SampleUnits now = SampleUnits::of(reading);
    if (now.rangeText != started.rangeText)
        return RecordingStop::Range;
    if (now.tempUnitText != started.tempUnitText)
        return RecordingStop::TemperatureUnit;
    return RecordingStop::Current;
}

QString recordingStopText(RecordingStop stop)
{
    switch (stop) {
    case RecordingStop::None:
        break;
    case RecordingStop::LineLimit:
        return QStringLiteral("the file holds %1 lines, the most a data file holds")
            .arg(MaxRecordCount);
    case RecordingStop::Range:
        return QStringLiteral("the meter's resistance range changed");
    case RecordingStop::TemperatureUnit:
        return QStringLiteral("the meter's temperature unit changed");
    case RecordingStop::Current:
        return QStringLiteral("the meter's current display changed between A and mA");
    }
    return {};
}

Recording::Recording(AppState& state, const Clock& clock) : m_state(state), m_clock(clock) {}

bool Recording::isRecording() const
{
    return m_state.FileRecording;
}

bool Recording::start(const QString& path, QString& reason, Format format)
{
    AppState& s = m_state;
    const SampleUnits units = SampleUnits::of(s.reading);
    m_format = format;
    m_csv.reset();
    m_gapBeforeRow = false;
    QByteArray header;
    if (format == Format::Csv) {
        m_csv.emplace(CsvSource::of(s.reading).temperatureUnit.value_or(TemperatureUnit::Celsius));
        header = csvBytes(m_csv->header());
    } else {
        header =
            dataFileBytes(recorderHeader(units.rangeText, units.milliAmps, units.tempUnitText));
    }
    if (!m_file.open(path, header, reason))
        return false;
    s.FileRangeText = units.rangeText;
    s.FileTempUnitText = units.tempUnitText;
    s.FileMilliAmps = units.milliAmps;
    s.FileRecordCount = 0;
    s.FileRecording = true;
    return true;
}

RecordingTick Recording::tick()
{
    AppState& s = m_state;
    RecordingTick t;
    const int interval = static_cast<int>(s.PcSamplingSeconds);
    if (!sampleDue(s.SampleTickCount, interval)) {
        ++s.SampleTickCount;
        t.file = s.FileRecording ? RecordingTick::File::Unchanged : RecordingTick::File::Idle;
        return t;
    }
    t.due = true;
    const QDateTime now = m_clock.now();
    const qint64 nowMs = m_clock.monotonicMs();
    s.SampleTimeStamp =
        clockedSampleStamp(nextSampleStamp(s.SampleTimeStamp, interval), interval, now.time());
    // Without a young frame since the last sample the reading is the one already taken, or an
    // old one: nothing is written or listed and no record number is used, but the stamp has
    // moved on, so the gap shows in the time column.
    t.fresh = m_fresh.take(s.reading, nowMs);
    m_waiting = !t.fresh;
    if (t.fresh)
        t.line = ReadingLine(s.SampleTimeStamp, s.reading);

    if (!s.FileRecording) {
        t.file = RecordingTick::File::Idle;
        s.FileRecordCount = 0;
    } else {
        const SampleUnits started{s.FileRangeText, s.FileTempUnitText, s.FileMilliAmps};
        t.stop = m_format == Format::Data
                     ? recordingStopReason(s.FileRecordCount, s.reading, started)
                     : RecordingStop::None;
        if (t.stop != RecordingStop::None) {
            t.file = RecordingTick::File::Stopped;
            stop();
        } else if (!t.fresh) {
            t.file = RecordingTick::File::Unchanged;
            m_gapBeforeRow = s.FileRecordCount > 0;
        } else {
            ++s.FileRecordCount;
            const QByteArray bytes =
                m_format == Format::Csv
                    ? csvBytes(m_csv->row(s.FileRecordCount, now, nowMs, s.reading,
                                          std::exchange(m_gapBeforeRow, false)))
                    : dataFileBytes(recorderLine(s.FileRecordCount, t.line));
            if (m_file.write(bytes, t.reason)) {
                t.file = RecordingTick::File::Written;
            } else {
                t.file = RecordingTick::File::WriteFailed;
                stop();
            }
        }
    }
    s.SampleTickCount = 1;
    return t;
}

void Recording::stop()
{
    m_state.FileRecording = false;
    m_state.FileRecordCount = 0;
    m_file.close();
}
