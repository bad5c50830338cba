#include "ListPlot.h"

#include "AxisText.h"
#include "Clock.h"
#include "FileTransfer.h"
#include "FitOnOpen.h"
#include "FitSpan.h"
#include "GraphControls.h"
#include "GraphPicture.h"
#include "ListImages.h"
#include "PageFrame.h"
#include "PlotRequest.h"
#include "Prompts.h"
#include "TextGrid.h"
#include "ValueText.h"
#include "WindowPlacement.h"
#include "WindowPrint.h"
#include "WindowToolbar.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QScreen>
#include <QToolBar>
#include <qcustomplot.h>

#include <cmath>

const std::array<QColor, 3> ListPlot::SeriesColours{QColor(0, 0, 255), QColor(0, 0, 0),
                                                    QColor(255, 0, 0)};

namespace {

constexpr int kLeftOffset = ListPlot::LeftOffset;
// Room below the baseline for the time labels, and above the plot for toolbar and legend.
constexpr int kBelowBaseline = 27;
constexpr int kHeightLess = 100;
constexpr int kWidthStep = 30;
// The smallest window that still shows a readable plot, in twips.
constexpr int kSmallestWidth = 6000;
constexpr int kSmallestPlotHeight = 3600;

// A text placed by its top-left corner, as the window prints it.
void printAt(QPainter& p, double x, double y, const QString& text)
{
    p.drawText(QPointF(x, y + p.fontMetrics().ascent()), text);
}

// The times of the grid's rows (column 1), record 1 first.
RowTimes rowTimes(const TextGrid& grid)
{
    QStringList times;
    times.reserve(grid.rows());
    for (int r = 1; r < grid.rows(); ++r)
        times.append(grid.cell(r, 1));
    return RowTimes::fromTexts(times);
}

// The toolbar is hidden for as long as this lives.
class HiddenToolbar
{
public:
    explicit HiddenToolbar(QToolBar* toolbar) : m_toolbar(toolbar) { m_toolbar->hide(); }
    ~HiddenToolbar() { m_toolbar->show(); }
    HiddenToolbar(const HiddenToolbar&) = delete;
    HiddenToolbar& operator=(const HiddenToolbar&) = delete;

private:
    QToolBar* m_toolbar;
};

} // namespace

ListPlot::ListPlot(const PlotRequest& request, const TextGrid& grid,
                   const std::array<ListPlotSeries, 3>& series, Prompts& prompts,
                   const Clock& clock, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window), m_request(request), m_grid(&grid), m_series(series),
      m_prompts(prompts), m_clock(clock),
      m_scale(TwipsScale::forScreen(mainWindow ? mainWindow->screen() : nullptr))
{
    setObjectName(QStringLiteral("ListPlot"));
    setWindowTitle(caption());
    setAttribute(Qt::WA_OpaquePaintEvent);

    // The toolbar lies over the top of the drawing surface, which leaves room for it.
    m_toolbar = windowToolbar(
        this,
        {{listImage(ListImage::Limit), QStringLiteral("Limit"), QStringLiteral("Plot Range")},
         {listImage(ListImage::Print), QStringLiteral("Print")},
         {listImage(ListImage::Picture), SaveImageKey, SaveImageTip}},
        [this](const QString& key) { runToolbarCommand(key); }, 20);
    m_toolbar->setAutoFillBackground(true);
    // After the window's own buttons, which keep their places.
    m_toolbar->addSeparator();
    QAction* fitAction = m_toolbar->addAction(fitImage(), FitKey);
    fitAction->setProperty("Key", FitKey);
    fitAction->setToolTip(fitToolTip());
    m_toolbar->addSeparator();
    m_toolbar->addWidget(xReadingBox(m_toolbar, m_reading, [this](XReading r) { setXReading(r); }));
    m_toolbar->addSeparator();
    m_toolbar->addWidget(FitOnOpen::box(m_toolbar));
    m_toolbar->adjustSize();
    addFitKey(this, [this] { fit(); });

    m_redrawDue.setSingleShot(true);
    m_redrawDue.setInterval(0);
    connect(&m_redrawDue, &QTimer::timeout, this, &ListPlot::redraw);

    resize(m_scale.px(9600), m_scale.px(7200));
    // Small enough to share a screen, large enough that the drawing is still a plot: a
    // window placed into a strip just taller than its toolbar showed nothing at all.
    setMinimumSize(std::max(m_toolbar->sizeHint().width(), m_scale.px(kSmallestWidth)),
                   m_toolbar->sizeHint().height() + m_scale.px(kSmallestPlotHeight));
    if (mainWindow) {
        const QRect main = mainWindow->frameGeometry();
        move(main.x() + main.width(), 0);
    }
    WindowPlacement::manage(this);
}

ListPlot::~ListPlot() = default;

