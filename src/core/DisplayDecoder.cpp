#include "DisplayDecoder.h"

#include <algorithm>

namespace {

constexpr bool bit(quint8 byte, int n)
{
    return (byte >> n) & 1;
}

// Sets the indicator flags of the cells listed for bits 0-7; Cell::Count marks an unused bit.
void setBits(CurrentReading& r, quint8 byte, const std::array<Cell, 8>& cells)
{
    for (int n = 0; n < 8; ++n) {
        if (cells[n] != Cell::Count)
            r.indicators.set(cellIndex(cells[n]), bit(byte, n));
    }
}

void setFlag(CurrentReading& r, Cell cell, bool on)
{
    r.indicators.set(cellIndex(cell), on);
}

QChar displayChar(int nibble)
{
    static constexpr char kChars[] = "0123456789 FLUC-";
    return QLatin1Char(kChars[nibble & 0x0F]);
}

void setCapacityMilli(CurrentReading& r, int cap, bool milli)
{
    r.capMilli[cap] = milli;
    r.capUnitTexts[cap] = milli ? QStringLiteral("mAh") : QStringLiteral("Ah");
    setFlag(r, cellAt(Cell::Lcdm_0, cap), milli);
}

void setCapacityPoint(CurrentReading& r, int group, int field)
{
    if (const auto pos = capacityPointPosition(field))
        r.pointPos[group] = *pos;
}

// The point field of a row group also drives the group's three point cells, unless the
// window is frozen or the blinking of the current function owns them.
void setRowPoint(CurrentReading& r, int group, int field, PointCellUpdates& cells, bool frozen)
{
    r.pointPos[group] = rowPointPosition(field);
    if (!frozen && !pointCellsBlinking(group, r.FunctionCode))
        cells.fields[group] = static_cast<quint8>(field);
}

} // namespace

QString DecodeDigitPair(quint8 first, quint8 second)
{
    QString text(4, QLatin1Char(' '));
    text[0] = displayChar(first >> 4);
    text[1] = displayChar(first);
    text[2] = displayChar(second >> 4);
    text[3] = displayChar(second);
    return text;
}

QString valueText(const QString& digits, int pointPos, bool minus)
{
    QString text = digits;
    if (pointPos >= 1 && pointPos <= 3 && pointPos <= text.size())
        text.insert(pointPos, QLatin1Char('.'));
    if (minus)
        text.prepend(QLatin1Char('-'));
    return text;
}

int rowPointPosition(int field)
{
    switch (field) {
    case 1:
        return 1;
    case 2:
        return 2;
    case 4:
        return 3;
    default:
        return 0;
    }
}

std::optional<int> capacityPointPosition(int field)
{
    switch (field) {
    case 0:
        return 0;
    case 1:
        return 3;
    case 2:
        return 2;
    case 4:
        return 1;
    default:
        return std::nullopt;
    }
}

std::optional<QString> rangeTextFor(int rangeCode)
{
    switch (rangeCode) {
    case 1:
        return QStringLiteral("40 mOhm");
    case 3:
        return QStringLiteral("400 mOhm");
    case 4:
        return QStringLiteral("4 mOhm");
    case 5:
        return QStringLiteral("4 Ohm");
    case 6:
        return QStringLiteral("40 Ohm");
    case 7:
        return QStringLiteral("400 Ohm");
    default:
        return std::nullopt;
    }
}

std::optional<int> rangeImageFor(int rangeCode)
{
    switch (rangeCode) {
    case 1:
        return 2;
    case 3:
        return 3;
    case 4:
        return 1;
    case 5:
        return 4;
    case 6:
        return 5;
    case 7:
        return 6;
    default:
        return std::nullopt;
    }
}

bool pointCellsBlinking(int group, int functionCode)
{
    switch (group) {
    case CurrentReading::Voltage:
        return functionCode >= 1 && functionCode <= 3;
    case CurrentReading::Resistance:
        return functionCode >= 5 && functionCode <= 7;
    case CurrentReading::Current:
        return functionCode == 10 || functionCode == 11;
    case CurrentReading::Temperature:
        return functionCode == 14 || functionCode == 15;
    default:
        return false;
    }
}

void DecodeRowPoints1(quint8 byte, CurrentReading& r, PointCellUpdates& cells, bool frozen)
{
    setRowPoint(r, CurrentReading::Resistance, byte & 0x07, cells, frozen);
    setFlag(r, Cell::LcdOhmm, bit(byte, 3));
    setRowPoint(r, CurrentReading::Voltage, (byte >> 4) & 0x07, cells, frozen);
    setFlag(r, Cell::LcdVm, bit(byte, 7));
}

