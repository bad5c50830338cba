#include "DataFileReader.h"

#include <QIODevice>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr qsizetype kChunk = 16 * 1024; // bytes read at a time

const std::array<QLatin1String, 6> kRanges{QLatin1String("4 mOhm"),   QLatin1String("40 mOhm"),
                                           QLatin1String("400 mOhm"), QLatin1String("4 Ohm"),
                                           QLatin1String("40 Ohm"),   QLatin1String("400 Ohm")};

} // namespace

DataFileHeader DataFileHeader::fromLine(QStringView line)
{
    DataFileHeader header{.rangeText = {}, .milliAmps = false, .tempUnitText = {}};
    for (const QLatin1String range : kRanges) {
        if (line.contains(range)) {
            header.rangeText = range;
            break;
        }
    }
    header.milliAmps = line.contains(QLatin1String("mAmp"));
    header.tempUnitText = line.contains(QLatin1String("Celsius")) ? QStringLiteral("Celsius")
                                                                  : QStringLiteral("Fahrenheit");
    return header;
}

QStringList DataFileHeader::appliedTo(QStringList titles) const
{
    while (titles.size() < DataFileReader::CellCount)
        titles.append(QString());
    if (!rangeText.isEmpty())
        titles[3] = rangeText;
    if (milliAmps)
        titles[4] = QStringLiteral("mAmp");
    titles[5] = tempUnitText;
    return titles;
}

bool DataFileReader::startsAsText(QIODevice& device)
{
    const qint64 start = device.pos();
    QByteArray head(TextCheckBytes, Qt::Uninitialized);
    qint64 got = 0;
    while (got < head.size()) {
        const qint64 n = device.read(head.data() + got, head.size() - got);
        if (n <= 0)
            break;
        got += n;
    }
    device.seek(start);
    return !QByteArrayView(head.constData(), got).contains('\0');
}

DataFileReader::DataFileReader(QIODevice& device) : m_device(device)
{
    // A small file needs no large buffer; a file that grows meanwhile is still read whole.
    const qint64 left = device.isSequential() ? kChunk : device.size() - device.pos() + 1;
    m_buffer.resize(qBound<qint64>(256, left, kChunk));
    m_cells.reserve(CellCount);
}

bool DataFileReader::fill()
{
    const qint64 got = m_device.read(m_buffer.data(), m_buffer.size());
    if (got < 0) {
        m_error = m_device.errorString();
        return false;
    }
    m_pos = 0;
    m_end = got;
    if (got == 0)
        m_atEnd = true;
    return true;
}

DataFileReader::LineResult DataFileReader::readLine()
{
    m_line.clear();
    bool consumed = false; // bytes of this line were read (so end of file still ends a line)
    for (;;) {
        if (m_pos >= m_end) {
            m_lineEnded = false;
            if (m_atEnd)
                return consumed ? LineResult::Line : LineResult::End;
            if (!fill())
                return LineResult::Error;
            continue;
        }
        if (m_skipLineFeed) {
            m_skipLineFeed = false;
            if (m_buffer[m_pos] == '\n') {
                ++m_pos;
                continue;
            }
        }
        const char* begin = m_buffer.constData() + m_pos;
        const qsizetype available = m_end - m_pos;
        qsizetype length = 0;
        while (length < available && begin[length] != '\n' && begin[length] != '\r')
            ++length;
        if (m_line.size() + length > MaxLineBytes)
            return LineResult::TooLong;
        m_line.append(begin, length);
        m_pos += length;
        consumed = true;
        if (m_pos < m_end) {
            m_skipLineFeed = m_buffer[m_pos] == '\r';
            ++m_pos;
            m_lineEnded = true;
            return LineResult::Line;
        }
    }
}

DataFileReader::Result DataFileReader::next()
{
    if (m_stopped != Result::Row)
        return m_stopped;

    switch (readLine()) {
    case LineResult::Line:
        break;
    case LineResult::End:
        return m_stopped = Result::End;
    case LineResult::TooLong:
        ++m_lineNumber;
        return m_stopped = Result::LineTooLong;
    case LineResult::Error:
        return m_stopped = Result::ReadError;
    }
    ++m_lineNumber;

    qsizetype start = 0;
    while (start < m_line.size() && m_line[start] == ' ')
        ++start;
    const char* text = m_line.constData() + start;
    const qsizetype size = m_line.size() - start;

    if (m_lineNumber == 1) {
        m_header = QString::fromLatin1(text, size);
        return Result::Header;
    }

    m_cells.clear();
    qsizetype from = 0;
    while (m_cells.size() < CellCount) {
        const void* tab = from < size ? std::memchr(text + from, '\t', size - from) : nullptr;
        const qsizetype to = tab ? static_cast<const char*>(tab) - text : size;
        m_cells.append(QString::fromLatin1(text + from, to - from));
        if (!tab) {
            from = size + 1;
            break;
        }
        from = to + 1;
    }
    m_fieldCount = m_cells.size();
    if (from <= size)
        m_fieldCount += std::count(text + from, text + size, '\t') + 1;
    while (m_cells.size() < CellCount)
        m_cells.append(QString());
    return Result::Row;
}
