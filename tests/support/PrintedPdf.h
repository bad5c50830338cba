#pragma once

#include <QColor>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QtEndian>

// What a test's print into a PDF file produced.

/// The pages of a PDF file (-1 when it cannot be read).
inline int pdfPages(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray pdf = f.readAll();
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?!s)"));
    return int(QString::fromLatin1(pdf).count(page));
}

// The one image of a printed PDF, as drawn (the PDF writer keeps it lossless).
inline QImage pdfImage(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray pdf = f.readAll();
    const qsizetype at = pdf.indexOf("/Subtype /Image");
    static const QRegularExpression size(QStringLiteral("/Width (\\d+)\\s*/Height (\\d+)"));
    const auto m = size.match(QString::fromLatin1(pdf.mid(at, 200)));
    const qsizetype begin = pdf.indexOf("stream\n", at) + 7;
    const qsizetype end = pdf.indexOf("endstream", begin);
    if (at < 0 || !m.hasMatch() || begin < 7 || end < 0)
        return {};
    const int width = m.captured(1).toInt();
    const int height = m.captured(2).toInt();
    const quint32 bytes = quint32(width) * quint32(height) * 3;
    QByteArray sized(4, '\0');
    qToBigEndian(bytes, sized.data());
    const QByteArray raw = qUncompress(sized + pdf.mid(begin, end - begin));
    if (raw.size() != qsizetype(bytes))
        return {};
    return QImage(reinterpret_cast<const uchar*>(raw.constData()), width, height, width * 3,
                  QImage::Format_RGB888)
        .copy();
}

// The share of the image's pixels in `colour`.
inline double share(const QImage& image, const QColor& colour)
{
    const uchar rgb[3] = {uchar(colour.red()), uchar(colour.green()), uchar(colour.blue())};
    qint64 n = 0;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* p = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x, p += 3)
            n += p[0] == rgb[0] && p[1] == rgb[1] && p[2] == rgb[2];
    }
    return double(n) / (double(image.width()) * image.height());
}