void DecodeRowPoints2(quint8 byte, CurrentReading& r, PointCellUpdates& cells, bool frozen)
{
    setRowPoint(r, CurrentReading::Temperature, byte & 0x07, cells, frozen);
    r.minus[CurrentReading::Temperature] = bit(byte, 3);
    setRowPoint(r, CurrentReading::Current, (byte >> 4) & 0x07, cells, frozen);
    r.milliAmps = bit(byte, 7);
    setFlag(r, Cell::LcdA_m, r.milliAmps);
}

void DecodeModeFlags(quint8 byte, CurrentReading& r)
{
    setBits(r, byte,
            {Cell::LcdLow, Cell::LcdAM, Cell::LcdComSet, Cell::LcdAHUp, Cell::LcdHigh, Cell::LcdH,
             Cell::LcdOADJ, Cell::LcdAuto});
}

void DecodeSignFlags(quint8 byte, CurrentReading& r)
{
    setBits(r, byte,
            {Cell::LcdOhmV, Cell::LcdTemV, Cell::Count, Cell::Count, Cell::Count, Cell::LcdBt,
             Cell::LcdBi, Cell::LcdAvg});
    r.minus[CurrentReading::Current] = bit(byte, 2);
    r.minus[CurrentReading::Resistance] = bit(byte, 3);
    r.minus[CurrentReading::Voltage] = bit(byte, 4);
}

void DecodeUnitFlags(quint8 byte, CurrentReading& r)
{
    setBits(r, byte,
            {Cell::LcdInCap, Cell::Count, Cell::UnitA, Cell::Count, Cell::LcdAV, Cell::UnitOhm,
             Cell::UnitV, Cell::UnitVOhm});
    r.fahrenheit = bit(byte, 1);
    r.celsius = bit(byte, 3);
    if (r.fahrenheit)
        r.TempUnitText = QStringLiteral("Fahrenheit");
    if (r.celsius)
        r.TempUnitText = QStringLiteral("Celsius");
}

void DecodeCapacityFlags(quint8 byte, CurrentReading& r)
{
    setBits(r, byte,
            {Cell::LcdTCap, Cell::LcdRC, Cell::LcdOutCap, Cell::Count, Cell::Count, Cell::LcdCCA,
             Cell::Count, Cell::Count});
}

void DecodeCapacityPoints1(quint8 byte, CurrentReading& r)
{
    setCapacityMilli(r, 0, bit(byte, 0));
    setCapacityPoint(r, CurrentReading::InCap, (byte >> 1) & 0x07);
    setCapacityMilli(r, 1, bit(byte, 4));
    setCapacityPoint(r, CurrentReading::OutCap, (byte >> 5) & 0x07);
}

void DecodeCapacitySigns(quint8 byte, CurrentReading& r)
{
    r.minus[CurrentReading::InCap] = bit(byte, 1);
    setFlag(r, Cell::LcdSOC, bit(byte, 2));
    setFlag(r, Cell::LcdTCap, bit(byte, 3));
    r.minus[CurrentReading::TCap] = bit(byte, 4);
    r.minus[CurrentReading::OutCap] = bit(byte, 5);
}

void DecodeCapacityPoints2(quint8 byte, CurrentReading& r)
{
    setCapacityMilli(r, 2, bit(byte, 0));
    setCapacityPoint(r, CurrentReading::TCap, (byte >> 1) & 0x07);
    setFlag(r, Cell::LcdPercent, bit(byte, 4));
    setFlag(r, Cell::LcdAh_2, bit(byte, 5));
    setFlag(r, Cell::LcdAh_1, bit(byte, 6));
    setFlag(r, Cell::LcdAh_0, bit(byte, 7));
}

void DecodeTestFlags(quint8 byte, CurrentReading& r)
{
    setBits(r, byte,
            {Cell::LcdSOH, Cell::DPoint_2, Cell::DPoint_1, Cell::DPoint_0, Cell::LcdSqR,
             Cell::LcdSqM, Cell::LcdNo, Cell::LcdCompUp});
    setFlag(r, Cell::LineNo, bit(byte, 6));
}

void DecodeResultFlags(quint8 byte, CurrentReading& r)
{
    setBits(r, byte,
            {Cell::Count, Cell::LcdTime, Cell::LcdIntv, Cell::LcdSet, Cell::LcdFail,
             Cell::LcdWarning, Cell::LcdPass, Cell::LcdComp});
    r.MeterRecordingFlag = bit(byte, 1) && bit(byte, 2);
}

PointCellUpdates decodeIndicatorBytes(QByteArrayView bytes, CurrentReading& r, bool frozen)
{
    PointCellUpdates cells;
    using Plain = void (*)(quint8, CurrentReading&);
    static constexpr std::array<Plain, 9> kPlain{
        DecodeModeFlags,       DecodeSignFlags,       DecodeUnitFlags,
        DecodeCapacityFlags,   DecodeCapacityPoints1, DecodeCapacitySigns,
        DecodeCapacityPoints2, DecodeTestFlags,       DecodeResultFlags};
    const auto at = [&](qsizetype i) { return static_cast<quint8>(bytes[i]); };
    if (bytes.size() > 0)
        DecodeRowPoints1(at(0), r, cells, frozen);
    if (bytes.size() > 1)
        DecodeRowPoints2(at(1), r, cells, frozen);
    for (qsizetype i = 2; i < bytes.size() && i < 11; ++i)
        kPlain[i - 2](at(i), r);
    return cells;
}

