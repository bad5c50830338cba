#include "Comparator.h"

#include "AppState.h"
#include "CommandChannel.h"
#include "ComparatorExchange.h"
#include "GridView.h"
#include "ProgressText.h"
#include "Prompts.h"
#include "TextGrid.h"
#include "WindowPlacement.h"
#include "WindowToolbar.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

const QString kCaption = QStringLiteral("Comparator");

struct Column
{
    const char* header;
    int widthChars; // the column is as wide as this many "A"s in the grid's font
};
// Sets in view when the window opens; fewer once the user makes it smaller.
constexpr int kRecordsInView = 12;

constexpr std::array<Column, 5> kColumns{{
    {"No.s", 5},
    {"Ohm-H", 17},
    {"Ohm-L", 17},
    {"V-H", 16},
    {"V-L", 16},
}};

// The option captions show where the choice puts the point.
const std::array<QString, 3> kChoiceCaptions{QStringLiteral("X.XXX"), QStringLiteral("XX.XX"),
                                             QStringLiteral("XXX.X")};

void selectChoice(QButtonGroup* group, int choice)
{
    // An exclusive group cannot be emptied by hand; a set may select nothing.
    group->setExclusive(false);
    for (QAbstractButton* button : group->buttons())
        button->setChecked(group->id(button) == choice);
    group->setExclusive(true);
}

} // namespace

Comparator::Comparator(AppState& state, CommandChannel& channel, MeterLink& link, Prompts& prompts,
                       QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window), m_state(state), m_channel(channel), m_prompts(prompts),
      m_reader(channel, link)
{
    setObjectName(QStringLiteral("Comparator"));
    setWindowTitle(kCaption);

    m_grid = new TextGrid(int(kColumns.size()), this);
    QStringList widthTexts;
    for (int c = 0; c < int(kColumns.size()); ++c) {
        m_grid->setTitle(c, QString::fromLatin1(kColumns[c].header));
        widthTexts.append(QString(kColumns[c].widthChars, u'A'));
    }
    m_view = new GridView(this);
    m_view->setGrid(m_grid);
    m_view->setColumnWidthTexts(widthTexts);
    m_view->setFixedSize(m_view->sizeForRecords(kRecordsInView));
    connect(m_view, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& index) { loadClickedRow(index.row() + 1); });

    auto* message = new QLabel(
        QStringLiteral("Select a set of the above comparaor data and complete the following "
                       "settings then press update to confirm."),
        this);
    message->setObjectName(QStringLiteral("LblMessage"));
    message->setWordWrap(true);

    // Resistance limits on the first row, voltage limits on the second, high left of low.
    auto* limits = new QGridLayout;
    const auto heading = [this](const QString& text) {
        auto* label = new QLabel(text, this);
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
        return label;
    };
    limits->addWidget(heading(QStringLiteral("Resistance")), 0, 0, 1, 2);
    limits->addWidget(buildLimit(QStringLiteral("HIGH"), QStringLiteral("HighO"),
                                 QStringLiteral("HODec"), 3, QStringLiteral("HOhmUnit"), m_ohmHigh),
                      1, 0);
    limits->addWidget(buildLimit(QStringLiteral("LOW"), QStringLiteral("LowO"),
                                 QStringLiteral("LODec"), 3, QStringLiteral("LOhmUnit"), m_ohmLow),
                      1, 1);
    limits->addWidget(heading(QStringLiteral("Voltage")), 2, 0, 1, 2);
    limits->addWidget(buildLimit(QStringLiteral("HIGH"), QStringLiteral("HighV"),
                                 QStringLiteral("HVDec"), 2, {}, m_voltHigh),
                      3, 0);
    limits->addWidget(buildLimit(QStringLiteral("LOW"), QStringLiteral("LowV"),
                                 QStringLiteral("LVDec"), 2, {}, m_voltLow),
                      3, 1);

    m_update = new QPushButton(QStringLiteral("Update"), this);
    m_update->setObjectName(QStringLiteral("CmdUpdate"));
    m_update->setEnabled(false);
    m_update->setMinimumWidth(m_update->sizeHint().width() * 3 / 2);
    connect(m_update, &QPushButton::clicked, this, &Comparator::updateSet);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(m_update);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_view, 1);
    layout->addWidget(message);
    layout->addLayout(limits);
    layout->addLayout(bottom);
    // However narrow the window, the message never wraps into more lines than it has room for.
    message->setMinimumHeight(message->heightForWidth(limits->minimumSize().width()));
    connect(&m_reader, &StreamReader::progress, this,
            [this](qsizetype received, qsizetype expected) {
                setWindowTitle(percentCompleted(received, expected));
            });
    place(mainWindow);
}

