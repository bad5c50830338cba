#include "CsvReadings.h"

#include "DataFileReader.h"
#include "ValueText.h"

#include <QBuffer>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr int SecondsPerDay = 86400;
// A last row stamped up to this much after its file was written still counts as written
// that day: stamps run a little ahead of the clock now and then.
constexpr int StampLeadSeconds = 600;

// The CSV's value columns in the reading's group order.
using enum CurrentReading::Group;
constexpr int ChannelCount = GroupCount;

const std::array<QLatin1StringView, ChannelCount> kChannelNames{
    QLatin1StringView("voltage"),       QLatin1StringView("resistance"),
    QLatin1StringView("current"),       QLatin1StringView("temperature"),
    QLatin1StringView("in_capacity"),   QLatin1StringView("out_capacity"),
    QLatin1StringView("total_capacity")};

const std::array<QLatin1StringView, 6> kRanges{
    QLatin1StringView("4 mOhm"), QLatin1StringView("40 mOhm"), QLatin1StringView("400 mOhm"),
    QLatin1StringView("4 Ohm"),  QLatin1StringView("40 Ohm"),  QLatin1StringView("400 Ohm")};

std::optional<TemperatureUnit> unitOfTitle(QStringView text)
{
    if (text.contains(QLatin1StringView("Celsius")))
        return TemperatureUnit::Celsius;
    // The live display names Fahrenheit "Fahrenheih", and recordings keep that in their
    // header; the memory's lists spell it out.
    if (text.contains(QLatin1StringView("Fahrenhei")))
        return TemperatureUnit::Fahrenheit;
    return std::nullopt;
}

// A value text with its unit suffix taken off: `suffix` is what was there.
QStringView withoutSuffix(QStringView text, QLatin1StringView suffix, bool& found)
{
    const QStringView trimmed = text.trimmed();
    found = trimmed.endsWith(suffix);
    return found ? trimmed.chopped(suffix.size()) : text;
}

enum class Parsed
{
    Number,
    Blank,
    NotANumber
};

// `text` as a plain number divided by 10^shift, with every digit the meter showed: blanks are
// dropped (the meter pads with them, also between its sign and the digits), one "-" may lead,
// digits with at most one point follow. A text with no digit is blank.
Parsed plainNumber(QStringView text, int shift, QString& out, int* decimals = nullptr)
{
    char digits[64];
    int count = 0;
    int integerDigits = 0;
    bool negative = false;
    bool point = false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u' ')
            continue;
        if (u >= u'0' && u <= u'9') {
            if (count == int(sizeof digits))
                return Parsed::NotANumber;
            digits[count++] = char(u);
            if (!point)
                ++integerDigits;
            continue;
        }
        if (u == u'-' && !negative && count == 0 && !point) {
            negative = true;
            continue;
        }
        if (u == u'.' && !point) {
            point = true;
            continue;
        }
        return Parsed::NotANumber;
    }
    if (count == 0)
        return Parsed::Blank;

    // The point moves `shift` places to the left; zeros fill in front where digits run out.
    const int pointAt = integerDigits - shift;
    char number[160];
    int n = 0;
    bool nonZero = false;
    for (int i = 0; i < count; ++i)
        nonZero = nonZero || digits[i] != '0';
    if (negative && nonZero)
        number[n++] = '-';
    if (pointAt <= 0) {
        number[n++] = '0';
    } else {
        int first = 0;
        while (first < pointAt - 1 && digits[first] == '0')
            ++first;
        for (int i = first; i < pointAt; ++i)
            number[n++] = digits[i];
    }
    const int fractionDigits = count - pointAt;
    if (fractionDigits > 0) {
        number[n++] = '.';
        for (int i = pointAt; i < count; ++i)
            number[n++] = i < 0 ? '0' : digits[i];
    }
    if (decimals)
        *decimals = fractionDigits;
    out = QString::fromLatin1(number, n);
    return Parsed::Number;
}

// A temperature shown in one unit, in the other: one decimal more than shown keeps its step.
QString convertedTemperature(const QString& shown, int decimals, TemperatureUnit to)
{
    const double converted = convertedTemperature(shown.toDouble(), to);
    QString text = QString::number(converted, 'f', decimals + 1);
    bool zero = true;
    for (const QChar c : text)
        zero = zero && (c == QLatin1Char('0') || c == QLatin1Char('.') || c == QLatin1Char('-'));
    if (zero && text.startsWith(QLatin1Char('-')))
        text.remove(0, 1);
    return text;
}

