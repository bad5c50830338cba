#pragma once

#include "Cells.h"

#include <QRect>

/// How the front panel draws one cell.
enum class CellLook
{
    BigDigit,    ///< one seven-segment digit of the four main rows
    BigPoint,    ///< decimal point between two big digits
    BigMinus,    ///< minus sign in front of a big digit group
    SmallDigits, ///< small seven-segment field (percent, number, date, time)
    SmallValue,  ///< small seven-segment value with room for a sign (capacities)
    SmallColon,  ///< colon between two fields of the time row
    Word,        ///< LCD indicator word such as "HIGH"
    Symbol,      ///< unit symbol (picture) beside a big digit group
    Prefix,      ///< small LCD picture: the milli prefix, "Ah", "AUTO" ...
    Boxed,       ///< a letter in a frame (picture)
    Line,        ///< the line of the memory number (picture)
    Pointer,     ///< range pointer above the range scale (picture)
    ValueHolder, ///< value text kept for the rest of the program, never shown
};

/// Where and how a cell is drawn: `twips` is relative to the window's client area below the
/// toolbar. A width of 0 means "as wide as the caption".
struct CellPlace
{
    QRect twips;
    CellLook look = CellLook::Word;
};

/// The arrangement of the meter picture on the window, in twips of the client area below the
/// toolbar. The places of the window's design are kept; the rest are chosen to sit
/// beside what they qualify.
namespace PanelLayout {

inline constexpr int ClientWidth = 4665;
inline constexpr int ClientHeight = 9090;

inline constexpr QRect Case{30, 30, 4605, 9030};
inline constexpr QRect Bezel{135, 450, 4455, 3810};
/// The lit LCD glass; every LCD cell lies inside it.
inline constexpr QRect Glass{210, 915, 4305, 3255};
inline constexpr QRect Keypad{285, 4365, 4095, 3720};
inline constexpr QRect StatusStrip{150, 8460, 4365, 480};

inline constexpr QRect Name{600, 600, 3345, 285};
inline constexpr QRect Range{1913, 7620, 840, 375};
inline constexpr QRect LinkLabel{3240, 8520, 1215, 360};
inline constexpr QRect RecLabel{240, 8520, 480, 360};
inline constexpr QRect CountLabel{750, 8520, 900, 360};
inline constexpr QRect FileNameLabel{1680, 8520, 1530, 360};
/// `LblRec` while it says why no sample is taken: the room of the count and the file name too.
inline constexpr QRect RecWaitingLabel{240, 8520, 2970, 360};

/// Heights in twips of the fonts, so they scale with the screen like the places.
inline constexpr int BigDigitFont = 420;
inline constexpr int BigPointFont = 300;
inline constexpr int SmallDigitFont = 165;
inline constexpr int WordFont = 120;
inline constexpr int SymbolFont = 210;
inline constexpr int NameFont = 180;
inline constexpr int KeyFont = 150;
inline constexpr int StatusFont = 165;

inline constexpr int ArrowKeyCount = 4;
inline constexpr int GrayKeyCount = 3;
inline constexpr int RangeSteps = 7;

/// Place and look of `cell`.
[[nodiscard]] CellPlace cellPlace(Cell cell);
/// Segment `k` (0-6) of the static range scale `ImgR`.
[[nodiscard]] QRect rangeScale(int k);
/// Arrow key `k`: 0 left, 1 right, 2 up, 3 down.
[[nodiscard]] QRect arrowKey(int k);
/// Grey key `k` (0-2), left to right.
[[nodiscard]] QRect grayKey(int k);

} // namespace PanelLayout
