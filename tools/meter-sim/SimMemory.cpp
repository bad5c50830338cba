#include "SimMemory.h"

namespace {

// Display byte numbers (from 1) of the fields that the memory formats copy from the display.
constexpr int kFirstValueByte = 2;      // groups 1-7: bytes 2-15
constexpr int kResistanceByte = 4;      // groups 2-7: bytes 4-15
constexpr int kClockByte = 20;          // hours, minutes, seconds: bytes 20-22
constexpr int kFirstIndicatorByte = 23; // bytes 23-33
constexpr int kCapacityPointsByte = 29;
constexpr int kRangeByte = 34;

QByteArray displayBytes(const QByteArray& frame, int firstByteNo, int count)
{
    return frame.mid(firstByteNo - 1, count);
}

// Automatic records keep the voltage as a number: a mode in the ten-thousands (point position,
// sign, overload) and four digits below it.
quint16 voltageWord(const SimReading& reading)
{
    const SimDisplayValue volt = splitValueText(reading.voltage);
    if (volt.chars.contains(QLatin1Char('L')))
        return volt.minus ? 50000 : 40000;
    int digits = 0;
    for (const QChar c : volt.chars)
        digits = digits * 10 + (c.isDigit() ? c.digitValue() : 0);
    int mode = volt.point == 1 ? 0 : 1; // X.XXX or XX.XX: the meter has no other voltage format
    if (volt.minus)
        mode += 2;
    return quint16(mode * 10000 + digits);
}

SimReading demoReading(const QString& volt, const QString& amps, const QString& ohms,
                       const QString& degrees, const QString& outCap, QTime at)
{
    SimReading r;
    r.voltage = volt;
    r.current = amps;
    r.resistance = ohms;
    r.temperature = degrees;
    r.outCap = outCap;
    r.tCap = outCap;
    r.capMilli = {false, true, true};
    r.hours = at.toString(QStringLiteral("hh"));
    r.minutes = at.toString(QStringLiteral("mm"));
    r.seconds = at.toString(QStringLiteral("ss"));
    return r;
}

} // namespace

quint8 simToBcd(int value)
{
    value = qBound(0, value, 99);
    return quint8(((value / 10) << 4) | (value % 10));
}

int simFromBcd(quint8 byte)
{
    const int high = byte >> 4;
    const int low = byte & 0x0F;
    if (high > 9 || low > 9)
        return -1;
    return high * 10 + low;
}

quint8 setFormatByte(const SimReading& reading)
{
    int scale = 0; // mA, point after three digits
    if (!reading.milliAmps) {
        const int point = splitValueText(reading.current).point;
        scale = point >= 1 && point <= 3 ? point : 1;
    }
    const bool celsius = reading.tempUnit == SimReading::TempUnit::Celsius;
    return quint8((scale << 2) | ((reading.rangeCode & 0x07) << 4) | (celsius ? 0x80 : 0));
}

QByteArray encodeSetHeader(quint8 intervalSeconds, QTime start, quint8 formatByte)
{
    QByteArray header("\x00\x55\xAA\x00", 4);
    header.append(char(intervalSeconds));
    header.append('\0');
    header.append(char(simToBcd(start.hour())));
    header.append(char(simToBcd(start.minute())));
    header.append(char(simToBcd(start.second())));
    header.append(char(formatByte));
    return header;
}

QByteArray encodeAutoRecord(const SimReading& reading)
{
    const QByteArray frame = encodeDisplayFrame(reading);
    const quint16 volt = voltageWord(reading);
    const SimDisplayValue current = splitValueText(reading.current);
    const SimDisplayValue temperature = splitValueText(reading.temperature);
    const SimDisplayValue tCap = splitValueText(reading.tCap);

    QByteArray record;
    record.append(char(volt >> 8));
    record.append(char(volt & 0xFF));
    record.append(displayBytes(frame, kResistanceByte, 12));
    // Flag byte A: T-Cap milli, sign and point position; temperature and current signs.
    const quint8 flagsA = quint8((reading.capMilli[2] ? 0x01 : 0) | (tCap.minus ? 0x02 : 0) |
                                 (qMin(tCap.point, 3) << 2) | (temperature.minus ? 0x10 : 0) |
                                 (current.minus ? 0x20 : 0));
    record.append(char(flagsA));
    // Flag byte B has the layout of the display's In-/Out-Cap point byte.
    record.append(displayBytes(frame, kCapacityPointsByte, 1));
    return record;
}

