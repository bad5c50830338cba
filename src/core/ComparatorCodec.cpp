#include "ComparatorCodec.h"

#include "DisplayDecoder.h"

namespace {

constexpr int SetBytes = 10;

// Reading the sets: the range and point of a resistance limit by its choice code (1, 2 or 4),
// anything else "Error" with the point after one digit.
struct RangeLook
{
    QString range;
    int point;
};

RangeLook readResistanceLook(int code, bool milli)
{
    const QString unit = milli ? QStringLiteral(" mOhm") : QStringLiteral(" Ohm");
    switch (code) {
    case 1:
        return {QStringLiteral("4") + unit, 1};
    case 2:
        return {QStringLiteral("40") + unit, 2};
    case 4:
        return {QStringLiteral("400") + unit, 3};
    default:
        return {QStringLiteral("Error"), 1};
    }
}

int readVoltagePoint(int code)
{
    return code == 2 ? 2 : 1;
}

QString withPoint(QString digits, int point)
{
    digits.insert(qMin(point, digits.size()), QLatin1Char('.'));
    return digits;
}

// The lowest set bit of a group of `width` bits wins; none set selects nothing.
int lowestChoice(int bits, int width)
{
    for (int k = 0; k < width; ++k) {
        if (bits & (1 << k))
            return k + 1;
    }
    return 0;
}

quint8 digitValue(const QString& digit)
{
    return static_cast<quint8>(digit.at(0).unicode() - u'0');
}

bool isDigitText(const QString& text)
{
    return text.size() == 1 && text.at(0) >= u'0' && text.at(0) <= u'9';
}

QString hexByte(quint8 byte)
{
    return QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
}

QString joined(const ComparatorLimitEdit& limit)
{
    return limit.digits[0] + limit.digits[1] + limit.digits[2] + limit.digits[3];
}

// Update's grid texts: a choice that is not selected reads "Error" (resistance) and puts the
// point after three digits.
QString updatedResistanceText(const ComparatorLimitEdit& limit)
{
    static const std::array<QString, 3> ranges{QStringLiteral("4"), QStringLiteral("40"),
                                               QStringLiteral("400")};
    const bool chosen = limit.choice >= 1 && limit.choice <= 3;
    const QString range = chosen
                              ? ranges[limit.choice - 1] + (limit.milliOhm ? QStringLiteral(" mOhm")
                                                                           : QStringLiteral(" Ohm"))
                              : QStringLiteral("Error");
    return withPoint(joined(limit), chosen ? limit.choice : 3) + QStringLiteral(" / ") + range;
}

QString updatedVoltageText(const ComparatorLimitEdit& limit)
{
    const bool chosen = limit.choice == 1 || limit.choice == 2;
    return withPoint(joined(limit), chosen ? limit.choice : 3);
}

void clampVoltage(ComparatorLimitEdit& limit)
{
    if (limit.choice == 2 && joined(limit).toInt() > 6000)
        limit.digits = {QStringLiteral("6"), QStringLiteral("0"), QStringLiteral("0"),
                        QStringLiteral("0")};
}

void appendLimit(QByteArray& message, const ComparatorLimitEdit& limit)
{
    message.append(
        static_cast<char>(digitValue(limit.digits[0]) << 4 | digitValue(limit.digits[1])));
    message.append(
        static_cast<char>(digitValue(limit.digits[2]) << 4 | digitValue(limit.digits[3])));
}

} // namespace

QString comparatorEntryFromReply(QByteArrayView reply, int set)
{
    if (set < 1 || set > ComparatorSetCount)
        return {};
    // Bytes 10·set−8 .. 10·set+1 counted from 1 start at index 10·set−9.
    const qsizetype start = qsizetype(SetBytes) * set - 9;
    if (reply.size() < start + SetBytes)
        return {};
    return QString::fromLatin1(reply.sliced(start, SetBytes).toByteArray().toHex().toUpper());
}

ComparatorTexts comparatorTableFromReply(QByteArrayView reply)
{
    ComparatorTexts table;
    const QByteArrayView used = reply.first(qMin(reply.size(), ComparatorReplyLength));
    for (int set = 1; set <= ComparatorSetCount; ++set)
        table[set] = comparatorEntryFromReply(used, set);
    return table;
}

bool isComparatorEntry(const QString& entry)
{
    if (entry.size() != ComparatorEntryDigits)
        return false;
    for (const QChar c : entry) {
        if (!(c.isDigit() && c.unicode() < 0x80) && !(c >= u'A' && c <= u'F') &&
            !(c >= u'a' && c <= u'f'))
            return false;
    }
    return true;
}

