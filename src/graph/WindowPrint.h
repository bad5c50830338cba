#pragma once

#include <QImage>
#include <QString>

class GraphView;
struct PrintHeading;
class QPrinter;
class QWidget;

/// An image of `window`'s client area as it looks now, with `graph` redrawn first at three
/// times the screen's density, so the printed page is sharp.
[[nodiscard]] QImage windowImage(QWidget& window, GraphView& graph);

/// Prints `image` on one page of `printer` under the page's header: across the printable
/// width, or less where its height would not fit, keeping its aspect ratio. False when the
/// printer did not take it.
[[nodiscard]] bool printOnePage(QPrinter& printer, const PrintHeading& heading,
                                const QImage& image);

/// What went wrong when `printer` did not take a page, for the message that says so.
[[nodiscard]] QString printFailureDetails(const QPrinter& printer);
