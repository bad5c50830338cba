#include "WindowPrint.h"

#include "GraphView.h"

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

bool printOnePage(QPrinter& printer, const QImage& image)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRect page = painter.viewport();
    QSize target = image.size();
    target.scale(page.size(), Qt::KeepAspectRatio);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::LosslessImageRendering);
    painter.drawImage(QRect(page.topLeft(), target), image);
    return painter.end() && printer.printerState() != QPrinter::Error;
}

QString printFailureDetails(const QPrinter& printer)
{
    if (printer.outputFileName().isEmpty())
        return QStringLiteral("The printer \"%1\" did not accept the page.")
            .arg(printer.printerName());
    return QStringLiteral("The file \"%1\" could not be written.")
        .arg(QFileInfo(printer.outputFileName()).absoluteFilePath());
}
