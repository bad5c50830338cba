// Any bytes as a data file opened into a list and plotted column by column: read to its end or
// refused, nine cells a row, and every plotted value finite and inside the widened range. The
// same bytes converted to CSV: refused with a reason, or one line per row of twelve fields.
#include "ColumnPlot.h"
#include "CsvReadings.h"
#include "DataFileReader.h"
#include "ValueText.h"

#include <QBuffer>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    DataFileReader reader(buffer);
    QStringList titles{"No.s",    "Time",   "V",       "400 mOhm", "Amp",
                       "Celsius", "In-Cap", "Out-Cap", "T-Cap"};
    std::array<QStringList, DataFileReader::CellCount> columns;
    for (bool more = true; more;) {
        switch (reader.next()) {
        case DataFileReader::Result::Header:
            titles = DataFileHeader::fromLine(reader.headerLine()).appliedTo(titles);
            break;
        case DataFileReader::Result::Row:
            if (reader.cells().size() != DataFileReader::CellCount)
                __builtin_trap();
            for (int c = 0; c < DataFileReader::CellCount; ++c)
                columns[static_cast<std::size_t>(c)].append(reader.cells()[c]);
            break;
        default:
            more = false;
            break;
        }
    }
    if (titles.size() != DataFileReader::CellCount)
        __builtin_trap();

    for (int c = 0; c < DataFileReader::CellCount; ++c) {
        const std::optional<ColumnKind> kind = columnKind(c, titles[c]);
        if (!kind)
            continue;
        const QStringList& texts = columns[static_cast<std::size_t>(c)];
        const ColumnValues plotted = columnValues(texts, kind->fullScaleMax, kind->fullScaleMin);
        if (plotted.values.size() != static_cast<std::size_t>(texts.size()))
            __builtin_trap();
        for (const float v : plotted.values) {
            if (!std::isfinite(v) || v > plotted.valueMax || v < plotted.valueMin)
                __builtin_trap();
            if (formatNumber(v, kind->valueFormat).isEmpty())
                __builtin_trap();
        }
    }

    const CsvConversion csv = convertDataFile(bytes, QDate(2026, 12, 31));
    if (!csv.error.isEmpty()) {
        if (!csv.csv.isEmpty() || csv.rows != 0)
            __builtin_trap();
        return 0;
    }
    if (csv.csv.count('\n') != csv.rows + 1 || !csv.csv.endsWith('\n'))
        __builtin_trap();
    int fields = 1;
    bool quoted = false;
    for (const char c : csv.csv) {
        if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            ++fields;
        else if (c == '\n' && !quoted) {
            if (fields != 12)
                __builtin_trap();
            fields = 1;
        }
    }
    return 0;
}
