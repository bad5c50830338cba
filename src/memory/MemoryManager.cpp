#include "MemoryManager.h"

#include "AppState.h"
#include "CommandChannel.h"
#include "DataList.h"
#include "GridView.h"
#include "ManualList.h"
#include "MemoryRecords.h"
#include "MeterMemory.h"
#include "Prompts.h"
#include "StatusPanel.h"
#include "TextGrid.h"
#include "ValueText.h"
#include "Waits.h"
#include "WindowPlacement.h"
#include "WindowToolbar.h"

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

const QStringList kSetTitles{QStringLiteral("Set"), QStringLiteral("Time"),
                             QStringLiteral("Sampling"), QStringLiteral("Records")};
const QStringList kSetWidthTexts{QStringLiteral(" No.S "), QStringLiteral("00:00:00A"),
                                 QStringLiteral(" Sampling "), QStringLiteral(" Records ")};
constexpr int kSetRowsInView = 12;
// Rows are added and the fill redrawn this often while a large set is listed.
constexpr qint64 kFillStepMs = 50;

// Raised for as long as stored readings are decoded; lowered on every way out.
class FrozenDisplay
{
public:
    explicit FrozenDisplay(bool& flag) : m_flag(flag) { m_flag = true; }
    ~FrozenDisplay() { m_flag = false; }
    FrozenDisplay(const FrozenDisplay&) = delete;
    FrozenDisplay& operator=(const FrozenDisplay&) = delete;

private:
    bool& m_flag;
};

QLabel* panelLabel(const QString& name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("00000.0 K")) +
                           12);
    label->setMinimumHeight(label->fontMetrics().height() + 8);
    return label;
}

} // namespace

MemoryManager::MemoryManager(AppState& state, CommandChannel& channel, Prompts& prompts,
                             FileTransfer& transfer, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window), m_state(state), m_channel(channel), m_prompts(prompts),
      m_transfer(transfer), m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("MemoryManager"));
    setWindowTitle(QStringLiteral("Data Logger"));

    m_sets = new TextGrid(int(kSetTitles.size()), this);
    for (int c = 0; c < kSetTitles.size(); ++c)
        m_sets->setTitle(c, kSetTitles[c]);
    m_setView = new GridView(this);
    m_setView->setObjectName(QStringLiteral("GridSet"));
    m_setView->setGrid(m_sets);
    m_setView->setColumnWidthTexts(kSetWidthTexts);
    m_setView->setFixedSize(m_setView->sizeForRecords(kSetRowsInView));
    m_setView->setToolTip(QStringLiteral("Click a set to list its readings"));
    connect(m_setView, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& index) { showSet(index.row() + 1); });

    auto* sizeBox = new QGroupBox(QStringLiteral("Size"), this);
    m_size = panelLabel(QStringLiteral("LblSize"), QStringLiteral("64 K"), sizeBox);
    (new QVBoxLayout(sizeBox))->addWidget(m_size);
    auto* remainBox = new QGroupBox(QStringLiteral("Remained"), this);
    m_remain = panelLabel(QStringLiteral("LblRemain"), QStringLiteral("63.9 K"), remainBox);
    m_remain->setCursor(Qt::PointingHandCursor);
    m_remain->setToolTip(QStringLiteral("Click to erase the automatically recorded data"));
    m_remain->installEventFilter(this);
    (new QVBoxLayout(remainBox))->addWidget(m_remain);

    m_readManual = new QPushButton(QStringLiteral("Read Manual"), this);
    m_readManual->setObjectName(QStringLiteral("CmdManual"));
    m_clearManual = new QPushButton(QStringLiteral("Clear Manual"), this);
    m_clearManual->setObjectName(QStringLiteral("CmdClearManual"));
    for (QPushButton* b : {m_readManual, m_clearManual})
        b->setAutoDefault(false);
    connect(m_readManual, &QPushButton::clicked, this, &MemoryManager::readManual);
    connect(m_clearManual, &QPushButton::clicked, this, &MemoryManager::clearManual);

    m_message = new StatusPanel(this);
    m_message->setObjectName(QStringLiteral("LblMessage"));

    auto* side = new QVBoxLayout;
    side->addWidget(sizeBox);
    side->addWidget(remainBox);
    side->addStretch(1);
    side->addWidget(m_readManual);
    side->addWidget(m_clearManual);
    auto* top = new QHBoxLayout;
    top->addWidget(m_setView);
    top->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_message);
    // Opens with twelve sets in view, all four columns; smaller as the user likes.
    top->setStretch(0, 1);
    layout->setStretch(0, 1);
    const QSize opening = sizeHint();
    m_setView->setMinimumSize(m_setView->sizeForRecords(MinimumRecords, MinimumColumns));
    m_setView->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    resize(opening);
    WindowPlacement::manage(this);
    closeOnEscape(this);
}

MemoryManager::~MemoryManager()
{
    // The lists belong to the main window; they go with this window's subsystem.
    delete m_dataList.data();
    delete m_manualList.data();
}

DataList* MemoryManager::dataList() const
{
    return m_dataList;
}

ManualList* MemoryManager::manualList() const
{
    return m_manualList;
}

