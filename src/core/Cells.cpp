#include "Cells.h"

#include <array>

namespace {

struct CellInfo
{
    const char* name;
    const char* caption;
};

constexpr std::array<CellInfo, CellCount> kCells{{
#define CELLDESK_CELL_INFO(name, caption) {#name, caption},
    CELLDESK_CELLS(CELLDESK_CELL_INFO)
#undef CELLDESK_CELL_INFO
}};

constexpr std::array<Cell, 4> kDigitFirst{Cell::HighO_1, Cell::LowO_1, Cell::HighV_1, Cell::LowV_1};
constexpr std::array<Cell, 4> kPointFirst{Cell::HighODec_1, Cell::LowODec_1, Cell::HighVDec_1,
                                          Cell::LowVDec_1};
constexpr std::array<Cell, 4> kMinus{Cell::HighONeg, Cell::LowONeg, Cell::HighVNeg, Cell::LowVNeg};

} // namespace

QString cellName(Cell cell)
{
    return QString::fromLatin1(kCells.at(cellIndex(cell)).name);
}

QString cellCaption(Cell cell)
{
    return QString::fromUtf8(kCells.at(cellIndex(cell)).caption);
}

Cell digitCell(int group, int digit)
{
    return cellAt(kDigitFirst.at(group), digit);
}

Cell pointCell(int group, int k)
{
    return cellAt(kPointFirst.at(group), k);
}

Cell minusCell(int group)
{
    return kMinus.at(group);
}
