#include "CellGrade.h"

#include <QLocale>

#include <cmath>

namespace {

struct Scale
{
    double factor;    // shown = value × factor
    const char* unit; // " V", " mOhm", " Ohm"
    int decimals;     // at least this many
};

Scale voltageScale()
{
    return {1.0, " V", 3};
}

// A resistance below one ohm reads best in milliohms, as the meter's ranges show it.
Scale resistanceScale(double limit)
{
    return limit < 1.0 ? Scale{1000.0, " mOhm", 1} : Scale{1.0, " Ohm", 3};
}

// "R 61.2 mOhm > 60.0 mOhm": with as many more decimals as it takes to tell the two apart.
QString crossing(const char* name, double value, char sign, double limit, const Scale& scale)
{
    QString shown, bound;
    for (int decimals = scale.decimals; decimals <= scale.decimals + 3; ++decimals) {
        shown = QString::number(value * scale.factor, 'f', decimals);
        bound = QString::number(limit * scale.factor, 'f', decimals);
        if (shown != bound)
            break;
    }
    const QString unit = QString::fromLatin1(scale.unit);
    return QStringLiteral("%1 %2%3 %4 %5%3")
        .arg(QLatin1String(name), shown, unit, QString(QLatin1Char(sign)), bound);
}

void add(QString& reasons, const QString& reason)
{
    if (!reasons.isEmpty())
        reasons += QStringLiteral("; ");
    reasons += reason;
}

std::optional<double> positive(std::optional<double> value)
{
    return value && *value > 0 ? value : std::nullopt;
}

// A comparator limit's digits with the point after `choice` of them, in its unit.
std::optional<double> limitValue(const ComparatorLimitEdit& limit, bool resistance)
{
    if (limit.choice < 1)
        return std::nullopt;
    QString text;
    for (int i = 0; i < 4; ++i) {
        if (limit.digits[i].size() != 1 || !limit.digits[i][0].isDigit())
            return std::nullopt;
        if (i == limit.choice)
            text += QLatin1Char('.');
        text += limit.digits[i];
    }
    const double value = text.toDouble();
    return resistance && limit.milliOhm ? value / 1000.0 : value;
}

GradeLimits comparatorLimits(std::optional<double> ohmHigh, std::optional<double> ohmLow,
                             std::optional<double> voltHigh, std::optional<double> voltLow)
{
    GradeLimits limits;
    limits.voltageMin = positive(voltLow);
    limits.voltageMax = positive(voltHigh);
    limits.resistanceMax = positive(ohmHigh);
    limits.resistanceWarn = positive(ohmLow);
    return limits;
}

} // namespace

QString verdictText(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Pass:
        return QStringLiteral("PASS");
    case Verdict::Warn:
        return QStringLiteral("WARN");
    case Verdict::Fail:
        break;
    }
    return QStringLiteral("FAIL");
}

std::optional<Verdict> verdictFromText(QStringView text)
{
    for (const Verdict v : {Verdict::Pass, Verdict::Warn, Verdict::Fail}) {
        if (text == verdictText(v))
            return v;
    }
    return std::nullopt;
}

CellGrade gradeCell(const GradeLimits& limits, const CellValues& values)
{
    QString fails;
    QString warns;
    if (!values.voltage) {
        add(fails, QStringLiteral("V OL"));
    } else {
        const double v = *values.voltage;
        if (limits.voltageMin && v < *limits.voltageMin)
            add(fails, crossing("V", v, '<', *limits.voltageMin, voltageScale()));
        else if (limits.voltageWarnMin && v < *limits.voltageWarnMin)
            add(warns, crossing("V", v, '<', *limits.voltageWarnMin, voltageScale()));
        if (limits.voltageMax && v > *limits.voltageMax)
            add(fails, crossing("V", v, '>', *limits.voltageMax, voltageScale()));
        else if (limits.voltageWarnMax && v > *limits.voltageWarnMax)
            add(warns, crossing("V", v, '>', *limits.voltageWarnMax, voltageScale()));
    }
    if (!values.resistance) {
        add(fails, QStringLiteral("R OL"));
    } else {
        const double r = *values.resistance;
        if (limits.resistanceMax && r > *limits.resistanceMax)
            add(fails, crossing("R", r, '>', *limits.resistanceMax,
                                resistanceScale(*limits.resistanceMax)));
        else if (limits.resistanceWarn && r > *limits.resistanceWarn)
            add(warns, crossing("R", r, '>', *limits.resistanceWarn,
                                resistanceScale(*limits.resistanceWarn)));
    }
    if (!fails.isEmpty())
        return {Verdict::Fail, fails};
    if (!warns.isEmpty())
        return {Verdict::Warn, warns};
    return {Verdict::Pass, {}};
}

