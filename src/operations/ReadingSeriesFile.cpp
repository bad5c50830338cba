#include "ReadingSeriesFile.h"

#include "CsvReadings.h"
#include "DataFileOpen.h"

#include <QDir>
#include <QFileInfo>

LoadedSeries loadReadingSeries(const QString& path, QDate firstDate)
{
    LoadedSeries loaded;
    const QString shown = QDir::toNativeSeparators(path);
    const OpenedDataFile opened = openDataFile(path);
    if (!opened.file) {
        loaded.failure = opened.notData.isEmpty()
                             ? QStringLiteral("%1 cannot be read: %2").arg(shown, opened.failure)
                             : QStringLiteral("%1 is no recording: %2").arg(shown, opened.notData);
        return loaded;
    }
    const QByteArray bytes = opened.file->readAll();
    if (opened.file->error() != QFileDevice::NoError) {
        loaded.failure =
            QStringLiteral("%1 cannot be read: %2").arg(shown, opened.file->errorString());
        return loaded;
    }
    if (!firstDate.isValid() && !ReadingSeries::isCsv(bytes))
        firstDate = dataFileFirstDate(bytes, QFileInfo(path).lastModified());
    loaded.series = ReadingSeries::fromFile(bytes, firstDate);
    if (!loaded.series.error().isEmpty())
        loaded.failure = QStringLiteral("%1 is no recording: %2").arg(shown, loaded.series.error());
    else if (loaded.series.rows() == 0)
        loaded.failure = QStringLiteral("%1 holds no readings.").arg(shown);
    return loaded;
}
