#include "LabMessages.h"

#include "ReadingJson.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

// Texts taken from a message for the table are cut to this length: a unit or a range label
// is a few characters, and a hostile message must not widen the table without end.
constexpr qsizetype kLongestText = 32;
// The meter shows four digits; a number this large is no reading, and written out in full it
// would fill a row.
constexpr double kLargestValue = 1e9;

const char* kindName(LabTopicKind kind)
{
    return kind == LabTopicKind::Reading ? "reading" : "status";
}

bool mayStandInTopic(QChar c)
{
    return c != u'/' && c != u'+' && c != u'#' && c.unicode() >= 0x20 && c.unicode() != 0x7f;
}

QString shortText(const QJsonValue& value)
{
    return value.toString().left(kLongestText);
}

// A number as the display would write it: fixed point, no exponent (leadingNumber() stops at
// an "e"), trailing zeros dropped.
QString valueText(double value)
{
    QString text = QString::number(value, 'f', 6);
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text == u"-0" ? QStringLiteral("0") : text;
}

std::optional<QJsonObject> jsonObject(QByteArrayView payload)
{
    if (payload.size() > MaxLabPayload)
        return std::nullopt;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(payload.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

// The current's point position as the display would have it for a value of this size; the
// live graph's default current axis follows it.
int currentPointPosition(double value)
{
    const double size = qAbs(value);
    return size < 10 ? 1 : size < 100 ? 2 : size < 1000 ? 3 : 0;
}

} // namespace

QByteArray labTopic(QStringView prefix, QStringView meter, LabTopicKind kind)
{
    return prefix.toUtf8() + '/' + meter.toUtf8() + '/' + kindName(kind);
}

QByteArray labSubscription(QStringView prefix, LabTopicKind kind)
{
    return prefix.toUtf8() + "/+/" + kindName(kind);
}

std::optional<LabTopic> parseLabTopic(QStringView prefix, QByteArrayView topic)
{
    const QString text = QString::fromUtf8(topic);
    if (!text.startsWith(prefix) || text.mid(prefix.size(), 1) != u"/")
        return std::nullopt;
    const QStringList levels = text.mid(prefix.size() + 1).split(u'/');
    if (levels.size() != 2 || !isValidMeterName(levels[0]))
        return std::nullopt;
    if (levels[1] == QLatin1StringView("reading"))
        return LabTopic{levels[0], LabTopicKind::Reading};
    if (levels[1] == QLatin1StringView("status"))
        return LabTopic{levels[0], LabTopicKind::Status};
    return std::nullopt;
}

bool isValidMeterName(QStringView name)
{
    return !name.isEmpty() && name.size() <= 200 &&
           std::all_of(name.begin(), name.end(), mayStandInTopic);
}

QString defaultMeterName(const QString& hostName, const QString& devicePath)
{
    const QString port = QFileInfo(devicePath).fileName();
    QString name = hostName.isEmpty() ? port : port.isEmpty() ? hostName : hostName + u'-' + port;
    for (QChar& c : name) {
        if (!mayStandInTopic(c))
            c = u'_';
    }
    name.truncate(200);
    return name.isEmpty() ? QStringLiteral("meter") : name;
}

QByteArray labReadingMessage(const CurrentReading& reading, const QDateTime& time, quint64 seq)
{
    // The watch line starts with its "time"; seq and date_time go in front of it.
    const QByteArray line = readingJsonLine(reading, time);
    return "{\"seq\":" + QByteArray::number(seq) + ",\"date_time\":\"" +
           isoTimeWithOffset(time).toLatin1() + "\"," + line.mid(1);
}

QByteArray labOnlineStatus(bool linkUp, quint64 dropped)
{
    QByteArray status =
        QByteArrayLiteral("{\"state\":\"online\",\"link\":\"") + (linkUp ? "up" : "lost") + '"';
    if (dropped > 0)
        status += ",\"dropped\":" + QByteArray::number(dropped);
    return status + '}';
}

QByteArray labOfflineStatus()
{
    return QByteArrayLiteral("{\"state\":\"offline\"}");
}

std::optional<LabReading> parseLabReading(QByteArrayView payload)
{
    const std::optional<QJsonObject> object = jsonObject(payload);
    if (!object)
        return std::nullopt;
    const QJsonObject& o = *object;
    LabReading lab;
    lab.seq = quint64(std::max<qint64>(0, o.value(QLatin1StringView("seq")).toInteger()));
    lab.time = QDateTime::fromString(o.value(QLatin1StringView("date_time")).toString(),
                                     Qt::ISODateWithMs);
    QStringList flags;
    for (const QJsonValue flag : o.value(QLatin1StringView("flags")).toArray())
        flags.append(flag.toString());

    CurrentReading& r = lab.reading;
    for (int g = 0; g < CurrentReading::GroupCount; ++g) {
        const QString name = QLatin1StringView(ReadingChannelNames[std::size_t(g)]);
        const QJsonValue value = o.value(name);
        QString& text = r.valueTexts[std::size_t(g)];
        if (flags.contains(QStringLiteral("-OL:") + name))
            text = QStringLiteral("-OL");
        else if (flags.contains(QStringLiteral("OL:") + name))
            text = QStringLiteral("OL");
        else if (value.isDouble() && qAbs(value.toDouble()) < kLargestValue)
            text = valueText(value.toDouble());
        r.minus[std::size_t(g)] = text.startsWith(u'-');
        const QString unit = shortText(o.value(name + QStringLiteral("_unit")));
        switch (g) {
        case CurrentReading::Current:
            r.milliAmps = unit == u"mA";
            r.pointPos[std::size_t(g)] = currentPointPosition(value.toDouble());
            break;
        case CurrentReading::Temperature:
            r.celsius = unit == u"C";
            r.fahrenheit = unit == u"F";
            r.TempUnitText = r.celsius      ? QStringLiteral("Celsius")
                             : r.fahrenheit ? QStringLiteral("Fahrenheit")
                                            : QString();
            break;
        case CurrentReading::InCap:
        case CurrentReading::OutCap:
        case CurrentReading::TCap: {
            const std::size_t c = std::size_t(g - CurrentReading::InCap);
            r.capUnitTexts[c] = unit;
            r.capMilli[c] = unit == u"mAh";
            break;
        }
        default:
            break;
        }
    }
    r.RangeText = shortText(o.value(QLatin1StringView("resistance_range")));
    r.MeterRecordingFlag = o.value(QLatin1StringView("meter_recording")).toBool();
    return lab;
}

std::optional<LabStatus> parseLabStatus(QByteArrayView payload)
{
    const std::optional<QJsonObject> object = jsonObject(payload);
    if (!object)
        return std::nullopt;
    const QString state = object->value(QLatin1StringView("state")).toString();
    if (state != u"online" && state != u"offline")
        return std::nullopt;
    LabStatus status;
    status.online = state == u"online";
    status.linkUp = object->value(QLatin1StringView("link")).toString() != u"lost";
    status.dropped =
        quint64(std::max<qint64>(0, object->value(QLatin1StringView("dropped")).toInteger()));
    return status;
}

QString labValueText(const CurrentReading& reading, CurrentReading::Group group)
{
    const QString& text = reading.valueTexts[std::size_t(group)];
    if (text.isEmpty())
        return {};
    const QString unit = readingUnit(reading, group);
    return unit.isEmpty() ? text : text + u' ' + unit;
}
