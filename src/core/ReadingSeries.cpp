#include "ReadingSeries.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// The value columns by their CSV names, in Channel order; the temperature has two names.
const std::array<QLatin1StringView, ReadingSeries::ChannelCount> kColumnNames{
    QLatin1StringView("voltage_V"),        QLatin1StringView("resistance_Ohm"),
    QLatin1StringView("current_A"),        QLatin1StringView("temperature_C"),
    QLatin1StringView("in_capacity_Ah"),   QLatin1StringView("out_capacity_Ah"),
    QLatin1StringView("total_capacity_Ah")};

// The fields of one RFC 4180 line. Unquoted fields are views into `line`; quoted ones are
// kept in `unquoted`, whose strings keep their characters where they are when it grows.
void splitFields(QStringView line, std::vector<QStringView>& fields, QStringList& unquoted)
{
    fields.clear();
    qsizetype at = 0;
    for (;;) {
        if (at < line.size() && line[at] == QLatin1Char('"')) {
            QString field;
            ++at;
            while (at < line.size()) {
                if (line[at] == QLatin1Char('"')) {
                    if (at + 1 < line.size() && line[at + 1] == QLatin1Char('"')) {
                        field += QLatin1Char('"');
                        at += 2;
                        continue;
                    }
                    ++at;
                    break;
                }
                field += line[at++];
            }
            unquoted.append(field);
            fields.push_back(unquoted.constLast());
            const qsizetype comma = line.indexOf(QLatin1Char(','), at);
            if (comma < 0)
                return;
            at = comma + 1;
            continue;
        }
        const qsizetype comma = line.indexOf(QLatin1Char(','), at);
        if (comma < 0) {
            fields.push_back(line.mid(at));
            return;
        }
        fields.push_back(line.mid(at, comma - at));
        at = comma + 1;
    }
}

double number(QStringView field)
{
    if (field.isEmpty())
        return NaN;
    bool ok = false;
    const double v = field.toDouble(&ok);
    return ok && std::isfinite(v) ? v : NaN;
}

// The time of day of a date_time cell: "2026-12-08T10:15:01", with or without an offset, or
// "10:15:01" alone.
std::optional<double> secondOfDay(QStringView cell)
{
    const qsizetype t = cell.indexOf(QLatin1Char('T'));
    const QStringView time = t >= 0 ? cell.mid(t + 1, 8) : cell.left(8);
    if (const std::optional<QTime> at = timeOfDay(time))
        return at->msecsSinceStartOfDay() / 1000.0;
    return std::nullopt;
}

// How much a counter rose from the row before `i` to `i`: nothing where it fell or is missing.
double rise(const std::vector<double>& counter, std::size_t i)
{
    const double up = counter[i] - counter[i - 1];
    return up > 0 ? up : 0.0;
}

QStringView firstLine(QByteArrayView bytes, QString& text)
{
    qsizetype end = bytes.indexOf('\n');
    if (end < 0)
        end = bytes.size();
    text = QString::fromUtf8(bytes.first(std::min<qsizetype>(end, 4096)));
    QStringView line = text;
    if (line.startsWith(QChar(0xFEFF)))
        line = line.mid(1);
    return line.trimmed();
}

} // namespace

bool ReadingSeries::isCsv(QByteArrayView bytes)
{
    QString text;
    const QStringView line = firstLine(bytes, text);
    return line.startsWith(QLatin1StringView("record,")) &&
           line.contains(QLatin1StringView("elapsed_s"));
}

ReadingSeries ReadingSeries::fromFile(QByteArrayView bytes, QDate firstDate)
{
    return isCsv(bytes) ? fromCsv(bytes) : fromDataFile(bytes, firstDate);
}

ReadingSeries ReadingSeries::fromDataFile(QByteArrayView bytes, QDate firstDate)
{
    const CsvConversion csv = convertDataFile(bytes, firstDate);
    if (!csv.error.isEmpty()) {
        ReadingSeries none;
        none.m_error = csv.error;
        return none;
    }
    ReadingSeries series = fromCsv(csv.csv);
    series.m_warning = csv.warning;
    return series;
}

