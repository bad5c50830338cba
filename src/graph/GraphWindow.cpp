#include "GraphWindow.h"
#include "GraphWindowLayout.h"

#include "AxisEdit.h"
#include "ChannelColours.h"
#include "Clock.h"
#include "DetailGraph.h"
#include "FitOnOpen.h"
#include "GraphControls.h"
#include "GraphView.h"
#include "Prompts.h"
#include "SpanBand.h"
#include "SpanPanel.h"
#include "StoredOverlay.h"
#include "TrackModes.h"
#include "ValueText.h"
#include "WindowPlacement.h"
#include "WindowToolbar.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

// Window layout in twips (the margin and the print layout in GraphWindowLayout.h).
constexpr int kStoredWidth = 10650;
constexpr int kStoredHeight = 8865;
constexpr int kDetailWidth = 12600;
constexpr int kDetailHeight = 9600;
constexpr int kFrameHeight = 2700; // room for four buttons above each other
constexpr int kLegendHeight = 420;
// Width of the track-mode list and its help text, in pixels: the longest entry fits.
constexpr int kModeWidth = 150;
// The least height of the graph itself, in pixels: a few grid lines and their labels.
constexpr int kSmallestGraph = 120;

const QColor kStoredTrace(0, 220, 0);

QColor buttonFace()
{
    return QApplication::palette().color(QPalette::Button);
}

QLabel* readOut(const QString& name, QWidget* parent)
{
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setFrameShape(QFrame::WinPanel);
    l->setFrameShadow(QFrame::Sunken);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setAutoFillBackground(true);
    QPalette p = l->palette();
    p.setColor(QPalette::Window, Qt::white);
    p.setColor(QPalette::WindowText, Qt::black);
    l->setPalette(p);
    l->setMinimumWidth(80);
    return l;
}

} // namespace

