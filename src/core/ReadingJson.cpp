#include "ReadingJson.h"

#include "ValueText.h"

#include <QStringList>

namespace {

bool hasDigit(const QString& text)
{
    for (const QChar c : text) {
        if (c >= u'0' && c <= u'9')
            return true;
    }
    return false;
}

} // namespace

QString jsonString(const QString& text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == u'"' || c == u'\\')
            out += QLatin1Char('\\') + c;
        else if (c.unicode() < 0x20)
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out + QLatin1Char('"');
}


// Local time with its offset written out, "+00:00" included, as spreadsheets and the CSV
// export read it.
QString isoTimeWithOffset(const QDateTime& time)
{
    const int offset = time.offsetFromUtc();
    const int minutes = qAbs(offset) / 60;
    return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) +
           (offset < 0 ? QLatin1Char('-') : QLatin1Char('+')) +
           QStringLiteral("%1:%2")
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString readingUnit(const CurrentReading& r, int channel)
{
    switch (channel) {
    case CurrentReading::Voltage:
        return QStringLiteral("V");
    case CurrentReading::Resistance:
        // The range text ("40 mOhm") names the unit of the value.
        return r.RangeText.section(QLatin1Char(' '), 1);
    case CurrentReading::Current:
        return r.milliAmps ? QStringLiteral("mA") : QStringLiteral("A");
    case CurrentReading::Temperature:
        return r.celsius ? QStringLiteral("C") : r.fahrenheit ? QStringLiteral("F") : QString();
    default:
        return r.capUnitTexts[channel - CurrentReading::InCap];
    }
}

QByteArray readingJsonLine(const CurrentReading& reading, const QDateTime& time)
{
    QString line = QStringLiteral("{\"time\":") + jsonString(isoTimeWithOffset(time));
    QStringList flags;
    for (int g = 0; g < CurrentReading::GroupCount; ++g) {
        const QString name = QLatin1String(ReadingChannelNames[g]);
        const QString& text = reading.valueTexts[g];
        QString value = QStringLiteral("null");
        if (isOverload(text))
            flags.append(
                (isNegativeOverload(text) ? QStringLiteral("-OL:") : QStringLiteral("OL:")) + name);
        else if (hasDigit(text))
            value = QString::number(double(leadingNumber(text)), 'g', 7);
        line += QStringLiteral(",\"%1\":%2,\"%1_unit\":%3")
                    .arg(name, value, jsonString(readingUnit(reading, g)));
        if (g == CurrentReading::Resistance)
            line += QStringLiteral(",\"resistance_range\":") + jsonString(reading.RangeText);
    }
    QStringList flagTexts;
    for (const QString& flag : flags)
        flagTexts.append(jsonString(flag));
    line += QStringLiteral(",\"flags\":[") + flagTexts.join(QLatin1Char(',')) +
            QStringLiteral("],\"meter_recording\":") +
            (reading.MeterRecordingFlag ? QStringLiteral("true") : QStringLiteral("false")) +
            QLatin1Char('}');
    return line.toUtf8();
}
