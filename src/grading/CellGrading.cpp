#include "CellGrading.h"

#include "AppState.h"
#include "BusyPointer.h"
#include "Clock.h"
#include "FileTransfer.h"
#include "GradeHistogram.h"
#include "GradeReport.h"
#include "GradeStatistics.h"
#include "GradeTable.h"
#include "GradingWidgets.h"
#include "LimitsPanel.h"
#include "ListImages.h"
#include "MeterMemoryRead.h"
#include "MeterSession.h"
#include "OutputFile.h"
#include "PackPanel.h"
#include "Prompts.h"
#include "SessionsDialog.h"
#include "WindowPlacement.h"
#include "WindowToolbar.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QShortcut>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <cmath>

namespace {

// The least the window's parts are drawn in, and the least the window itself becomes.
constexpr QSize kContentMinimum(820, 600);
constexpr QSize kWindowMinimum(320, 240);
constexpr int kFlashMs = 600;

QString statText(double value, double scale, int decimals)
{
    return QString::number(value * scale, 'f', decimals);
}

} // namespace

CellGrading::CellGrading(AppState& state, MeterSession& meter, CellStore& store, Prompts& prompts,
                         const Clock& clock, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window), m_state(state), m_meter(meter), m_prompts(prompts),
      m_clock(clock), m_session(store, state.reading, clock)
{
    setObjectName(QStringLiteral("CellGrading"));
    setWindowTitle(GradingTitle);

    m_toolbar = windowToolbar(
        this,
        {{listImage(ListImage::Save), QStringLiteral("Sessions"),
          QStringLiteral("Sessions: open an earlier one, start, rename or delete one")},
         csvExportButton(),
         {listImage(ListImage::Print), QStringLiteral("Print"),
          QStringLiteral("Print the report")}},
        [this](const QString& key) { runToolbarCommand(key); });
    m_handlers.setBusyWidget(m_toolbar);

    m_model = new GradeTable(m_session, this);
    m_view = new QTableView(this);
    m_view->setObjectName(QStringLiteral("Grid"));
    m_view->setModel(m_model);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    m_view->verticalHeader()->hide();
    m_view->verticalHeader()->setDefaultSectionSize(m_view->fontMetrics().height() + 6);
    m_view->horizontalHeader()->setStretchLastSection(true);
    m_view->setWordWrap(false);
    m_view->installEventFilter(this);
    const QStringList widths{"A00000", "00:00:00", "00.000", "0000.00", "00.0", "0.000", "Verdict"};
    // As wide as the widest of the title and a typical value.
    const QFontMetrics bold(m_view->horizontalHeader()->font());
    for (int c = 0; c < widths.size(); ++c)
        m_view->setColumnWidth(
            c, std::max(m_view->fontMetrics().horizontalAdvance(widths[c]),
                        bold.horizontalAdvance(
                            m_model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString())) +
                   18);

    m_voltage = new GradeHistogram(QStringLiteral("Voltage (V)"), 1.0, this);
    m_voltage->setObjectName(QStringLiteral("GraphV"));
    m_resistance = new GradeHistogram(QStringLiteral("Resistance (mOhm)"), 1000.0, this);
    m_resistance->setObjectName(QStringLiteral("GraphR"));
    m_pack = new PackPanel(m_session, prompts, clock, this);

    auto* left = new QWidget(this);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(6, 6, 3, 6);
    leftLayout->addWidget(buildCapture());
    m_limitsPanel = new LimitsPanel(state, meter, m_session, prompts, this);
    connect(m_limitsPanel, &LimitsPanel::busy, this, [this](bool running) {
        if (running)
            m_handlers.enter();
        else
            m_handlers.leave();
    });
    leftLayout->addWidget(m_limitsPanel);
    leftLayout->addWidget(m_view, 1);
    auto* right = new QWidget(this);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(3, 6, 6, 6);
    rightLayout->addWidget(buildStatistics());
    rightLayout->addWidget(m_voltage, 1);
    rightLayout->addWidget(m_resistance, 1);
    auto* packBox = new QGroupBox(QStringLiteral("Pack"), this);
    auto* packLayout = new QVBoxLayout(packBox);
    packLayout->addWidget(m_pack);
    rightLayout->addWidget(packBox, 1);
    auto* split = new QSplitter(this);
    split->addWidget(left);
    split->addWidget(right);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    split->setChildrenCollapsible(false);

    // Below the size its parts need, the window scrolls them rather than cutting them off, so
    // it fits a small screen (or one at a scale factor of 2) like the other windows.
    auto* content = new QWidget(this);
    auto* contentLayout = new QVBoxLayout(content);
    contentLayout->setContentsMargins(0, 0, 0, 0);
    contentLayout->addWidget(split);
    content->setMinimumSize(kContentMinimum);
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("Content"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolbar);
    layout->addWidget(scroll, 1);
    setMinimumSize(kWindowMinimum);
    resize(1180, 780);

    // Space and Delete from anywhere in the window but a text box, which keeps its own keys.
    auto* take = new QShortcut(QKeySequence(Qt::Key_Space), this, this, &CellGrading::takeNow);
    take->setContext(Qt::WindowShortcut);
    auto* remove =
        new QShortcut(QKeySequence(Qt::Key_Delete), this, this, &CellGrading::deleteSelected);
    remove->setContext(Qt::WindowShortcut);

    connect(&m_session, &GradingSession::cellTaken, this, [this](const GradedCell& cell, int row) {
        flash(cell);
        showFigures();
        const int shown = row >= 0 ? row : m_model->rowCount() - 1;
        m_view->selectRow(shown);
        m_view->scrollTo(m_model->index(shown, 0));
        m_cellId->clear();
        showStatus();
    });
    connect(&m_session, &GradingSession::cellEdited, this, [this] { showFigures(); });
    connect(&m_session, &GradingSession::cellRemoved, this, [this] { showFigures(); });
    connect(&m_session, &GradingSession::cellsReset, this, [this] {
        showFigures();
        m_view->scrollToBottom();
    });
    connect(&m_session, &GradingSession::statusChanged, this, &CellGrading::showStatus);
    connect(&m_session, &GradingSession::failed, this,
            [this](const QString& message) { tellFailure(message); });

    const auto sessions = store.sessions();
    const bool opened =
        sessions && !sessions->isEmpty()
            ? m_session.open(sessions->first().key)
            : m_session.open(QStringLiteral("Session %1")
                                 .arg(m_clock.now().toString(QStringLiteral("yyyy-MM-dd hh:mm"))));
    if (!opened)
        QTimer::singleShot(0, this, [this] { tellFailure(m_session.error()); });
    m_session.attach(m_meter.poll(), m_meter.link());
    showSession();

    if (mainWindow) {
        const QRect main = mainWindow->frameGeometry();
        move(main.x() + main.width(), main.y());
    }
    WindowPlacement::manage(this);
}