QWidget* Comparator::buildLimit(const QString& title, const QString& digitName,
                                const QString& choiceName, int choices, const QString& unitName,
                                LimitEditors& editors)
{
    auto* frame = new QGroupBox(title, this);
    auto* row = new QHBoxLayout;
    for (int k = 0; k < 4; ++k) {
        auto* digit = new QComboBox(frame);
        digit->setObjectName(QStringLiteral("%1_%2").arg(digitName).arg(k + 1));
        for (int d = 0; d <= 9; ++d)
            digit->addItem(QString::number(d));
        digit->setCurrentIndex(-1);
        editors.digits[k] = digit;
        row->addWidget(digit);
    }
    if (unitName.isEmpty()) {
        auto* volts = new QLabel(QStringLiteral("V"), frame);
        volts->setMinimumWidth(volts->fontMetrics().horizontalAdvance(QStringLiteral(" mOhm")) +
                               24);
        row->addWidget(volts);
    } else {
        editors.unit = new QComboBox(frame);
        editors.unit->setObjectName(unitName);
        editors.unit->addItems({QStringLiteral(" Ohm"), QStringLiteral(" mOhm")});
        editors.unit->setCurrentIndex(-1);
        row->addWidget(editors.unit);
    }
    row->addStretch(1);
    auto* options = new QHBoxLayout;
    editors.choices = new QButtonGroup(frame);
    for (int k = 1; k <= choices; ++k) {
        auto* option = new QRadioButton(kChoiceCaptions[k - 1], frame);
        option->setObjectName(QStringLiteral("%1_%2").arg(choiceName).arg(k));
        editors.choices->addButton(option, k);
        options->addWidget(option);
    }
    options->addStretch(1);
    auto* column = new QVBoxLayout(frame);
    column->addLayout(row);
    column->addLayout(options);
    return frame;
}

// Beside the main window; where that is taken or off the screen, the placement rule finds
// the nearest free place.
void Comparator::place(QWidget* mainWindow)
{
    adjustSize();
    const QSize opening = size();
    m_view->setMinimumSize(m_view->sizeForRecords(MinimumRecords, MinimumColumns));
    m_view->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    resize(opening);
    if (mainWindow) {
        const QRect main = mainWindow->frameGeometry();
        move(main.right() + 1, main.top());
    }
    WindowPlacement::manage(this);
    closeOnEscape(this);
}

void Comparator::readTable()
{
    if (isVisible() || m_state.longReadRunning() || m_sending)
        return;
    m_state.DisplayFrozen = true;
    m_state.ComparatorBusy = true;
    m_update->setEnabled(false);
    setWindowTitle(percentCompleted(0, ComparatorReplyLength));
    show();
    raise();
    StreamReader::Result result;
    {
        TimerPause pause(m_channel.timers(), PollTimers::Both);
        result = readComparatorReply(m_reader);
        m_state.ComparatorBusy = false;
    }
    const bool complete = result.outcome == StreamReader::Outcome::Complete;
    if (complete) {
        m_state.ComparatorTable = comparatorTableFromReply(result.bytes);
        fillGrid();
        m_tableRead = true;
        // Update before any click writes set 1 as it was read, not empty editors.
        loadSet(1);
        m_view->setCurrentRow(1);
    }
    m_state.DisplayFrozen = false;
    setWindowTitle(kCaption);
    m_update->setEnabled(m_tableRead);
    if (complete)
        return;
    hide();
    // Display frames or a broken link instead of the table: nothing of it is shown or loaded.
    if (StreamReader::failed(result.outcome)) {
        m_prompts.message(QStringLiteral("The comparator table did not arrive (%1 of %2 bytes).")
                              .arg(result.bytes.size())
                              .arg(ComparatorReplyLength),
                          Prompts::Icon::Exclamation, {},
                          QStringLiteral("The sets were left as they were. Check that the meter "
                                         "is on and connected, then press the Comparator "
                                         "button again."));
    }
}

