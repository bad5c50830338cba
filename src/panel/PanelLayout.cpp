#include "PanelLayout.h"

#include <array>

namespace PanelLayout {

namespace {

// The big digits: four groups of four on a 360-twip pitch. A digit is as wide as the
// segment face draws it (its design width only fits an empty caption); each decimal
// point is centred on the gap between its digit and the next one.
constexpr std::array kGroupLeft{735, 2775, 735, 2775};
constexpr std::array kGroupTop{1440, 1440, 1920, 1920};
constexpr std::array kMinusLeft{360, 2400, 360, 2400};
constexpr int kDigitPitch = 360;
constexpr int kBigWidth = 345;
constexpr int kBigHeight = 555;
constexpr int kPointOffset = 281;
constexpr int kPointWidth = 135;

constexpr int kWordHeight = 195;
constexpr int kSmallHeight = 210;
constexpr int kSmallAdvance = 135; // one small segment digit at SmallDigitFont

// Capacities In-Cap, Out-Cap, T-Cap: the value is right-aligned so that four digits start at
// the design left and a minus sign has room in front; "m" and "Ah" stand left of it,
// because the right-hand value reaches the edge of the glass.
constexpr std::array kCapacityLeft{1215, 2535, 3855};
constexpr int kCapacityTop = 2760;

using Places = std::array<CellPlace, CellCount>;

void word(Places& p, Cell c, int left, int top)
{
    p[cellIndex(c)] = {QRect(left, top, 0, kWordHeight), CellLook::Word};
}

void put(Places& p, Cell c, QRect twips, CellLook look)
{
    p[cellIndex(c)] = {twips, look};
}

Places buildPlaces()
{
    Places p{};
    for (int g = 0; g < 4; ++g) {
        for (int d = 0; d < 4; ++d)
            put(p, digitCell(g, d),
                QRect(kGroupLeft[g] + d * kDigitPitch, kGroupTop[g], kBigWidth, kBigHeight),
                CellLook::BigDigit);
        for (int k = 0; k < 3; ++k)
            put(p, pointCell(g, k),
                QRect(kGroupLeft[g] + k * kDigitPitch + kPointOffset, kGroupTop[g], kPointWidth,
                      kBigHeight),
                CellLook::BigPoint);
        put(p, minusCell(g), QRect(kMinusLeft[g], kGroupTop[g], kBigWidth, kBigHeight),
            CellLook::BigMinus);
    }

    // Units beside the big rows: prefixes on the left of the symbol. The resistance slot also
    // carries the small "mV" that the meter's settings edit right after the resistance points.
    put(p, Cell::UnitV, QRect(2160, 1665, 240, 285), CellLook::Symbol);
    put(p, Cell::LcdVm, QRect(4200, 1455, 105, kWordHeight), CellLook::Prefix);
    put(p, Cell::UnitVOhm, QRect(4305, 1455, 195, kWordHeight), CellLook::Prefix);
    put(p, Cell::LcdOhmm, QRect(4200, 1665, 105, 285), CellLook::Prefix);
    put(p, Cell::UnitOhm, QRect(4290, 1665, 225, 285), CellLook::Symbol);
    put(p, Cell::LcdA_m, QRect(2160, 2145, 105, 285), CellLook::Prefix);
    put(p, Cell::UnitA, QRect(2265, 2145, 135, 285), CellLook::Symbol);
    // Celsius above Fahrenheit, as on thermometers that can show either: before the first
    // frame both are lit and must not print over each other.
    put(p, Cell::UnitC, QRect(4230, 1950, 270, 255), CellLook::Symbol);
    put(p, Cell::UnitF, QRect(4230, 2190, 270, 255), CellLook::Symbol);

    // Mode words above the first indicator row.
    word(p, Cell::LcdBt, 360, 945);
    word(p, Cell::LcdBi, 675, 945);
    word(p, Cell::LcdAV, 2760, 945);
    word(p, Cell::LcdOhmV, 3180, 945);
    word(p, Cell::LcdTemV, 3690, 945);
    for (Cell c : {Cell::LcdBt, Cell::LcdBi, Cell::LcdAV, Cell::LcdOhmV, Cell::LcdTemV})
        p[cellIndex(c)].look = CellLook::Prefix;

    word(p, Cell::LcdOADJ, 540, 1170);
    word(p, Cell::LcdH, 990, 1170);
    word(p, Cell::LcdHigh, 1110, 1170);
    word(p, Cell::LcdAHUp, 1470, 1170);
    word(p, Cell::LcdComSet, 1710, 1170);
    word(p, Cell::LcdAM, 2520, 1170);
    word(p, Cell::LcdLow, 2790, 1170);
    word(p, Cell::LcdAvg, 3210, 1170);

    word(p, Cell::LcdInCap, 600, 2520);
    word(p, Cell::LcdCCA, 1200, 2520);
    word(p, Cell::LcdOutCap, 1920, 2520);
    word(p, Cell::LcdRC, 2760, 2520);
    word(p, Cell::LcdTCap, 3240, 2520);
    word(p, Cell::LcdSOC, 3840, 2520);

    for (int k = 0; k < 3; ++k) {
        const int left = kCapacityLeft[k];
        put(p, cellAt(Cell::LblmAh_0, k),
            QRect(left - kSmallAdvance, kCapacityTop, 5 * kSmallAdvance, kSmallHeight),
            CellLook::SmallValue);
        put(p, cellAt(Cell::Lcdm_0, k), QRect(left - 465, kCapacityTop, 120, kSmallHeight),
            CellLook::Prefix);
        put(p, cellAt(Cell::LcdAh_0, k), QRect(left - 345, kCapacityTop, 195, kSmallHeight),
            CellLook::Prefix);
    }

    put(p, Cell::LblPercent, QRect(600, 3120, 3 * kSmallAdvance, kSmallHeight),
        CellLook::SmallDigits);
    put(p, Cell::LcdPercent, QRect(1020, 3120, 180, kSmallHeight), CellLook::Prefix);
    put(p, Cell::LblMR, QRect(1920, 3120, 3 * kSmallAdvance, kSmallHeight), CellLook::SmallDigits);
    put(p, Cell::LcdSqR, QRect(2385, 3120, 195, kSmallHeight), CellLook::Boxed);
    put(p, Cell::LcdSqM, QRect(2610, 3120, 195, kSmallHeight), CellLook::Boxed);
    constexpr std::array kTimeFields{Cell::LblDD, Cell::LblHH, Cell::LblMM, Cell::LblSS};
    constexpr std::array kTimeLeft{2880, 3240, 3600, 3960};
    for (int k = 0; k < 4; ++k)
        put(p, kTimeFields[k], QRect(kTimeLeft[k], 3120, 2 * kSmallAdvance, kSmallHeight),
            CellLook::SmallDigits);
    for (int k = 0; k < 3; ++k)
        put(p, cellAt(Cell::DPoint_0, k), QRect(3150 + 360 * k, 3120, 90, kSmallHeight),
            CellLook::SmallColon);

    word(p, Cell::LcdCompUp, 1320, 3060);
    word(p, Cell::LcdNo, 1560, 3240);
    put(p, Cell::LineNo, QRect(1560, 3435, 285, 30), CellLook::Line);

    word(p, Cell::LcdSOH, 360, 3480);
    word(p, Cell::LcdComp, 720, 3480);
    word(p, Cell::LcdPass, 1320, 3480);
    word(p, Cell::LcdWarning, 1860, 3480);
    word(p, Cell::LcdFail, 2700, 3480);
    word(p, Cell::LcdSet, 3120, 3480);
    word(p, Cell::LcdIntv, 3480, 3480);
    word(p, Cell::LcdTime, 3930, 3480);

    // The range row at the foot of the glass: "AUTO", then the pointers above the scale.
    word(p, Cell::LcdAuto, 360, 3810);
    p[cellIndex(Cell::LcdAuto)].look = CellLook::Prefix;
    for (int k = 0; k < RangeSteps; ++k) {
        const QRect scale = rangeScale(k);
        put(p, rangeCell(k), QRect(scale.x() + 120, 3720, 240, 150), CellLook::Pointer);
    }

    constexpr std::array kHolders{Cell::LblV, Cell::LblOhm, Cell::LblA, Cell::LblTemp};
    for (int k = 0; k < 4; ++k)
        put(p, kHolders[k], QRect(ClientWidth + 300, 300 + 300 * k, 900, kWordHeight),
            CellLook::ValueHolder);
    return p;
}

} // namespace

CellPlace cellPlace(Cell cell)
{
    static const Places places = buildPlaces();
    return places.at(cellIndex(cell));
}

QRect rangeScale(int k)
{
    return {1080 + 480 * k, 3885, 480, 255};
}

QRect arrowKey(int k)
{
    static constexpr std::array<QRect, ArrowKeyCount> keys{{
        {728, 6060, 1020, 690},  // left
        {2918, 6060, 1020, 690}, // right
        {1823, 5325, 1020, 690}, // up
        {1823, 6795, 1020, 690}, // down
    }};
    return keys.at(k);
}

QRect grayKey(int k)
{
    return {420 + 1328 * k, 4515, 1170, 480};
}

} // namespace PanelLayout
