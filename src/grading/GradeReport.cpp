#include "GradeReport.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <functional>

namespace {

// Lays out the report from top to bottom; with a painter it draws, without it only counts
// the pages.
class Flow
{
public:
    Flow(QPrinter& printer, const PageFrame& frame, const QFont& font)
        : m_printer(printer), m_frame(frame), m_font(font), m_metrics(font, &printer),
          m_body(frame.body()), m_y(m_body.top())
    {
    }

    void begin(QPainter* painter, int pages)
    {
        m_painter = painter;
        m_pages = pages;
        m_page = 1;
        m_y = m_body.top();
        if (m_painter) {
            m_frame.draw(*m_painter, m_page, m_pages);
            m_painter->setFont(m_font);
        }
    }
    [[nodiscard]] int page() const { return m_page; }
    [[nodiscard]] bool failed() const { return m_failed; }
    [[nodiscard]] qreal line() const { return m_metrics.lineSpacing(); }
    [[nodiscard]] qreal width() const { return m_body.width(); }

    // Room for `height` more on this page, or a new page (which runs `onNewPage`).
    void need(qreal height, const std::function<void()>& onNewPage = {})
    {
        if (m_y + height <= m_body.bottom() || m_y == m_body.top())
            return;
        ++m_page;
        m_y = m_body.top();
        if (m_painter) {
            if (!m_printer.newPage())
                m_failed = true;
            m_frame.draw(*m_painter, m_page, m_pages);
            m_painter->setFont(m_font);
        }
        if (onNewPage)
            onNewPage();
    }

    void text(const QString& s, bool bold = false)
    {
        need(line());
        if (m_painter) {
            QFont f = m_font;
            f.setBold(bold);
            m_painter->setFont(f);
            m_painter->drawText(QPointF(m_body.left(), m_y + m_metrics.ascent()), s);
            m_painter->setFont(m_font);
        }
        m_y += line();
    }

    void row(const QStringList& cells, const QList<qreal>& columns, bool bold = false)
    {
        need(line());
        if (m_painter) {
            QFont f = m_font;
            f.setBold(bold);
            m_painter->setFont(f);
            for (int c = 0; c < cells.size() && c < columns.size(); ++c)
                m_painter->drawText(QPointF(m_body.left() + columns[c], m_y + m_metrics.ascent()),
                                    cells[c]);
            m_painter->setFont(m_font);
        }
        m_y += line();
    }

    void images(const QList<QImage>& images)
    {
        if (images.isEmpty())
            return;
        const qreal gap = line();
        const qreal each = (m_body.width() - gap * qreal(images.size() - 1)) / qreal(images.size());
        qreal height = 0;
        for (const QImage& i : images)
            height = std::max(height, i.isNull() ? 0 : each * i.height() / i.width());
        height = std::min(height, m_body.height() * 0.4);
        need(height);
        if (m_painter) {
            for (int k = 0; k < images.size(); ++k) {
                const QRectF target(m_body.left() + qreal(k) * (each + gap), m_y, each, height);
                const QImage& image = images[k];
                const QSizeF fitted =
                    QSizeF(image.size()).scaled(target.size(), Qt::KeepAspectRatio);
                m_painter->drawImage(QRectF(target.topLeft(), fitted), image);
            }
        }
        m_y += height + gap;
    }

    void space() { m_y += line() / 2; }

    // Column starts for `rows`: each as wide as its widest text and a gap, measured in bold,
    // as the titles are drawn.
    [[nodiscard]] QList<qreal> columns(const QList<QStringList>& rows) const
    {
        QFont bold = m_font;
        bold.setBold(true);
        const QFontMetricsF metrics(bold, &m_printer);
        QList<qreal> widths;
        for (const QStringList& r : rows) {
            for (int c = 0; c < r.size(); ++c) {
                if (widths.size() <= c)
                    widths.append(0);
                widths[c] = std::max(widths[c], metrics.horizontalAdvance(r[c]));
            }
        }
        QList<qreal> starts;
        qreal x = 0;
        for (const qreal w : widths) {
            starts.append(x);
            x += w + metrics.horizontalAdvance(QStringLiteral("  "));
        }
        return starts;
    }

private:
    QPrinter& m_printer;
    const PageFrame& m_frame;
    QFont m_font;
    QFontMetricsF m_metrics;
    QRectF m_body;
    qreal m_y;
    QPainter* m_painter = nullptr;
    int m_page = 1;
    int m_pages = 1;
    bool m_failed = false;
};

void lay(Flow& flow, const GradeReport& report)
{
    for (const QString& s : report.summary)
        flow.text(s);
    flow.space();
    if (!report.statistics.isEmpty()) {
        const QList<qreal> columns = flow.columns(report.statistics);
        for (int r = 0; r < report.statistics.size(); ++r)
            flow.row(report.statistics[r], columns, r == 0);
        flow.space();
    }
    flow.images(report.histograms);
    if (!report.cells.isEmpty()) {
        const QList<qreal> columns = flow.columns(report.cells);
        const QStringList& titles = report.cells.first();
        flow.row(titles, columns, true);
        for (int r = 1; r < report.cells.size(); ++r) {
            // A table that runs onto a new page starts it with its titles.
            flow.need(flow.line(), [&] { flow.row(titles, columns, true); });
            flow.row(report.cells[r], columns);
        }
        flow.space();
    }
    for (int k = 0; k < report.plan.size(); ++k)
        flow.text(report.plan[k], k == 0);
}

} // namespace

bool printGradeReport(QPrinter& printer, const GradeReport& report, QString& failure)
{
    const PageFrame frame(printer, report.heading);
    QFont font(QStringLiteral("Sans Serif"));
    font.setPointSizeF(8.5);
    Flow flow(printer, frame, font);
    flow.begin(nullptr, 1);
    lay(flow, report);
    const int pages = flow.page();

    QPainter painter;
    if (!painter.begin(&printer)) {
        failure = QStringLiteral("The output cannot be opened.");
        return false;
    }
    flow.begin(&painter, pages);
    lay(flow, report);
    failure = finishPrintout(painter, printer);
    if (flow.failed())
        failure = QStringLiteral("A new page cannot be started.");
    return failure.isEmpty();
}