QByteArray encodeAutoSet(quint8 intervalSeconds, QTime start, const QList<SimReading>& readings)
{
    const quint8 format = setFormatByte(readings.isEmpty() ? SimReading{} : readings.first());
    QByteArray set = encodeSetHeader(intervalSeconds, start, format);
    for (const SimReading& reading : readings)
        set.append(encodeAutoRecord(reading));
    return set;
}

QByteArray encodeManualRecord(const SimReading& reading)
{
    const QByteArray frame = encodeDisplayFrame(reading);
    QByteArray record = displayBytes(frame, kFirstValueByte, 14);
    record.append(4, '\0');
    record.append(displayBytes(frame, kClockByte, 3));
    record.append(displayBytes(frame, kFirstIndicatorByte, 11));
    record.append(displayBytes(frame, kRangeByte, 1));
    return record;
}

QByteArray encodeComparatorSet(quint8 resistanceFormat, quint8 voltageFormat,
                               const QString& resistanceHigh, const QString& resistanceLow,
                               const QString& voltageHigh, const QString& voltageLow)
{
    QByteArray set;
    set.append(char(resistanceFormat));
    set.append(char(voltageFormat));
    for (const QString& limit : {resistanceHigh, resistanceLow, voltageHigh, voltageLow})
        set.append(packDisplayChars(limit.rightJustified(4, QLatin1Char('0')).right(4)));
    return set;
}

QByteArray generatedAutoMemory(qsizetype bytes, int recordsPerSet)
{
    constexpr qsizetype header = 10;
    constexpr qsizetype record = 16;
    recordsPerSet = qMax(1, recordsPerSet);
    if (bytes < header + record)
        return {};
    // The fewest sets of about recordsPerSet readings whose headers leave whole records.
    qsizetype sets = qMax<qsizetype>(1, (bytes + header + record * recordsPerSet - 1) /
                                            (header + record * recordsPerSet));
    while (sets * (header + record) <= bytes && (bytes - header * sets) % record != 0)
        ++sets;
    if (sets * (header + record) > bytes || (bytes - header * sets) % record != 0) {
        sets = qMax<qsizetype>(1, bytes / (header + record * recordsPerSet));
        bytes -= (bytes - header * sets) % record;
    }
    const qsizetype records = (bytes - header * sets) / record;
    const qsizetype perSet = records / sets;
    const qsizetype longer = records % sets; // the first sets take one reading more

    // One run of readings, cut for every set: encoding each reading anew would take seconds
    // for a large memory.
    QList<SimReading> readings;
    for (qsizetype i = 0; i <= perSet; ++i) {
        SimReading r;
        r.voltage = QString::number(12.70 - 0.01 * double(i % 500), 'f', 2);
        r.current = QStringLiteral("1.250");
        r.resistance = QStringLiteral("03.45");
        r.temperature = QString::number(25.0 + 0.1 * double(i % 50), 'f', 1);
        const QString charge = QString::number(double(i % 1000) * 0.694, 'f', 1)
                                   .rightJustified(5, QLatin1Char('0'))
                                   .right(5);
        r.outCap = charge;
        r.tCap = charge;
        r.capMilli = {false, true, true};
        readings.append(r);
    }
    const QByteArray run = encodeAutoSet(2, QTime(0, 0), readings).mid(header);
    const quint8 format = setFormatByte(readings.first());

    QByteArray memory;
    memory.reserve(bytes);
    QTime start(8, 0, 0);
    for (qsizetype s = 0; s < sets; ++s) {
        const qsizetype count = perSet + (s < longer ? 1 : 0);
        memory.append(encodeSetHeader(2, start, format));
        memory.append(run.left(count * record));
        start = start.addSecs(int(2 * count));
    }
    return memory;
}

