#include "AxisEdit.h"

#include "AxisText.h"
#include "ValueText.h"

#include <QRegularExpression>

#include <cfloat>
#include <cmath>

namespace {

// Wide enough for any range the graphs show (record numbers, full scales, widened ranges).
constexpr double kLimit = 1e15;

} // namespace

AxisEdit::AxisEdit(QWidget* parent) : QDoubleSpinBox(parent)
{
    // QDoubleSpinBox rounds every value to decimals(): keep as many as a double holds and show
    // the value through the format instead.
    setDecimals(DBL_MAX_10_EXP + DBL_DIG);
    setRange(-kLimit, kLimit);
    setKeyboardTracking(true);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setAccelerated(true);
    setValue(0);
}

void AxisEdit::setFormat(const QString& format)
{
    m_format = format;
    setPrefix(prefix()); // re-shows the value's text without reading it back
}

QString AxisEdit::textFromValue(double value) const
{
    if (m_format == ClockFormat)
        return clockText(value);
    if (m_format == ElapsedFormat)
        return elapsedText(value);
    return formatNumber(value, m_format);
}

double AxisEdit::valueFromText(const QString& text) const
{
    // The shown text of the current value stands for that value, not for its rounding.
    if (text == textFromValue(value()))
        return value();
    if (!showsTime())
        return qBound(minimum(), double(leadingNumber(text)), maximum());
    const std::optional<double> typed = secondsFromText(text);
    if (!typed)
        return value();
    double seconds = *typed;
    if (m_format == ClockFormat) {
        constexpr double day = 86400;
        seconds += day * std::round((value() - seconds) / day);
    }
    return qBound(minimum(), seconds, maximum());
}

QValidator::State AxisEdit::validate(QString& text, int& pos) const
{
    Q_UNUSED(pos);
    if (showsTime()) {
        static const QRegularExpression time(QStringLiteral("^ *-? *[0-9]*(:[0-9]{0,2}){0,2} *$"));
        if (!time.match(text).hasMatch())
            return QValidator::Invalid;
        return secondsFromText(text) ? QValidator::Acceptable : QValidator::Intermediate;
    }
    static const QRegularExpression number(QStringLiteral("^ *[-+]? *[0-9]*\\.?[0-9]* *$"));
    if (!number.match(text).hasMatch())
        return QValidator::Invalid;
    if (!text.contains(QRegularExpression(QStringLiteral("[0-9]"))))
        return QValidator::Intermediate;
    const double v = leadingNumber(text);
    return v < minimum() || v > maximum() ? QValidator::Intermediate : QValidator::Acceptable;
}

void AxisEdit::fixup(QString& text) const
{
    text = textFromValue(value());
}
