#include "SpanPanel.h"

#include "CsvReadings.h"
#include "GridView.h"
#include "TextGrid.h"

#include <QApplication>
#include <QClipboard>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr double kCellCutoff = 3.0; // a discharged lithium cell, the usual case
constexpr int kWidth = 310;

QPushButton* button(const QString& text, const char* name, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

SpanPanel::SpanPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SpanPanel"));
    setFixedWidth(kWidth);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);

    column->addWidget(new QLabel(QStringLiteral("Recordings"), this));
    m_traces = new QListWidget(this);
    m_traces->setObjectName(QStringLiteral("Traces"));
    m_traces->setMaximumHeight(72);
    column->addWidget(m_traces);
    m_remove = button(QStringLiteral("Remove"), "CmdRemoveFile", this);
    m_remove->setToolTip(QStringLiteral("Take the chosen recording off the graph"));
    m_remove->setEnabled(false);
    connect(m_traces, &QListWidget::currentRowChanged, this,
            [this](int row) { m_remove->setEnabled(row > 0); });
    connect(m_remove, &QPushButton::clicked, this, [this] {
        if (m_traces->currentRow() > 0)
            emit removeRequested(m_traces->currentRow());
    });

    auto* cutoff = new QHBoxLayout;
    m_cutoff = new QDoubleSpinBox(this);
    m_cutoff->setObjectName(QStringLiteral("TxtCutoff"));
    m_cutoff->setRange(-60, 60);
    m_cutoff->setDecimals(3);
    m_cutoff->setSingleStep(0.1);
    m_cutoff->setSuffix(QStringLiteral(" V"));
    m_cutoff->setValue(kCellCutoff);
    auto* cut = button(QStringLiteral("Cut-off"), "CmdCutoff", this);
    cut->setToolTip(QStringLiteral("The figures of each recording from its start to where its "
                                   "voltage first fell below this"));
    cutoff->addWidget(m_remove);
    cutoff->addStretch(1);
    cutoff->addWidget(cut);
    cutoff->addWidget(m_cutoff);
    column->addLayout(cutoff);
    connect(cut, &QPushButton::clicked, this, [this] { emit cutoffRequested(m_cutoff->value()); });

    m_what = new QLabel(QStringLiteral("Mark a span with Span, or choose Cut-off."), this);
    m_what->setObjectName(QStringLiteral("LblSpan"));
    m_what->setWordWrap(true);
    column->addWidget(m_what);
    m_grid = new TextGrid(1, this);
    m_grid->setTitle(0, QStringLiteral("Figure"));
    m_view = new GridView(this);
    m_view->setObjectName(QStringLiteral("SpanFigures"));
    m_view->setGrid(m_grid);
    column->addWidget(m_view, 1);

    auto* buttons = new QHBoxLayout;
    m_copy = button(QStringLiteral("Copy"), "CmdCopyFigures", this);
    m_export = button(QStringLiteral("Export CSV"), "CmdExportFigures", this);
    for (QPushButton* b : {m_copy, m_export}) {
        b->setEnabled(false);
        buttons->addWidget(b);
    }
    column->addLayout(buttons);
    connect(m_copy, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(figuresText()); });
    connect(m_export, &QPushButton::clicked, this, &SpanPanel::exportRequested);
}

void SpanPanel::setTraces(const QList<Entry>& traces)
{
    const int current = m_traces->currentRow();
    m_traces->clear();
    for (const Entry& e : traces) {
        QPixmap swatch(12, 12);
        swatch.fill(e.colour);
        m_traces->addItem(new QListWidgetItem(QIcon(swatch), e.name));
    }
    m_traces->setCurrentRow(qMin(current, int(traces.size()) - 1));
}

void SpanPanel::setFigures(const QString& what, const QStringList& columns,
                           const QList<QStringList>& rows)
{
    m_what->setText(what);
    m_grid->clearRecords();
    m_grid->setColumnCount(1 + int(columns.size()));
    for (int c = 0; c < columns.size(); ++c)
        m_grid->setTitle(c + 1, columns[c]);
    QStringList lines;
    for (const QStringList& row : rows)
        lines.append(row.join(QLatin1Char('\t')));
    m_grid->appendRows(lines);
    m_view->resizeColumnsToContents();
    for (QPushButton* b : {m_copy, m_export})
        b->setEnabled(!rows.isEmpty());
}

bool SpanPanel::hasFigures() const
{
    return m_grid->rows() > 1;
}

QList<QStringList> SpanPanel::cells() const
{
    QList<QStringList> all;
    for (int r = 0; r < m_grid->rows(); ++r) {
        QStringList row;
        for (int c = 0; c < m_grid->columns(); ++c)
            row.append(m_grid->cell(r, c));
        all.append(row);
    }
    return all;
}

QString SpanPanel::figuresText() const
{
    QString text;
    for (const QStringList& row : cells())
        text += row.join(QLatin1Char('\t')) + QLatin1Char('\n');
    return text;
}

QByteArray SpanPanel::figuresCsv() const
{
    QByteArray csv;
    for (const QStringList& row : cells()) {
        QStringList fields;
        for (const QString& cell : row)
            fields.append(csvField(cell));
        csv += csvBytes(fields.join(QLatin1Char(',')));
    }
    return csv;
}
