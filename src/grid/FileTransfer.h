#pragma once

#include "CsvReadings.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

class Clock;
class Prompts;
class QWidget;
class TextGrid;
struct AppState;

/// The date of a list's first row in its CSV export.
struct CsvFirstDate
{
    QDate date;      ///< the date known, or the one offered; invalid: today's is offered
    bool ask = true; ///< the user confirms or changes it (lists that know no date)
};

/// The save and print helpers of every list window and of the recorder: choosing a data
/// file, writing a grid to it, and printing a grid as fixed-width lines. They keep no state
/// of their own besides the program's `SaveFileName` and `SaveFileChosen`, and show their
/// progress in the calling window's caption. The lists' CSV export is here too.
class FileTransfer
{
public:
    FileTransfer(AppState& state, Prompts& prompts, const Clock& clock);

    /// The filters of the save dialog, the data files first.
    [[nodiscard]] static QStringList saveFilters();
    /// The filters of the CSV export's dialog, the CSV files first.
    [[nodiscard]] static QStringList csvFilters();
    /// The name the save dialogs offer for a file written at `at`, with `suffix`:
    /// "celldesk-2026-12-08-1049.txt", so that a folder of them lists in time order.
    [[nodiscard]] static QString datedFileName(const QDateTime& at, const QString& suffix);
    /// The units of the values in `grid`, as its titles name them.
    [[nodiscard]] static CsvSource csvSourceOf(const TextGrid& grid);
    /// The program's clock (the time of day, today's date).
    [[nodiscard]] const Clock& clock() const { return m_clock; }

    /// Asks for a file to write, offering the dated name of now. `SaveFileChosen` is false
    /// from the start and true only when a name came back, which is then in `SaveFileName`.
    /// Returns `SaveFileChosen`.
    /// A new name typed without an extension gets ".txt", so that Open's data file filter
    /// shows it; when a file of that final name exists, replacing it is asked first (Cancel
    /// chooses nothing).
    bool ChooseSaveFile(QWidget* parent);
    /// `path` as it is saved: with ".txt" added when its name has no extension and no file
    /// of that name exists (an existing file chosen is written as it is named).
    [[nodiscard]] static QString withDataFileSuffix(const QString& path);
    /// Writes every row of `grid`, titles first, to `SaveFileName`, replacing the file whole
    /// or not at all. Tells the user, with the reason, when it cannot be written (a path that
    /// is no regular file is refused). Does not yield. True when written.
    bool SaveGridToFile(QWidget& window, const TextGrid& grid);
    /// Asks for a printer, then prints columns 0-8 of the rows `grid` has at that moment, each
    /// page headed with the window's caption, `source` (the file or set the list shows) and
    /// the time printed, and counted at its foot. Events run after each line, the live poll
    /// among them: printing does not talk to the meter. True when printed.
    bool PrintGrid(QWidget& window, const TextGrid& grid, const QString& source = {});
    /// Export CSV: asks for the date of the first row when `firstDate.ask` and the rows are a
    /// time sequence (`source.timeSequence()`), then for a file
    /// (the dated name of now offered, ".csv" added to a name without a suffix), and writes the
    /// rows `grid` has then as CSV, its values read under `source`. The file is written whole or
    /// not at all, and a failure is told. `SaveFileName` and `SaveFileChosen` stay as they are (a
    /// recording may hold them), so it also runs while a recording does. True when written.
    bool ExportCsv(QWidget& window, const TextGrid& grid, const CsvSource& source,
                   CsvFirstDate firstDate);

private:
    /// Asks for the first row's date, offering `offered`, until one is given: invalid for
    /// Cancel.
    QDate askFirstDate(QDate offered);

    void tellFailure(const QString& what, const QString& reason);

    AppState& m_state;
    Prompts& m_prompts;
    const Clock& m_clock;
};