void addFlag(QString& flags, QLatin1StringView kind, QLatin1StringView channel)
{
    if (!flags.isEmpty())
        flags += QLatin1Char(' ');
    flags += kind;
    flags += QLatin1Char(':');
    flags += channel;
}

// Writes `value` as `width` digits, zeros in front; the end of what was written. (A row
// stamp in printf costs as much as the rest of its row.)
char* digits(char* at, int value, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        at[i] = char('0' + value % 10);
        value /= 10;
    }
    return at + width;
}

// "hh:mm:ss" at `at`.
char* timeText(char* at, int secondsOfDay)
{
    at = digits(at, secondsOfDay / 3600, 2);
    *at++ = ':';
    at = digits(at, secondsOfDay / 60 % 60, 2);
    *at++ = ':';
    return digits(at, secondsOfDay % 60, 2);
}

QString twoDigitTime(qint64 secondsOfDay)
{
    char text[8];
    return QString::fromLatin1(text, timeText(text, int(secondsOfDay)) - text);
}

QString elapsedText(qint64 ms)
{
    if (ms % 1000 == 0)
        return QString::number(ms / 1000);
    QString text = QString::number(double(ms) / 1000.0, 'f', 3);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    return text;
}

} // namespace

CsvSource CsvSource::fromHeader(QStringView line)
{
    const DataFileHeader header = DataFileHeader::fromLine(line);
    CsvSource source;
    source.rangeText = header.rangeText;
    source.milliAmps = header.milliAmps;
    source.temperatureUnit = unitOfTitle(line);
    source.unitsInCells = line.contains(QLatin1StringView("(m)Ohm"));
    return source;
}

CsvSource CsvSource::of(const CurrentReading& reading)
{
    CsvSource source;
    source.rangeText = reading.RangeText;
    source.milliAmps = reading.milliAmps;
    source.temperatureUnit = unitOfTitle(reading.TempUnitText);
    return source;
}

std::optional<TemperatureUnit> CsvSource::temperatureUnitOf(QStringView cell) const
{
    if (!unitsInCells)
        return temperatureUnit;
    const QStringView trimmed = cell.trimmed();
    if (trimmed.endsWith(QLatin1StringView(" C")))
        return TemperatureUnit::Celsius;
    if (trimmed.endsWith(QLatin1StringView(" F")))
        return TemperatureUnit::Fahrenheit;
    return std::nullopt;
}

TemperatureUnit temperatureColumnUnit(const CsvSource& source, qsizetype rows,
                                      const std::function<QStringView(qsizetype)>& temperatureCell)
{
    if (!source.unitsInCells)
        return source.temperatureUnit.value_or(TemperatureUnit::Celsius);
    for (qsizetype r = 0; r < rows; ++r) {
        if (const auto unit = source.temperatureUnitOf(temperatureCell(r)))
            return *unit;
    }
    return TemperatureUnit::Celsius;
}

QString csvHeader(TemperatureUnit unit)
{
    return QLatin1StringView("record,date_time,elapsed_s,voltage_V,resistance_Ohm,current_A,") +
           (unit == TemperatureUnit::Celsius ? QLatin1StringView("temperature_C")
                                             : QLatin1StringView("temperature_F")) +
           QLatin1StringView(",in_capacity_Ah,out_capacity_Ah,total_capacity_Ah,flags,utc_offset");
}

QString csvField(QStringView text)
{
    bool quote = false;
    for (const QChar c : text) {
        if (c == QLatin1Char(',') || c == QLatin1Char('"') || c == QLatin1Char('\n') ||
            c == QLatin1Char('\r')) {
            quote = true;
            break;
        }
    }
    if (!quote)
        return text.toString();
    QString field = text.toString();
    field.replace(QLatin1Char('"'), QLatin1StringView("\"\""));
    return QLatin1Char('"') + field + QLatin1Char('"');
}

QByteArray csvBytes(QStringView line)
{
    QByteArray bytes = line.toUtf8();
    bytes.append('\n');
    return bytes;
}

std::optional<QTime> timeOfDay(QStringView text)
{
    const QStringView t = text.trimmed();
    if (t.size() != 8 || t[2] != QLatin1Char(':') || t[5] != QLatin1Char(':'))
        return std::nullopt;
    int parts[3] = {};
    for (int i = 0; i < 3; ++i) {
        const QChar high = t[3 * i];
        const QChar low = t[3 * i + 1];
        if (high < QLatin1Char('0') || high > QLatin1Char('9') || low < QLatin1Char('0') ||
            low > QLatin1Char('9'))
            return std::nullopt;
        parts[i] = (high.unicode() - u'0') * 10 + (low.unicode() - u'0');
    }
    if (parts[0] > 23 || parts[1] > 59 || parts[2] > 59)
        return std::nullopt;
    return QTime(parts[0], parts[1], parts[2]);
}