int ListPlot::plotWidth() const
{
    return std::max(0, (width() - kLeftOffset) / kWidthStep * kWidthStep);
}

void ListPlot::runToolbarCommand(const QString& key)
{
    if (key == QLatin1String("Limit"))
        emit limitClicked();
    else if (key == QLatin1String("Print"))
        print();
    else if (key == FitKey)
        fit();
    else if (key == SaveImageKey)
        saveImage();
}

void ListPlot::fit()
{
    if (m_handlers.closed() || !m_grid)
        return;
    const int last = std::min(m_grid->rows() - 1, int(m_request.RecordCount));
    if (last < 1)
        return;
    // The values as the drawing reads them; overloads are drawn at the edges and left out.
    FitSpan span;
    for (int r = 1; r <= last; ++r) {
        for (const ListPlotSeries& s : m_series) {
            if (!s.on)
                continue;
            const QStringView text = m_grid->cellView(r, s.column);
            if (!isOverload(text))
                span.add(leadingNumber(text));
        }
    }
    PlotRequest& q = m_request;
    if (!span.isEmpty()) {
        // Eighths of round steps: the value labels read round numbers.
        auto [low, high] = span.roundedSteps(8);
        // The margin stays inside the full scale, so that the range dialog takes the range.
        low = std::max(low, std::min(double(q.FullScaleMin), span.low()));
        high = std::min(high, std::max(double(q.FullScaleMax), span.high()));
        if (high > low) {
            q.ValueMin = float(low);
            q.ValueMax = float(high);
        }
    }
    q.RecordFrom = 1;
    q.RecordTo = float(last);
    q.RecordAxisMax = float(last);
    emit requestChanged();
    // Before the window first shows, its first drawing is still to come.
    if (isVisible())
        redraw();
}

void ListPlot::setXReading(XReading reading)
{
    m_reading = reading;
    if (auto* box = m_toolbar->findChild<QComboBox*>(QStringLiteral("XReading")))
        box->setCurrentIndex(int(reading));
    redraw();
}

void ListPlot::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QRect plotArea(kLeftOffset, baseline() - plotHeight(), plotWidth(), plotHeight());
    if (event->button() == Qt::LeftButton && plotArea.contains(event->position().toPoint()))
        fit();
    else
        QWidget::mouseDoubleClickEvent(event);
}

QString ListPlot::valueAxisTitle() const
{
    const ListPlotSeries& first = m_series[0];
    if (!m_grid || m_grid->rows() < 2)
        return {};
    const bool milli = m_grid->cellView(1, first.column).contains(QLatin1String("(m)"));
    if (m_request.Title == QLatin1String("Cap"))
        return milli ? QStringLiteral("Charge (mAh)") : QStringLiteral("Charge (Ah)");
    return columnAxisTitle(first.column, m_grid->cellView(0, first.column), milli);
}

void ListPlot::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_toolbar->setGeometry(0, 0, width(), m_toolbar->sizeHint().height());
    // A resize during a drawing starts it again once events have run, never inside it.
    if (m_drawing)
        m_restart = true;
    else
        m_redrawDue.start();
}

void ListPlot::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    if (m_surface.size() == size()) {
        p.drawImage(event->rect(), m_surface, event->rect());
    } else {
        p.fillRect(event->rect(), Qt::white);
        p.drawImage(0, 0, m_surface);
    }
}

void ListPlot::redraw()
{
    if (m_drawing) {
        m_restart = true;
        return;
    }
    m_handlers.enter();
    m_drawing = true;
    do {
        m_restart = false;
    } while (!drawOnce() && m_restart && !m_handlers.closed());
    m_drawing = false;
    if (!m_handlers.closed())
        setWindowTitle(caption());
    m_handlers.leave();
}

