#pragma once

#include "CsvReadings.h"
#include "GraphWindow.h"
#include "WindowHandlers.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <memory>

class DataFileReader;
class FileTransfer;
class GridView;
class Prompts;
class QIODevice;
class QToolBar;
class TextGrid;
struct AppState;

/// The file list window ("File List"): one grid row per record of a data file opened from
/// disk. A click on a value column plots it in the stored-data graph; the toolbar exports the
/// list as CSV and prints it.
///
/// The file is read in slices while events run, so the caption counts the records and the
/// program stays usable. Closing the window - by the user, a new Open or the main window
/// closing - stops the reading at once and closes the file, and a print of the list stops at
/// its next line; the object itself is deleted only after its own handlers have ended.
class FileList : public QWidget
{
    Q_OBJECT
public:
    /// The load step: placed beside `mainWindow`, titled with the units of the reading in
    /// force now. Column plots go to the stored-data graph held in `plot`, which outlives
    /// the list.
    FileList(AppState& state, Prompts& prompts, FileTransfer& transfer, QPointer<GraphWindow>& plot,
             QWidget* mainWindow);
    ~FileList() override;

    [[nodiscard]] TextGrid& grid() { return *m_grid; }
    [[nodiscard]] GridView& view() { return *m_view; }

    /// Starts reading the data file `device` (open for reading) found at `path`: its header
    /// sets the range, current and temperature titles, every further line becomes a row. The
    /// list takes the device; loadFinished() tells the end.
    void load(std::unique_ptr<QIODevice> device, const QString& path);
    [[nodiscard]] bool isLoading() const { return m_reader != nullptr; }

    /// Toolbar1_ButtonClick: "Export CSV", "Plot" or "Print".
    void runToolbarCommand(const QString& key);
    /// Grid_Click on `column` (a cell or a column title): plots a value column.
    void plotColumn(int column);

signals:
    /// The reading ended: the whole file was read, or it stopped on a fault or a close.
    void loadFinished();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void readSlice();
    void stopLoad();
    void failLoad(const QString& text, const QString& details);
    void print();
    void exportCsv();

    AppState& m_state;
    Prompts& m_prompts;
    FileTransfer& m_transfer;
    QPointer<GraphWindow>& m_plot;
    QToolBar* m_toolbar = nullptr;
    TextGrid* m_grid = nullptr;
    GridView* m_view = nullptr;

    std::unique_ptr<QIODevice> m_device;
    std::unique_ptr<DataFileReader> m_reader;
    QString m_path;
    QDateTime m_lastWritten; // the file's modification time when it was opened
    CsvSource m_csvSource;   // the units its header line names, for the CSV export
    QTimer m_slice;
    QStringList m_batch;

    WindowHandlers m_handlers{*this}; // dialogs, saves and prints running: they run events
    bool m_printing = false;
};
