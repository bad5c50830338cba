#pragma once

#include <QString>

#include <bitset>

/// Every cell of the front panel's LCD area that the live display drives, in one table.
/// The first column is the cell's objectName (array element k of `Name` is `Name_k`),
/// the second its caption before the first frame arrives.
#define CELLDESK_CELLS(X)                                                                          \
    X(HighO_1, "")                                                                                 \
    X(HighO_2, "")                                                                                 \
    X(HighO_3, "")                                                                                 \
    X(HighO_4, "")                                                                                 \
    X(LowO_1, "")                                                                                  \
    X(LowO_2, "") X(LowO_3, "") X(LowO_4, "") X(HighV_1, "") X(HighV_2, "") X(HighV_3, "") X(      \
        HighV_4, "") X(LowV_1, "") X(LowV_2, "") X(LowV_3, "") X(LowV_4, "") X(HighODec_1, ".")    \
        X(HighODec_2, ".") X(HighODec_3, ".") X(LowODec_1, ".") X(LowODec_2, ".") X(               \
            LowODec_3, ".") X(HighVDec_1, ".") X(HighVDec_2, ".") X(HighVDec_3, ".")               \
            X(LowVDec_1, ".") X(LowVDec_2, ".") X(LowVDec_3, ".") X(HighONeg, "-") X(LowONeg, "-") \
                X(HighVNeg, "-") X(LowVNeg, "-") X(LcdOADJ, "OADJ") X(LcdH, "H") X(                \
                    LcdHigh, "HIGH") X(LcdAHUp, "AH") X(LcdComSet, "COMP.SET") X(LcdAM, "AM")      \
                    X(LcdLow, "LOW") X(LcdAvg, "AVG") X(LcdInCap, "IN-CAP") X(LcdCCA, "CCA") X(    \
                        LcdOutCap,                                                                 \
                        "OUT-CAP") X(LcdRC,                                                        \
                                     "RC") X(LcdTCap, "T-CAP")                                     \
                        X(LcdSOC, "SOC") X(LblmAh_0, "") X(LblmAh_1, "") X(LblmAh_2, "")           \
                            X(LblPercent, "100") X(LblMR, "000") X(LblDD, "00") X(LblHH, "00") X(  \
                                LblMM, "00") X(LblSS, "00")                                        \
                                X(DPoint_0, ":") X(DPoint_1, ":") X(DPoint_2, ":") X(              \
                                    LcdCompUp, "COMP") X(LcdNo, "NO.")                             \
                                    X(LineNo, "") X(LcdSOH, "SOH") X(LcdComp, "COMP") X(           \
                                        LcdPass, "PASS") X(LcdWarning,                             \
                                                           "WARNING") X(LcdFail, "FAIL")           \
                                        X(LcdSet, "SET") X(                                        \
                                            LcdIntv, "INTV") X(LcdTime, "TIME")                    \
                                            X(LcdAuto, "AUTO") X(LcdBi, "Bi") X(LcdBt, "Bt") X(    \
                                                LcdAV, "AV") X(LcdOhmV, "\u03A9V")                 \
                                                X(LcdTemV, "TEMP") X(LcdA_m, "m") X(LcdVm, "m") X( \
                                                    LcdOhmm, "m") X(LcdSqR, "R")                   \
                                                    X(LcdSqM, "M") X(LcdPercent, "%")              \
                                                        X(LcdAh_0, "Ah") X(LcdAh_1, "Ah") X(       \
                                                            LcdAh_2, "Ah") X(Lcdm_0,               \
                                                                             "m") X(Lcdm_1, "m")   \
                                                            X(Lcdm_2, "m") X(UnitV, "V") X(        \
                                                                UnitA, "A") X(UnitOhm, "\u03A9")   \
                                                                X(UnitVOhm, "V") X(                \
                                                                    UnitC,                         \
                                                                    "\u00B0C") X(UnitF, "\u00B0F") \
                                                                    X(RS_0,                        \
                                                                      "") X(RS_1,                  \
                                                                            "") X(RS_2, "")        \
                                                                        X(RS_3,                    \
                                                                          "") X(RS_4,              \
                                                                                "") X(RS_5, "")    \
                                                                            X(RS_6,                \
                                                                              "") X(LblV, "")      \
                                                                                X(LblOhm,          \
                                                                                  "") X(LblA, "")  \
                                                                                    X(LblTemp, "")

/// Identifies one front-panel cell; the order follows CELLDESK_CELLS.
enum class Cell : int
{
#define CELLDESK_CELL_ENUM(name, caption) name,
    CELLDESK_CELLS(CELLDESK_CELL_ENUM)
#undef CELLDESK_CELL_ENUM
        Count
};

inline constexpr int CellCount = static_cast<int>(Cell::Count);

/// One flag per cell, e.g. the LCD indicators of a decoded reading.
using CellFlags = std::bitset<CellCount>;

/// The cell's objectName ("HighO_1", "LcdOADJ", ...).
[[nodiscard]] QString cellName(Cell cell);
/// The caption a cell shows before the first frame.
[[nodiscard]] QString cellCaption(Cell cell);
/// The cell at `offset` places after `first` (array elements follow each other).
[[nodiscard]] constexpr Cell cellAt(Cell first, int offset)
{
    return static_cast<Cell>(static_cast<int>(first) + offset);
}
[[nodiscard]] constexpr int cellIndex(Cell cell)
{
    return static_cast<int>(cell);
}

/// Digit cell `digit` (0-3) of LCD digit group `group` (0-3: HighO, LowO, HighV, LowV).
[[nodiscard]] Cell digitCell(int group, int digit);
/// Decimal-point cell `k` (0-2, i.e. element k+1) of digit group `group` (0-3).
[[nodiscard]] Cell pointCell(int group, int k);
/// Minus cell of digit group `group` (0-3).
[[nodiscard]] Cell minusCell(int group);
/// Range picture `RS` k (0-6).
[[nodiscard]] constexpr Cell rangeCell(int k)
{
    return cellAt(Cell::RS_0, k);
}
