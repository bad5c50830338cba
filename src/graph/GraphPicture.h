#pragma once

#include <QColor>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class GraphView;
class Prompts;
class QCPPainter;
class QWidget;

/// One entry of a saved picture's legend: a text in its trace's colour, and the pixels before
/// the next entry (few inside "Capacity (in Out Total)").
struct LegendText
{
    QString text;
    QColor colour;
    int gapAfter = 6;
};

/// What a saved picture shows above its graph: a title line and, when it has entries, a legend
/// line.
struct PictureHead
{
    QString title;
    QList<LegendText> legend;
};

/// Draws the graph part of a picture into `area` of `painter`.
using PictureBody = std::function<void(QCPPainter& painter, const QRect& area)>;

/// The save dialog's filters for a picture, PNG first.
[[nodiscard]] QStringList pictureFilters();
/// A picture size typed as "width x height" in pixels, each from MinPictureSide to
/// MaxPictureSide; none for anything else.
[[nodiscard]] std::optional<QSize> pictureSize(QStringView text);
inline constexpr int MinPictureSide = 100;
inline constexpr int MaxPictureSide = 10000;
/// The height of a picture's title and legend lines, above its body.
[[nodiscard]] int pictureHeadHeight(const PictureHead& head);
/// The shown labels of a window's legend strip, in order, in their colours.
[[nodiscard]] QList<LegendText> legendTexts(const QWidget& strip);

/// Writes a picture of `size` pixels to `path`: `head` at the top, `body` below it, on white.
/// The suffix names the format: "svg" and "pdf" are drawn as vectors, anything else as an
/// image of that format ("png" when there is none). Written whole or not at all; returns what
/// went wrong, empty when written.
[[nodiscard]] QString writePicture(const QString& path, QSize size, const PictureHead& head,
                                   const PictureBody& body);
/// The body that draws `graph` as it shows now (ranges, traces, axes, cursors), in print
/// colours; the graph's own colours are put back afterwards.
[[nodiscard]] PictureBody graphPictureBody(GraphView& graph);

/// "Save image" of a graph window: asks for a file (offering `name`; PNG, SVG or PDF; the dialog
/// adds the extension), then, when `offered` is valid, for the picture's size offering it, and has
/// `writer(path, size)` write it; a failure is told. Nothing is written when `window` closed
/// during the questions. True when saved.
bool saveImage(QWidget& window, Prompts& prompts, const QString& name, QSize offered,
               const std::function<QString(const QString& path, QSize size)>& writer);
