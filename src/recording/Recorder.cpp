#include "Recorder.h"

#include "AppState.h"
#include "DataFileLines.h"
#include "FileTransfer.h"
#include "LiveList.h"
#include "Prompts.h"
#include "SampleSchedule.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>

#include <sys/stat.h>

namespace {

std::unique_ptr<QIODevice> openAsFile(const QString& path)
{
    return std::make_unique<QFile>(path);
}

void setCaption(QLabel* label, const QString& text)
{
    if (label)
        label->setText(text);
}

} // namespace

Recorder::Recorder(AppState& state, Prompts& prompts, FileTransfer& transfer, LiveList& list,
                   QWidget* mainWindow, RecordingLabels labels, QObject* parent)
    : QObject(parent), m_state(state), m_prompts(prompts), m_transfer(transfer), m_list(list),
      m_mainWindow(mainWindow), m_labels(labels), m_opener(openAsFile)
{
    m_timer.setObjectName(QStringLiteral("Timer2"));
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &Recorder::tick);
}

Recorder::~Recorder() = default;

void Recorder::tick()
{
    AppState& s = m_state;
    const int interval = static_cast<int>(s.PcSamplingSeconds);
    if (!sampleDue(s.SampleTickCount, interval)) {
        ++s.SampleTickCount;
        return;
    }
    s.SampleTimeStamp = nextSampleStamp(s.SampleTimeStamp, interval);
    // Without a frame since the last sample the reading is the one already taken: nothing is
    // written or listed and no record number is used, but the stamp has moved on, so the
    // gap shows in the time column.
    const bool fresh = m_fresh.take(s.reading);
    const QString line = fresh ? ReadingLine(s.SampleTimeStamp, s.reading) : QString();

    if (s.FileRecording) {
        const SampleUnits started{s.FileRangeText, s.FileTempUnitText, s.FileMilliAmps};
        if (mustStopRecording(s.FileRecordCount, s.reading, started)) {
            // The changed sample is not written; the file name stays until the next tick.
            endRecording();
        } else if (fresh) {
            ++s.FileRecordCount;
            QString reason;
            if (writeLine(recorderLine(s.FileRecordCount, line), reason)) {
                setCaption(m_labels.count, QString::number(s.FileRecordCount));
                setCaption(m_labels.rec, QStringLiteral("Rec"));
            } else {
                const QString path = s.SaveFileName;
                endRecording();
                s.SaveFileChosen = false;
                // Told once the tick is over: the tick itself never waits on the user.
                QMetaObject::invokeMethod(
                    this,
                    [this, path, reason] {
                        m_prompts.message(
                            QStringLiteral("Recording stopped, cannot write %1").arg(path) +
                                QLatin1String("\r\n") + reason,
                            Prompts::Icon::Critical);
                    },
                    Qt::QueuedConnection);
            }
        }
    } else {
        setCaption(m_labels.fileName, QString());
        setCaption(m_labels.count, QString());
        setCaption(m_labels.rec, QString());
        s.FileRecordCount = 0;
    }

    if (fresh)
        m_list.addSample(line);
    s.SampleTickCount = 1;
}

void Recorder::runSaveCommand()
{
    if (m_state.FileRecording)
        stopRecording();
    else
        startRecording();
}

void Recorder::startRecording()
{
    if (!m_transfer.ChooseSaveFile(m_mainWindow))
        return;
    AppState& s = m_state;
    const SampleUnits units = SampleUnits::of(s.reading);
    QString reason;
    if (!openFile(s.SaveFileName, reason)) {
        s.SaveFileChosen = false;
        m_prompts.message(QStringLiteral("Cannot record to %1").arg(s.SaveFileName) +
                              QLatin1String("\r\n") + reason,
                          Prompts::Icon::Critical);
        return;
    }
    s.FileRangeText = units.rangeText;
    s.FileTempUnitText = units.tempUnitText;
    setCaption(m_labels.fileName, QFileInfo(s.SaveFileName).fileName());
    emit recordingLookChanged(true);
    s.FileMilliAmps = units.milliAmps;
    s.FileRecording = true;
    if (m_labels.rec)
        m_labels.rec->show();
}

bool Recorder::openFile(const QString& path, QString& reason)
{
    m_file = m_opener(path);
    m_written = 0;
    // Unbuffered: each line goes to the system as it is written, so a crash loses none.
    if (!m_file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        reason = m_file->errorString();
        m_file.reset();
        return false;
    }
    const SampleUnits units = SampleUnits::of(m_state.reading);
    if (!writeLine(recorderHeader(units.rangeText, units.milliAmps, units.tempUnitText), reason)) {
        // A file without its header is no data file: it goes. Only a file, though: the path
        // may name a device.
        const auto* file = qobject_cast<QFileDevice*>(m_file.get());
        struct stat info
        {
        };
        const bool regular = file && fstat(file->handle(), &info) == 0 && S_ISREG(info.st_mode);
        closeFile();
        if (regular)
            QFile::remove(path);
        return false;
    }
    return true;
}

bool Recorder::writeLine(const QString& line, QString& reason)
{
    const QByteArray bytes = dataFileBytes(line);
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

void Recorder::closeFile()
{
    if (m_file)
        m_file->close();
    m_file.reset();
}

// A stop by the stop check or by a failed write: the button and the labels as when idle,
// `LblRec` left visible and the file name left until the next tick.
void Recorder::endRecording()
{
    m_state.FileRecording = false;
    emit recordingLookChanged(false);
    setCaption(m_labels.rec, QString());
    setCaption(m_labels.count, QString());
    m_state.FileRecordCount = 0;
    closeFile();
}

void Recorder::stopRecording()
{
    m_state.FileRecording = false;
    emit recordingLookChanged(false);
    if (m_labels.rec)
        m_labels.rec->hide();
    setCaption(m_labels.count, QString());
    setCaption(m_labels.fileName, QString());
    m_state.FileRecordCount = 0;
    closeFile();
    m_state.SaveFileChosen = false;
}
