#pragma once

#include <QByteArray>

#include <initializer_list>
#include <utility>

/// A display frame for tests: STX, blank digits, no indicators, no cell selected for
/// blinking (selector 0xFF), ETX; then the given
/// (byte number from 1, value) pairs.
inline QByteArray frameWith(std::initializer_list<std::pair<int, int>> bytes = {})
{
    QByteArray frame(36, '\0');
    frame[0] = 0x02;
    for (int n = 2; n <= 22; ++n)
        frame[n - 1] = static_cast<char>(0xAA);
    frame[34] = static_cast<char>(0xFF);
    frame[35] = 0x03;
    for (const auto& [n, value] : bytes)
        frame[n - 1] = static_cast<char>(value);
    return frame;
}
