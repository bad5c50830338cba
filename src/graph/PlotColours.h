#pragma once

#include <QColor>
#include <QPen>

// How the graphs draw their colours on the screen's dark plot area and on a printed page.

/// Whether `colour` is a dark ground, on which colours are drawn as they are.
[[nodiscard]] bool isDarkColour(const QColor& colour);
/// `colour` as it reads on `ground`: the same hue, darkened on a light ground (a printed page).
[[nodiscard]] QColor readableOn(const QColor& colour, const QColor& ground);
/// A plot's pen on a plot area of colour `ground`: one device pixel wide on the screen, wider
/// on a light ground, where a print drawn at a higher density would make it a hairline.
[[nodiscard]] QPen plotPen(const QColor& colour, const QColor& ground);
