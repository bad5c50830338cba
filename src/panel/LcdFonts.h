#pragma once

#include <QFont>
#include <QString>

/// The fonts of the front panel: a seven-segment face for the LCD digits, a narrow bold face
/// for the LCD's indicator words and unit symbols, and the face of the printed captions.
class LcdFonts
{
public:
    /// The seven-segment family ("DSEG7 Classic", loaded from its file when fontconfig does
    /// not know it), or the system's fixed-pitch family when it is not installed.
    [[nodiscard]] static QString segmentFamily();
    /// True when the seven-segment family is the real one, not the fixed-pitch fallback.
    [[nodiscard]] static bool hasSegmentFont();

    /// Seven-segment digits whose glyphs are `pixelHeight` pixels tall.
    [[nodiscard]] static QFont segment(int pixelHeight);
    /// LCD indicator words ("HIGH", "COMP.SET") and unit symbols.
    [[nodiscard]] static QFont ink(int pixelSize);
    /// Captions printed on the meter's case and keys.
    [[nodiscard]] static QFont caption(int pixelSize);
};
