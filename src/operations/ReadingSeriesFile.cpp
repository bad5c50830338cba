#include "ReadingSeriesFile.h"

#include "CsvReadings.h"
#include "InputFile.h"

#include <QDir>
#include <QFileInfo>

LoadedSeries loadReadingSeries(const QString& path, QDate firstDate)
{
    LoadedSeries loaded;
    const QString shown = QDir::toNativeSeparators(path);
    const std::optional<QByteArray> bytes = readDataFile(path, loaded.failure);
    if (!bytes)
        return loaded;
    if (!firstDate.isValid() && !ReadingSeries::isCsv(*bytes))
        firstDate = dataFileFirstDate(*bytes, QFileInfo(path).lastModified());
    loaded.series = ReadingSeries::fromFile(*bytes, firstDate);
    if (!loaded.series.error().isEmpty())
        loaded.failure = QStringLiteral("%1 is no recording: %2").arg(shown, loaded.series.error());
    else if (loaded.series.rows() == 0)
        loaded.failure = QStringLiteral("%1 holds no readings.").arg(shown);
    else if (!loaded.series.warning().isEmpty())
        loaded.warning = QStringLiteral("%1: %2").arg(shown, loaded.series.warning());
    return loaded;
}
