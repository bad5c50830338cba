#pragma once

#include <QColor>

#include <array>

/// The colours of the seven live series, the same in the live and the detail graph and in
/// their legends: voltage, current, temperature, resistance, In-Cap, Out-Cap, T-Cap.
inline const std::array<QColor, 7> kChannelColours{{
    QColor(255, 215, 0),
    QColor(255, 85, 85),
    QColor(60, 220, 60),
    QColor(80, 160, 255),
    QColor(0, 220, 220),
    QColor(255, 140, 0),
    QColor(255, 100, 255),
}};

/// The capacity axis and the capacity legend's caption and brackets (three traces share it).
inline const QColor kCapacityAxisColour(230, 230, 230);

/// The background of the live and the detail graph windows.
inline const QColor kGraphWindowTeal(0, 128, 128);
