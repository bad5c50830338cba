#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <array>

/// What the emulated meter's LCD shows, in readable form; encoded into the 36-byte display frame.
struct SimReading
{
    /// Which temperature unit cell is lit.
    enum class TempUnit
    {
        None,
        Celsius,
        Fahrenheit
    };

    // Value texts as the meter shows them: up to four display characters from "0123456789 FLUC-",
    // at most one "." and, except for the resistance, an optional leading "-" sign. A leading "-"
    // is the sign only when four display characters follow it; otherwise it is a display
    // character. Shorter texts are right-aligned with blanks ("25.0" shows as " 25.0").
    QString voltage = QStringLiteral("12.60");
    QString resistance = QStringLiteral("3.450");
    QString current = QStringLiteral("1.250");
    QString temperature = QStringLiteral("25.0");
    QString inCap = QStringLiteral("0.000");
    QString outCap = QStringLiteral("0.000");
    QString tCap = QStringLiteral("0.000");
    bool resistanceMinus = false;   // lights the resistance group's minus cell only
    bool milliAmps = false;         // current shown in mA
    std::array<bool, 3> capMilli{}; // In-Cap, Out-Cap, T-Cap shown in mAh
    // Plain character fields (digits or blanks), right-aligned to their width.
    QString percent = QStringLiteral("100");
    QString threeChar = QStringLiteral("000");
    QString twoChar = QStringLiteral("00");
    QString hours = QStringLiteral("00");
    QString minutes = QStringLiteral("00");
    QString seconds = QStringLiteral("00");
    TempUnit tempUnit = TempUnit::Celsius;
    quint8 functionCode = 0; // 0-15: the setting the meter is editing
    quint8 rangeCode = 1;    // 0-7: resistance range, 1 = "40 mOhm"
    bool memoryFull = false;
    quint8 blinkSelector = 0xFF; // which cell blinks while a setting is edited; 0xFF none
    // Indicator bits OR-ed into display bytes 23..33 (index 0 = byte 23).
    std::array<quint8, 11> extraIndicatorBits{};
    // Lights UnitV, UnitA and UnitOhm, which a meter shows in every ordinary reading.
    bool defaultUnits = true;
};

/// A value text taken apart the way the display shows it.
struct SimDisplayValue
{
    QString chars;      // exactly four display characters
    int point = 0;      // the point stands after this many characters; 0 = no point
    bool minus = false; // the group's minus sign
};

/// Splits a value text such as "-12.34" into its four display characters, point position and sign.
[[nodiscard]] SimDisplayValue splitValueText(const QString& text, bool allowMinus = true);

/// Packs display characters two per byte, high nibble first (unknown characters become blanks).
[[nodiscard]] QByteArray packDisplayChars(const QString& chars);

/// Builds the 36-byte display frame (STX ... ETX) for a reading.
[[nodiscard]] QByteArray encodeDisplayFrame(const SimReading& reading);