CellGrading::~CellGrading()
{
    if (m_demoTray)
        m_demoTray(false);
}

QWidget* CellGrading::buildCapture()
{
    auto* box = new QGroupBox(QStringLiteral("Capture"), this);
    m_prefix = new QLineEdit(box);
    m_prefix->setObjectName(QStringLiteral("TxtPrefix"));
    m_prefix->setMaximumWidth(80);
    m_prefix->setToolTip(QStringLiteral("The prefix of the automatic cell IDs"));
    m_cellId = new QLineEdit(box);
    m_cellId->setObjectName(QStringLiteral("TxtCellId"));
    m_cellId->setToolTip(QStringLiteral("Type or scan the next cell's ID and press Enter; empty "
                                        "for the next automatic one"));
    m_settle = new QDoubleSpinBox(box);
    m_settle->setObjectName(QStringLiteral("TxtSettle"));
    m_settle->setRange(0.2, 60.0);
    m_settle->setSingleStep(0.1);
    m_settle->setDecimals(1);
    m_settle->setSuffix(QStringLiteral(" s"));
    m_settle->setToolTip(QStringLiteral("How long a reading must stay steady to be taken"));
    m_tolerance = new QSpinBox(box);
    m_tolerance->setObjectName(QStringLiteral("TxtTolerance"));
    m_tolerance->setRange(0, 50);
    m_tolerance->setSuffix(QStringLiteral(" digits"));
    m_tolerance->setToolTip(QStringLiteral("Display digits of flicker allowed beyond one"));
    connect(m_prefix, &QLineEdit::editingFinished, this, [this] {
        if (m_prefix->text().trimmed() != m_session.info().idPrefix &&
            !m_session.setPrefix(m_prefix->text()))
            tellFailure(m_session.error());
        showStatus();
    });
    connect(m_cellId, &QLineEdit::returnPressed, this, &CellGrading::takeTypedId);
    connect(m_settle, &QDoubleSpinBox::editingFinished, this, &CellGrading::applyCapture);
    connect(m_tolerance, &QSpinBox::editingFinished, this, &CellGrading::applyCapture);

    auto* fields = new QHBoxLayout;
    const auto add = [&](const QString& label, QWidget* w, int stretch = 0) {
        auto* l = new QLabel(label, box);
        l->setBuddy(w);
        fields->addWidget(l);
        fields->addWidget(w, stretch);
    };
    add(QStringLiteral("ID &prefix"), m_prefix);
    add(QStringLiteral("Next &ID"), m_cellId, 1);
    add(QStringLiteral("&Settle"), m_settle);
    add(QStringLiteral("&Tolerance"), m_tolerance);

    auto* take = gradingButton(QStringLiteral("Take now"), QStringLiteral("CmdTake"),
                               QStringLiteral("Take the present reading as a cell (Space)"), box);
    auto* again =
        gradingButton(QStringLiteral("Measure again"), QStringLiteral("CmdAgain"),
                      QStringLiteral("The next cell taken replaces the selected one's values, "
                                     "which keeps its ID (Enter)"),
                      box);
    auto* remove = gradingButton(QStringLiteral("Delete"), QStringLiteral("CmdDelete"),
                                 QStringLiteral("Remove the selected cell (Delete)"), box);
    auto* import = gradingButton(
        QStringLiteral("Import manual readings"), QStringLiteral("CmdImport"),
        QStringLiteral("Each reading stored by hand in the meter becomes a cell"), box);
    connect(take, &QPushButton::clicked, this, &CellGrading::takeNow);
    connect(again, &QPushButton::clicked, this, &CellGrading::measureSelectedAgain);
    connect(remove, &QPushButton::clicked, this, &CellGrading::deleteSelected);
    connect(import, &QPushButton::clicked, this, &CellGrading::importManual);
    m_demo = new QCheckBox(QStringLiteral("Demo tray"), box);
    m_demo->setObjectName(QStringLiteral("ChkDemoTray"));
    m_demo->setToolTip(QStringLiteral("The demo meter presents one cell after another"));
    m_demo->hide();
    connect(m_demo, &QCheckBox::toggled, this, [this](bool on) {
        if (m_demoTray)
            m_demoTray(on);
    });
    auto* buttons = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{take, again, remove, import, m_demo})
        buttons->addWidget(w);
    buttons->addStretch(1);

    m_status = new QLabel(box);
    m_status->setObjectName(QStringLiteral("LblStatus"));
    m_status->setAutoFillBackground(true);
    m_status->setMargin(4);
    QFont bigger = m_status->font();
    bigger.setPointSizeF(bigger.pointSizeF() * 1.3);
    bigger.setBold(true);
    m_status->setFont(bigger);
    m_counts = new QLabel(box);
    m_counts->setObjectName(QStringLiteral("LblCounts"));
    m_sessionLabel = new QLabel(box);
    m_sessionLabel->setObjectName(QStringLiteral("LblSession"));
    m_sessionLabel->setWordWrap(true);

    auto* layout = new QVBoxLayout(box);
    layout->addWidget(m_sessionLabel);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    layout->addWidget(m_status);
    layout->addWidget(m_counts);
    return box;
}

