#pragma once

/// The command characters the program writes to the meter.
namespace Command {
inline constexpr char Status = 'A';           ///< status request, answered with 9 bytes
inline constexpr char KeepAlive = 'a';        ///< sent every 10 s
inline constexpr char SendAutoMemory = 'I';   ///< automatically recorded memory
inline constexpr char SendManualMemory = 'T'; ///< manually recorded memory
inline constexpr char EraseAutoMemory = 'Y';
inline constexpr char EraseManualMemory = 'Z';
inline constexpr char SendComparators = 'W'; ///< 992-byte comparator table
inline constexpr char WriteComparator = 'R'; ///< followed by 11 bytes
inline constexpr char ReportInterval = 'V';  ///< answer's second byte: interval in seconds
inline constexpr char SetInterval = 'S';     ///< followed by one byte, 1-255 s
inline constexpr char ReportClock = 'U';     ///< 6-byte clock frame
inline constexpr char SetClock = 'Q';        ///< followed by day, hour, minute, second, second

// Remote keys: short press, held over 2 s, held over 5 s.
inline constexpr char Arrow0Short = 'E', Arrow0Long = 'K', Arrow0VeryLong = 'L';
inline constexpr char Arrow1Short = 'D', Arrow1Long = 'J';
inline constexpr char Arrow2Short = 'C', Arrow2Long = '\\';
inline constexpr char Arrow3 = 'B';
inline constexpr char Gray0Short = 'H', Gray0Long = 'O', Gray0VeryLong = '[';
inline constexpr char Gray1Short = 'G', Gray1Long = 'N';
inline constexpr char Gray2Short = 'F', Gray2Long = 'X';
} // namespace Command
