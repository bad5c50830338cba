#pragma once

#include <QDateTime>
#include <QFont>
#include <QGlyphRun>
#include <QList>
#include <QRectF>
#include <QString>

class QPainter;
class QPrinter;

/// What a printout names at the top of each page: the window's caption, the file or set it
/// shows (empty when none) and when it was printed.
struct PrintHeading
{
    QString caption;
    QString source;
    QDateTime printed;

    /// The caption, then what is shown: "caption — source".
    [[nodiscard]] QString title() const;
};

/// The frame that every printout draws on each of its pages: a header line (the heading's
/// title on the left, the date and time printed on the right) over a thin rule, and "page n
/// of m" at the foot, inside margins of at least MinimumMarginMm. What is printed goes into
/// body(), between the two.
class PageFrame
{
public:
    static constexpr qreal MinimumMarginMm = 10.0;

    /// Widens `printer`'s margins to MinimumMarginMm where they are narrower, so it must come
    /// before a painter begins on the printer.
    PageFrame(QPrinter& printer, PrintHeading heading);

    /// Where a page's lines or picture go, in the coordinates of a painter on the printer.
    [[nodiscard]] QRectF body() const { return m_body; }
    /// Draws the header and the foot of page `page` of `pages`; the painter is left as it was.
    void draw(QPainter& painter, int page, int pages) const;

private:
    PrintHeading m_heading;
    QFont m_font;
    QRectF m_page;
    QRectF m_body;
    QList<QGlyphRun> m_header; // title and time printed
    qreal m_line = 0;
};

/// Ends a printout painted with `painter` on `printer`: empty when the document was finished
/// and the printer took it, else why not. A printout is never reported done on a failure.
[[nodiscard]] QString finishPrintout(QPainter& painter, const QPrinter& printer);