QWidget* CellGrading::buildStatistics()
{
    auto* box = new QGroupBox(QStringLiteral("Statistics"), this);
    box->setObjectName(QStringLiteral("Statistics"));
    m_statistics = new QGridLayout(box);
    const QStringList titles{"", "count", "mean", "std dev", "min", "max"};
    for (int c = 0; c < titles.size(); ++c) {
        auto* l = new QLabel(QStringLiteral("<b>%1</b>").arg(titles[c]), box);
        l->setAlignment(Qt::AlignRight);
        m_statistics->addWidget(l, 0, c);
    }
    const QStringList rows{"V", "R (mOhm)"};
    for (int r = 0; r < rows.size(); ++r) {
        m_statistics->addWidget(new QLabel(rows[r], box), r + 1, 0);
        for (int c = 1; c < titles.size(); ++c) {
            auto* l = new QLabel(box);
            l->setObjectName(QStringLiteral("LblStat_%1_%2").arg(r).arg(c));
            l->setAlignment(Qt::AlignRight);
            l->setTextInteractionFlags(Qt::TextSelectableByMouse);
            m_statistics->addWidget(l, r + 1, c);
        }
    }
    return box;
}

void CellGrading::offerDemoTray(std::function<void(bool)> play)
{
    m_demoTray = std::move(play);
    m_demo->setVisible(bool(m_demoTray));
    m_demo->setChecked(bool(m_demoTray));
}

