#include "MemoryRecords.h"

#include "DataFileLines.h"
#include "DisplayDecoder.h"
#include "MeterMemory.h"
#include "ValueText.h"

#include <array>
#include <charconv>
#include <cstring>

namespace {

constexpr int SecondsPerDay = 86400;
const QChar Tab = QLatin1Char('\t');

constexpr bool bit(quint8 byte, int n)
{
    return (byte >> n) & 1;
}

// Digits before the point of a resistance in each range (automatic records keep no point).
int rangePoint(int rangeCode)
{
    static constexpr std::array<int, 8> points{0, 2, 0, 3, 1, 1, 2, 3};
    return points[rangeCode & 7];
}

// Point codes of the In-Cap and Out-Cap fields of a stored reading: any other code, no point.
int storedCapacityPoint(int code)
{
    switch (code) {
    case 1:
        return 3;
    case 2:
        return 2;
    case 4:
        return 1;
    default:
        return 0;
    }
}

QString signedText(const QString& text, bool minus)
{
    return minus ? QLatin1Char('-') + text : text;
}

QString milliText(const QString& text, bool milli, QLatin1StringView suffix)
{
    return milli ? text + suffix : text;
}

// "hh:mm:ss" of a time of day, or -1 seconds when the text is none.
int secondsOfDay(const QString& text)
{
    if (text.size() != 8 || text[2] != QLatin1Char(':') || text[5] != QLatin1Char(':'))
        return -1;
    int parts[3] = {};
    for (int i = 0; i < 3; ++i) {
        const QChar high = text[3 * i];
        const QChar low = text[3 * i + 1];
        if (!high.isDigit() || !low.isDigit())
            return -1;
        parts[i] = high.digitValue() * 10 + low.digitValue();
    }
    if (parts[0] > 23 || parts[1] > 59 || parts[2] > 59)
        return -1;
    return parts[0] * 3600 + parts[1] * 60 + parts[2];
}

QString rangeTextOf(int rangeCode)
{
    return rangeTextFor(rangeCode).value_or(UnknownRangeText);
}

} // namespace

QString withStoredPoint(const QString& digits, int position)
{
    if (position <= 0 || position > digits.size() || digits.contains(QLatin1Char('L')))
        return digits;
    return digits.left(position) + QLatin1Char('.') + digits.mid(position);
}

SetFormat decodeSetFormat(quint8 formatByte)
{
    SetFormat format;
    const int scale = (formatByte >> 2) & 3;
    format.currentTitle = scale == 0 ? QStringLiteral("mAmp") : QStringLiteral("Amp");
    format.currentPoint = scale == 0 ? 3 : scale;
    format.rangeCode = (formatByte >> 4) & 7;
    format.rangeText = rangeTextOf(format.rangeCode);
    format.resistancePoint = rangePoint(format.rangeCode);
    format.tempUnitText =
        bit(formatByte, 7) ? QStringLiteral("Celsius") : QStringLiteral("Fahrenheit");
    return format;
}

QString storedVoltageText(quint16 word, const QString& previous)
{
    const int mode = word / 10000;
    const QString d = QString::number(word % 10000).rightJustified(4, QLatin1Char('0'));
    switch (mode) {
    case 0:
        return withStoredPoint(d, 1);
    case 1:
        return withStoredPoint(d, 2);
    case 2:
        return QLatin1Char('-') + withStoredPoint(d, 1);
    case 3:
        return QLatin1Char('-') + withStoredPoint(d, 2);
    case 4:
        return QStringLiteral(" OL ");
    case 5:
        return QStringLiteral("-OL ");
    default:
        return previous;
    }
}

SetDecoder::SetDecoder(QByteArrayView set, const QString& startText, int intervalSeconds)
    : m_set(set), m_hasHeader(set.size() >= SetHeaderLength), m_count(setRecordCount(set)),
      m_startText(startText), m_interval(intervalSeconds), m_startSeconds(secondsOfDay(startText))
{
    m_format = decodeSetFormat(m_hasHeader ? quint8(set[SetHeaderLength - 1]) : 0);
}

