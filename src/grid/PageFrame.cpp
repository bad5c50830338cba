#include "PageFrame.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QTextLayout>

#include <cmath>

namespace {

constexpr qreal kHeaderPoints = 9.0;
// The header and the foot each take this many lines of their font, the gap included.
constexpr qreal kFrameLines = 1.8;

// `text` shaped once, on one line, to be drawn on every page at `x`.
QList<QGlyphRun> shaped(const QString& text, const QFont& font, QPaintDevice* device, qreal x)
{
    QTextLayout layout(text, font, device);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setPosition(QPointF(x, 0));
    layout.endLayout();
    return layout.glyphRuns();
}

} // namespace

QString PrintHeading::title() const
{
    const QString named = caption.trimmed();
    return source.isEmpty() ? named : named + QStringLiteral(" — ") + source;
}

PageFrame::PageFrame(QPrinter& printer, PrintHeading heading) : m_heading(std::move(heading))
{
    // Narrower margins put the text where many printers cannot reach, and read as cramped.
    // In whole points, rounded up: the printer rounds the margins to points.
    const qreal least = MinimumMarginMm * 72.0 / 25.4;
    const auto atLeast = [least](qreal m) { return m < least ? std::ceil(least) : m; };
    const QMarginsF chosen = printer.pageLayout().margins(QPageLayout::Point);
    const QMarginsF widened(atLeast(chosen.left()), atLeast(chosen.top()), atLeast(chosen.right()),
                            atLeast(chosen.bottom()));
    if (widened != chosen)
        printer.setPageMargins(widened, QPageLayout::Point);

    m_font.setStyleHint(QFont::SansSerif);
    m_font.setPointSizeF(kHeaderPoints);
    const QFontMetricsF metrics(m_font, &printer);
    m_line = metrics.lineSpacing();
    m_page = QRectF(QPointF(0, 0), printer.pageRect(QPrinter::DevicePixel).size());
    const qreal frame = kFrameLines * m_line;
    m_body = m_page.adjusted(0, frame, 0, -frame);

    // The same on every page: laid out here, as a long list has hundreds of pages.
    const QString printed = QStringLiteral("Printed ") +
                            m_heading.printed.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    const qreal printedWidth = metrics.horizontalAdvance(printed);
    const QString title = metrics.elidedText(m_heading.title(), Qt::ElideMiddle,
                                             qMax(0.0, m_page.width() - printedWidth - 2 * m_line));
    m_header = shaped(title, m_font, &printer, 0) +
               shaped(printed, m_font, &printer, m_page.width() - printedWidth);
}

void PageFrame::draw(QPainter& painter, int page, int pages) const
{
    painter.save();
    painter.setFont(m_font);
    painter.setPen(Qt::black);
    for (const QGlyphRun& run : m_header)
        painter.drawGlyphRun(QPointF(0, 0), run);
    const QFontMetricsF metrics(m_font, painter.device());
    const qreal rule = m_line * 1.25;
    painter.setPen(QPen(Qt::black, m_line / 16));
    painter.drawLine(QPointF(0, rule), QPointF(m_page.width(), rule));

    const QString count = QStringLiteral("page %1 of %2").arg(page).arg(pages);
    painter.drawText(QPointF((m_page.width() - metrics.horizontalAdvance(count)) / 2,
                             m_page.height() - metrics.descent()),
                     count);
    painter.restore();
}

QString finishPrintout(QPainter& painter, const QPrinter& printer)
{
    if (!painter.end())
        return QStringLiteral("The document cannot be finished.");
    if (printer.printerState() == QPrinter::Error)
        return QStringLiteral("The printer reported an error.");
    return {};
}