void CellGrading::runToolbarCommand(const QString& key)
{
    if (m_handlers.running())
        return; // one dialog of this window at a time
    if (key == QLatin1String("Sessions"))
        openSessions();
    else if (key == CsvExportKey)
        exportCsv();
    else if (key == QLatin1String("Print"))
        print();
}

void CellGrading::tellFailure(const QString& text, const QString& details)
{
    m_prompts.message(text, Prompts::Icon::Critical, GradingTitle, details);
}

void CellGrading::showSession()
{
    const GradeSession& s = m_session.info();
    m_sessionLabel->setText(QStringLiteral("Session: <b>%1</b>").arg(s.name.toHtmlEscaped()));
    m_prefix->setText(s.idPrefix);
    m_settle->setValue(s.settleSeconds);
    m_tolerance->setValue(s.toleranceDigits);
    m_limitsPanel->showLimits();
    showFigures();
    showStatus();
    m_view->scrollToBottom();
}

void CellGrading::applyCapture()
{
    const GradeSession& s = m_session.info();
    if ((std::abs(m_settle->value() - s.settleSeconds) > 1e-9 ||
         m_tolerance->value() != s.toleranceDigits) &&
        !m_session.setCapture(m_settle->value(), m_tolerance->value()))
        tellFailure(m_session.error());
}

void CellGrading::takeTypedId()
{
    if (!m_session.setNextId(m_cellId->text())) {
        tellFailure(m_session.error());
        m_cellId->selectAll();
        return;
    }
    showStatus();
}

void CellGrading::showStatus()
{
    const QString next = m_session.nextId();
    QString text;
    if (m_session.measuringAgain() != 0) {
        for (const GradedCell& c : m_session.cells()) {
            if (c.key == m_session.measuringAgain())
                text = QStringLiteral("Measuring %1 again: set the probes on it").arg(c.id);
        }
    }
    if (text.isEmpty()) {
        switch (m_session.status()) {
        case GradingSession::Status::Waiting:
            text = QStringLiteral("Set the probes on cell %1").arg(next);
            break;
        case GradingSession::Status::Settling:
            text = QStringLiteral("Cell %1: settling...").arg(next);
            break;
        case GradingSession::Status::Holding:
            text = QStringLiteral("Taken: lift the probes (next %1)").arg(next);
            break;
        case GradingSession::Status::Paused:
            text = QStringLiteral("Capture paused: the meter sends nothing");
            break;
        }
    }
    m_status->setText(text);
    m_cellId->setPlaceholderText(next);
}

void CellGrading::flash(const GradedCell& cell)
{
    QApplication::beep();
    QPalette flashed = m_status->palette();
    flashed.setColor(QPalette::Window, GradeTable::verdictColour(cell.grade.verdict));
    m_status->setPalette(flashed);
    QTimer::singleShot(kFlashMs, m_status, [label = m_status] { label->setPalette(QPalette()); });
}