std::optional<qint64> TimeOfDayRun::next(QStringView text)
{
    const std::optional<QTime> time = timeOfDay(text);
    if (!time)
        return std::nullopt;
    const int seconds = time->msecsSinceStartOfDay() / 1000;
    if (m_lastSeconds >= 0 && seconds < m_lastSeconds)
        ++m_midnights;
    m_lastSeconds = seconds;
    return qint64(m_midnights) * SecondsPerDay + seconds;
}

QDate TimeOfDayRun::firstDate(const QDateTime& lastWritten) const
{
    QDate last = lastWritten.date();
    if (m_lastSeconds < 0)
        return last;
    const int written = lastWritten.time().msecsSinceStartOfDay() / 1000;
    if (m_lastSeconds > written + StampLeadSeconds)
        last = last.addDays(-1);
    return last.addDays(-m_midnights);
}

QDate dateNearest(QTime time, const QDateTime& now)
{
    // Counted on the wall clock: a day is 86400 s here, whatever the offset does meanwhile.
    const int apart = now.time().msecsSinceStartOfDay() / 1000 - time.msecsSinceStartOfDay() / 1000;
    if (apart > SecondsPerDay / 2)
        return now.date().addDays(1);
    if (apart < -SecondsPerDay / 2)
        return now.date().addDays(-1);
    return now.date();
}

QString csvLocalTime(QDate date, QTime time)
{
    char text[24];
    char* at = digits(text, std::clamp(date.year(), 0, 9999), 4);
    *at++ = '-';
    at = digits(at, date.month(), 2);
    *at++ = '-';
    at = digits(at, date.day(), 2);
    *at++ = 'T';
    at = timeText(at, time.msecsSinceStartOfDay() / 1000);
    return QString::fromLatin1(text, at - text);
}

QString csvUtcOffset(int offsetSeconds)
{
    const int minutes = std::abs(offsetSeconds) / 60;
    char text[8];
    char* at = text;
    *at++ = offsetSeconds < 0 ? '-' : '+';
    at = digits(at, minutes / 60 % 100, 2);
    *at++ = ':';
    at = digits(at, minutes % 60, 2);
    return QString::fromLatin1(text, at - text);
}

int CsvReadings::localOffset(QDate date, QTime time)
{
    // The offset of a local time costs microseconds; a day without a change of it needs one
    // look-up for all its rows.
    if (date != m_offsetDay) {
        m_offsetDay = date;
        const int start = QDateTime(date, QTime(0, 0)).offsetFromUtc();
        const int end = QDateTime(date, QTime(23, 59, 59)).offsetFromUtc();
        m_dayOffset = start == end ? std::optional<int>(start) : std::nullopt;
    }
    return m_dayOffset ? *m_dayOffset : QDateTime(date, time).offsetFromUtc();
}

CsvReadings::CsvReadings(TemperatureUnit unit, QDate firstDate)
    : m_unit(unit), m_firstDate(firstDate)
{
}

QString CsvReadings::row(std::span<const QStringView> cells, const CsvSource& source,
                         Missing missing)
{
    const auto cell = [&](size_t i) { return i < cells.size() ? cells[i] : QStringView(); };
    QString line;
    line.reserve(160);
    line += csvField(cell(0).trimmed());
    line += QLatin1Char(',');
    QString flags;
    QString offset;
    if (!source.timeSequence()) {
        // A reading of its own: its time of day as it stands, no date, no place in a run.
        if (const std::optional<QTime> time = timeOfDay(cell(1)))
            line += twoDigitTime(time->msecsSinceStartOfDay() / 1000);
        else
            addFlag(flags, QLatin1StringView("?"), QLatin1StringView("time"));
        line += QLatin1Char(',');
    } else if (const std::optional<qint64> seconds = m_run.next(cell(1))) {
        const qint64 ofDay = *seconds % SecondsPerDay;
        // With dates, elapsed_s is counted between instants, so a change to or from summer
        // time in between does not count as an hour.
        qint64 instant = *seconds;
        if (m_firstDate.isValid()) {
            const QTime time = QTime::fromMSecsSinceStartOfDay(int(ofDay * 1000));
            const QDate date = m_firstDate.addDays(*seconds / SecondsPerDay);
            const int offsetSeconds = localOffset(date, time);
            line += csvLocalTime(date, time);
            offset = csvUtcOffset(offsetSeconds);
            instant -= offsetSeconds;
        } else {
            line += twoDigitTime(ofDay);
        }
        if (!m_firstSeconds)
            m_firstSeconds = instant;
        line += QLatin1Char(',');
        line += QString::number(instant - *m_firstSeconds);
    } else {
        line += QLatin1Char(',');
        addFlag(flags, QLatin1StringView("?"), QLatin1StringView("time"));
    }

    std::array<QStringView, ChannelCount> values;
    for (int c = 0; c < ChannelCount; ++c)
        values[c] = cell(size_t(c) + 2);
    appendValues(line, flags, values, source);
    // A line with fewer cells has no value for the last channels: not a blank the meter showed.
    for (size_t c = std::max<size_t>(cells.size(), 2);
         missing == Missing::Flagged && c < size_t(ChannelCount) + 2; ++c)
        addFlag(flags, QLatin1StringView("missing"), kChannelNames[c - 2]);
    line += QLatin1Char(',');
    line += csvField(flags);
    line += QLatin1Char(',');
    line += offset;
    return line;
}

