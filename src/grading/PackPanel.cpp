#include "PackPanel.h"

#include "Clock.h"
#include "FileTransfer.h"
#include "GradingSession.h"
#include "GradingWidgets.h"
#include "InputFile.h"
#include "OutputFile.h"
#include "Prompts.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QPushButton* button(const QString& text, const QString& name, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    return b;
}

QString groupCells(const PackGroup& group, const QList<PackCell>& cells)
{
    QStringList ids;
    for (const qsizetype c : group.cells)
        ids.append(cells[c].id);
    return ids.join(QStringLiteral(" "));
}

QString milliOhms(const std::optional<double>& ohms)
{
    return ohms ? QString::number(*ohms * 1000, 'f', 3) : QString();
}

} // namespace

PackPanel::PackPanel(GradingSession& session, Prompts& prompts, const Clock& clock, QWidget* parent)
    : QWidget(parent), m_session(session), m_prompts(prompts), m_clock(clock)
{
    m_series = new QSpinBox(this);
    m_series->setObjectName(QStringLiteral("TxtSeries"));
    m_series->setRange(1, MaxPackCount);
    m_series->setValue(4);
    m_parallel = new QSpinBox(this);
    m_parallel->setObjectName(QStringLiteral("TxtParallel"));
    m_parallel->setRange(1, MaxPackCount);
    m_parallel->setValue(10);
    m_by = new QComboBox(this);
    m_by->setObjectName(QStringLiteral("ComboBy"));
    m_by->addItems({QStringLiteral("resistance"), QStringLiteral("capacity")});
    m_by->setToolTip(QStringLiteral("What the groups are balanced on: each group's parallel "
                                    "resistance, or its sum of capacities"));

    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("S"), this));
    row->addWidget(m_series);
    row->addWidget(new QLabel(QStringLiteral("P"), this));
    row->addWidget(m_parallel);
    row->addWidget(new QLabel(QStringLiteral("by"), this));
    row->addWidget(m_by, 1);

    auto* capacities =
        button(QStringLiteral("Capacities..."), QStringLiteral("CmdCapacities"), this);
    capacities->setToolTip(QStringLiteral("Import capacities from a CSV file with the columns "
                                          "cell_id and capacity_Ah"));
    auto* build = button(QStringLiteral("Build plan"), QStringLiteral("CmdPlan"), this);
    auto* planCsv = button(QStringLiteral("Plan CSV..."), QStringLiteral("CmdPlanCsv"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(capacities);
    buttons->addWidget(build);
    buttons->addWidget(planCsv);
    connect(capacities, &QPushButton::clicked, this, &PackPanel::importCapacities);
    connect(build, &QPushButton::clicked, this, &PackPanel::buildPlan);
    connect(planCsv, &QPushButton::clicked, this, &PackPanel::exportPlan);

    m_table = new QTableWidget(0, 5, this);
    m_table->setObjectName(QStringLiteral("GridPlan"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("Group"), QStringLiteral("Capacity (Ah)"),
                                        QStringLiteral("R par. (mOhm)"), QStringLiteral("R spread"),
                                        QStringLiteral("Cells")});
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setWordWrap(false);
    m_spread = new QLabel(this);
    m_spread->setObjectName(QStringLiteral("LblSpread"));
    m_spread->setWordWrap(true);
    m_spread->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(row);
    layout->addLayout(buttons);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_spread);
}

bool PackPanel::buildPlan()
{
    m_cells = m_session.packCells();
    const Balance by = m_by->currentIndex() == 1 ? Balance::Capacity : Balance::Resistance;
    PackPlan plan = matchPack(m_cells, m_series->value(), m_parallel->value(), by);
    if (plan.missing > 0) {
        m_plan.reset();
        showPlan();
        const QString text = planMissingText(plan);
        m_spread->setText(text);
        m_prompts.message(text + QLatin1Char('.'), Prompts::Icon::Exclamation, GradingTitle);
        return false;
    }
    m_plan = std::move(plan);
    showPlan();
    return true;
}

void PackPanel::showPlan()
{
    m_table->setRowCount(0);
    if (!m_plan) {
        m_spread->clear();
        return;
    }
    m_table->setRowCount(int(m_plan->groups.size()));
    for (int g = 0; g < m_plan->groups.size(); ++g) {
        const PackGroup& group = m_plan->groups[g];
        const QStringList cells{
            QString::number(g + 1),
            group.capacity ? QString::number(*group.capacity, 'f', 3) : QString(),
            milliOhms(group.resistance),
            group.resistanceSpread ? QString::number(*group.resistanceSpread * 100, 'f', 1) + " %"
                                   : QString(),
            groupCells(group, m_cells)};
        for (int c = 0; c < cells.size(); ++c)
            m_table->setItem(g, c, new QTableWidgetItem(cells[c]));
    }
    m_table->resizeColumnsToContents();
    m_spread->setText(planSpreadText(*m_plan));
}

QStringList PackPanel::planLines() const
{
    if (!m_plan)
        return {};
    QStringList lines{QStringLiteral("Pack %1S%2P: %3")
                          .arg(m_plan->series)
                          .arg(m_plan->parallel)
                          .arg(planSpreadText(*m_plan))};
    for (int g = 0; g < m_plan->groups.size(); ++g) {
        const PackGroup& group = m_plan->groups[g];
        lines.append(QStringLiteral("Group %1: %2 Ah, %3 mOhm: %4")
                         .arg(g + 1)
                         .arg(group.capacity ? QString::number(*group.capacity, 'f', 3)
                                             : QStringLiteral("-"),
                              group.resistance ? milliOhms(group.resistance) : QStringLiteral("-"),
                              groupCells(group, m_cells)));
    }
    return lines;
}

void PackPanel::importCapacities()
{
    const QString path = m_prompts.openFileName(
        this, QStringLiteral("Capacities"),
        {QStringLiteral("CSV Files (*.csv)"), QStringLiteral("All Files (*)")});
    if (path.isEmpty())
        return;
    QString reason;
    const auto bytes = readRegularFile(path, MaxCellsFileBytes, reason);
    CellsCsv parsed;
    if (bytes)
        parsed = parseCellsCsv(*bytes);
    if (!bytes || !parsed.error.isEmpty()) {
        m_prompts.message(
            QStringLiteral("Cannot read the capacities."), Prompts::Icon::Critical, GradingTitle,
            bytes ? QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), parsed.error)
                  : reason);
        return;
    }
    const auto unknown = m_session.setCapacities(parsed.cells);
    if (!unknown) {
        m_prompts.message(QStringLiteral("The capacities could not be stored."),
                          Prompts::Icon::Critical, GradingTitle, m_session.error());
        return;
    }
    m_by->setCurrentIndex(1);
    if (!unknown->isEmpty())
        m_prompts.message(QStringLiteral("%1 of the file's cells are not in this session: %2")
                              .arg(unknown->size())
                              .arg(unknown->mid(0, 10).join(QStringLiteral(", "))),
                          Prompts::Icon::Information, GradingTitle);
}

void PackPanel::exportPlan()
{
    if (!m_plan && !buildPlan())
        return;
    const QString path = m_prompts.saveFileName(
        this, FileTransfer::csvFilters(),
        FileTransfer::datedFileName(m_clock.now(), QStringLiteral("csv")), QStringLiteral("csv"));
    if (path.isEmpty())
        return;
    if (const QString reason = writeWholeFile(path, planCsv(*m_plan, m_cells)); !reason.isEmpty())
        m_prompts.message(QStringLiteral("Cannot save %1").arg(QDir::toNativeSeparators(path)),
                          Prompts::Icon::Critical, GradingTitle, reason);
}