void CellGrading::showFigures()
{
    std::vector<double> volts;
    std::vector<double> ohms;
    int counts[3] = {};
    volts.reserve(size_t(m_session.cells().size()));
    ohms.reserve(size_t(m_session.cells().size()));
    for (const GradedCell& c : m_session.cells()) {
        if (c.values.voltage)
            volts.push_back(*c.values.voltage);
        if (c.values.resistance)
            ohms.push_back(*c.values.resistance);
        ++counts[int(c.grade.verdict)];
    }
    m_counts->setText(
        QStringLiteral("%1 cells:  <span style='background:%2'>&nbsp;PASS %3&nbsp;</span> "
                       " <span style='background:%4'>&nbsp;WARN %5&nbsp;</span> "
                       " <span style='background:%6'>&nbsp;FAIL %7&nbsp;</span>")
            .arg(m_session.cells().size())
            .arg(GradeTable::verdictColour(Verdict::Pass).name())
            .arg(counts[0])
            .arg(GradeTable::verdictColour(Verdict::Warn).name())
            .arg(counts[1])
            .arg(GradeTable::verdictColour(Verdict::Fail).name())
            .arg(counts[2]));
    const std::pair<const std::vector<double>*, double> channels[] = {{&volts, 1.0},
                                                                      {&ohms, 1000.0}};
    for (int r = 0; r < 2; ++r) {
        const Summary s = summarize(*channels[r].first);
        const double scale = channels[r].second;
        const QStringList texts{QString::number(s.count),
                                s.count ? statText(s.mean, scale, 4) : QString(),
                                s.count > 1 ? statText(s.deviation, scale, 4) : QString(),
                                s.count ? statText(s.min, scale, 3) : QString(),
                                s.count ? statText(s.max, scale, 3) : QString()};
        for (int c = 1; c <= texts.size(); ++c)
            static_cast<QLabel*>(m_statistics->itemAtPosition(r + 1, c)->widget())
                ->setText(texts[c - 1]);
    }
    const GradeLimits& l = m_session.info().limits;
    QList<HistogramMark> voltMarks;
    QList<HistogramMark> ohmMarks;
    for (const auto& [value, warning, marks] :
         {std::tuple{l.voltageMin, false, &voltMarks}, std::tuple{l.voltageMax, false, &voltMarks},
          std::tuple{l.voltageWarnMin, true, &voltMarks},
          std::tuple{l.voltageWarnMax, true, &voltMarks},
          std::tuple{l.resistanceMax, false, &ohmMarks},
          std::tuple{l.resistanceWarn, true, &ohmMarks}}) {
        if (value)
            marks->append({*value, warning});
    }
    m_voltage->showValues(volts, 0.001, voltMarks);
    m_resistance->showValues(ohms, 0.00001, ohmMarks);
}

void CellGrading::takeNow()
{
    if (!m_session.takeNow())
        tellFailure(m_session.error());
}

void CellGrading::deleteSelected()
{
    const QModelIndexList rows = m_view->selectionModel()->selectedRows();
    if (rows.isEmpty() || rows.first().row() >= m_session.cells().size())
        return;
    const GradedCell cell = m_session.cells()[rows.first().row()];
    m_handlers.enter();
    const bool yes =
        m_prompts.confirm(QStringLiteral("Cell %1 will be deleted from the session!").arg(cell.id),
                          Prompts::Icon::Exclamation, GradingTitle, Prompts::DefaultButton::Cancel);
    if (yes && !m_handlers.closed() && !m_session.removeCell(cell.key))
        tellFailure(m_session.error());
    m_handlers.leave();
}

void CellGrading::measureSelectedAgain()
{
    const QModelIndexList rows = m_view->selectionModel()->selectedRows();
    if (rows.isEmpty() || rows.first().row() >= m_session.cells().size())
        return;
    if (!m_session.measureAgain(m_session.cells()[rows.first().row()].key))
        tellFailure(m_session.error());
    showStatus();
}

void CellGrading::importManual()
{
    if (m_state.longReadRunning() || m_handlers.running())
        return;
    if (const QString refusal = MeterMemoryRead::refusal(m_state.reading); !refusal.isEmpty()) {
        m_prompts.message(refusal, Prompts::Icon::None);
        return;
    }
    m_handlers.enter();
    m_state.MemoryBusy = true;
    MeterMemoryRead reader(m_meter.channel(), m_meter.link());
    m_status->setText(QStringLiteral("Reading the manual readings..."));
    MeterMemoryRead::Result result;
    {
        BusyPointer busy;
        result = reader.read(MemoryKind::Manual);
    }
    m_state.MemoryBusy = false;
    if (!m_handlers.closed()) {
        if (result.ending == MeterMemoryRead::Ending::Failed)
            tellFailure(result.text, result.reason);
        else if (result.ending == MeterMemoryRead::Ending::Complete &&
                 !m_session.importManual(result.bytes))
            m_prompts.message(m_session.error(), Prompts::Icon::Information, GradingTitle);
        showStatus();
    }
    m_handlers.leave();
}

