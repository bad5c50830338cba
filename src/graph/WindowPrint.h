#pragma once

#include <QImage>
#include <QString>

class GraphView;
class QPrinter;
class QWidget;

/// An image of `window`'s client area as it looks now, with `graph` redrawn first at three
/// times the screen's density, so the printed page is sharp.
[[nodiscard]] QImage windowImage(QWidget& window, GraphView& graph);

/// Prints `image` on one page of `printer`, as large as the page allows; false when the
/// printer did not take it.
[[nodiscard]] bool printOnePage(QPrinter& printer, const QImage& image);

/// What went wrong when `printer` did not take a page, for the message that says so.
[[nodiscard]] QString printFailureDetails(const QPrinter& printer);