namespace {

// The characters of a display nibble, as DecodeDigitPair writes them.
constexpr char kDisplayChars[] = "0123456789 FLUC-";

// One list row built in place: a set of 65535 readings is listed in a blink only when a row
// costs no more than one allocation.
class RowText
{
public:
    void put(char c)
    {
        if (m_size < sizeof m_text)
            m_text[m_size++] = c;
    }
    void put(const char* text)
    {
        while (*text)
            put(*text++);
    }
    void put(const RowText& other)
    {
        for (std::size_t i = 0; i < other.m_size; ++i)
            put(other.m_text[i]);
    }
    void number(qint64 value)
    {
        char digits[24];
        const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
        for (const char* c = digits; error == std::errc() && c != end; ++c)
            put(*c);
    }
    void twoDigits(int value)
    {
        put(char('0' + value / 10 % 10));
        put(char('0' + value % 10));
    }
    // A digit pair's four display characters with a point after `point` of them; no point
    // for 0 or an overload ("L").
    void digits(quint8 first, quint8 second, int point)
    {
        const char d[4] = {kDisplayChars[first >> 4], kDisplayChars[first & 15],
                           kDisplayChars[second >> 4], kDisplayChars[second & 15]};
        if (point <= 0 || std::memchr(d, 'L', 4) != nullptr)
            point = -1;
        for (int i = 0; i < 4; ++i) {
            if (i == point)
                put('.');
            put(d[i]);
        }
        if (point == 4)
            put('.');
    }
    void clear() { m_size = 0; }
    [[nodiscard]] QString text() const { return QString::fromLatin1(m_text, qsizetype(m_size)); }

private:
    char m_text[160];
    std::size_t m_size = 0;
};

// The stored voltage word as storedVoltageText writes it; false for mode 6 and up (repeat).
bool voltageText(quint16 word, RowText& out)
{
    const int mode = word / 10000;
    const int value = word % 10000;
    const quint8 high = quint8((value / 1000) << 4 | (value / 100 % 10));
    const quint8 low = quint8((value / 10 % 10) << 4 | (value % 10));
    out.clear();
    switch (mode) {
    case 0:
    case 1:
        out.digits(high, low, mode + 1);
        return true;
    case 2:
    case 3:
        out.put('-');
        out.digits(high, low, mode - 1);
        return true;
    case 4:
        out.put(" OL ");
        return true;
    case 5:
        out.put("-OL ");
        return true;
    default:
        return false;
    }
}

} // namespace

QString SetDecoder::row(int k)
{
    if (k < 1 || k > m_count)
        return {};
    const QByteArrayView r =
        m_set.sliced(SetHeaderLength + AutoRecordLength * (k - 1), AutoRecordLength);
    const auto b = [&](int offset) { return quint8(r[offset]); };
    const quint8 flagsA = b(14);
    const quint8 flagsB = b(15);

    RowText line;
    line.number(k);
    line.put('\t');
    if (k == 1) {
        line.put(m_startText.toLatin1().constData());
    } else if (m_startSeconds >= 0) {
        const int seconds = int((m_startSeconds + qint64(k - 1) * m_interval) % SecondsPerDay);
        line.twoDigits(seconds / 3600);
        line.put(':');
        line.twoDigits(seconds / 60 % 60);
        line.put(':');
        line.twoDigits(seconds % 60);
    }
    line.put('\t');
    RowText voltage;
    if (voltageText(quint16((b(0) << 8) | b(1)), voltage))
        m_previousVoltage = voltage.text();
    line.put(m_previousVoltage.toLatin1().constData());
    line.put('\t');
    line.digits(b(2), b(3), m_format.resistancePoint);
    line.put('\t');
    if (bit(flagsA, 5))
        line.put('-');
    line.digits(b(4), b(5), m_format.currentPoint);
    line.put('\t');
    if (bit(flagsA, 4))
        line.put('-');
    line.digits(b(6), b(7), 3);
    line.put('\t');
    line.digits(b(8), b(9), storedCapacityPoint((flagsB >> 1) & 7));
    if (bit(flagsB, 0))
        line.put("(m)");
    line.put('\t');
    line.digits(b(10), b(11), storedCapacityPoint((flagsB >> 5) & 7));
    if (bit(flagsB, 4))
        line.put("(m)");
    line.put('\t');
    if (bit(flagsA, 1))
        line.put('-');
    line.digits(b(12), b(13), (flagsA >> 2) & 3);
    if (bit(flagsA, 0))
        line.put("(m)");
    return line.text();
}

