#include "WindowPrint.h"

#include "Clock.h"
#include "FileTransfer.h"
#include "GraphPicture.h"
#include "GraphView.h"
#include "PageFrame.h"
#include "Prompts.h"

#include <QFileInfo>
#include <QPainter>
#include <QPrinter>

QImage windowImage(QWidget& window, GraphView& graph)
{
    constexpr qreal ratio = 3.0;
    const qreal screenRatio = graph.bufferDevicePixelRatio();
    graph.setBufferDevicePixelRatio(ratio);
    graph.replotNow();
    QImage image(window.size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(window.palette().color(QPalette::Window));
    window.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    graph.setBufferDevicePixelRatio(screenRatio);
    graph.requestReplot();
    return image;
}

bool printOnePage(QPrinter& printer, const PrintHeading& heading, const QImage& image)
{
    const PageFrame frame(printer, heading);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    frame.draw(painter, 1, 1);
    const QRectF body = frame.body();
    QSizeF target = image.size();
    target.scale(body.size(), Qt::KeepAspectRatio);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::LosslessImageRendering);
    painter.drawImage(
        QRectF(QPointF(body.left() + (body.width() - target.width()) / 2, body.top()), target),
        image);
    return finishPrintout(painter, printer).isEmpty();
}

QString printFailureDetails(const QPrinter& printer)
{
    if (printer.outputFileName().isEmpty())
        return QStringLiteral("The printer \"%1\" did not accept the page.")
            .arg(printer.printerName());
    return QStringLiteral("The file \"%1\" could not be written.")
        .arg(QFileInfo(printer.outputFileName()).absoluteFilePath());
}

void printWindowPage(QWidget& window, Prompts& prompts, const Clock& clock, const QString& caption,
                     const QString& source, const QString& failure,
                     const std::function<std::optional<QImage>()>& take)
{
    QPrinter printer(QPrinter::HighResolution);
    if (!prompts.choosePrinter(&window, printer))
        return;
    const std::optional<QImage> image = take();
    if (image && !printOnePage(printer, {caption, source, clock.now()}, *image))
        prompts.message(failure, Prompts::Icon::Exclamation, window.windowTitle(),
                        printFailureDetails(printer));
}

void saveGraphImage(QWidget& window, GraphView& graph, const QWidget* legend, Prompts& prompts,
                    const Clock& clock, const QString& source)
{
    const PictureHead head{PrintHeading{window.windowTitle(), source, {}}.title(),
                           legend ? legendTexts(*legend) : QList<LegendText>()};
    const QSize offered = graph.size() + QSize(0, pictureHeadHeight(head));
    saveImage(window, prompts, FileTransfer::datedFileName(clock.now(), QStringLiteral("png")),
              offered, [&graph, head](const QString& path, QSize size) {
                  return writePicture(path, size, head, graphPictureBody(graph));
              });
}
