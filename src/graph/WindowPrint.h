#pragma once

#include <QImage>
#include <QString>

#include <functional>
#include <optional>

class Clock;
class GraphView;
class Prompts;
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

/// Print of a graph window: asks for a printer, then prints the picture `take` makes on one
/// page headed `caption` and `source`, dated by `clock`; a printer that does not take the page
/// is told as `failure` ("The graph could not be printed.") with the printer's reason. `take`
/// makes none when the window went while the dialog was open.
void printWindowPage(QWidget& window, Prompts& prompts, const Clock& clock, const QString& caption,
                     const QString& source, const QString& failure,
                     const std::function<std::optional<QImage>()>& take);

/// "Save image" of a graph window: `graph` as it shows now, under the window's title with
/// `source` and the labels `legend` shows, at the graph's size or the size typed.
void saveGraphImage(QWidget& window, GraphView& graph, const QWidget* legend, Prompts& prompts,
                    const Clock& clock, const QString& source);