QString ManualDecoder::row(int k, QByteArrayView record)
{
    QByteArray bytes = record.first(qMin(record.size(), ManualRecordLength)).toByteArray();
    bytes.resize(ManualRecordLength, '\0');
    const auto b = [&](int offset) { return quint8(bytes[offset]); };
    const auto digits = [&](int offset) { return DecodeDigitPair(b(offset), b(offset + 1)); };

    CurrentReading& r = m_reading;
    // The decoders write only the working reading; no point cell of the window is touched.
    (void)decodeIndicatorBytes(QByteArrayView(bytes).sliced(21, 11), r, true);
    const QString range = rangeTextOf((b(32) >> 4) & 7);
    const auto value = [&](int group, int offset) {
        return signedText(withStoredPoint(digits(offset), r.pointPos[group]), r.minus[group]);
    };

    const QString clock = digits(18);
    QString line = QString::number(k);
    line += Tab + clock.left(2) + QLatin1Char(':') + clock.mid(2, 2) + QLatin1Char(':') +
            DecodeDigitPair(b(20), 0).left(2);
    line += Tab + value(CurrentReading::Voltage, 0);
    line += Tab + withStoredPoint(digits(2), r.pointPos[CurrentReading::Resistance]) +
            QLatin1String(" / ") + range;
    line +=
        Tab + milliText(value(CurrentReading::Current, 4), r.milliAmps, QLatin1StringView("(m)"));
    // A blank temperature field shows nothing, not a unit after blanks.
    const QString degrees = digits(6);
    if (degrees == QLatin1String("    "))
        line += Tab + degrees;
    else
        line += Tab + value(CurrentReading::Temperature, 6) +
                (r.celsius ? QLatin1String(" C") : QLatin1String(" F"));
    const QLatin1StringView milli(" (m)");
    line += Tab + milliText(value(CurrentReading::InCap, 8), r.capMilli[0], milli);
    line += Tab + milliText(value(CurrentReading::OutCap, 10), r.capMilli[1], milli);
    line += Tab + milliText(value(CurrentReading::TCap, 12), r.capMilli[2], milli);
    return line;
}

const QStringList& manualListTitles()
{
    static const QStringList titles{QStringLiteral("No.s"),        QStringLiteral("Time"),
                                    QStringLiteral("V"),           QStringLiteral("(m)Ohm"),
                                    QStringLiteral("Amp"),         QStringLiteral("Temp"),
                                    QStringLiteral("In-Cap(m)Ah"), QStringLiteral("Out-Cap(m)Ah"),
                                    QStringLiteral("T-Cap(m)Ah")};
    return titles;
}

QStringList setListTitles(const CurrentReading& live, const SetDecoder& decoder)
{
    QStringList titles = readingListTitles(live);
    if (decoder.hasHeader()) {
        const SetFormat& format = decoder.format();
        titles[3] = format.rangeText;
        titles[4] = format.currentTitle;
        titles[5] = format.tempUnitText;
    }
    return titles;
}

MemoryListRows setListRows(int number, QByteArrayView set, const CurrentReading& live)
{
    const QStringList gridRow = setGridRow(number, set).split(QLatin1Char('\t'));
    SetDecoder decoder(set, gridRow.value(1), int(leadingNumber(gridRow.value(2))));
    MemoryListRows list{setListTitles(live, decoder), {}};
    list.rows.reserve(decoder.count());
    for (int k = 1; k <= decoder.count(); ++k)
        list.rows.append(decoder.row(k));
    return list;
}

MemoryListRows manualListRows(QByteArrayView reply, const CurrentReading& live)
{
    MemoryListRows list{manualListTitles(), {}};
    const int count = manualRecordCount(reply);
    list.rows.reserve(count);
    ManualDecoder decoder(live);
    for (int k = 1; k <= count; ++k)
        list.rows.append(decoder.row(k, manualRecord(reply, k)));
    return list;
}