std::optional<GradeLimits> limitsFromComparatorEntry(const QString& entry)
{
    const std::optional<ComparatorEdit> edit = comparatorEditFromEntry(entry);
    if (!edit)
        return std::nullopt;
    const auto ohmHigh = limitValue(edit->ohmHigh, true);
    const auto ohmLow = limitValue(edit->ohmLow, true);
    const auto voltHigh = limitValue(edit->voltHigh, false);
    const auto voltLow = limitValue(edit->voltLow, false);
    if (!ohmHigh || !ohmLow || !voltHigh || !voltLow)
        return std::nullopt;
    return comparatorLimits(ohmHigh, ohmLow, voltHigh, voltLow);
}

std::optional<GradeLimits> limitsFromComparatorCells(const QStringList& cells)
{
    if (cells.size() < 7)
        return std::nullopt;
    const auto ohms = [&](int value, int unit) -> std::optional<double> {
        const auto number = plainNumber(cells[value]);
        const QString u = cells[unit].trimmed();
        if (!number || (u != u"Ohm" && u != u"mOhm"))
            return std::nullopt;
        return u == u"mOhm" ? *number / 1000.0 : *number;
    };
    const auto ohmHigh = ohms(1, 2);
    const auto ohmLow = ohms(3, 4);
    const auto voltHigh = plainNumber(cells[5]);
    const auto voltLow = plainNumber(cells[6]);
    if (!ohmHigh || !ohmLow || !voltHigh || !voltLow)
        return std::nullopt;
    return comparatorLimits(ohmHigh, ohmLow, voltHigh, voltLow);
}

std::optional<GradeLimits> parseLimits(QStringView text, QString& error)
{
    error = QStringLiteral("limits are VMIN:VMAX:RMAX in volts and ohms, e.g. 3.6:4.2:0.060");
    const QList<QStringView> parts = text.split(QLatin1Char(':'));
    if (parts.size() != 3)
        return std::nullopt;
    std::optional<double> values[3];
    for (int i = 0; i < 3; ++i) {
        if (parts[i].trimmed().isEmpty())
            continue;
        const std::optional<double> value = plainNumber(parts[i]);
        if (!value || *value < 0)
            return std::nullopt;
        values[i] = value;
    }
    if (values[0] && values[1] && *values[0] > *values[1]) {
        error = QStringLiteral("the voltage's minimum is above its maximum");
        return std::nullopt;
    }
    if (values[2] && *values[2] <= 0) {
        error = QStringLiteral("the resistance's maximum must be above 0");
        return std::nullopt;
    }
    error.clear();
    GradeLimits limits;
    limits.voltageMin = values[0];
    limits.voltageMax = values[1];
    limits.resistanceMax = values[2];
    return limits;
}

QString automaticCellId(const QString& prefix, qint64 number)
{
    return prefix + QString::number(number).rightJustified(4, QLatin1Char('0'));
}

std::optional<qint64> automaticCellNumber(const QString& prefix, QStringView id)
{
    if (!id.startsWith(prefix) || id.size() == prefix.size())
        return std::nullopt;
    const QStringView digits = id.mid(prefix.size());
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    bool ok = false;
    const qint64 number = digits.toLongLong(&ok);
    return ok ? std::optional<qint64>(number) : std::nullopt;
}

std::optional<double> plainNumber(QStringView text)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}
