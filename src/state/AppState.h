#pragma once

#include "CurrentReading.h"
#include "MeterStatus.h"

#include <QString>

/// The program-wide records: one object for the whole run, passed to every window by
/// reference (tests build a fresh one per case).
struct AppState
{
    CurrentReading reading;
    MeterStatus status;
    QString LinkTag;             ///< "F" or "S": the kind of the last successful status exchange
    bool DisplayFrozen = false;  ///< stored data is being decoded: leave the panel's points alone
    int PortNumber = 0;          ///< the COM number chosen at start, 0 for none or a typed path
    float PcSamplingSeconds = 2; ///< the PC's own sampling interval, 1..86400 s
    QString SampleTimeStamp;     ///< "hh:mm:ss" of the latest sample (start time at load)
    bool FileRecording = false;
    bool ComparatorBusy = false;
};
