#include "MemoryList.h"

#include "FileTransfer.h"
#include "GridView.h"
#include "TextGrid.h"
#include "WindowPlacement.h"

#include <QCloseEvent>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

constexpr int kRowsInView = 18;

} // namespace

MemoryList::MemoryList(const QString& name, const QString& caption, const QStringList& titles,
                       const QStringList& widthTexts, std::initializer_list<ToolbarButton> buttons,
                       AppState& state, FileTransfer& transfer, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window), m_state(state), m_transfer(transfer)
{
    setObjectName(name);
    setWindowTitle(caption);

    m_toolbar =
        windowToolbar(this, buttons, [this](const QString& key) { runToolbarCommand(key); });
    m_handlers.setBusyWidget(m_toolbar);

    m_grid = new TextGrid(int(titles.size()), this);
    for (int c = 0; c < titles.size(); ++c)
        m_grid->setTitle(c, titles[c]);
    m_view = new GridView(this);
    m_view->setGrid(m_grid);
    m_view->setColumnWidthTexts(widthTexts);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolbar);
    layout->addWidget(m_view, 1);
    const QSize gridSize = m_view->sizeForRecords(kRowsInView);
    m_view->setMinimumSize(m_view->sizeForRecords(MinimumRecords, MinimumColumns));
    resize(gridSize.width(), gridSize.height() + m_toolbar->sizeHint().height());
    WindowPlacement::manage(this);
}

int MemoryList::dataRows() const
{
    return m_grid->rows() - 1;
}

void MemoryList::appendRows(const QStringList& lines)
{
    m_grid->appendRows(lines);
}

void MemoryList::addBelowGrid(QWidget* widget)
{
    static_cast<QVBoxLayout*>(layout())->addWidget(widget);
    resize(width(), height() + widget->sizeHint().height());
}

void MemoryList::print(const QString& source)
{
    enterHandler();
    m_transfer.PrintGrid(*this, *m_grid, source);
    leaveHandler();
}

void MemoryList::exportCsv()
{
    enterHandler();
    m_transfer.ExportCsv(*this, *m_grid, FileTransfer::csvSourceOf(*m_grid), {});
    leaveHandler();
}

void MemoryList::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (!m_handlers.close())
        return;
    closing();
    emit closed();
}
