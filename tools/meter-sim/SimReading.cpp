#include "SimReading.h"

namespace {

constexpr char kStx = 0x02;
constexpr char kEtx = 0x03;
constexpr int kFrameSize = 36;

quint8 nibbleOf(QChar c)
{
    const char16_t u = c.toUpper().unicode();
    if (u >= u'0' && u <= u'9')
        return quint8(u - u'0');
    switch (u) {
    case u'F':
        return 0xB;
    case u'L':
        return 0xC;
    case u'U':
        return 0xD;
    case u'C':
        return 0xE;
    case u'-':
        return 0xF;
    default:
        return 0xA; // blank, and whatever the LCD cannot show
    }
}

// Point field of groups 1-4: the field counts from the left.
quint8 rowPointField(int point)
{
    switch (point) {
    case 1:
        return 1;
    case 2:
        return 2;
    case 3:
        return 4;
    default:
        return 0;
    }
}

// Point field of the capacity groups 5-7: the field counts from the right.
quint8 capacityPointField(int point)
{
    switch (point) {
    case 1:
        return 4;
    case 2:
        return 2;
    case 3:
        return 1;
    default:
        return 0;
    }
}

QString fitRight(const QString& text, int width)
{
    if (text.size() >= width)
        return text.right(width);
    return QString(width - text.size(), QLatin1Char(' ')) + text;
}

quint8 bit(bool on, int position)
{
    return on ? quint8(1u << position) : quint8(0);
}

} // namespace

SimDisplayValue splitValueText(const QString& text, bool allowMinus)
{
    QString chars;
    int point = -1;
    for (const QChar c : text) {
        if (c == QLatin1Char('.')) {
            if (point < 0)
                point = int(chars.size());
            continue;
        }
        chars += c.toUpper();
    }

    SimDisplayValue value;
    if (allowMinus && chars.size() == 5 && chars.front() == QLatin1Char('-')) {
        value.minus = true;
        chars.remove(0, 1);
        if (point > 0)
            --point;
    }
    if (chars.size() > 4)
        chars.truncate(4);
    const int pad = 4 - int(chars.size());
    value.chars = QString(pad, QLatin1Char(' ')) + chars;
    if (point >= 0 && point + pad < 4)
        value.point = point + pad;
    return value;
}

QByteArray packDisplayChars(const QString& chars)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < chars.size(); i += 2) {
        const quint8 high = nibbleOf(chars.at(i));
        const quint8 low = i + 1 < chars.size() ? nibbleOf(chars.at(i + 1)) : quint8(0xA);
        bytes.append(char((high << 4) | low));
    }
    return bytes;
}

QByteArray encodeDisplayFrame(const SimReading& r)
{
    const SimDisplayValue volt = splitValueText(r.voltage);
    const SimDisplayValue res = splitValueText(r.resistance, false);
    const SimDisplayValue cur = splitValueText(r.current);
    const SimDisplayValue temp = splitValueText(r.temperature);
    const SimDisplayValue in = splitValueText(r.inCap);
    const SimDisplayValue out = splitValueText(r.outCap);
    const SimDisplayValue total = splitValueText(r.tCap);

    QByteArray frame(kFrameSize, '\0');
    // Byte numbers below count from 1, as the frame layout does.
    auto at = [&frame](int byteNo) -> char& { return frame[byteNo - 1]; };
    auto put = [&frame](int byteNo, const QString& chars) {
        const QByteArray packed = packDisplayChars(chars);
        frame.replace(byteNo - 1, packed.size(), packed);
    };

    at(1) = kStx;
    put(2, volt.chars);
    put(4, res.chars);
    put(6, cur.chars);
    put(8, temp.chars);
    put(10, in.chars);
    put(12, out.chars);
    put(14, total.chars);
    // The percentage and the three- and two-character fields share groups 8 and 9.
    const QString three = fitRight(r.threeChar, 3);
    put(16, fitRight(r.percent, 3) + three.left(1));
    put(18, three.mid(1) + fitRight(r.twoChar, 2));
    put(20, fitRight(r.hours, 2) + fitRight(r.minutes, 2));
    put(22, fitRight(r.seconds, 2));

    const quint8 b23 = rowPointField(res.point) | quint8(rowPointField(volt.point) << 4);
    const quint8 b24 = rowPointField(temp.point) | bit(temp.minus, 3) |
                       quint8(rowPointField(cur.point) << 4) | bit(r.milliAmps, 7);
    const quint8 b26 = bit(cur.minus, 2) | bit(r.resistanceMinus, 3) | bit(volt.minus, 4);
    quint8 b27 = bit(r.tempUnit == SimReading::TempUnit::Fahrenheit, 1) |
                 bit(r.tempUnit == SimReading::TempUnit::Celsius, 3);
    if (r.defaultUnits)
        b27 |= bit(true, 2) | bit(true, 5) | bit(true, 6); // UnitA, UnitOhm, UnitV
    const quint8 b29 = bit(r.capMilli[0], 0) | quint8(capacityPointField(in.point) << 1) |
                       bit(r.capMilli[1], 4) | quint8(capacityPointField(out.point) << 5);
    const quint8 b30 = bit(in.minus, 1) | bit(total.minus, 4) | bit(out.minus, 5);
    const quint8 b31 = bit(r.capMilli[2], 0) | quint8(capacityPointField(total.point) << 1);

    const std::array<quint8, 11> derived{b23, b24, 0, b26, b27, 0, b29, b30, b31, 0, 0};
    for (int i = 0; i < 11; ++i)
        at(23 + i) = char(derived[i] | r.extraIndicatorBits[i]);

    at(34) =
        char((r.functionCode & 0x0F) | ((r.rangeCode & 0x07) << 4) | (r.memoryFull ? 0x80 : 0));
    at(35) = char(r.blinkSelector);
    at(36) = kEtx;
    return frame;
}
