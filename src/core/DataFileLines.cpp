#include "DataFileLines.h"

#include <algorithm>

namespace {

const QLatin1Char kTab('\t');

} // namespace

QString ReadingLine(const QString& stamp, const CurrentReading& reading)
{
    QString line = stamp;
    line.reserve(64);
    for (int g = CurrentReading::Voltage; g < CurrentReading::GroupCount; ++g) {
        line += kTab;
        line += reading.valueTexts[g];
        if (g >= CurrentReading::InCap && reading.capMilli[g - CurrentReading::InCap])
            line += QLatin1String("(m)");
    }
    return line;
}

QString recorderLine(qint32 count, const QString& readingLine)
{
    return QString::number(count) + kTab + readingLine;
}

QString currentTitle(bool milliAmps)
{
    return milliAmps ? QStringLiteral("mAmp") : QStringLiteral("Amp");
}

QString recorderHeader(const QString& rangeText, bool milliAmps, const QString& tempUnitText)
{
    return QLatin1String("No.s\tTime\tV\t") + rangeText + kTab + currentTitle(milliAmps) + kTab +
           tempUnitText + QLatin1String("\tIn-Cap \tOut-Cap \tT-Cap ");
}

QString gridSaveLine(std::span<const QStringView> cells)
{
    QString line;
    qsizetype size = 0;
    for (QStringView cell : cells)
        size += cell.size() + 1;
    line.reserve(size);
    for (QStringView cell : cells) {
        line += cell;
        line += kTab;
    }
    return line;
}

QString printLine(std::span<const QStringView> cells)
{
    QString line;
    line.reserve(96);
    const size_t printed = std::min(cells.size(), PrintColumnWidths.size());
    for (size_t c = 0; c < printed; ++c) {
        const QStringView cell = cells[c];
        line += cell;
        // Never cut a cell: "12.34 / 40 mOhm" cut to its column would read as another value.
        const qsizetype width = PrintColumnWidths[c];
        line.append(QString(cell.size() <= width ? width - cell.size() : 1, QLatin1Char(' ')));
    }
    return line;
}

QByteArray dataFileBytes(QStringView line)
{
    QByteArray bytes = line.toLatin1();
    bytes.append("\r\n", 2);
    return bytes;
}