bool ListPlot::drawOnce()
{
    m_surface = QImage(size(), QImage::Format_RGB32);
    m_surface.fill(Qt::white);
    update();
    const QSize outer = frameGeometry().size();
    if (outer.width() < m_scale.px(MinWidthTwips) || outer.height() < m_scale.px(MinHeightTwips) ||
        !m_grid) {
        emit drawn();
        return true;
    }

    const PlotRequest& q = m_request;
    const int x0 = kLeftOffset;
    const int y0 = baseline();
    const int h = plotHeight();
    const int w = plotWidth();
    const double valueMin = q.ValueMin;
    // The opener keeps the range open; a closed one would divide by zero.
    const double valueSpan = q.ValueMax > q.ValueMin ? double(q.ValueMax) - q.ValueMin : 1.0;
    const int from = int(q.RecordFrom);
    const int to = int(q.RecordTo);
    const int axisMax = int(q.RecordAxisMax);

    QPainter p(&m_surface);
    const auto pen = [&p](const QColor& colour, int width, Qt::PenStyle style = Qt::SolidLine) {
        p.setPen(QPen(colour, width, style, Qt::FlatCap));
    };
    p.setFont(font());

    // Frame.
    pen(Qt::black, 2);
    p.drawLine(QLineF(x0 - 2, y0 + 2, x0 - 2, y0 - h - 2));
    p.drawLine(QLineF(x0 - 2, y0 + 2, x0 + w + 2, y0 + 2));

    // Value ticks: every sixteenth, the eighths longer.
    pen(Qt::black, 1);
    for (int i = 0; i <= 16; ++i) {
        const double y = y0 - h * i / 16.0;
        p.drawLine(QLineF(x0 - 2, y, x0 - 7, y));
        if (i % 2 == 0)
            p.drawLine(QLineF(x0 - 2, y, x0 - 10, y));
    }

    // Value labels, each placed by the size of the one before it ("100" for the first), with
    // one decimal or as many more as tell them apart.
    const QFontMetricsF metrics(font(), &m_surface);
    QString previous = QStringLiteral("100");
    std::array<double, 9> values{};
    for (int i = 0; i <= 8; ++i)
        values[std::size_t(i)] = valueMin + valueSpan * i / 8.0;
    const QStringList labels = tickLabels(values, 1);
    for (int i = 0; i <= 8; ++i) {
        const QString& label = labels[i];
        const double lw = metrics.horizontalAdvance(previous);
        const double lh = metrics.height();
        printAt(p, x0 - 40 - lw / 4, y0 - h * i / 8.0 - lh / 2, label);
        previous = label;
    }

    // Legend.
    if (q.Title == QLatin1String("Cap")) {
        p.setPen(SeriesColours[0]);
        printAt(p, x0 - 60, y0 - h - 40, QStringLiteral("In-Cap"));
        p.setPen(SeriesColours[1]);
        printAt(p, x0 - 30, y0 - h - 20, QStringLiteral("Out-Cap"));
        p.setPen(SeriesColours[2]);
        printAt(p, x0, y0 - h - 40, QStringLiteral("T-Cap"));
    } else {
        p.setPen(SeriesColours[0]);
        printAt(p, x0 - 30, y0 - h - 20, q.Title);
    }
    p.setPen(Qt::black);

    // Axis titles in the band above the plot: the values' after the legend, the records' at
    // the right end.
    static const std::array<QString, 3> recordTitles{QStringLiteral("Record number"),
                                                     QStringLiteral("Time of day (hh:mm:ss)"),
                                                     QStringLiteral("Elapsed time (h:mm:ss)")};
    const QString& recordTitle = recordTitles[std::size_t(m_reading)];
    printAt(p, x0 + 60, y0 - h - 20, valueAxisTitle());
    printAt(p, x0 + w - metrics.horizontalAdvance(recordTitle), y0 - h - 20, recordTitle);

    // The records.
    if (axisMax < 1 || from > to) {
        p.end();
        update();
        emit drawn();
        return true;
    }
    const double step = double(w) / axisMax;
    // Under a time reading the records stand at their times, the first and the last where the
    // record number puts them (a steady set stays where it was); ticks at round times replace
    // the marks at the fifths of the records.
    const RowTimes times = m_reading == XReading::Record ? RowTimes() : rowTimes(*m_grid);
    const double firstTime = times.x(m_reading, from);
    const double lastTime = times.x(m_reading, to);
    const bool timed = !times.isEmpty() && lastTime > firstTime;
    const double timeScale = timed ? (to - from) * step / (lastTime - firstTime) : 0;
    const auto placeOf = [&](int r) {
        return timed ? (times.x(m_reading, r) - firstTime) * timeScale : (r - from) * step;
    };
    if (timed) {
        const double tick = timeTickStep(lastTime - firstTime, 5);
        const double half = tick / 2;
        for (double t = std::ceil(firstTime / half) * half; t <= lastTime + half * 1e-9;
             t += half) {
            const double at = x0 + (t - firstTime) * timeScale;
            if (std::abs(std::remainder(t, tick)) < half / 2) {
                pen(Qt::black, 1, Qt::DotLine);
                p.drawLine(QLineF(at, y0 + 10, at, y0 - h));
                const QString label = RowTimes::xText(m_reading, t);
                p.setPen(Qt::black);
                printAt(p, at - metrics.horizontalAdvance(label) / 2, y0 + 10, label);
            } else {
                pen(Qt::black, 1);
                p.drawLine(QLineF(at, y0 - h * 4.2 / 8, at, y0 - h * 3.8 / 8));
            }
        }
    }
    double x = 0;
    double previousX = 0;
    std::array<double, 3> previousY{};
    const auto gridLine = [&](double y, Qt::PenStyle style) {
        pen(Qt::black, 1, style);
        p.drawLine(QLineF(x0 - 2, y, x0 + w + 2, y));
    };
    QElapsedTimer sinceProgress;
    for (int r = from; r <= to; ++r) {
        if (r == from || sinceProgress.elapsed() >= ProgressIntervalMs) {
            // Events run without the painter on the surface, which a paint may read.
            p.end();
            update();
            setWindowTitle(QString::number(r) + QLatin1String(" Records Completed"));
            emit recordReached(r);
            QCoreApplication::processEvents();
            if (m_handlers.closed() || m_restart || !m_grid)
                return false;
            p.begin(&m_surface);
            p.setFont(font());
            sinceProgress.start();
        }
        if (r < 1 || r >= m_grid->rows()) {
            // A record beyond the list ends the drawing, and the window goes.
            p.end();
            hide();
            emit drawn();
            return true;
        }
        x = placeOf(r);

        // The grid lines lie over the traces drawn so far. Drawn once, before the last
        // record, they leave the same picture as when drawn before every record.
        if (r == to) {
            gridLine(y0 - h / 2.0, Qt::SolidLine);
            for (const int eighth : {1, 2, 3, 5, 6, 7, 8})
                gridLine(y0 - h * eighth / 8.0, Qt::DotLine);
        }

        for (int s = 0; s < 3; ++s) {
            if (!m_series[s].on)
                continue;
            const QStringView text = m_grid->cellView(r, m_series[s].column);
            const double v = leadingNumber(text);
            double y;
            if (isNegativeOverload(text))
                y = -3;
            else if (isOverload(text))
                y = h + 5;
            else if (v < valueMin)
                y = -3;
            else if (v > q.ValueMax)
                y = h + 5;
            else
                y = h * (v - valueMin) / valueSpan;
            if (previousX != 0 && r != from) {
                pen(SeriesColours[s], 1);
                p.drawLine(QLineF(previousX, previousY[s], x0 + x, y0 - y));
            }
            previousY[s] = y0 - y;
        }
        previousX = x0 + x;

        if (timed)
            continue;
        // Record marks: time labels at the first, each fifth and the last record of the axis,
        // short marks at the tenths between.
        const int n = r - from + 1;
        const bool labelled = n == 1 || n == axisMax / 5 || n == 2 * axisMax / 5 ||
                              n == 3 * axisMax / 5 || n == 4 * axisMax / 5 || n == axisMax;
        if (labelled) {
            pen(Qt::black, 1, Qt::DotLine);
            p.drawLine(QLineF(x0 + x, y0 + 10, x0 + x, y0 - h));
            const QString time = m_reading == XReading::Clock    ? m_grid->cell(r, 1)
                                 : m_reading == XReading::Record ? QString::number(r)
                                                                 : times.text(XReading::Elapsed, r);
            double left = x0 + x - metrics.horizontalAdvance(time) / 2;
            if (r == from || r == to)
                left -= 10;
            p.setPen(Qt::black);
            printAt(p, left, y0 + 10, time);
        } else {
            for (int k = 1; k <= 10; ++k) {
                if (n == axisMax * k / 10) {
                    pen(Qt::black, 1);
                    p.drawLine(QLineF(x0 + x, y0 - h * 4.2 / 8, x0 + x, y0 - h * 3.8 / 8));
                    break;
                }
            }
        }
    }
    p.end();
    update();
    emit recordReached(to);
    setWindowTitle(caption());
    emit drawn();
    return true;
}