PointCellUpdates decodeDisplayFrame(QByteArrayView frame, CurrentReading& r, bool frozen)
{
    if (frame.size() < DisplayFrameLength)
        return {};
    // Bytes are numbered from 1 in the frame layout; b(n) reads byte n.
    const auto b = [&](int n) { return static_cast<quint8>(frame[n - 1]); };

    const PointCellUpdates cells = decodeIndicatorBytes(frame.sliced(22, 11), r, frozen);
    ++r.frameNumber;

    const quint8 state = b(34);
    r.FunctionCode = state & 0x0F;
    r.RangeCode = (state >> 4) & 0x07;
    r.memoryFull = bit(state, 7);
    if (const auto text = rangeTextFor(r.RangeCode))
        r.RangeText = *text;

    for (int g = 0; g < CurrentReading::GroupCount; ++g) {
        r.digits[g] = DecodeDigitPair(b(2 + 2 * g), b(3 + 2 * g));
        const bool signedGroup = g != CurrentReading::Resistance;
        r.valueTexts[g] = valueText(r.digits[g], r.pointPos[g], signedGroup && r.minus[g]);
    }

    const QString g8 = DecodeDigitPair(b(16), b(17));
    const QString g9 = DecodeDigitPair(b(18), b(19));
    const QString g10 = DecodeDigitPair(b(20), b(21));
    const bool leadingZero = !g8[0].isDigit() || g8[0] == QLatin1Char('0');
    r.percentText = (leadingZero ? QStringLiteral(" ") : QString(g8[0])) + g8.mid(1, 2);
    r.threeCharText = g8.mid(3, 1) + g9.left(2);
    r.twoCharText = g9.mid(2, 2);
    r.hoursText = g10.left(2);
    r.minutesText = g10.mid(2, 2);
    r.secondsText = DecodeDigitPair(b(22), 0).left(2);

    // The live display names the temperature unit with its own texts (the recorder compares
    // them), replacing what the unit decoder stored.
    if (r.celsius)
        r.TempUnitText = QStringLiteral("Celsius");
    else if (r.fahrenheit)
        r.TempUnitText = QStringLiteral("Fahrenheih");
    else
        r.TempUnitText.clear();
    return cells;
}

namespace {

bool frameAt(QByteArrayView bytes, qsizetype i)
{
    return i + DisplayFrameLength <= bytes.size() && bytes[i] == Stx &&
           bytes[i + DisplayFrameLength - 1] == Etx;
}

} // namespace

qsizetype findDisplayFrame(QByteArrayView bytes)
{
    if (frameAt(bytes, 0))
        return 0;
    // Inside a stream a true frame is followed by the next frame's STX or by the end of
    // what has arrived; this keeps data bytes that happen to be 0x02 and 0x03 from passing.
    for (qsizetype i = bytes.size() - DisplayFrameLength; i > 0; --i) {
        const qsizetype next = i + DisplayFrameLength;
        if (frameAt(bytes, i) && (next == bytes.size() || bytes[next] == Stx))
            return i;
    }
    return -1;
}

qsizetype findDisplayFrameRun(QByteArrayView bytes, qsizetype from)
{
    const qsizetype last = bytes.size() - DisplayFrameRunLength;
    for (qsizetype i = std::max<qsizetype>(from, 0); i <= last; ++i) {
        bool run = true;
        for (int k = 0; k < DisplayFrameRunCount && run; ++k)
            run = frameAt(bytes, i + qsizetype(k) * DisplayFrameLength);
        if (run)
            return i;
    }
    return -1;
}

DisplayTail findDisplayTail(QByteArrayView received, qsizetype answerLength)
{
    DisplayTail tail;
    const qsizetype size = received.size();
    answerLength = std::min(answerLength, size);
    // A longer stream at the end is a run, found while the answer arrives.
    for (qsizetype i = std::max<qsizetype>(0, answerLength - DisplayFrameRunLength);
         i < answerLength; ++i) {
        if (i == answerLength - DisplayFrameLength)
            continue;
        bool frames = true;
        for (qsizetype at = i; at < size && frames; at += DisplayFrameLength) {
            const qsizetype etx = at + DisplayFrameLength - 1;
            frames = received[at] == Stx && (etx >= size || received[etx] == Etx);
        }
        if (!frames)
            continue;
        if (i + DisplayFrameLength < size) {
            tail.start = i;
            tail.undecided = false;
            return tail;
        }
        tail.undecided = true;
    }
    return tail;
}
