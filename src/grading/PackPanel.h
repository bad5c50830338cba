#pragma once

#include "PackMatcher.h"

#include <QWidget>

#include <optional>

class Clock;
class GradingSession;
class Prompts;
class QComboBox;
class QLabel;
class QSpinBox;
class QTableWidget;

/// The pack part of the Cell Grading window: S and P, what to balance, the capacities (typed
/// in the table or imported from a CSV file), "Build plan", and the plan: each group's cells,
/// capacity sum, parallel resistance and resistance spread, and the spread between groups.
class PackPanel : public QWidget
{
    Q_OBJECT
public:
    PackPanel(GradingSession& session, Prompts& prompts, const Clock& clock,
              QWidget* parent = nullptr);

    /// Builds the plan from the session's passing cells; a message names the missing cells
    /// when there are too few. True when a plan was made.
    bool buildPlan();
    /// Imports capacities from a CSV file with cell_id and capacity_Ah, asked for.
    void importCapacities();
    /// Writes the plan as CSV, to a file asked for.
    void exportPlan();

    /// The last plan and the cells it was made from; none before one is built.
    [[nodiscard]] const std::optional<PackPlan>& plan() const { return m_plan; }
    [[nodiscard]] const QList<PackCell>& planCells() const { return m_cells; }
    /// The plan as lines of text, for the report: a title line, then one line per group.
    [[nodiscard]] QStringList planLines() const;

private:
    void showPlan();

    GradingSession& m_session;
    Prompts& m_prompts;
    const Clock& m_clock;
    QSpinBox* m_series = nullptr;
    QSpinBox* m_parallel = nullptr;
    QComboBox* m_by = nullptr;
    QTableWidget* m_table = nullptr;
    QLabel* m_spread = nullptr;
    std::optional<PackPlan> m_plan;
    QList<PackCell> m_cells;
};
