#pragma once

#include "Cells.h"
#include "CurrentReading.h"

#include <QByteArrayView>
#include <QString>

#include <array>

/// What one front-panel cell shows.
struct CellState
{
    QString text;
    bool visible = true;
};

/// The state of every cell of the front panel's LCD area, and the rules that turn decoded
/// display frames into it: digits, points, signs, indicators, range pictures and blinking.
/// The window only shows what this model holds; cells that changed are reported as dirty.
class PanelModel
{
public:
    PanelModel();

    /// Decodes one validated display frame into `reading` and updates the cells.
    /// `frozen` keeps the decimal-point cells as they are (stored data is being decoded).
    void applyFrame(QByteArrayView frame, CurrentReading& reading, bool frozen);
    /// A tick that recovered from a lost link decodes nothing; the next frame's blink
    /// selector then counts as changed.
    void forgetBlinkSelector() { m_prevBlinkSelector = 0; }
    /// The "Range" button: steps the range picture 0..6..0 without talking to the meter.
    void stepRangePicture();

    [[nodiscard]] const CellState& cell(Cell c) const { return m_cells[cellIndex(c)]; }
    /// The cells changed since the last call.
    [[nodiscard]] CellFlags takeDirty();

private:
    void setVisible(Cell c, bool visible);
    void setText(Cell c, const QString& text);
    void invert(Cell c) { setVisible(c, !cell(c).visible); }
    void showRangePicture(int k);
    void applyIndicators(const CurrentReading& r);
    void applyBlink(const CurrentReading& r, int selector);
    void blinkPoint(Cell first, int count, int blinking);
    void blinkUnit(Cell prefix, Cell unit, bool prefixLit);

    std::array<CellState, CellCount> m_cells;
    CellFlags m_dirty;
    int m_prevRangeCode = 0;
    int m_prevBlinkSelector = 0;
    int m_rangePosition = 0;
    int m_rangeDirection = 1;
};