QByteArray demoAutoMemory()
{
    // A 12 V battery logged every 2 s in the 40 mOhm range ...
    const QList<SimReading> first{
        demoReading(QStringLiteral("12.70"), QStringLiteral("1.250"), QStringLiteral("03.45"),
                    QStringLiteral(" 25.0"), QStringLiteral("0.694"), QTime(9, 30, 5)),
        demoReading(QStringLiteral("12.69"), QStringLiteral("1.251"), QStringLiteral("03.46"),
                    QStringLiteral(" 25.1"), QStringLiteral("1.389"), QTime(9, 30, 7)),
        demoReading(QStringLiteral("12.68"), QStringLiteral("1.249"), QStringLiteral("03.46"),
                    QStringLiteral(" 25.1"), QStringLiteral("2.083"), QTime(9, 30, 9)),
    };
    // ... and a lithium cell on a 500 mA load, every 10 s across midnight, in Fahrenheit.
    QList<SimReading> second{
        demoReading(QStringLiteral("3.912"), QStringLiteral("500.0"), QStringLiteral("0.045"),
                    QStringLiteral(" 77.0"), QStringLiteral("1.389"), QTime(23, 59, 55)),
        demoReading(QStringLiteral("3.905"), QStringLiteral("499.8"), QStringLiteral("0.045"),
                    QStringLiteral(" 77.2"), QStringLiteral("2.777"), QTime(0, 0, 5)),
    };
    for (SimReading& r : second) {
        r.milliAmps = true;
        r.rangeCode = 5; // "4 Ohm"
        r.tempUnit = SimReading::TempUnit::Fahrenheit;
    }
    return encodeAutoSet(2, QTime(9, 30, 5), first) + encodeAutoSet(10, QTime(23, 59, 55), second);
}

QList<QByteArray> demoManualRecords()
{
    SimReading overload =
        demoReading(QStringLiteral("0.0L"), QStringLiteral("0.000"), QStringLiteral("0.0L"),
                    QStringLiteral(" 24.5"), QStringLiteral("0.000"), QTime(8, 15, 0));
    overload.rangeCode = 4; // "4 mOhm"
    SimReading milliAmps =
        demoReading(QStringLiteral("1.298"), QStringLiteral("120.5"), QStringLiteral("0.210"),
                    QStringLiteral(" 23.9"), QStringLiteral("15.62"), QTime(14, 2, 30));
    milliAmps.milliAmps = true;
    milliAmps.rangeCode = 3; // "400 mOhm"
    return {
        encodeManualRecord(demoReading(QStringLiteral("12.64"), QStringLiteral("1.250"),
                                       QStringLiteral("03.47"), QStringLiteral(" 26.3"),
                                       QStringLiteral("125.0"), QTime(10, 45, 12))),
        encodeManualRecord(overload),
        encodeManualRecord(milliAmps),
    };
}

QByteArray demoComparatorTable()
{
    QByteArray table;
    for (int set = 1; set <= 99; ++set) {
        if (set % 10 == 0) {
            // Every tenth set is for a lithium cell: 4 Ohm range, voltages as X.XXX.
            table.append(encodeComparatorSet(0x11, 0x11, QStringLiteral("0500"),
                                             QString::number(set * 2).rightJustified(4, u'0'),
                                             QStringLiteral("4200"), QStringLiteral("3000")));
            continue;
        }
        // 40 mOhm range for both resistance limits, voltages as XX.XX.
        table.append(encodeComparatorSet(0xAA, 0x22, QString::number(100 + set * 25),
                                         QString::number(set * 20), QString::number(1200 + set * 5),
                                         QString::number(1000 + set * 2)));
    }
    return table;
}
