#pragma once

#include "ComparatorCodec.h"
#include "AllChannelGraph.h"
#include "CurrentReading.h"
#include "MeterStatus.h"
#include "PlotRequest.h"

#include <QByteArray>
#include <QList>
#include <QString>

/// The program-wide records: one object for the whole run, passed to every window by
/// reference (tests build a fresh one per case).
struct AppState
{
    CurrentReading reading;
    MeterStatus status;
    QString LinkTag;            ///< "F" or "S": the kind of the last successful status exchange
    bool DisplayFrozen = false; ///< stored data is being decoded: leave the panel's points alone
    int PortNumber = 0;         ///< the COM number chosen at start, 0 for none or a typed path
    bool ComparatorBusy = false;
    bool MemoryBusy = false; ///< a memory download runs

    /// A long read from the meter runs (comparator table, memory download): any other
    /// exchange would write into its answer, so every other command does nothing meanwhile.
    [[nodiscard]] bool longReadRunning() const { return ComparatorBusy || MemoryBusy; }

    // The meter's memory as last downloaded; each download replaces both.
    QList<QByteArray> StoredSets; ///< every set, header included, in memory order (set n at n - 1)
    QByteArray ManualBuffer;      ///< the reply to "T": framing byte, 33-byte records, framing byte

    // The meter's comparator sets as last read or written.
    ComparatorTexts ComparatorTable; ///< sets 1..99, 20 hex digits each (0 unused)

    // Sampling and PC recording.
    float PcSamplingSeconds = 2;      ///< the PC's own sampling interval, 1..86400 s
    qint32 SampleTickCount = 0;       ///< one-second ticks since the last sample
    QString SampleTimeStamp;          ///< "hh:mm:ss" of the latest sample (start time at load)
    bool PcSamplingChosen = false;    ///< the sampling dialog's PC option was chosen
    quint16 MeterSamplingSeconds = 0; ///< the meter's interval last read or sent, 1..255 s
    bool FileRecording = false;       ///< a recording to a data file runs
    qint32 FileRecordCount = 0;       ///< data lines written to the recording file
    QString FileRangeText;            ///< the reading's range when the recording started
    QString FileTempUnitText;         ///< its temperature unit then
    bool FileMilliAmps = false;       ///< its milliampere flag then
    bool ListRecording = false;       ///< the real-time list is open and takes rows
    qint32 ListRecordCount = 0;       ///< rows added to the real-time list
    QString ListRangeText;            ///< the reading's range when the list opened
    QString ListTempUnitText;         ///< its temperature unit then
    bool ListMilliAmps = false;       ///< its milliampere flag then

    // Saving and plotting.
    QString SaveFileName;        ///< the path the save dialog returned (also the recording file)
    bool SaveFileChosen = false; ///< a save dialog returned a file that is not written yet
    PlotRequest plotRequest;     ///< the column the stored-data graph windows show

    AllChannelGraph allChannelGraph; ///< the live all-channel graph, its history and dialogs
};