ReadingSeries ReadingSeries::fromCsv(QByteArrayView bytes)
{
    ReadingSeries series;
    if (bytes.contains('\0')) {
        series.m_error = QStringLiteral("It holds NUL bytes: this is no CSV file.");
        return series;
    }
    const QString text = QString::fromUtf8(bytes);
    QStringView rest = text;
    if (rest.startsWith(QChar(0xFEFF)))
        rest = rest.mid(1);

    std::vector<QStringView> fields;
    QStringList unquoted;
    const auto nextLine = [&rest]() {
        const qsizetype end = rest.indexOf(QLatin1Char('\n'));
        QStringView line = end < 0 ? rest : rest.left(end);
        rest = end < 0 ? QStringView() : rest.mid(end + 1);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        return line;
    };

    splitFields(nextLine(), fields, unquoted);
    const auto indexOf = [&fields](QLatin1StringView name) {
        const auto at = std::find(fields.begin(), fields.end(), name);
        return at == fields.end() ? -1 : int(at - fields.begin());
    };
    const int elapsedAt = indexOf(QLatin1StringView("elapsed_s"));
    const int dateTimeAt = indexOf(QLatin1StringView("date_time"));
    const int flagsAt = indexOf(QLatin1StringView("flags"));
    std::array<int, ChannelCount> valueAt{};
    for (int c = 0; c < ChannelCount; ++c)
        valueAt[std::size_t(c)] = indexOf(kColumnNames[std::size_t(c)]);
    if (valueAt[Temperature] < 0) {
        valueAt[Temperature] = indexOf(QLatin1StringView("temperature_F"));
        if (valueAt[Temperature] >= 0)
            series.m_temperatureUnit = TemperatureUnit::Fahrenheit;
    }
    if (elapsedAt < 0 || valueAt[Voltage] < 0) {
        series.m_error =
            QStringLiteral("Its first line names no elapsed_s and voltage_V columns: this is no "
                           "CellDesk CSV file.");
        return series;
    }

    std::array<double, ChannelCount> values{};
    while (!rest.isEmpty()) {
        const QStringView line = nextLine();
        if (line.trimmed().isEmpty())
            continue;
        unquoted.clear();
        splitFields(line, fields, unquoted);
        const auto field = [&fields](int i) {
            return i >= 0 && std::size_t(i) < fields.size() ? fields[std::size_t(i)]
                                                            : QStringView();
        };
        for (int c = 0; c < ChannelCount; ++c)
            values[std::size_t(c)] = number(field(valueAt[std::size_t(c)]));
        const double elapsed = number(field(elapsedAt));
        if (!series.m_firstSecondOfDay && std::isfinite(elapsed))
            series.m_firstSecondOfDay = secondOfDay(field(dateTimeAt));
        series.append(elapsed, values, field(flagsAt).contains(QLatin1StringView("gap:")));
    }
    series.finish();
    return series;
}

void ReadingSeries::append(double elapsed, const std::array<double, ChannelCount>& values,
                           bool afterSkippedSamples)
{
    m_elapsed.push_back(elapsed);
    for (int c = 0; c < ChannelCount; ++c)
        m_values[std::size_t(c)].push_back(values[std::size_t(c)]);
    m_marked.push_back(afterSkippedSamples ? 1 : 0);
}

void ReadingSeries::finish()
{
    const std::size_t n = m_elapsed.size();
    std::vector<double> steps;
    steps.reserve(n);
    for (std::size_t i = 1; i < n; ++i) {
        const double step = m_elapsed[i] - m_elapsed[i - 1];
        if (step > 0)
            steps.push_back(step);
    }
    double usualStep = 0; // the median step
    if (!steps.empty()) {
        const auto middle = steps.begin() + std::ptrdiff_t(steps.size() / 2);
        std::nth_element(steps.begin(), middle, steps.end());
        usualStep = *middle;
    }

    m_gapBefore.assign(n, 0);
    double outward = 0; // charge by the current's sign, roughly: which sign is which
    double inward = 0;
    double outRise = 0;
    double inRise = 0;
    const std::vector<double>& current = m_values[Current];
    for (std::size_t i = 1; i < n; ++i) {
        const double step = m_elapsed[i] - m_elapsed[i - 1];
        const bool gap = m_marked[i] != 0 || !std::isfinite(step) || step < 0 ||
                         (usualStep > 0 && step > GapFactor * usualStep);
        m_gapBefore[i] = gap ? 1 : 0;
        if (!gap) {
            const double area = (current[i] + current[i - 1]) / 2 * step;
            if (area > 0)
                outward += area;
            else if (area < 0)
                inward -= area;
        }
        outRise += rise(m_values[OutCap], i);
        inRise += rise(m_values[InCap], i);
    }
    // `outward` holds the positive current so far: it is charge out when it went with Out-Cap.
    m_positiveIsOut =
        outRise != inRise && outward != inward && (outRise > inRise) == (outward > inward);
}
