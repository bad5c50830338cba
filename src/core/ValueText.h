#pragma once

#include <QString>
#include <QStringView>

/// The number at the start of a display text, as the program reads values from the meter's
/// texts: blanks are ignored wherever they stand (the meter pads with blanks and puts the sign
/// before them, so "- 12.5" is -12.5), then an optional sign, digits and one point; anything
/// else ends the number ("12.5(m)" is 12.5). A text without digits gives 0. The result is
/// always finite: numbers beyond single precision are held at its largest value.
[[nodiscard]] float leadingNumber(QStringView text);

/// Whether a display text shows an overload ("OL", "-OL"): it contains "L".
[[nodiscard]] inline bool isOverload(QStringView text)
{
    return text.contains(QLatin1Char('L'));
}

/// Whether an overload text is a negative one ("-OL").
[[nodiscard]] inline bool isNegativeOverload(QStringView text)
{
    return isOverload(text) && text.contains(QLatin1Char('-'));
}

/// `value` written with a number format of the kind "0.###", "0.00#", "0.0" or ".###": the
/// zeros after the point are the decimals always shown, every mark after the point the most
/// shown; trailing zeros beyond the minimum are dropped, a bare point too, and a result that
/// rounds to zero is never "-0". A format without a zero before its point leaves out the
/// integer zero (".5").
[[nodiscard]] QString formatNumber(double value, QStringView format);
