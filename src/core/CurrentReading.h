#pragma once

#include "Cells.h"

#include <QString>

#include <array>

/// The live display of the meter as decoded from its display frames.
/// Groups are numbered 0-6: voltage, resistance, current, temperature, In-Cap, Out-Cap, T-Cap.
struct CurrentReading
{
    enum Group
    {
        Voltage,
        Resistance,
        Current,
        Temperature,
        InCap,
        OutCap,
        TCap,
        GroupCount
    };

    std::array<QString, GroupCount> valueTexts; ///< digits with point and sign applied
    std::array<QString, GroupCount> digits;     ///< the four raw display characters
    std::array<int, GroupCount> pointPos{};     ///< point after this many characters, 0 = none
    std::array<bool, GroupCount> minus{};
    bool milliAmps = false;              ///< the current is shown in mA
    std::array<bool, 3> capMilli{};      ///< In-Cap, Out-Cap, T-Cap shown in mAh
    std::array<QString, 3> capUnitTexts; ///< "mAh" or "Ah"

    QString percentText, threeCharText, twoCharText, hoursText, minutesText, secondsText;

    int RangeCode = 0;
    QString RangeText;
    QString TempUnitText;
    int FunctionCode = 0;
    bool memoryFull = false;
    bool MeterRecordingFlag = false;
    bool celsius = false;
    bool fahrenheit = false;

    /// One flag per LCD indicator, indexed by the cell that shows it.
    CellFlags indicators;

    /// Display frames decoded into this reading so far. It stands still while nothing is
    /// mirrored (the live poll rests, the link is lost), which is how a sample tells a fresh
    /// reading from a frozen one.
    quint64 frameNumber = 0;
    /// When the latest of them was received, on the monotonic count of the program's Clock:
    /// how a sample tells a young reading from one that has aged.
    qint64 frameReceivedMs = 0;

    [[nodiscard]] bool lit(Cell cell) const { return indicators.test(cellIndex(cell)); }
};
