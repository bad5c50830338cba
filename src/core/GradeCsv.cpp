#include "GradeCsv.h"

#include "CsvReadings.h"
#include "ReadingJson.h"

#include <QLocale>
#include <QSet>

namespace {

QString optionalNumber(const std::optional<double>& value)
{
    return value ? csvNumber(*value) : QString();
}

QString groupName(const PackPlan& plan)
{
    return plan.by == Balance::Capacity ? QStringLiteral("capacities")
                                        : QStringLiteral("parallel resistances");
}

QString percent(double share)
{
    return QString::number(share * 100.0, 'g', 3) + QStringLiteral(" %");
}

} // namespace

QString csvNumber(double value)
{
    QString text = QString::number(value, 'f', QLocale::FloatingPointShortest);
    if (text == u"-0")
        text = QStringLiteral("0");
    return text;
}

QString gradeCsvHeader()
{
    return QStringLiteral("cell_id,date_time,voltage_V,resistance_Ohm,temperature_C,verdict,"
                          "reason,utc_offset");
}

QString gradeCsvRow(const GradedCell& cell)
{
    return QStringList{csvField(cell.id),
                       csvLocalTime(cell.taken.date(), cell.taken.time()),
                       optionalNumber(cell.values.voltage),
                       optionalNumber(cell.values.resistance),
                       optionalNumber(cell.values.temperature),
                       verdictText(cell.grade.verdict),
                       csvField(cell.grade.reason),
                       csvUtcOffset(cell.taken.offsetFromUtc())}
        .join(QLatin1Char(','));
}

QByteArray gradeJsonLine(const GradedCell& cell)
{
    // Written by hand: the keys in the order of the CSV columns, as a reader scans them.
    QString line = QStringLiteral("{\"cell_id\":") + jsonString(cell.id) +
                   QStringLiteral(",\"time\":") + jsonString(isoTimeWithOffset(cell.taken));
    const std::pair<const char*, const std::optional<double>*> values[] = {
        {"voltage_V", &cell.values.voltage},
        {"resistance_Ohm", &cell.values.resistance},
        {"temperature_C", &cell.values.temperature}};
    for (const auto& [name, value] : values)
        line += QStringLiteral(",\"%1\":%2")
                    .arg(QLatin1String(name), *value ? csvNumber(**value) : QStringLiteral("null"));
    line += QStringLiteral(",\"verdict\":") + jsonString(verdictText(cell.grade.verdict)) +
            QStringLiteral(",\"reason\":") + jsonString(cell.grade.reason) + QLatin1Char('}');
    return line.toUtf8();
}

QStringList csvFields(QStringView line)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == u'"' && i + 1 < line.size() && line[i + 1] == u'"') {
                field += c;
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            fields.append(field);
            field.clear();
        } else if (c != u'\r') {
            field += c;
        }
    }
    fields.append(field);
    return fields;
}

CellsCsv parseCellsCsv(QByteArrayView bytes)
{
    CellsCsv out;
    const QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    int header = 0;
    while (header < lines.size() && lines[header].trimmed().isEmpty())
        ++header;
    if (header == lines.size()) {
        out.error = QStringLiteral("it is empty");
        return out;
    }
    QStringList titles = csvFields(lines[header]);
    for (QString& t : titles)
        t = t.trimmed();
    if (!titles.isEmpty() && titles.first().startsWith(QChar(0xFEFF)))
        titles.first().remove(0, 1); // a spreadsheet's byte order mark
    const qsizetype idAt = titles.indexOf(QStringLiteral("cell_id"));
    const qsizetype capacityAt = titles.indexOf(QStringLiteral("capacity_Ah"));
    const qsizetype ohmsAt = titles.indexOf(QStringLiteral("resistance_Ohm"));
    const qsizetype verdictAt = titles.indexOf(QStringLiteral("verdict"));
    if (idAt < 0 || (capacityAt < 0 && ohmsAt < 0)) {
        out.error = QStringLiteral("line %1: the header names no cell_id column and no "
                                   "capacity_Ah or resistance_Ohm column")
                        .arg(header + 1);
        return out;
    }
    QSet<QString> seen;
    for (int n = header + 1; n < lines.size(); ++n) {
        if (lines[n].trimmed().isEmpty())
            continue;
        const QStringList fields = csvFields(lines[n]);
        const auto at = [&](qsizetype k) { return k >= 0 ? fields.value(k).trimmed() : QString(); };
        PackCell cell;
        cell.id = at(idAt);
        if (cell.id.isEmpty()) {
            out.error = QStringLiteral("line %1: the cell_id is empty").arg(n + 1);
            return out;
        }
        if (seen.contains(cell.id)) {
            out.error = QStringLiteral("line %1: cell %2 is listed twice").arg(n + 1).arg(cell.id);
            return out;
        }
        seen.insert(cell.id);
        for (const auto& [column, target] :
             {std::pair{capacityAt, &cell.capacity}, std::pair{ohmsAt, &cell.resistance}}) {
            const QString text = at(column);
            if (text.isEmpty())
                continue;
            const std::optional<double> value = plainNumber(text);
            if (!value) {
                out.error = QStringLiteral("line %1: %2 '%3' is no number")
                                .arg(n + 1)
                                .arg(titles[column], text);
                return out;
            }
            *target = value;
        }
        if (verdictAt >= 0)
            cell.passing = at(verdictAt) == verdictText(Verdict::Pass);
        out.cells.append(cell);
    }
    return out;
}

QByteArray planCsv(const PackPlan& plan, std::span<const PackCell> cells)
{
    QString text = QStringLiteral("group,cell_id,capacity_Ah,resistance_Ohm\n");
    for (qsizetype g = 0; g < plan.groups.size(); ++g) {
        for (const qsizetype c : plan.groups[g].cells) {
            const PackCell& cell = cells[size_t(c)];
            text += QStringList{QString::number(g + 1), csvField(cell.id),
                                optionalNumber(cell.capacity), optionalNumber(cell.resistance)}
                        .join(QLatin1Char(','));
            text += QLatin1Char('\n');
        }
    }
    return text.toUtf8();
}

QString planSpreadText(const PackPlan& plan)
{
    return QStringLiteral("spread %1 between the %2 groups' %3 (the sort-and-snake start: %4)")
        .arg(percent(plan.spread))
        .arg(plan.series)
        .arg(groupName(plan), percent(plan.startSpread));
}

QString planMissingText(const PackPlan& plan)
{
    const qsizetype needed = qsizetype(plan.series) * plan.parallel;
    return QStringLiteral("%1S%2P needs %3 passing cells with a %4: %5 %6 missing")
        .arg(plan.series)
        .arg(plan.parallel)
        .arg(needed)
        .arg(plan.by == Balance::Capacity ? QStringLiteral("capacity")
                                          : QStringLiteral("resistance"))
        .arg(plan.missing)
        .arg(plan.missing == 1 ? QStringLiteral("is") : QStringLiteral("are"));
}

QList<PackCell> packCellsOf(const QList<GradedCell>& cells)
{
    QList<PackCell> out;
    out.reserve(cells.size());
    for (const GradedCell& c : cells)
        out.append({c.id, c.capacity, c.values.resistance, c.grade.verdict == Verdict::Pass});
    return out;
}
