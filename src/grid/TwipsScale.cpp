#include "TwipsScale.h"

#include <QScreen>

TwipsScale TwipsScale::forScreen(const QScreen* screen)
{
    return TwipsScale(screen ? screen->logicalDotsPerInch() : 96.0);
}
