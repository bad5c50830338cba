#include "PanelModel.h"

#include "DisplayDecoder.h"

namespace {

// Indicator cells whose visibility follows their flag in every frame.
constexpr std::array kIndicatorCells{
    Cell::LcdOhmm,    Cell::LcdVm,    Cell::LcdA_m,     Cell::LcdLow,  Cell::LcdAM,
    Cell::LcdComSet,  Cell::LcdAHUp,  Cell::LcdHigh,    Cell::LcdH,    Cell::LcdOADJ,
    Cell::LcdAuto,    Cell::LcdOhmV,  Cell::LcdTemV,    Cell::LcdBt,   Cell::LcdBi,
    Cell::LcdAvg,     Cell::LcdInCap, Cell::UnitA,      Cell::LcdAV,   Cell::UnitOhm,
    Cell::UnitV,      Cell::UnitVOhm, Cell::LcdTCap,    Cell::LcdRC,   Cell::LcdOutCap,
    Cell::LcdCCA,     Cell::Lcdm_0,   Cell::Lcdm_1,     Cell::Lcdm_2,  Cell::LcdSOC,
    Cell::LcdPercent, Cell::LcdAh_0,  Cell::LcdAh_1,    Cell::LcdAh_2, Cell::LcdSOH,
    Cell::DPoint_0,   Cell::DPoint_1, Cell::DPoint_2,   Cell::LcdSqR,  Cell::LcdSqM,
    Cell::LcdNo,      Cell::LineNo,   Cell::LcdCompUp,  Cell::LcdTime, Cell::LcdIntv,
    Cell::LcdSet,     Cell::LcdFail,  Cell::LcdWarning, Cell::LcdPass, Cell::LcdComp};

constexpr std::array kValueHolders{Cell::LblV, Cell::LblOhm, Cell::LblA, Cell::LblTemp};

// Cells that a change of the blink selector makes visible again.
constexpr std::array kFieldCells{Cell::LblMR, Cell::LblDD, Cell::LblHH, Cell::LblMM, Cell::LblSS};

// While these function codes are active the meter edits the cell, and it blinks instead
// of following its flag.
bool blinkOwnsIndicator(Cell c, int functionCode)
{
    switch (functionCode) {
    case 4:
        return c == Cell::LcdOADJ;
    case 8:
        return c == Cell::LcdVm || c == Cell::UnitVOhm;
    case 12:
        return c == Cell::LcdOhmm || c == Cell::UnitOhm;
    default:
        return false;
    }
}

} // namespace

PanelModel::PanelModel()
{
    for (int i = 0; i < CellCount; ++i)
        m_cells[i].text = cellCaption(static_cast<Cell>(i));
    for (int k = 0; k < 7; ++k)
        m_cells[cellIndex(rangeCell(k))].visible = false;
    for (Cell c : kValueHolders)
        m_cells[cellIndex(c)].visible = false;
}

CellFlags PanelModel::takeDirty()
{
    const CellFlags dirty = m_dirty;
    m_dirty.reset();
    return dirty;
}

void PanelModel::setVisible(Cell c, bool visible)
{
    CellState& s = m_cells[cellIndex(c)];
    if (s.visible != visible) {
        s.visible = visible;
        m_dirty.set(cellIndex(c));
    }
}

void PanelModel::setText(Cell c, const QString& text)
{
    CellState& s = m_cells[cellIndex(c)];
    if (s.text != text) {
        s.text = text;
        m_dirty.set(cellIndex(c));
    }
}

void PanelModel::showRangePicture(int k)
{
    for (int i = 0; i < 7; ++i)
        setVisible(rangeCell(i), i == k);
}

void PanelModel::stepRangePicture()
{
    showRangePicture(m_rangePosition);
    m_rangePosition += m_rangeDirection;
    if (m_rangePosition == 7) {
        m_rangePosition = 5;
        m_rangeDirection = -1;
    } else if (m_rangePosition == -1) {
        m_rangePosition = 1;
        m_rangeDirection = 1;
    }
}