QString CsvReadings::row(qint64 record, const QDateTime& when, qint64 monotonicMs,
                         const CurrentReading& reading, bool afterGap)
{
    if (!m_firstLiveMs)
        m_firstLiveMs = monotonicMs;
    QString line = QString::number(record);
    line += QLatin1Char(',');
    line += csvLocalTime(when.date(), when.time());
    line += QLatin1Char(',');
    line += elapsedText(monotonicMs - *m_firstLiveMs);

    std::array<QString, 3> capacities;
    for (int i = 0; i < 3; ++i) {
        capacities[i] = reading.valueTexts[CurrentReading::InCap + i];
        if (reading.capMilli[i])
            capacities[i] += QLatin1StringView("(m)");
    }
    const std::array<QStringView, ChannelCount> values{
        reading.valueTexts[CurrentReading::Voltage],
        reading.valueTexts[CurrentReading::Resistance],
        reading.valueTexts[CurrentReading::Current],
        reading.valueTexts[CurrentReading::Temperature],
        capacities[0],
        capacities[1],
        capacities[2]};
    QString flags;
    if (afterGap)
        flags = QLatin1StringView("gap:") + elapsedText(monotonicMs - m_lastLiveMs);
    m_lastLiveMs = monotonicMs;
    appendValues(line, flags, values, CsvSource::of(reading));
    line += QLatin1Char(',');
    line += csvField(flags);
    line += QLatin1Char(',');
    line += csvUtcOffset(when.offsetFromUtc());
    return line;
}

CsvValue csvValue(CurrentReading::Group channel, QStringView text, const CsvSource& source,
                  TemperatureUnit temperatureUnit)
{
    int shift = 0;
    bool unknownUnit = false;
    std::optional<TemperatureUnit> shownIn;
    bool found = false;
    switch (channel) {
    case Resistance: {
        QStringView range = source.rangeText;
        // The manual list writes each reading's range after its value: "12.34 / 40 mOhm".
        const qsizetype slash = text.indexOf(QLatin1StringView(" / "));
        if (slash >= 0) {
            range = text.mid(slash + 3).trimmed();
            text = text.left(slash);
        }
        unknownUnit = std::find(kRanges.begin(), kRanges.end(), range) == kRanges.end();
        shift = range.endsWith(QLatin1StringView("mOhm")) ? 3 : 0;
        break;
    }
    case Current:
        text = withoutSuffix(text, QLatin1StringView("(m)"), found);
        shift = found || source.milliAmps ? 3 : 0;
        break;
    case Temperature:
        shownIn = source.temperatureUnitOf(text);
        if (source.unitsInCells && shownIn)
            text = text.trimmed().chopped(2);
        unknownUnit = !shownIn;
        break;
    case InCap:
    case OutCap:
    case TCap:
        text = withoutSuffix(text, QLatin1StringView("(m)"), found);
        shift = found ? 3 : 0;
        break;
    default:
        break;
    }

    CsvValue value;
    if (isOverload(text)) {
        value.kind = isNegativeOverload(text) ? CsvValue::NegativeOverload : CsvValue::Overload;
        return value;
    }
    int decimals = 0;
    const Parsed parsed = plainNumber(text, shift, value.number, &decimals);
    if (parsed == Parsed::Blank) {
        value.kind = CsvValue::Blank;
    } else if (parsed == Parsed::NotANumber || unknownUnit) {
        value.kind = CsvValue::Unknown;
        value.number.clear();
    } else {
        value.kind = CsvValue::Number;
        value.decimals = decimals;
        if (shownIn && *shownIn != temperatureUnit) {
            value.number = convertedTemperature(value.number, decimals, temperatureUnit);
            ++value.decimals;
        }
    }
    return value;
}

