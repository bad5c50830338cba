#include "GraphPicture.h"

#include "BusyPointer.h"
#include "GraphView.h"
#include "OutputFile.h"
#include "PlotColours.h"
#include "Prompts.h"

#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QLabel>
#include <QLayout>
#include <QPdfWriter>
#include <QPointer>
#include <QRegularExpression>
#include <QSvgGenerator>

namespace {

// Pictures are laid out in screen pixels; the vector formats keep that scale, so the graph's
// point-sized texts come out as large as on screen.
constexpr int kDpi = 96;
constexpr int kPad = 8;
constexpr int kTitlePixels = 16;
constexpr int kLegendPixels = 13;

QFont headFont(int pixels)
{
    QFont font;
    font.setPixelSize(pixels);
    font.setBold(true);
    return font;
}

int lineHeight(int pixels)
{
    return QFontMetrics(headFont(pixels)).height();
}

// Returns the height taken.
int drawHead(QPainter& painter, const PictureHead& head, int width)
{
    painter.save();
    const QFont title = headFont(kTitlePixels);
    painter.setFont(title);
    painter.setPen(Qt::black);
    int y = kPad;
    const int titleLine = lineHeight(kTitlePixels);
    painter.drawText(QRect(kPad, y, width - 2 * kPad, titleLine), Qt::AlignLeft | Qt::AlignVCenter,
                     QFontMetrics(title).elidedText(head.title, Qt::ElideMiddle, width - 2 * kPad));
    y += titleLine;
    if (!head.legend.isEmpty()) {
        const QFont legend = headFont(kLegendPixels);
        const QFontMetrics metrics(legend);
        painter.setFont(legend);
        int x = kPad;
        for (const LegendText& e : head.legend) {
            painter.setPen(readableOn(e.colour, Qt::white));
            painter.drawText(QRect(x, y, width, metrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                             e.text);
            x += metrics.horizontalAdvance(e.text) + e.gapAfter;
        }
        y += lineHeight(kLegendPixels);
    }
    painter.restore();
    return y + kPad;
}

} // namespace

QStringList pictureFilters()
{
    return {QStringLiteral("PNG Image (*.png)"), QStringLiteral("SVG Image (*.svg)"),
            QStringLiteral("PDF Document (*.pdf)")};
}

std::optional<QSize> pictureSize(QStringView text)
{
    static const QRegularExpression size(
        QStringLiteral("^\\s*(\\d{1,6})\\s*[x×X*,]\\s*(\\d{1,6})\\s*$"));
    const QRegularExpressionMatch m = size.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const int width = m.capturedView(1).toInt();
    const int height = m.capturedView(2).toInt();
    const auto fits = [](int side) { return side >= MinPictureSide && side <= MaxPictureSide; };
    if (!fits(width) || !fits(height))
        return std::nullopt;
    return QSize(width, height);
}

int pictureHeadHeight(const PictureHead& head)
{
    return 2 * kPad + lineHeight(kTitlePixels) +
           (head.legend.isEmpty() ? 0 : lineHeight(kLegendPixels));
}

QList<LegendText> legendTexts(const QWidget& strip)
{
    QList<LegendText> entries;
    const QLayout* row = strip.layout();
    if (!row)
        return entries;
    for (int i = 0; i < row->count(); ++i) {
        const auto* label = qobject_cast<const QLabel*>(row->itemAt(i)->widget());
        if (!label || label->isHidden())
            continue;
        entries.append({label->text(), label->palette().color(QPalette::WindowText),
                        row->spacing() + label->contentsMargins().right()});
    }
    return entries;
}

QString writePicture(const QString& path, QSize size, const PictureHead& head,
                     const PictureBody& body)
{
    QString format = QFileInfo(path).suffix().toLower();
    if (format.isEmpty())
        format = QStringLiteral("png");
    const bool svg = format == QLatin1String("svg");
    const bool pdf = format == QLatin1String("pdf");
    if (!svg && !pdf && !QImageWriter::supportedImageFormats().contains(format.toLatin1()))
        return QStringLiteral("\".%1\" names no picture format: choose .png, .svg or .pdf.")
            .arg(format);

    OutputFile file(path);
    if (!file.begin())
        return file.reason();
    const auto paint = [&](QPaintDevice& device) {
        QCPPainter painter;
        if (!painter.begin(&device))
            return false;
        painter.setMode(QCPPainter::pmNoCaching);
        painter.setMode(QCPPainter::pmVectorized, svg || pdf);
        const QRect all(0, 0, device.width(), device.height());
        painter.fillRect(all, Qt::white);
        const int top = drawHead(painter, head, all.width());
        if (all.height() > top)
            body(painter, all.adjusted(0, top, 0, 0));
        return painter.end();
    };
    bool drawn = false;
    if (svg) {
        QSvgGenerator generator;
        generator.setOutputDevice(&file);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(), size));
        generator.setResolution(kDpi);
        generator.setTitle(head.title);
        drawn = paint(generator);
    } else if (pdf) {
        QPdfWriter writer(&file);
        writer.setTitle(head.title);
        writer.setCreator(QStringLiteral("CellDesk"));
        writer.setResolution(kDpi);
        writer.setPageMargins(QMarginsF());
        writer.setPageSize(QPageSize(QSizeF(size) * 72.0 / kDpi, QPageSize::Point, QString(),
                                     QPageSize::ExactMatch));
        drawn = paint(writer);
    } else {
        QImage image(size, QImage::Format_RGB32);
        drawn = paint(image) && image.save(&file, format.toLatin1().constData());
    }
    // A failed write is the reason to tell; a painter that gave up without one is told so
    // (the new file goes with `file`, never finished).
    if (!drawn && file.reason().isEmpty())
        return QStringLiteral("The picture was not drawn.");
    if (!file.finish())
        return file.reason();
    return {};
}