void Comparator::closeEvent(QCloseEvent* event)
{
    // Closing during the read ends it; the read then tidies up without a message.
    if (m_reader.isReading())
        m_reader.cancel();
    event->accept();
}

void Comparator::fillGrid()
{
    m_grid->clearRecords();
    for (int set = 1; set <= ComparatorSetCount; ++set)
        m_grid->appendRow(comparatorGridRow(set, m_state.ComparatorTable[set]).join(u'\t'));
}

void Comparator::showRow(int set, const QStringList& texts)
{
    if (set < 1 || set >= m_grid->rows())
        return;
    for (int c = 0; c < int(kColumns.size()); ++c)
        m_grid->setCell(set, c, texts.value(c));
}

void Comparator::loadClickedRow(int row)
{
    if (row < 1 || row >= m_grid->rows())
        return;
    bool ok = false;
    const int set = m_grid->cellView(row, 0).toInt(&ok);
    if (ok)
        loadSet(set);
}

void Comparator::loadSet(int set)
{
    if (set < 1 || set > ComparatorSetCount)
        return;
    const auto edit = comparatorEditFromEntry(m_state.ComparatorTable[set]);
    if (!edit)
        return;
    m_selectedSet = set;
    showEdit(*edit);
}

void Comparator::showEdit(const ComparatorEdit& edit)
{
    const auto show = [](LimitEditors& editors, const ComparatorLimitEdit& limit) {
        // A character that is no digit leaves its list with nothing chosen.
        for (int k = 0; k < 4; ++k)
            editors.digits[k]->setCurrentIndex(editors.digits[k]->findText(limit.digits[k]));
        selectChoice(editors.choices, limit.choice);
        if (editors.unit)
            editors.unit->setCurrentIndex(limit.milliOhm ? 1 : 0);
    };
    show(m_ohmHigh, edit.ohmHigh);
    show(m_ohmLow, edit.ohmLow);
    show(m_voltHigh, edit.voltHigh);
    show(m_voltLow, edit.voltLow);
}

ComparatorEdit Comparator::editorState() const
{
    const auto read = [](const LimitEditors& editors) {
        ComparatorLimitEdit limit;
        for (int k = 0; k < 4; ++k)
            limit.digits[k] = editors.digits[k]->currentText();
        limit.choice = qMax(0, editors.choices->checkedId());
        limit.milliOhm = editors.unit && editors.unit->currentIndex() == 1;
        return limit;
    };
    return {read(m_ohmHigh), read(m_ohmLow), read(m_voltHigh), read(m_voltLow)};
}

void Comparator::updateSet()
{
    if (m_sending || m_state.longReadRunning())
        return;
    const int set = m_selectedSet == 0 ? 1 : m_selectedSet;
    const auto update = comparatorUpdate(editorState(), set);
    if (!update) {
        m_prompts.message(QStringLiteral("Set %1 holds a character that is not a digit, so it was "
                                         "not sent.")
                              .arg(set),
                          Prompts::Icon::Exclamation, {},
                          QStringLiteral("Choose a digit in every empty list, then press Update "
                                         "again."));
        return;
    }
    showEdit(update->edit); // a clamped voltage shows what is sent
    m_sending = true;
    m_update->setEnabled(false);
    writeComparatorSet(m_channel, *update);
    m_sending = false;
    m_update->setEnabled(m_tableRead);
    showRow(update->set, update->row);
    m_state.ComparatorTable[update->set] = update->entry;
}