void CsvReadings::appendValues(QString& line, QString& flags, std::span<const QStringView> values,
                               const CsvSource& source) const
{
    for (int c = 0; c < ChannelCount; ++c) {
        line += QLatin1Char(',');
        const CsvValue value = csvValue(CurrentReading::Group(c), values[c], source, m_unit);
        switch (value.kind) {
        case CsvValue::Number:
            line += value.number;
            break;
        case CsvValue::Overload:
            addFlag(flags, QLatin1StringView("OL"), kChannelNames[c]);
            break;
        case CsvValue::NegativeOverload:
            addFlag(flags, QLatin1StringView("-OL"), kChannelNames[c]);
            break;
        case CsvValue::Unknown:
            addFlag(flags, QLatin1StringView("?"), kChannelNames[c]);
            break;
        case CsvValue::Blank:
            break;
        }
    }
}

namespace {

QString tooLong(qint64 line)
{
    return QStringLiteral("Line %1 is longer than %2 characters: this is no data file.")
        .arg(line)
        .arg(DataFileReader::MaxLineBytes);
}

} // namespace

CsvConversion convertDataFile(QByteArrayView bytes, QDate firstDate)
{
    CsvConversion out;
    if (bytes.contains('\0')) {
        out.error = QStringLiteral("It holds NUL bytes: this is no data file.");
        return out;
    }
    QByteArray data = QByteArray::fromRawData(bytes.data(), bytes.size());
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);

    DataFileReader first(buffer);
    if (first.next() != DataFileReader::Result::Header) {
        out.error = QStringLiteral("It is empty: this is no data file.");
        return out;
    }
    const CsvSource source = CsvSource::fromHeader(first.headerLine());
    QStringList temperatures; // only the manual list names a unit in its cells
    DataFileReader::Result result = DataFileReader::Result::Row;
    while (source.unitsInCells && (result = first.next()) == DataFileReader::Result::Row)
        temperatures.append(first.cells().at(5));
    if (result == DataFileReader::Result::LineTooLong) {
        out.error = tooLong(first.lineNumber());
        return out;
    }
    const TemperatureUnit unit = temperatureColumnUnit(
        source, temperatures.size(), [&](qsizetype r) { return QStringView(temperatures[r]); });

    buffer.seek(0);
    DataFileReader reader(buffer);
    (void)reader.next();
    CsvReadings csv(unit, firstDate);
    QString text = csv.header();
    text.reserve(qsizetype(bytes.size() * 2) + 256);
    text += QLatin1Char('\n');
    std::array<QStringView, DataFileReader::CellCount> cells;
    const qsizetype headerFields = first.headerLine().count(u'\t') + 1;
    while ((result = reader.next()) == DataFileReader::Result::Row) {
        // The writer was stopped in the middle of its last line: what it holds may be cut in
        // the middle of a value, so none of it is taken.
        if (!reader.lineEnded() && reader.fieldCount() < headerFields) {
            out.warning = QStringLiteral("line %1 was cut off (%2 of %3 fields, no line end) "
                                         "and is not converted")
                              .arg(reader.lineNumber())
                              .arg(reader.fieldCount())
                              .arg(headerFields);
            continue;
        }
        const QStringList& row = reader.cells();
        const qsizetype present = std::min<qsizetype>(reader.fieldCount(), cells.size());
        for (qsizetype c = 0; c < present; ++c)
            cells[c] = row[c];
        text +=
            csv.row(std::span(cells).first(size_t(present)), source, CsvReadings::Missing::Flagged);
        text += QLatin1Char('\n');
        ++out.rows;
    }
    if (result == DataFileReader::Result::LineTooLong) {
        out.error = tooLong(reader.lineNumber());
        out.rows = 0;
        return out;
    }
    out.csv = text.toUtf8();
    return out;
}

QDate dataFileFirstDate(QByteArrayView bytes, const QDateTime& lastWritten)
{
    QByteArray data = QByteArray::fromRawData(bytes.data(), bytes.size());
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    DataFileReader reader(buffer);
    TimeOfDayRun run;
    DataFileReader::Result result;
    while ((result = reader.next()) == DataFileReader::Result::Header ||
           result == DataFileReader::Result::Row) {
        if (result == DataFileReader::Result::Row)
            (void)run.next(reader.cells().at(1));
    }
    return run.firstDate(lastWritten);
}

double convertedTemperature(double value, TemperatureUnit to)
{
    return to == TemperatureUnit::Celsius ? (value - 32.0) * 5.0 / 9.0 : value * 9.0 / 5.0 + 32.0;
}
