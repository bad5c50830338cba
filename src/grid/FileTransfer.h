#pragma once

#include <QString>
#include <QStringList>

class PollTimers;
class Prompts;
class QWidget;
class TextGrid;
struct AppState;

/// The save and print helpers of every list window and of the recorder: choosing a data
/// file, writing a grid to it, and printing a grid as fixed-width lines. They keep no state
/// of their own besides the program's `SaveFileName` and `SaveFileChosen`, and show their
/// progress in the calling window's caption.
class FileTransfer
{
public:
    FileTransfer(AppState& state, Prompts& prompts, PollTimers& timers);

    /// The filters of the save dialog, the data files first.
    [[nodiscard]] static QStringList saveFilters();

    /// Asks for a file to write. `SaveFileChosen` is false from the start and true only
    /// when a name came back, which is then in `SaveFileName`. Returns `SaveFileChosen`.
    /// A new name typed without an extension gets ".txt", so that Open's data file filter
    /// shows it; when a file of that final name exists, replacing it is asked first (Cancel
    /// chooses nothing).
    bool ChooseSaveFile(QWidget* parent);
    /// `path` as it is saved: with ".txt" added when its name has no extension and no file
    /// of that name exists (an existing file chosen is written as it is named).
    [[nodiscard]] static QString withDataFileSuffix(const QString& path);
    /// Writes every row of `grid`, titles first, to `SaveFileName`, replacing the file.
    /// Tells the user when the file cannot be written. Does not yield. True when written.
    bool SaveGridToFile(QWidget& window, const TextGrid& grid);
    /// Asks for a printer, then prints columns 0-8 of the rows `grid` has at that moment.
    /// The live poll is paused meanwhile; events run after each line. True when printed.
    bool PrintGrid(QWidget& window, const TextGrid& grid);

private:
    void tellFailure(const QString& what, const QString& reason);

    AppState& m_state;
    Prompts& m_prompts;
    PollTimers& m_timers;
};
