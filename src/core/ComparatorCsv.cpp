#include "ComparatorCsv.h"

#include <QSet>

#include <algorithm>

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

bool allDigits(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// A limit as its editors hold it: four digits, the point after 1..`choices` of them. The file
// may hold it in that form ("01.30"), or as a spreadsheet writes the number back ("1.3",
// "12"): then it takes the decimal choice `held` (the meter's own for this limit) when the
// number fits that, else the one that keeps the most decimals, and only when no digit is lost.
bool readLimit(const QString& text, int choices, int held, ComparatorLimitEdit& limit)
{
    const qsizetype point = text.indexOf(u'.');
    QStringView whole = point < 0 ? QStringView(text) : QStringView(text).left(point);
    QStringView fraction = point < 0 ? QStringView() : QStringView(text).mid(point + 1);
    if ((whole.isEmpty() && fraction.isEmpty()) || !allDigits(whole) || !allDigits(fraction))
        return false;
    int choice = 0;
    if (whole.size() >= 1 && whole.size() <= choices && whole.size() + fraction.size() == 4) {
        choice = int(whole.size()); // the editors' own form, taken as it stands
    } else {
        while (!whole.isEmpty() && whole.front() == u'0')
            whole = whole.sliced(1);
        while (!fraction.isEmpty() && fraction.back() == u'0')
            fraction.chop(1);
        const auto fits = [&](int k) { return whole.size() <= k && fraction.size() <= 4 - k; };
        if (held >= 1 && held <= choices && fits(held))
            choice = held;
        for (int k = 1; k <= choices && choice == 0; ++k) {
            if (fits(k))
                choice = k;
        }
        if (choice == 0)
            return false;
    }
    const QString digits = QString(choice - whole.size(), u'0') + whole.toString() +
                           fraction.toString() + QString(4 - choice - fraction.size(), u'0');
    for (int k = 0; k < 4; ++k)
        limit.digits[k] = digits.at(k);
    limit.choice = choice;
    return true;
}

QString editError(const ComparatorCsvRow& row, const QString& what)
{
    return QStringLiteral("line %1 (set %2): %3").arg(row.line).arg(row.set).arg(what);
}

// The editors' state of a row, or why the row cannot be typed into them. `held` is the
// meter's entry for the set, whose decimal choices a number without them takes.
QString readEdit(const ComparatorCsvRow& row, const ComparatorEdit& held, ComparatorEdit& edit)
{
    const QStringList& c = row.cells;
    const auto resistance = [&](int value, int unit, const char* name, int heldChoice,
                                ComparatorLimitEdit& limit) {
        if (!readLimit(c[value], 3, heldChoice, limit))
            return editError(row, QStringLiteral("%1 \"%2\" does not fit four digits with the "
                                                 "point after the first, second or third")
                                      .arg(QLatin1String(name), c[value]));
        if (c[unit] != u"Ohm" && c[unit] != u"mOhm")
            return editError(row, QStringLiteral("%1 unit \"%2\" is neither Ohm nor mOhm")
                                      .arg(QLatin1String(name), c[unit]));
        limit.milliOhm = c[unit] == u"mOhm";
        return QString();
    };
    const auto voltage = [&](int value, const char* name, int heldChoice,
                             ComparatorLimitEdit& limit) {
        if (!readLimit(c[value], 2, heldChoice, limit))
            return editError(row, QStringLiteral("%1 \"%2\" does not fit four digits with the "
                                                 "point after the first or second")
                                      .arg(QLatin1String(name), c[value]));
        return QString();
    };
    for (const QString& error :
         {resistance(1, 2, "resistance high", held.ohmHigh.choice, edit.ohmHigh),
          resistance(3, 4, "resistance low", held.ohmLow.choice, edit.ohmLow),
          voltage(5, "voltage high", held.voltHigh.choice, edit.voltHigh),
          voltage(6, "voltage low", held.voltLow.choice, edit.voltLow)}) {
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
        const ComparatorEdit meterEdit =
            comparatorEditFromEntry(meter[row.set]).value_or(ComparatorEdit{});
        if (const QString error = readEdit(row, meterEdit, edit); !error.isEmpty()) {
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
