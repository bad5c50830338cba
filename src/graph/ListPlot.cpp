#include "ListPlot.h"

#include "ListImages.h"
#include "PlotRequest.h"
#include "Prompts.h"
#include "TextGrid.h"
#include "ValueText.h"
#include "WindowPlacement.h"
#include "WindowToolbar.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QScreen>
#include <QToolBar>

#include <cmath>

const std::array<QColor, 3> ListPlot::SeriesColours{QColor(0, 0, 255), QColor(0, 0, 0),
                                                    QColor(255, 0, 0)};

namespace {

constexpr int kLeftOffset = ListPlot::LeftOffset;
// Room below the baseline for the time labels, and above the plot for toolbar and legend.
constexpr int kBelowBaseline = 27;
constexpr int kHeightLess = 100;
constexpr int kWidthStep = 30;

// A text placed by its top-left corner, as the window prints it.
void printAt(QPainter& p, double x, double y, const QString& text)
{
    p.drawText(QPointF(x, y + p.fontMetrics().ascent()), text);
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
                   QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window), m_request(request), m_grid(&grid), m_series(series),
      m_prompts(prompts),
      m_scale(TwipsScale::forScreen(mainWindow ? mainWindow->screen() : nullptr))
{
    setObjectName(QStringLiteral("ListPlot"));
    setWindowTitle(caption());
    setAttribute(Qt::WA_OpaquePaintEvent);

    // The toolbar lies over the top of the drawing surface, which leaves room for it.
    m_toolbar = windowToolbar(
        this,
        {{listImage(ListImage::Limit), QStringLiteral("Limit"), QStringLiteral("Plot Range")},
         {listImage(ListImage::Print), QStringLiteral("Print")}},
        [this](const QString& key) { runToolbarCommand(key); }, 20);
    m_toolbar->setAutoFillBackground(true);
    m_toolbar->adjustSize();

    m_redrawDue.setSingleShot(true);
    m_redrawDue.setInterval(0);
    connect(&m_redrawDue, &QTimer::timeout, this, &ListPlot::redraw);

    resize(m_scale.px(9600), m_scale.px(7200));
    // Below its size limit the plot stays empty, but the toolbar is still whole.
    setMinimumSize(m_toolbar->sizeHint().width(), 3 * m_toolbar->sizeHint().height());
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
}

void ListPlot::enterHandler()
{
    ++m_handlers;
}

void ListPlot::leaveHandler()
{
    if (--m_handlers == 0 && m_closed)
        deleteLater();
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
    enterHandler();
    m_drawing = true;
    do {
        m_restart = false;
    } while (!drawOnce() && m_restart && !m_closed);
    m_drawing = false;
    if (!m_closed)
        setWindowTitle(caption());
    leaveHandler();
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

    // Value labels, each placed by the size of the one before it ("100" for the first).
    const QFontMetricsF metrics(font(), &m_surface);
    QString previous = QStringLiteral("100");
    for (int i = 0; i <= 8; ++i) {
        const QString label = formatNumber(valueMin + valueSpan * i / 8.0, u"0.0");
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

    // The records.
    if (axisMax < 1 || from > to) {
        p.end();
        update();
        emit drawn();
        return true;
    }
    const double step = double(w) / axisMax;
    double x = -step;
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
            if (m_closed || m_restart || !m_grid)
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
        x += step;

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
            if (previousX != 0 && x != 0) {
                pen(SeriesColours[s], 1);
                p.drawLine(QLineF(previousX, previousY[s], x0 + x, y0 - y));
            }
            previousY[s] = y0 - y;
        }
        previousX = x0 + x;

        // Record marks: time labels at the first, each fifth and the last record of the axis,
        // short marks at the tenths between.
        const int n = r - from + 1;
        const bool labelled = n == 1 || n == axisMax / 5 || n == 2 * axisMax / 5 ||
                              n == 3 * axisMax / 5 || n == 4 * axisMax / 5 || n == axisMax;
        if (labelled) {
            pen(Qt::black, 1, Qt::DotLine);
            p.drawLine(QLineF(x0 + x, y0 + 10, x0 + x, y0 - h));
            const QString time = m_grid->cell(r, 1);
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
    if (m_closed)
        return;
    enterHandler();
    QPrinter printer(QPrinter::HighResolution);
    if (m_prompts.choosePrinter(this, printer) && !m_closed) {
        QImage image;
        {
            const HiddenToolbar hidden(m_toolbar);
            image = grab().toImage();
        }
        QPainter painter;
        bool printed = false;
        if (painter.begin(&printer)) {
            const QRect page = painter.viewport();
            QSize target = image.size();
            target.scale(page.size(), Qt::KeepAspectRatio);
            painter.drawImage(QRect(page.topLeft(), target), image);
            printed = painter.end() && printer.printerState() != QPrinter::Error;
        }
        if (!printed) {
            const QString where =
                printer.outputFileName().isEmpty()
                    ? QStringLiteral("The printer \"%1\" did not accept the page.")
                          .arg(printer.printerName())
                    : QStringLiteral("The file \"%1\" could not be written.")
                          .arg(QFileInfo(printer.outputFileName()).absoluteFilePath());
            m_prompts.message(QStringLiteral("The plot could not be printed."),
                              Prompts::Icon::Exclamation, windowTitle(), where);
        }
    }
    leaveHandler();
}

void ListPlot::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (m_closed)
        return;
    m_closed = true;
    m_redrawDue.stop();
    if (m_handlers == 0)
        deleteLater();
}
