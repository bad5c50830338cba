#pragma once

#include <QRect>
#include <QtGlobal>

class QScreen;

/// Converts the twips (1/1440 inch) in which the window layouts are drawn up into pixels
/// of a screen with a given logical DPI.
class TwipsScale
{
public:
    /// A scale for `logicalDpi` dots per inch; anything not positive means 96.
    explicit TwipsScale(qreal logicalDpi = 96.0) : m_dpi(logicalDpi > 0 ? logicalDpi : 96.0) {}

    /// The scale of `screen`, or of 96 dpi when there is no screen.
    [[nodiscard]] static TwipsScale forScreen(const QScreen* screen);

    [[nodiscard]] qreal dpi() const { return m_dpi; }
    /// A length in pixels.
    [[nodiscard]] int px(int twips) const { return qRound(twips * m_dpi / 1440.0); }
    /// A rectangle in pixels. Its edges are converted, not its size, so cells laid out on a
    /// fixed pitch stay on that pitch after rounding.
    [[nodiscard]] QRect rect(const QRect& twips) const
    {
        const int left = px(twips.x());
        const int top = px(twips.y());
        return {left, top, px(twips.x() + twips.width()) - left,
                px(twips.y() + twips.height()) - top};
    }

private:
    qreal m_dpi;
};
