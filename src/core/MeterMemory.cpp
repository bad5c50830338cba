#include "MeterMemory.h"

#include "ProgressText.h"

#include <cmath>
#include <cstring>

namespace {

bool markerAt(QByteArrayView data, qsizetype pos)
{
    return pos >= 0 && pos + 4 <= data.size() &&
           std::memcmp(data.data() + pos, SetMarker, sizeof SetMarker) == 0;
}

// Length of the well-formed set that starts at `pos`, or 0 when there is none.
qsizetype setLengthAt(QByteArrayView data, qsizetype pos)
{
    if (!markerAt(data, pos))
        return 0;
    for (qsizetype end = pos + SetHeaderLength + AutoRecordLength; end <= data.size();
         end += AutoRecordLength) {
        if (end == data.size() || markerAt(data, end))
            return end - pos;
    }
    return 0; // the data end inside a record
}

QString kilobytes(double value)
{
    // One decimal, halves away from zero, and never "-0.0".
    const double rounded = std::round(value * 10.0) / 10.0 + 0.0;
    return QString::number(rounded, 'f', 1) + QStringLiteral(" K");
}

} // namespace

qsizetype autoReplyLength(const MeterStatus& status)
{
    if (status.MemPointer <= AutoMemoryStart)
        return 0;
    return qsizetype(status.MemPointer - AutoMemoryStart) + 2;
}

qsizetype manualReplyLength(const MeterStatus& status)
{
    if (status.ManualCount == 0)
        return 0;
    return qsizetype(status.ManualCount) * ManualRecordLength + 2;
}

int manualRecordCount(QByteArrayView reply)
{
    if (reply.size() < 1)
        return 0;
    return int((reply.size() - 1) / ManualRecordLength);
}

QByteArrayView manualRecord(QByteArrayView reply, int k)
{
    if (k < 1 || k > manualRecordCount(reply))
        return {};
    return reply.sliced(1 + ManualRecordLength * (k - 1), ManualRecordLength);
}

MemorySplit splitAutoMemory(QByteArrayView reply)
{
    MemorySplit split;
    if (reply.size() <= 2)
        return split;
    const QByteArrayView data = reply.sliced(1, reply.size() - 2);
    qsizetype pos = 0;
    while (pos < data.size()) {
        const qsizetype length = setLengthAt(data, pos);
        if (length == 0) {
            split.unreadBytes = data.size() - pos;
            break;
        }
        split.sets.append(data.sliced(pos, length).toByteArray());
        pos += length;
    }
    return split;
}

int setRecordCount(QByteArrayView set)
{
    if (set.size() < SetHeaderLength)
        return 0;
    return int((set.size() - SetHeaderLength) / AutoRecordLength);
}

QString setGridRow(int number, QByteArrayView set)
{
    const QChar tab = QLatin1Char('\t');
    QString row = QString::number(number) + tab;
    if (set.size() < SetHeaderLength)
        return row + tab + tab + QLatin1Char('0');
    const auto byte = [&](int n) { return quint8(set[n - 1]); };
    row += QString::asprintf("%02X:%02X:%02X", byte(7), byte(8), byte(9));
    row += tab + QString::number(byte(5)) + tab + QString::number(setRecordCount(set));
    return row;
}

QString memorySizeText(const MeterStatus& status)
{
    return QString::number(qint64(status.SizeCode) * 64) + QStringLiteral(" K");
}

QString memoryRemainText(const MeterStatus& status, bool memoryFull)
{
    if (memoryFull)
        return QStringLiteral("0 K");
    return kilobytes((double(status.SizeCode) * 65536.0 - double(status.MemPointer)) / 1024.0);
}

QString manualOnlyRemainText(const MeterStatus& status)
{
    const qint64 end = (qint64(status.SizeCode) - 2) * 65535 + 129991;
    if (qint64(status.MemPointer) >= end)
        return QStringLiteral("0 K");
    if (status.MemPointer > AutoMemoryStart)
        return memoryRemainText(status, false);
    return memorySizeText(status);
}

QString memoryProgressText(char prefix, qint64 received, qint64 total)
{
    return QString(QLatin1Char(prefix)) + QLatin1Char(' ') + percentCompleted(received, total);
}