void CellGrading::exportCsv()
{
    m_handlers.enter();
    const QString path = m_prompts.saveFileName(
        this, FileTransfer::csvFilters(),
        FileTransfer::datedFileName(m_clock.now(), QStringLiteral("csv")), QStringLiteral("csv"));
    if (!path.isEmpty() && !m_handlers.closed()) {
        QString text = gradeCsvHeader() + QLatin1Char('\n');
        for (const GradedCell& c : m_session.cells())
            text += gradeCsvRow(c) + QLatin1Char('\n');
        if (const QString reason = writeWholeFile(path, text.toUtf8()); !reason.isEmpty())
            tellFailure(QStringLiteral("Cannot save %1").arg(QDir::toNativeSeparators(path)),
                        reason);
    }
    m_handlers.leave();
}

void CellGrading::print()
{
    m_handlers.enter();
    QPrinter printer(QPrinter::HighResolution);
    if (m_prompts.choosePrinter(this, printer) && !m_handlers.closed()) {
        const GradeSession& s = m_session.info();
        GradeReport report;
        report.heading = {GradingTitle, s.name, m_clock.now()};
        report.summary = {QStringLiteral("Session %1, started %2; settle %3 s, tolerance %4 digits")
                              .arg(s.name, s.created.toString(QStringLiteral("yyyy-MM-dd hh:mm")))
                              .arg(s.settleSeconds)
                              .arg(s.toleranceDigits)};
        const QStringList limits = m_limitsPanel->limitTexts();
        report.summary << QStringLiteral("Limits: %1%2")
                              .arg(limits.isEmpty() ? QStringLiteral("none") : limits.join(", "),
                                   s.limitsSource.isEmpty()
                                       ? QString()
                                       : QStringLiteral(" (from %1)").arg(s.limitsSource));
        report.summary << m_counts->text()
                              .remove(QRegularExpression(QStringLiteral("<[^>]*>")))
                              .replace(QStringLiteral("&nbsp;"), QStringLiteral(" "))
                              .simplified();
        report.statistics.append({"", "count", "mean", "std dev", "min", "max"});
        for (int r = 1; r <= 2; ++r) {
            QStringList row;
            for (int c = 0; c < 6; ++c)
                row << static_cast<QLabel*>(m_statistics->itemAtPosition(r, c)->widget())->text();
            report.statistics.append(row);
        }
        for (GradeHistogram* h : {m_voltage, m_resistance})
            report.histograms.append(h->toPixmap(h->width(), h->height(), 3.0).toImage());
        QStringList titles;
        for (int c = 0; c < GradeTable::ColumnCount; ++c)
            titles << m_model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        report.cells.append(titles);
        for (int r = 0; r < m_session.cells().size(); ++r) {
            QStringList row;
            for (int c = 0; c < GradeTable::ColumnCount; ++c)
                row << m_model->text(r, c);
            report.cells.append(row);
        }
        report.plan = m_pack->planLines();
        QString failure;
        BusyPointer busy;
        if (!printGradeReport(printer, report, failure))
            tellFailure(QStringLiteral("The report was not printed."), failure);
    }
    m_handlers.leave();
}

void CellGrading::openSessions()
{
    m_handlers.enter();
    SessionsDialog dialog(m_session.store(), m_prompts, m_clock, m_session.info().key, this);
    if (dialog.exec() == QDialog::Accepted && dialog.chosen() != 0 && !m_handlers.closed()) {
        if (!m_session.open(dialog.chosen()))
            tellFailure(m_session.error());
        showSession();
    } else if (!m_handlers.closed()) {
        // A rename of this session shows in the window too.
        const auto again = m_session.store().session(m_session.info().key);
        if (again && again->name != m_session.info().name && m_session.open(again->key))
            showSession();
    }
    m_handlers.leave();
}

bool CellGrading::eventFilter(QObject* watched, QEvent* event)
{
    // While a capacity is typed, its editor has the keys: Enter here is the table's own.
    if (watched == m_view && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            measureSelectedAgain();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CellGrading::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (!m_handlers.close())
        return;
    // A read of the comparator sets ends with the window. (A memory stream is read to its end
    // either way, the meter sends it all; the window then takes nothing of it.)
    m_limitsPanel->cancelRead();
}
