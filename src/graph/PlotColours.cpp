#include "PlotColours.h"

bool isDarkColour(const QColor& colour)
{
    return colour.lightnessF() < 0.5;
}

QColor readableOn(const QColor& colour, const QColor& ground)
{
    if (isDarkColour(ground))
        return colour;
    QColor c = colour;
    for (int i = 0; i < 8 && c.lightnessF() > 0.42; ++i)
        c = c.darker(125);
    return c;
}

QPen plotPen(const QColor& colour, const QColor& ground)
{
    return QPen(readableOn(colour, ground), isDarkColour(ground) ? 1.0 : 2.0);
}