void ListPlot::print()
{
    if (m_handlers.closed())
        return;
    m_handlers.enter();
    printWindowPage(*this, m_prompts, m_clock, caption(), m_source,
                    QStringLiteral("The plot could not be printed."),
                    [this]() -> std::optional<QImage> {
                        if (m_handlers.closed())
                            return std::nullopt;
                        const HiddenToolbar hidden(m_toolbar);
                        return grab().toImage();
                    });
    m_handlers.leave();
}

void ListPlot::saveImage()
{
    if (m_handlers.closed())
        return;
    m_handlers.enter();
    const PictureHead head{PrintHeading{caption(), m_source, {}}.title(), {}};
    ::saveImage(*this, m_prompts, FileTransfer::datedFileName(m_clock.now(), QStringLiteral("png")),
                QSize(), [this, head](const QString& path, QSize) {
                    // The drawing is made for the window's size: the picture keeps it pixel for
                    // pixel.
                    const QImage drawing = m_surface;
                    const QSize size = drawing.size() + QSize(0, pictureHeadHeight(head));
                    return writePicture(path, size, head,
                                        [&drawing](QCPPainter& painter, const QRect& area) {
                                            painter.drawImage(area.topLeft(), drawing);
                                        });
                });
    m_handlers.leave();
}

void ListPlot::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (!m_handlers.close())
        return;
    m_redrawDue.stop();
}