QStringList comparatorGridRow(int set, const QString& entry)
{
    if (!isComparatorEntry(entry))
        return {};
    const QByteArray b = QByteArray::fromHex(entry.toLatin1());
    const auto u = [&](int i) { return static_cast<quint8>(b.at(i)); };
    const quint8 ohmFormat = u(0);
    const quint8 voltFormat = u(1);
    const RangeLook high = readResistanceLook((ohmFormat >> 4) & 7, ohmFormat & 0x80);
    const RangeLook low = readResistanceLook(ohmFormat & 7, ohmFormat & 0x08);
    return {QString::number(set),
            withPoint(DecodeDigitPair(u(2), u(3)), high.point) + QStringLiteral(" / ") + high.range,
            withPoint(DecodeDigitPair(u(4), u(5)), low.point) + QStringLiteral(" / ") + low.range,
            withPoint(DecodeDigitPair(u(6), u(7)), readVoltagePoint((voltFormat >> 4) & 3)),
            withPoint(DecodeDigitPair(u(8), u(9)), readVoltagePoint(voltFormat & 3))};
}

std::optional<ComparatorEdit> comparatorEditFromEntry(const QString& entry)
{
    if (!isComparatorEntry(entry))
        return std::nullopt;
    const QByteArray b = QByteArray::fromHex(entry.toLatin1());
    const auto u = [&](int i) { return static_cast<quint8>(b.at(i)); };
    const auto digits = [&](int i) {
        const QString text = DecodeDigitPair(u(i), u(i + 1));
        return std::array<QString, 4>{text.mid(0, 1), text.mid(1, 1), text.mid(2, 1),
                                      text.mid(3, 1)};
    };
    const quint8 ohmFormat = u(0);
    const quint8 voltFormat = u(1);
    ComparatorEdit edit;
    edit.ohmHigh = {digits(2), lowestChoice(ohmFormat >> 4, 3), (ohmFormat & 0x80) != 0};
    edit.ohmLow = {digits(4), lowestChoice(ohmFormat, 3), (ohmFormat & 0x08) != 0};
    edit.voltHigh = {digits(6), lowestChoice(voltFormat >> 4, 2), false};
    edit.voltLow = {digits(8), lowestChoice(voltFormat, 2), false};
    return edit;
}

std::optional<ComparatorUpdate> comparatorUpdate(const ComparatorEdit& edit, int set)
{
    for (const ComparatorLimitEdit* limit :
         {&edit.ohmHigh, &edit.ohmLow, &edit.voltHigh, &edit.voltLow}) {
        for (const QString& digit : limit->digits) {
            if (!isDigitText(digit))
                return std::nullopt;
        }
    }
    ComparatorUpdate update;
    update.set = set == 0 ? 1 : set;
    update.edit = edit;
    ComparatorEdit& e = update.edit;
    clampVoltage(e.voltHigh);
    clampVoltage(e.voltLow);

    const auto ohmBits = [](const ComparatorLimitEdit& limit) {
        return limit.choice == 1 ? 1 : limit.choice == 2 ? 2 : 4;
    };
    const quint8 ohmFormat =
        static_cast<quint8>((ohmBits(e.ohmHigh) << 4) | (e.ohmHigh.milliOhm ? 0x80 : 0) |
                            ohmBits(e.ohmLow) | (e.ohmLow.milliOhm ? 0x08 : 0));
    const quint8 voltFormat = static_cast<quint8>((e.voltHigh.choice == 1 ? 0x10 : 0x20) |
                                                  (e.voltLow.choice == 1 ? 1 : 2));

    for (const ComparatorLimitEdit* limit : {&e.ohmHigh, &e.ohmLow, &e.voltHigh, &e.voltLow})
        appendLimit(update.message, *limit);
    update.message.append(static_cast<char>(ohmFormat));
    update.message.append(static_cast<char>(voltFormat));
    update.message.append(static_cast<char>(update.set));

    update.entry = hexByte(ohmFormat) + hexByte(voltFormat) + joined(e.ohmHigh) + joined(e.ohmLow) +
                   joined(e.voltHigh) + joined(e.voltLow);
    update.row = {QString::number(update.set), updatedResistanceText(e.ohmHigh),
                  updatedResistanceText(e.ohmLow), updatedVoltageText(e.voltHigh),
                  updatedVoltageText(e.voltLow)};
    return update;
}
