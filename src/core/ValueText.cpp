#include "ValueText.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

float leadingNumber(QStringView text)
{
    std::string number;
    bool signSeen = false;
    bool pointSeen = false;
    bool digitSeen = false;
    bool integerDigit = false; // a non-zero digit before the point: the number is large
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u' ')
            continue;
        if ((u == u'-' || u == u'+') && !signSeen && !digitSeen && !pointSeen) {
            signSeen = true;
            if (u == u'-')
                number += '-';
            continue;
        }
        if (u >= u'0' && u <= u'9') {
            digitSeen = true;
            if (!pointSeen && u != u'0')
                integerDigit = true;
            number += static_cast<char>(u);
            continue;
        }
        if (u == u'.' && !pointSeen) {
            pointSeen = true;
            number += '.';
            continue;
        }
        break;
    }
    if (!digitSeen)
        return 0.0f;

    constexpr double largest = std::numeric_limits<float>::max();
    const bool negative = !number.empty() && number.front() == '-';
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range)
        value = integerDigit ? largest : 0.0;
    else if (error != std::errc())
        value = 0.0;
    value = std::fabs(value);
    if (value > largest)
        value = largest;
    if (negative && value != 0.0)
        value = -value;
    return static_cast<float>(value);
}

QString formatNumber(double value, QStringView format)
{
    if (!std::isfinite(value))
        return QString::number(value);

    const qsizetype point = format.indexOf(QLatin1Char('.'));
    const QStringView integerPart = point < 0 ? format : format.left(point);
    const QStringView fraction = point < 0 ? QStringView() : format.mid(point + 1);
    int minDecimals = 0;
    while (minDecimals < fraction.size() && fraction[minDecimals] == QLatin1Char('0'))
        ++minDecimals;
    const int maxDecimals = static_cast<int>(fraction.size());
    const bool integerZero = integerPart.contains(QLatin1Char('0')) || point < 0;

    QString text = QString::number(value, 'f', maxDecimals);
    if (text.contains(QLatin1Char('.'))) {
        qsizetype keep = text.size();
        const qsizetype dot = text.indexOf(QLatin1Char('.'));
        while (keep - dot - 1 > minDecimals && text[keep - 1] == QLatin1Char('0'))
            --keep;
        if (keep - dot - 1 == 0)
            keep = dot;
        text.truncate(keep);
    }

    const bool negative = text.startsWith(QLatin1Char('-'));
    QStringView digits = QStringView(text);
    if (negative)
        digits = digits.mid(1);
    bool allZero = true;
    for (const QChar c : digits) {
        if (c != QLatin1Char('0') && c != QLatin1Char('.')) {
            allZero = false;
            break;
        }
    }
    if (negative && allZero)
        text.remove(0, 1);

    if (!integerZero) {
        const qsizetype at = text.startsWith(QLatin1Char('-')) ? 1 : 0;
        if (text.mid(at, 2) == QLatin1String("0."))
            text.remove(at, 1);
    }
    return text;
}
