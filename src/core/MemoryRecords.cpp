#include "MemoryRecords.h"

#include "DisplayDecoder.h"
#include "MeterMemory.h"

#include <array>

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

QString timeText(int seconds)
{
    return QString::asprintf("%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
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
    format.tempUnitText = bit(formatByte, 7) ? QStringLiteral("Celsius") : QStringLiteral("Fahrenheit");
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

QString SetDecoder::row(int k)
{
    if (k < 1 || k > m_count)
        return {};
    const QByteArrayView r = m_set.sliced(SetHeaderLength + AutoRecordLength * (k - 1),
                                          AutoRecordLength);
    const auto b = [&](int offset) { return quint8(r[offset]); };
    const auto digits = [&](int offset) { return DecodeDigitPair(b(offset), b(offset + 1)); };
    const quint8 flagsA = b(14);
    const quint8 flagsB = b(15);

    QString time;
    if (k == 1) {
        time = m_startText;
    } else if (m_startSeconds >= 0) {
        const qint64 seconds = m_startSeconds + qint64(k - 1) * m_interval;
        time = timeText(int(seconds % SecondsPerDay));
    }
    m_previousVoltage = storedVoltageText(quint16((b(0) << 8) | b(1)), m_previousVoltage);

    QString line = QString::number(k);
    line.reserve(80);
    line += Tab + time;
    line += Tab + m_previousVoltage;
    line += Tab + withStoredPoint(digits(2), m_format.resistancePoint);
    line += Tab + signedText(withStoredPoint(digits(4), m_format.currentPoint), bit(flagsA, 5));
    line += Tab + signedText(withStoredPoint(digits(6), 3), bit(flagsA, 4));
    const QLatin1StringView milli("(m)");
    line += Tab + milliText(withStoredPoint(digits(8), storedCapacityPoint((flagsB >> 1) & 7)),
                            bit(flagsB, 0), milli);
    line += Tab + milliText(withStoredPoint(digits(10), storedCapacityPoint((flagsB >> 5) & 7)),
                            bit(flagsB, 4), milli);
    line += Tab + milliText(signedText(withStoredPoint(digits(12), (flagsA >> 2) & 3),
                                       bit(flagsA, 1)),
                            bit(flagsA, 0), milli);
    return line;
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
    line += Tab + milliText(value(CurrentReading::Current, 4), r.milliAmps, QLatin1StringView("(m)"));
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