void MemoryManager::showForDownload()
{
    m_sets->clearRecords();
    m_message->clear();
    if (m_mainWindow) {
        const QRect main = m_mainWindow->frameGeometry();
        move(main.x() + main.width(), main.y());
    }
    show();
    raise();
}

void MemoryManager::placeList(QWidget* list, ListPlace place) const
{
    const QRect here = frameGeometry();
    // Below means below the data list too when it is open: it is taller than this window.
    int bottom = here.bottom();
    if (m_dataList && m_dataList->isVisible())
        bottom = qMax(bottom, m_dataList->frameGeometry().bottom());
    QPoint at = place == ListPlace::Right ? QPoint(here.right() + 1, here.top())
                                          : QPoint(here.left(), bottom + 1);
    if (const QScreen* s = screen()) {
        const QRect room = s->availableGeometry();
        const QSize size = list->frameGeometry().size();
        at.setX(qBound(room.left(), at.x(), qMax(room.left(), room.right() + 1 - size.width())));
        at.setY(qBound(room.top(), at.y(), qMax(room.top(), room.bottom() + 1 - size.height())));
    }
    list->move(at);
}

void MemoryManager::showSet(int row)
{
    if (row < 1 || row >= m_sets->rows())
        return;
    // Counted: a click during a download leaves the poll paused for the download.
    TimerPause pause(m_channel.timers(), PollTimers::Poll);
    if (m_dataList)
        m_dataList->close();
    const FrozenDisplay frozen(m_state.DisplayFrozen);

    const int number = int(leadingNumber(m_sets->cellView(row, 0)));
    const QString start = m_sets->cell(row, 1);
    const int interval = int(leadingNumber(m_sets->cellView(row, 2)));
    if (number < 1 || number > m_state.StoredSets.size())
        return;
    const QByteArray set = m_state.StoredSets.at(number - 1);
    SetDecoder decoder(set, start, interval);

    auto* list = new DataList(m_state, m_prompts, m_transfer, m_mainWindow);
    m_dataList = list;
    WindowPlacement::setOpener(list, this);
    placeList(list, ListPlace::Right);
    list->show();
    list->raise();
    StatusPanel* panel = list->statusPanel();
    panel->setFillVisible(true);
    const QStringList titles = setListTitles(m_state.reading, decoder);
    for (int c = 3; c <= 5; ++c)
        list->grid().setTitle(c, titles.at(c));

    // The fill is redrawn at once, without running events: nothing else happens meanwhile.
    const int count = decoder.count();
    QStringList rows;
    QElapsedTimer sinceFill;
    sinceFill.start();
    for (int k = 1; k <= count; ++k) {
        rows.append(decoder.row(k));
        if (k == count || sinceFill.elapsed() >= kFillStepMs) {
            list->appendRows(rows);
            rows.clear();
            panel->setFillPercent(100.0 * k / count);
            panel->repaint();
            sinceFill.restart();
        }
    }
    panel->setFillVisible(false);
    panel->setText(QStringLiteral("%1 in No.%2 Set").arg(count).arg(number));
}

void MemoryManager::readManual()
{
    const QByteArray buffer = m_state.ManualBuffer;
    const int count = manualRecordCount(buffer);
    if (count == 0)
        return;
    if (!m_manualList || m_manualList->isClosed()) {
        m_manualList = new ManualList(m_state, m_transfer, m_mainWindow);
        WindowPlacement::setOpener(m_manualList, this);
        placeList(m_manualList, ListPlace::Below);
    }
    ManualList* list = m_manualList;
    list->show();
    list->raise();
    const FrozenDisplay frozen(m_state.DisplayFrozen);
    list->appendRows(manualListRows(buffer, m_state.reading).rows);
}

void MemoryManager::clearManual()
{
    erase(MemoryKind::Manual);
}

void MemoryManager::clearAuto()
{
    erase(MemoryKind::Automatic);
}

void MemoryManager::erase(MemoryKind kind)
{
    // Nothing may write into a long answer that is on its way.
    if (m_state.longReadRunning())
        return;
    if (!m_prompts.confirm(eraseQuestion(kind), Prompts::Icon::Exclamation, {},
                           Prompts::DefaultButton::Cancel))
        return;
    if (m_state.longReadRunning())
        return; // a download started while the question was open
    if (eraseMeterMemory(m_channel, kind, [] { return !waitsAbandoned(); }))
        forgetErased(m_state, this, kind);
}

void MemoryManager::forgetErased(AppState& state, MemoryManager* window, MemoryKind kind)
{
    if (kind == MemoryKind::Automatic)
        state.StoredSets.clear();
    else
        state.ManualBuffer.clear();
    if (window)
        window->showErased(kind);
}

// The lists are closed rather than emptied: they show what the meter held, and a list with
// its rows gone but its set caption, units and plot left would still claim a set that is
// no longer there. Closing is also how a list lets go of its rows everywhere else.
void MemoryManager::showErased(MemoryKind kind)
{
    if (kind == MemoryKind::Automatic) {
        m_sets->clearRecords();
        m_remain->setText(memorySizeText(m_channel.status()));
        if (m_dataList)
            m_dataList->close();
    } else if (m_manualList) {
        m_manualList->close();
    }
}

bool MemoryManager::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_remain && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
        m_remain->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
        clearAuto();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void MemoryManager::closeEvent(QCloseEvent* event)
{
    event->accept();
    emit closed();
}
