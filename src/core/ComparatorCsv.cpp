#include "ComparatorCsv.h"

#include <QSet>

namespace {

constexpr int kCellCount = 7;

QString limitText(const ComparatorLimitEdit& limit)
{
    QString text = limit.digits[0] + limit.digits[1] + limit.digits[2] + limit.digits[3];
    if (limit.choice > 0)
        text.insert(limit.choice, QLatin1Char('.'));
    return text;
}

QString unitText(const ComparatorLimitEdit& limit)
{
    return limit.milliOhm ? QStringLiteral("mOhm") : QStringLiteral("Ohm");
}

QString trimmedCell(QString cell)
{
    cell = cell.trimmed();
    if (cell.size() >= 2 && cell.startsWith(u'"') && cell.endsWith(u'"'))
        cell = cell.mid(1, cell.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
    return cell.trimmed();
}

// Four digits with the point after 1..`choices` of them: what a limit's editors can hold.
bool readLimit(const QString& text, int choices, ComparatorLimitEdit& limit)
{
    const qsizetype point = text.indexOf(u'.');
    if (text.size() != 5 || point < 1 || point > choices)
        return false;
    int k = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (i == point)
            continue;
        if (text.at(i) < u'0' || text.at(i) > u'9')
            return false;
        limit.digits[k++] = text.at(i);
    }
    limit.choice = int(point);
    return true;
}

QString editError(const ComparatorCsvRow& row, const QString& what)
{
    return QStringLiteral("line %1 (set %2): %3").arg(row.line).arg(row.set).arg(what);
}

// The editors' state of a row, or why the row cannot be typed into them.
QString readEdit(const ComparatorCsvRow& row, ComparatorEdit& edit)
{
    const QStringList& c = row.cells;
    const auto resistance = [&](int value, int unit, const char* name, ComparatorLimitEdit& limit) {
        if (!readLimit(c[value], 3, limit))
            return editError(row, QStringLiteral("%1 \"%2\" is not four digits with a point "
                                                 "after the first, second or third")
                                      .arg(QLatin1String(name), c[value]));
        if (c[unit] != u"Ohm" && c[unit] != u"mOhm")
            return editError(row, QStringLiteral("%1 unit \"%2\" is neither Ohm nor mOhm")
                                      .arg(QLatin1String(name), c[unit]));
        limit.milliOhm = c[unit] == u"mOhm";
        return QString();
    };
    const auto voltage = [&](int value, const char* name, ComparatorLimitEdit& limit) {
        if (!readLimit(c[value], 2, limit))
            return editError(row, QStringLiteral("%1 \"%2\" is not four digits with a point "
                                                 "after the first or second")
                                      .arg(QLatin1String(name), c[value]));
        return QString();
    };
    for (const QString& error :
         {resistance(1, 2, "resistance high", edit.ohmHigh),
          resistance(3, 4, "resistance low", edit.ohmLow),
          voltage(5, "voltage high", edit.voltHigh), voltage(6, "voltage low", edit.voltLow)}) {
        if (!error.isEmpty())
            return error;
    }
    return {};
}

} // namespace

QStringList comparatorCsvCells(int set, const QString& entry)
{
    const auto edit = comparatorEditFromEntry(entry);
    if (!edit)
        return {};
    return {QString::number(set),    limitText(edit->ohmHigh), unitText(edit->ohmHigh),
            limitText(edit->ohmLow), unitText(edit->ohmLow),   limitText(edit->voltHigh),
            limitText(edit->voltLow)};
}

QByteArray comparatorCsv(const ComparatorTexts& table)
{
    QByteArray out = ComparatorCsvHeader.toUtf8() + '\n';
    for (int set = 1; set <= ComparatorSetCount; ++set) {
        QStringList cells = comparatorCsvCells(set, table[set]);
        if (cells.isEmpty())
            cells = QStringList{QString::number(set)} + QStringList(kCellCount - 1, QString());
        out += cells.join(u',').toUtf8() + '\n';
    }
    return out;
}

ComparatorCsvFile parseComparatorCsv(QByteArrayView bytes)
{
    ComparatorCsvFile file;
    const QStringList lines = QString::fromUtf8(bytes).split(u'\n');
    bool headerSeen = false;
    QSet<int> sets;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int lineNumber = int(i) + 1;
        QString text = lines[i];
        if (text.endsWith(u'\r'))
            text.chop(1);
        if (text.trimmed().isEmpty())
            continue;
        QStringList cells = text.split(u',');
        for (QString& cell : cells)
            cell = trimmedCell(cell);
        if (!headerSeen) {
            if (cells.join(u',') != ComparatorCsvHeader) {
                file.error = QStringLiteral("line %1: the header must read %2")
                                 .arg(lineNumber)
                                 .arg(ComparatorCsvHeader);
                return file;
            }
            headerSeen = true;
            continue;
        }
        if (cells.size() != kCellCount) {
            file.error = QStringLiteral("line %1: %2 cells where a set has %3")
                             .arg(lineNumber)
                             .arg(cells.size())
                             .arg(kCellCount);
            return file;
        }
        bool ok = false;
        const int set = cells[0].toInt(&ok);
        if (!ok || set < 1 || set > ComparatorSetCount) {
            file.error = QStringLiteral("line %1: the set \"%2\" is not a number from 1 to %3")
                             .arg(lineNumber)
                             .arg(cells[0])
                             .arg(ComparatorSetCount);
            return file;
        }
        if (sets.contains(set)) {
            file.error = QStringLiteral("line %1: set %2 is there twice").arg(lineNumber).arg(set);
            return file;
        }
        sets.insert(set);
        file.rows.append({lineNumber, set, cells});
    }
    if (!headerSeen)
        file.error = QStringLiteral("the file is empty; it must start with the header %1")
                         .arg(ComparatorCsvHeader);
    return file;
}

ComparatorChanges comparatorChanges(const ComparatorTexts& meter,
                                    const QList<ComparatorCsvRow>& rows)
{
    ComparatorChanges changes;
    for (const ComparatorCsvRow& row : rows) {
        // A row as the meter's own entry reads is left alone, whatever that entry holds.
        QStringList held = comparatorCsvCells(row.set, meter[row.set]);
        for (QString& cell : held)
            cell = trimmedCell(cell);
        if (row.cells == held)
            continue;
        ComparatorEdit edit;
        if (const QString error = readEdit(row, edit); !error.isEmpty()) {
            changes.error = error;
            return changes;
        }
        const auto update = comparatorUpdate(edit, row.set);
        if (!update || update->edit != edit) {
            // The update holds a voltage above 60.00 V at 60.00: the file's value is not sent.
            changes.error = editError(row, QStringLiteral("a voltage above 60.00 V, the most the "
                                                          "meter takes"));
            return changes;
        }
        if (update->entry.compare(meter[row.set], Qt::CaseInsensitive) != 0)
            changes.updates.append(*update);
    }
    return changes;
}