void PanelModel::applyFrame(QByteArrayView frame, CurrentReading& r, bool frozen)
{
    const PointCellUpdates points = decodeDisplayFrame(frame, r, frozen);
    for (int g = 0; g < 4; ++g) {
        if (const auto field = points.fields[g]) {
            for (int k = 0; k < 3; ++k)
                setVisible(pointCell(g, k), (*field >> k) & 1);
        }
    }

    if (r.RangeCode != m_prevRangeCode)
        showRangePicture(rangeImageFor(r.RangeCode).value_or(-1));
    m_prevRangeCode = r.RangeCode;

    for (int g = 0; g < 4; ++g) {
        setText(kValueHolders[g], r.valueTexts[g]);
        for (int d = 0; d < 4; ++d)
            setText(digitCell(g, d), r.digits[g].mid(d, 1));
        setVisible(minusCell(g), r.minus[g]);
    }
    for (int cap = 0; cap < 3; ++cap)
        setText(cellAt(Cell::LblmAh_0, cap), r.valueTexts[CurrentReading::InCap + cap]);
    setText(Cell::LblPercent, r.percentText);
    setText(Cell::LblMR, r.threeCharText);
    setText(Cell::LblDD, r.twoCharText);
    setText(Cell::LblHH, r.hoursText);
    setText(Cell::LblMM, r.minutesText);
    setText(Cell::LblSS, r.secondsText);

    applyIndicators(r);
    applyBlink(r, static_cast<quint8>(frame[34]));
}

void PanelModel::applyIndicators(const CurrentReading& r)
{
    for (Cell c : kIndicatorCells) {
        if (!blinkOwnsIndicator(c, r.FunctionCode))
            setVisible(c, r.lit(c));
    }
    setVisible(Cell::UnitC, r.celsius);
    setVisible(Cell::UnitF, !r.celsius && r.fahrenheit);
}

// Inverts point cell `blinking` (0-based) of a group of `count` point cells and hides the others.
void PanelModel::blinkPoint(Cell first, int count, int blinking)
{
    for (int k = 0; k < count; ++k) {
        if (k == blinking)
            invert(cellAt(first, k));
        else
            setVisible(cellAt(first, k), false);
    }
}

// A unit being edited blinks: with its milli prefix lit, the prefix blinks and the unit
// follows it; otherwise the prefix stays dark and the unit blinks alone.
void PanelModel::blinkUnit(Cell prefix, Cell unit, bool prefixLit)
{
    if (prefixLit) {
        invert(prefix);
        setVisible(unit, cell(prefix).visible);
    } else {
        setVisible(prefix, false);
        invert(unit);
    }
}

void PanelModel::applyBlink(const CurrentReading& r, int selector)
{
    if (selector != m_prevBlinkSelector) {
        for (int g = 0; g < 4; ++g) {
            for (int d = 0; d < 4; ++d)
                setVisible(digitCell(g, d), true);
        }
        for (Cell c : kFieldCells)
            setVisible(c, true);
    }
    m_prevBlinkSelector = selector;

    switch (r.FunctionCode) {
    case 0:
        if (selector <= 15)
            invert(digitCell(selector / 4, selector % 4));
        else if (selector >= 42 && selector <= 46)
            invert(kFieldCells[selector - 42]);
        else if (selector == 47) {
            invert(Cell::LblMM);
            invert(Cell::LblSS);
        }
        break;
    case 1:
    case 2:
    case 3:
        blinkPoint(Cell::HighODec_1, 3, 3 - r.FunctionCode);
        break;
    case 4:
        invert(Cell::LcdOADJ);
        break;
    case 5:
    case 6:
    case 7:
        blinkPoint(Cell::LowODec_1, 3, 7 - r.FunctionCode);
        break;
    case 8:
        blinkUnit(Cell::LcdVm, Cell::UnitVOhm, r.lit(Cell::LcdVm));
        break;
    case 10:
    case 11:
        blinkPoint(Cell::HighVDec_1, 2, 11 - r.FunctionCode);
        break;
    case 12:
        blinkUnit(Cell::LcdOhmm, Cell::UnitOhm, r.lit(Cell::LcdOhmm));
        break;
    case 14:
    case 15:
        blinkPoint(Cell::LowVDec_1, 2, 15 - r.FunctionCode);
        break;
    default:
        break;
    }
}
