#pragma once

#include "GradingSession.h"
#include "WindowHandlers.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class Clock;
class GradeHistogram;
class GradeTable;
class LimitsPanel;
class MeterSession;
class PackPanel;
class Prompts;
class QCheckBox;
class QDoubleSpinBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTableView;
class QToolBar;
struct AppState;

/// The Cell Grading window: a tray of cells measured one after another with the probes, each
/// taken as it settles (or by hand), given an ID and a verdict against the session's limits,
/// and kept in the cell database; live statistics and histograms of voltage and resistance;
/// a pack plan of S groups of P. Its toolbar opens the sessions, exports the cells as CSV and
/// prints the report. Space takes the present reading, Delete removes the selected cell
/// (asked), Enter measures the selected cell again; Esc closes the window, which ends the
/// capture.
class CellGrading : public QWidget
{
    Q_OBJECT
public:
    /// Opens the most recent session of `store` (or a new one), placed beside `mainWindow`.
    CellGrading(AppState& state, MeterSession& meter, CellStore& store, Prompts& prompts,
                const Clock& clock, QWidget* mainWindow);
    ~CellGrading() override;

    /// Offers the demo meter's tray: `play(true)` makes the demo meter present cells,
    /// `play(false)` gives it back its battery. It plays while the window is open.
    void offerDemoTray(std::function<void(bool)> play);

    [[nodiscard]] GradingSession& session() { return m_session; }
    [[nodiscard]] QTableView& table() { return *m_view; }
    [[nodiscard]] PackPanel& pack() { return *m_pack; }

    /// Toolbar1_ButtonClick: "Sessions", "Export CSV" or "Print".
    void runToolbarCommand(const QString& key);
    /// Space: the present reading as a cell.
    void takeNow();
    /// Delete: removes the selected cell, asked first (Cancel is the default).
    void deleteSelected();
    /// Enter: the next cell taken replaces the selected one's values.
    void measureSelectedAgain();
    /// "Import manual readings": each reading stored by hand in the meter becomes a cell.
    void importManual();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildCapture();
    QWidget* buildStatistics();
    void exportCsv();
    void print();
    void openSessions();
    void showSession();
    void applyCapture();
    void takeTypedId();
    void showStatus();
    void showFigures();
    void flash(const GradedCell& cell);
    void tellFailure(const QString& text, const QString& details = {});

    AppState& m_state;
    MeterSession& m_meter;
    Prompts& m_prompts;
    const Clock& m_clock;
    GradingSession m_session;
    std::function<void(bool)> m_demoTray;
    QToolBar* m_toolbar = nullptr;
    GradeTable* m_model = nullptr;
    QTableView* m_view = nullptr;
    QLineEdit* m_prefix = nullptr;
    QLineEdit* m_cellId = nullptr;
    QDoubleSpinBox* m_settle = nullptr;
    QSpinBox* m_tolerance = nullptr;
    LimitsPanel* m_limitsPanel = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_counts = nullptr;
    QLabel* m_sessionLabel = nullptr;
    QCheckBox* m_demo = nullptr;
    QGridLayout* m_statistics = nullptr;
    GradeHistogram* m_voltage = nullptr;
    GradeHistogram* m_resistance = nullptr;
    PackPanel* m_pack = nullptr;
    WindowHandlers m_handlers{*this}; // dialogs, saves and prints running: they run events
};
