#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

/// The meter holds comparator sets 1..99.
inline constexpr int ComparatorSetCount = 99;
/// Length of the meter's answer to "W": a framing byte, 99 sets of 10 bytes, a framing byte
/// and one more.
inline constexpr qsizetype ComparatorReplyLength = 992;
/// A table entry: the 10 bytes of a set as upper-case hex digits.
inline constexpr int ComparatorEntryDigits = 20;

/// The comparator table: entries 0..99 (0 unused), each 20 hex digits or empty.
using ComparatorTexts = std::array<QString, ComparatorSetCount + 1>;

/// The entry of set `set` (1..99): reply bytes 10·set−8 .. 10·set+1 (counted from 1) as 20
/// upper-case hex digits. Empty when the set is out of range or the reply too short.
[[nodiscard]] QString comparatorEntryFromReply(QByteArrayView reply, int set);
/// Every entry of a reply; of a reply longer than 992 bytes the first 992 count.
[[nodiscard]] ComparatorTexts comparatorTableFromReply(QByteArrayView reply);

/// True for an entry of exactly 20 hex digits.
[[nodiscard]] bool isComparatorEntry(const QString& entry);

/// The grid row of set `set` from its entry: the number, resistance high and low ("01.23 /
/// 40 mOhm"), voltage high and low ("12.34"). Empty when the entry is not 20 hex digits.
[[nodiscard]] QStringList comparatorGridRow(int set, const QString& entry);

/// One limit as the comparator window's editors hold it.
struct ComparatorLimitEdit
{
    /// The four digit lists, one character each; empty for a list with nothing chosen. A set
    /// with garbled nibbles loads characters that are no digit ("F", " ", "-").
    std::array<QString, 4> digits;
    /// The decimal choice: 1..3 for a resistance, 1..2 for a voltage, 0 for none selected.
    int choice = 0;
    /// A resistance limit's unit list shows " mOhm" (otherwise " Ohm").
    bool milliOhm = false;

    bool operator==(const ComparatorLimitEdit&) const = default;
};

/// The four limits of one set, in table order.
struct ComparatorEdit
{
    ComparatorLimitEdit ohmHigh;
    ComparatorLimitEdit ohmLow;
    ComparatorLimitEdit voltHigh;
    ComparatorLimitEdit voltLow;

    bool operator==(const ComparatorEdit&) const = default;
};

/// Loads an entry into editor state: each format byte's lowest set bit of a group selects its
/// option (none set: nothing selected), the unit bits pick the unit lists, and each digit pair
/// gives four display characters. Nothing when the entry is not 20 hex digits.
[[nodiscard]] std::optional<ComparatorEdit> comparatorEditFromEntry(const QString& entry);

/// What Update sends and writes back.
struct ComparatorUpdate
{
    ComparatorEdit edit; ///< the editors after the voltage clamp
    int set = 1;         ///< the set number sent
    QByteArray message;  ///< the 11 bytes after "R"
    QString entry;       ///< the set's new table entry
    QStringList row;     ///< the set's new grid row
};

/// Builds the set message of Update for `set` (0 means set 1). A voltage with choice 2 above
/// 60.00 is clamped to 6000 first. Nothing when a digit list holds no digit 0-9, so garbled
/// nibbles are never written into the meter.
[[nodiscard]] std::optional<ComparatorUpdate> comparatorUpdate(const ComparatorEdit& edit, int set);
