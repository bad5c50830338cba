#pragma once

#include "CurrentReading.h"

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

/// The titles of a list of readings under the units in force: the live reading's range and
/// temperature unit, and each capacity followed by the blank the recorder's header has.
inline QStringList readingListTitles(const CurrentReading& reading)
{
    return {QStringLiteral("No.s"),    QStringLiteral("Time"),     QStringLiteral("V"),
            reading.RangeText,         QStringLiteral("Amp"),      reading.TempUnitText,
            QStringLiteral("In-Cap "), QStringLiteral("Out-Cap "), QStringLiteral("T-Cap ")};
}
