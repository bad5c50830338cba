#pragma once

#include "WindowHandlers.h"

#include <QDate>
#include <QWidget>

class FileTransfer;
class GridView;
class Prompts;
class QToolBar;
class TextGrid;
struct AppState;

/// The real-time list window ("Real Time List"): one grid row per PC sample while it is
/// open, with a toolbar to save the rows to a data file, export them as CSV or print them.
///
/// Closing it (by the user or by the rows' stop check) hides it and stops its rows at once;
/// the object itself is deleted only after any save or print of its own has ended, so those
/// never lose their window or rows.
class RealTimeList : public QWidget
{
    Q_OBJECT
public:
    /// The load step: placed beside `mainWindow`, the titles of the reading in force now.
    RealTimeList(AppState& state, Prompts& prompts, FileTransfer& transfer, QWidget* mainWindow);

    [[nodiscard]] TextGrid& grid() { return *m_grid; }
    [[nodiscard]] GridView& view() { return *m_view; }

    /// Title of the current column: "mAmp" or "Amp".
    void showCurrentTitle(bool milliAmps);
    /// Appends a row from a tab-separated line, makes it current, and from row 16 on moves
    /// the top row down by one so the newest row stays in view.
    void addRow(QStringView line);
    /// Toolbar1_ButtonClick: "Save", "Export CSV" or "Print".
    void runToolbarCommand(const QString& key);

signals:
    /// The window was closed; no rows are taken any more.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void save();
    void exportCsv();
    void print();

    AppState& m_state;
    Prompts& m_prompts;
    FileTransfer& m_transfer;
    QToolBar* m_toolbar = nullptr;
    TextGrid* m_grid = nullptr;
    GridView* m_view = nullptr;
    QDate m_firstDate;                // of the first row's stamp, from the clock when it came
    WindowHandlers m_handlers{*this}; // dialogs, saves and prints running: they run events
};