GraphWindow::GraphWindow(Kind kind, Prompts& prompts, const Clock& clock, QWidget* parent)
    : QWidget(parent, Qt::Window), m_kind(kind), m_prompts(prompts),
      m_scale(TwipsScale::forScreen(QApplication::primaryScreen())), m_clock(clock)
{
    const bool stored = kind == Kind::Stored;
    setObjectName(stored ? QStringLiteral("Plot") : QStringLiteral("RealTimeGraph"));
    setWindowTitle(stored ? QStringLiteral("Plot") : QStringLiteral("Real Time Graph"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAutoFillBackground(true);
    m_screenBackground = stored ? buttonFace() : kGraphWindowTeal;
    m_yFormat = stored ? QStringLiteral("0.###") : QStringLiteral("0.00#");

    m_graph = new GraphView(this);
    m_graph->setAxisRange(1, 1, 100);
    // The detail graph's records are the live graph's samples, one a second.
    m_graph->setRecordCaption(stored ? QStringLiteral("Record number")
                                     : QStringLiteral("Time (s)"));
    if (stored) {
        m_graph->addPlot(2, kStoredTrace);
        // Files dropped on the window are added to the graph as "Add file..." adds them.
        setAcceptDrops(true);
        m_panel = new SpanPanel(this);
        m_panel->hide();
        m_overlay = new StoredOverlay(*m_graph, *m_panel, m_prompts, *this);
        connect(m_overlay, &StoredOverlay::tracesChanged, this, [this](bool added) {
            if (added)
                fit();
            showPanel();
        });
        connect(m_panel, &SpanPanel::cutoffRequested, this, &GraphWindow::showPanel);
    } else {
        buildDetailGraph(*m_graph);
        m_legend = detailLegend(this);
    }
    buildFrame();
    setBackgroundColour(m_screenBackground);

    resize(m_scale.px(stored ? kStoredWidth : kDetailWidth),
           m_scale.px(stored ? kStoredHeight : kDetailHeight));
    move(0, 0);
    setMinimumSize(minimumLayoutSize());
    layOut();
    WindowPlacement::manage(this);

    for (int i = 0; i < (stored ? 8 : 7); ++i)
        m_modes->addItem(QString::fromLatin1(trackModeAt(kind == Kind::Stored, i)->entry));
    m_modes->setCurrentIndex(0);
    applyTrackMode(0);
    setBoxesQuietly(1, m_graph->axisMinimum(1), m_graph->axisMaximum(1));
    setBoxesQuietly(2, m_graph->axisMinimum(2), m_graph->axisMaximum(2));

    connect(m_modes, &QComboBox::activated, this, &GraphWindow::applyTrackMode);
    connect(m_graph, &GraphView::cursorChanged, this, &GraphWindow::onCursorChanged);
    connect(m_graph, &GraphView::clicked, this, &GraphWindow::onClicked);
    // The boxes show what the graph shows, however it was moved.
    connect(m_graph, &GraphView::rangeMoved, this, [this](int index, double min, double max) {
        if (index == 1 || index == 2)
            setBoxesQuietly(index, min, max);
    });
    connect(m_reset, &QPushButton::clicked, this, &GraphWindow::reset);
    connect(m_print, &QPushButton::clicked, this, &GraphWindow::print);
    connect(m_fit, &QPushButton::clicked, this, &GraphWindow::fit);
    connect(m_graph, &GraphView::fitRequested, this, &GraphWindow::fit);
    addFitKey(this, [this] { fit(); });
    connect(m_saveImage, &QPushButton::clicked, this, &GraphWindow::saveImage);
    if (m_addFile) {
        connect(m_addFile, &QPushButton::clicked, this, [this] {
            const QString path =
                m_prompts.openFileName(this, QStringLiteral("Add file"), recordingFilters());
            if (!path.isEmpty())
                addFile(path);
        });
        connect(m_span, &QPushButton::toggled, this, &GraphWindow::setSpanMarking);
    }
    // The keys of the list and graph windows: Ctrl+P prints, as the button does; Esc closes.
    auto* printKeys = new QAction(this);
    addAction(printKeys);
    giveShortcut(printKeys, m_print->text(), QKeySequence(QStringLiteral("Ctrl+P")));
    m_print->setToolTip(printKeys->toolTip());
    connect(printKeys, &QAction::triggered, m_print, &QPushButton::click);
    closeOnEscape(this);
    for (AxisEdit* box : {m_min[0], m_min[1], m_max[0], m_max[1]})
        connect(box, &AxisEdit::valueChanged, this, &GraphWindow::onBoxChanged);
}

GraphWindow* GraphWindow::open(QPointer<GraphWindow>& window, Kind kind, Prompts& prompts,
                               const Clock& clock, QWidget* opener)
{
    if (!window)
        window = new GraphWindow(kind, prompts, clock);
    if (opener)
        WindowPlacement::setOpener(window, opener);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void GraphWindow::buildFrame()
{
    m_frame = new QFrame(this);
    m_frame->setObjectName(QStringLiteral("FrmGraphic"));
    m_frame->setFrameShape(QFrame::StyledPanel);
    m_frame->setFrameShadow(QFrame::Raised);
    m_frame->setAutoFillBackground(true);
    QPalette face = m_frame->palette();
    face.setColor(QPalette::Window, buttonFace());
    face.setColor(QPalette::WindowText, Qt::black);
    m_frame->setPalette(face);

    auto* row = new QHBoxLayout(m_frame);
    row->setContentsMargins(10, 8, 10, 8);
    row->setSpacing(10);

    auto* modeColumn = new QVBoxLayout;
    modeColumn->setSpacing(4);
    auto* modeCaption = new QLabel(QStringLiteral("Track Mode"), m_frame);
    m_modes = new QComboBox(m_frame);
    m_modes->setObjectName(QStringLiteral("Combo1"));
    m_modes->setEditable(false);
    m_modes->setFixedWidth(kModeWidth);
    m_description = new QPlainTextEdit(m_frame);
    m_description->setObjectName(QStringLiteral("txtDescription"));
    m_description->setReadOnly(true);
    m_description->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_description->setFocusPolicy(Qt::NoFocus);
    m_description->setFixedWidth(kModeWidth);
    m_description->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    modeColumn->addWidget(modeCaption);
    modeColumn->addWidget(m_modes);
    modeColumn->addWidget(m_description, 1);
    row->addLayout(modeColumn);

    auto* axes = new QGridLayout;
    axes->setHorizontalSpacing(6);
    axes->setVerticalSpacing(6);
    auto* minCaption = new QLabel(QStringLiteral("Min"), m_frame);
    auto* maxCaption = new QLabel(QStringLiteral("Max"), m_frame);
    minCaption->setAlignment(Qt::AlignCenter);
    maxCaption->setAlignment(Qt::AlignCenter);
    axes->addWidget(minCaption, 0, 1);
    axes->addWidget(maxCaption, 0, 2);
    const std::array<QString, 2> axisNames{QStringLiteral("X"), QStringLiteral("Y")};
    for (int i = 0; i < 2; ++i) {
        axes->addWidget(new QLabel(axisNames[static_cast<std::size_t>(i)], m_frame), i + 1, 0);
        m_min[i] = new AxisEdit(m_frame);
        m_max[i] = new AxisEdit(m_frame);
        m_min[i]->setObjectName(QStringLiteral("AxisMin_%1").arg(i + 1));
        m_max[i]->setObjectName(QStringLiteral("AxisMax_%1").arg(i + 1));
        for (AxisEdit* box : {m_min[i], m_max[i]}) {
            box->setMinimumWidth(84);
            axes->addWidget(box, i + 1, box == m_min[i] ? 1 : 2);
        }
    }
    for (AxisEdit* box : {m_min[0], m_max[0]}) {
        box->setFormat(QStringLiteral("0"));
        box->setSingleStep(1);
    }
    for (AxisEdit* box : {m_min[1], m_max[1]}) {
        box->setFormat(QStringLiteral("0.###"));
        box->setSingleStep(0.001);
    }
    // How the record axis reads, under its range boxes.
    auto* reading = new QHBoxLayout;
    reading->addWidget(new QLabel(QStringLiteral("X Axis"), m_frame));
    m_xReading = xReadingBox(
        m_frame, XReading::Record, [this](XReading r) { setXReading(r); },
        m_kind == Kind::Stored ? QStringLiteral("Record number") : QStringLiteral("Seconds"));
    m_xReading->setEnabled(false); // until the rows' times are known
    reading->addWidget(m_xReading, 1);
    axes->addLayout(reading, 3, 0, 1, 3);
    if (m_kind == Kind::Stored) {
        m_xReading->addItem(QStringLiteral("Capacity (Ah)"));
        auto* recordings = new QHBoxLayout;
        m_addFile = new QPushButton(QStringLiteral("Add file..."), m_frame);
        m_addFile->setObjectName(QStringLiteral("CmdAddFile"));
        m_addFile->setToolTip(
            QStringLiteral("Draw another recording (a data file or a CellDesk "
                           "CSV) beside this one; files can be dropped here too"));
        m_span = new QPushButton(QStringLiteral("Span"), m_frame);
        m_span->setObjectName(QStringLiteral("CmdSpan"));
        m_span->setCheckable(true);
        m_span->setToolTip(QStringLiteral("Drag across the graph to mark a span: its charge, "
                                          "energy and values appear beside the graph"));
        for (QPushButton* b : {m_addFile, m_span}) {
            b->setAutoDefault(false);
            recordings->addWidget(b);
        }
        axes->addLayout(recordings, 4, 0, 1, 3);
    }
    axes->setRowStretch(5, 1);
    row->addLayout(axes);

    auto* cursor = new QGridLayout;
    cursor->setHorizontalSpacing(6);
    cursor->setVerticalSpacing(6);
    cursor->addWidget(new QLabel(QStringLiteral("Cursor"), m_frame), 0, 1);
    cursor->addWidget(new QLabel(QStringLiteral("X"), m_frame), 1, 0);
    cursor->addWidget(new QLabel(QStringLiteral("Y"), m_frame), 2, 0);
    m_xPosition = readOut(QStringLiteral("XPosition"), m_frame);
    m_yPosition = readOut(QStringLiteral("YPosition"), m_frame);
    cursor->addWidget(m_xPosition, 1, 1);
    cursor->addWidget(m_yPosition, 2, 1);
    if (m_kind == Kind::Stored) {
        m_unit = new QLabel(m_frame);
        m_unit->setObjectName(QStringLiteral("LblUnit"));
        // Under the Y read-out, where the longest titles ("Fahrenheit", "400 mOhm") fit.
        cursor->addWidget(m_unit, 3, 1, 1, 2);
    }
    cursor->setRowStretch(4, 1);
    row->addLayout(cursor);

    row->addStretch(1);

    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(8);
    m_reset = new QPushButton(QStringLiteral("Reset Scale"), m_frame);
    m_reset->setObjectName(QStringLiteral("CmdReset"));
    m_print = new QPushButton(QStringLiteral("Print"), m_frame);
    m_print->setObjectName(QStringLiteral("CmdPrint"));
    m_saveImage = new QPushButton(QStringLiteral("Save image"), m_frame);
    m_saveImage->setObjectName(QStringLiteral("CmdSaveImage"));
    m_saveImage->setToolTip(QStringLiteral("Save the graph as a PNG, SVG or PDF picture"));
    for (QPushButton* b : {m_reset, m_print, m_saveImage}) {
        b->setMinimumSize(100, 30);
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    m_fit = new QPushButton(FitKey, m_frame);
    m_fit->setObjectName(QStringLiteral("CmdFit"));
    m_fit->setToolTip(fitToolTip());
    m_fit->setMinimumSize(100, 30);
    m_fit->setAutoDefault(false);
    buttons->addWidget(m_fit);
    buttons->addWidget(FitOnOpen::box(m_frame));
    buttons->addStretch();
    row->addLayout(buttons);
}

int GraphWindow::frameHeight() const
{
    return qMax(m_scale.px(kFrameHeight), m_frame->minimumSizeHint().height());
}

QSize GraphWindow::minimumLayoutSize() const
{
    const int margin = m_scale.px(GraphWindowLayout::Margin);
    int width = m_frame->minimumSizeHint().width();
    int height = margin + kSmallestGraph + margin + frameHeight() + margin;
    if (m_legend) {
        width = qMax(width, m_legend->minimumSizeHint().width());
        height += m_scale.px(kLegendHeight) + margin / 2;
    }
    if (m_panel && m_panel->isVisibleTo(this)) {
        width = qMax(width, kSmallestGraph + margin + m_panel->width());
        height = qMax(height, margin + m_panel->minimumSizeHint().height() + margin +
                                  frameHeight() + margin);
    }
    return {width + 2 * margin, height};
}

void GraphWindow::layOut()
{
    if (m_printLayout)
        return;
    const int margin = m_scale.px(GraphWindowLayout::Margin);
    const int frameHeight = this->frameHeight();
    const int inner = qMax(width() - 2 * margin, 100);
    int top = margin;
    if (m_legend) {
        m_legend->setGeometry(margin, top, inner, m_scale.px(kLegendHeight));
        top += m_scale.px(kLegendHeight) + margin / 2;
    }
    const int frameTop = qMax(height() - margin - frameHeight, top + 100);
    // The span panel takes the right of the window, from top to bottom where the controls
    // still fit beside it, else beside the graph alone.
    int left = inner;
    int frameWidth = inner;
    if (m_panel && m_panel->isVisibleTo(this)) {
        left = qMax(inner - m_panel->width() - margin, 100);
        const bool tall = left >= m_frame->minimumSizeHint().width();
        if (tall)
            frameWidth = left;
        m_panel->setGeometry(margin + left + margin, top, m_panel->width(),
                             (tall ? frameTop + frameHeight : frameTop - margin) - top);
    }
    m_graph->setGeometry(margin, top, left, frameTop - margin - top);
    m_frame->setGeometry(margin, frameTop, frameWidth, frameHeight);
}

void GraphWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layOut();
}

void GraphWindow::setBackgroundColour(const QColor& colour)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, colour);
    setPalette(p);
    m_graph->setBackgroundColor(colour);
}

AxisEdit* GraphWindow::axisMinBox(int index) const
{
    return index == 1 || index == 2 ? m_min[index - 1] : nullptr;
}

AxisEdit* GraphWindow::axisMaxBox(int index) const
{
    return index == 1 || index == 2 ? m_max[index - 1] : nullptr;
}

QLabel* GraphWindow::label(const QString& name) const
{
    return findChild<QLabel*>(name);
}

void GraphWindow::applyTrackMode(int index)
{
    const TrackMode* mode = trackModeAt(m_kind == Kind::Stored, index);
    if (!mode) {
        m_prompts.message(QStringLiteral("Select a valid TrackMode."), Prompts::Icon::None);
        return;
    }
    if (m_modes->currentIndex() != index)
        m_modes->setCurrentIndex(index);
    if (m_span && index != 0)
        m_span->setChecked(false);
    m_graph->setCursorVisible(1, false);
    m_graph->setCursorVisible(2, false);
    m_graph->setTrackMode(mode->code);
    m_description->setPlainText(QString::fromLatin1(mode->help));
    if (mode->code == CursorTrackMode) {
        const QCPRange x = m_graph->axis(1)->range();
        const QCPAxis* value = m_graph->axis(2);
        const double y = value ? value->range().center() : 0.0;
        m_graph->setCursorVisible(1, true);
        m_graph->setCursorPosition(1, x.center(), y);
    }
}

void GraphWindow::applyBoxes()
{
    if (m_setupFlag)
        return;
    for (int i = 1; i <= 2; ++i)
        m_graph->setAxisRange(i, m_min[i - 1]->value(), m_max[i - 1]->value());
}

void GraphWindow::onBoxChanged()
{
    if (!m_quiet)
        applyBoxes();
}

void GraphWindow::setBoxesQuietly(int index, double min, double max)
{
    const bool quiet = m_quiet;
    m_quiet = true;
    m_min[index - 1]->setValue(min);
    m_max[index - 1]->setValue(max);
    m_quiet = quiet;
}

void GraphWindow::setBoxes(int index, double min, double max)
{
    if (index != 1 && index != 2)
        return;
    setBoxesQuietly(index, min, max);
    applyBoxes();
}

void GraphWindow::setSetupFlag(bool raised)
{
    const bool lowered = m_setupFlag && !raised;
    m_setupFlag = raised;
    if (!lowered)
        return;
    for (int i = 1; i <= 2; ++i) {
        if (m_graph->axis(i))
            setBoxesQuietly(i, m_graph->axisMinimum(i), m_graph->axisMaximum(i));
    }
}

void GraphWindow::showColumn(const PlotRequest& request, std::span<const float> values,
                             RowTimes times)
{
    m_request = request;
    for (AxisEdit* box : {m_min[1], m_max[1]}) {
        box->setFormat(request.ValueFormat);
        box->setSingleStep(leadingNumber(request.ValueStep));
    }
    m_xReading->setEnabled(!times.isEmpty() || m_overlay);
    m_graph->setPlotTimes(1, std::move(times));
    m_graph->setPlotData(1, values);
    if (m_overlay)
        m_overlay->columnShown();
    showXReading();
    const double first = m_graph->xOfRecord(1);
    const double last = m_graph->xOfRecord(double(values.size()));
    setBoxesQuietly(1, first, last);
    setBoxesQuietly(2, request.ValueMin, request.ValueMax);
    m_graph->setAxisRange(2, request.ValueMin, request.ValueMax);
    m_graph->setAxisRange(1, first, last);
    m_graph->setAxisCaption(2, request.Title);
    if (m_unit)
        m_unit->setText(request.Title);
    if (FitOnOpen::choice().isOn())
        fit();
    // A cursor left from the previous column would read out that column's position.
    const TrackMode* mode = trackModeAt(m_kind == Kind::Stored, m_modes->currentIndex());
    if (mode && mode->code == CursorTrackMode)
        applyTrackMode(m_modes->currentIndex());
}

void GraphWindow::reset()
{
    if (m_kind == Kind::Detail) {
        emit resetRequested();
        close();
        return;
    }
    const double first = m_graph->xOfRecord(1);
    const double last = m_graph->xOfRecord(m_request.RecordAxisMax);
    setBoxesQuietly(1, first, last);
    setBoxesQuietly(2, m_request.ValueMin, m_request.ValueMax);
    m_graph->setAxisRange(2, m_request.ValueMin, m_request.ValueMax);
    m_graph->setAxisRange(1, first, last);
}

void GraphWindow::onCursorChanged(int index, double x, double y)
{
    if (index == 1)
        showReadOut(x, y);
}

void GraphWindow::onClicked(double x, double y)
{
    // Normal mode shows no cursor: a click reads out the point under it instead.
    if (m_graph->trackMode() != 1)
        return;
    const QPointF p = m_graph->nearestPoint(x, y);
    showReadOut(p.x(), p.y());
}

void GraphWindow::showReadOut(double x, double y)
{
    // As the record axis reads; record numbers with three decimals at most, so a panned
    // cursor still fits its box.
    m_xPosition->setText(m_graph->recordText(x));
    m_yPosition->setText(formatNumber(y, m_yFormat));
}

void GraphWindow::fit()
{
    m_graph->fit();
    // The boxes show what the graph shows, so that the next box change starts from there.
    for (int i = 1; i <= 2; ++i) {
        if (m_graph->axis(i))
            setBoxesQuietly(i, m_graph->axisMinimum(i), m_graph->axisMaximum(i));
    }
}

void GraphWindow::setXReading(XReading reading)
{
    if (m_overlay)
        m_overlay->prepareReading(reading);
    m_graph->setXReading(reading);
    if (m_overlay)
        m_overlay->readingChanged();
    showXReading();
    setBoxesQuietly(1, m_graph->axisMinimum(1), m_graph->axisMaximum(1));
    if (m_graph->cursorVisible(1)) {
        const QPointF cursor = m_graph->cursorPosition(1);
        showReadOut(cursor.x(), cursor.y());
    }
}

void GraphWindow::showXReading()
{
    const XReading shown = m_graph->shownReading();
    m_xReading->setCurrentIndex(int(shown));
    static const std::array<QString, 4> formats{QStringLiteral("0"), AxisEdit::ClockFormat,
                                                AxisEdit::ElapsedFormat, QStringLiteral("0.###")};
    for (AxisEdit* box : {m_min[0], m_max[0]})
        box->setFormat(formats[std::size_t(shown)]);
}

QStringList GraphWindow::recordingFilters()
{
    return {QStringLiteral("Recordings (*.txt *.csv)"), QStringLiteral("All Files (*)")};
}

void GraphWindow::setColumnSource(std::function<ReadingSeries()> source, const ColumnUnit& unit)
{
    if (m_overlay)
        m_overlay->setColumn(std::move(source), unit);
}

void GraphWindow::setSource(const QString& source)
{
    m_source = source;
    if (m_overlay)
        m_overlay->setColumnName(QFileInfo(source).fileName());
}

bool GraphWindow::addFile(const QString& path)
{
    return m_overlay && m_overlay->addFile(path);
}

void GraphWindow::setSpanMarking(bool on)
{
    if (!m_overlay)
        return;
    if (m_span->isChecked() != on)
        m_span->setChecked(on); // comes back here
    if (on)
        applyTrackMode(0); // "Normal": a drag marks the span, it pans or zooms nothing
    m_overlay->setMarking(on);
    showPanel();
}

void GraphWindow::showPanel()
{
    const bool wanted = m_overlay->traceCount() > 1 || m_span->isChecked() || m_panel->hasFigures();
    if (wanted == m_panel->isVisibleTo(this))
        return;
    m_panel->setVisible(wanted);
    // The window widens by the panel, so the graph keeps its size, as far as the screen lets it.
    const int change = m_panel->width() + m_scale.px(GraphWindowLayout::Margin);
    setMinimumSize(minimumLayoutSize());
    if (!isMaximized() && !isFullScreen()) {
        const QRect room = screen()->availableGeometry();
        const int frame = frameGeometry().width() - width();
        const int w = qBound(minimumWidth(), width() + (wanted ? change : -change),
                             qMax(minimumWidth(), room.width() - frame));
        resize(w, qMax(height(), minimumHeight()));
        if (frameGeometry().right() > room.right())
            move(qMax(room.left(), room.right() - frameGeometry().width()), y());
    }
    layOut();
}

void GraphWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (m_overlay && event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void GraphWindow::dropEvent(QDropEvent* event)
{
    if (!m_overlay)
        return;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            addFile(url.toLocalFile());
    }
    event->acceptProposedAction();
}
