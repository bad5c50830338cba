#pragma once

#include "CurrentReading.h"
#include "DataFileLines.h"

#include <QStringList>

/// The width texts of the nine columns of a data file (count, time, the seven values), as
/// the real-time list and the file list size them: each column is as wide as its text.
inline const QStringList& dataFileWidthTexts()
{
    static const QStringList texts{QStringLiteral(" 000000 "),    QStringLiteral("HH:NN:SS"),
                                   QStringLiteral("999999"),      QStringLiteral("A400 mOhm"),
                                   QStringLiteral("999999"),      QStringLiteral("AAA999999A"),
                                   QStringLiteral("AOutCapUnit"), QStringLiteral("AAOutCapUnit"),
                                   QStringLiteral("AOutCapUnit")};
    return texts;
}