PictureBody graphPictureBody(GraphView& graph)
{
    return [&graph](QCPPainter& painter, const QRect& area) {
        const QColor plotArea = graph.plotAreaColor();
        const QColor ground = graph.backgroundColor();
        graph.setPlotAreaColor(Qt::white);
        graph.setBackgroundColor(Qt::white);
        painter.save();
        painter.translate(area.topLeft());
        graph.toPainter(&painter, area.width(), area.height());
        painter.restore();
        graph.setPlotAreaColor(plotArea);
        graph.setBackgroundColor(ground);
    };
}

bool saveImage(QWidget& window, Prompts& prompts, const QString& name, QSize offered,
               const std::function<QString(const QString& path, QSize size)>& writer)
{
    const QPointer<QWidget> owner(&window);
    QString path;
    {
        NormalPointer normal;
        path = prompts.saveFileName(&window, pictureFilters(), name, QStringLiteral("png"));
    }
    if (path.isEmpty() || !owner)
        return false;
    QSize size = offered;
    if (offered.isValid()) {
        QString entry = QStringLiteral("%1 x %2").arg(offered.width()).arg(offered.height());
        for (;;) {
            {
                NormalPointer normal;
                entry =
                    prompts.input(QStringLiteral("Size of the picture in pixels (width x height)"),
                                  QStringLiteral("Save image"), entry);
            }
            if (entry.isEmpty() || !owner)
                return false;
            if (const std::optional<QSize> chosen = pictureSize(entry)) {
                size = *chosen;
                break;
            }
            prompts.message(QStringLiteral("%1 is no picture size: enter width x height in "
                                           "pixels, each from %2 to %3, for example 1200 x 800.")
                                .arg(entry)
                                .arg(MinPictureSide)
                                .arg(MaxPictureSide),
                            Prompts::Icon::Exclamation);
        }
    }
    QString failure;
    {
        BusyPointer busy;
        failure = writer(path, size);
    }
    if (!failure.isEmpty()) {
        prompts.message(QStringLiteral("Cannot save %1").arg(QDir::toNativeSeparators(path)),
                        Prompts::Icon::Critical, owner ? owner->windowTitle() : QString(), failure);
    }
    return failure.isEmpty();
}
