#pragma once

#include <QColor>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QPrinter>
#include <QRegularExpression>
#include <QtEndian>

#include <functional>

// What a test's print into a PDF file produced.

/// Sets a printer up to write the PDF file `path`: a scripted print dialog's answer.
inline std::function<void(QPrinter&)> pdfPrinter(const QString& path)
{
    return [path](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
    };
}

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

/// The streams of a PDF file, inflated where they are compressed (fonts left out).
inline QList<QByteArray> pdfStreams(const QByteArray& pdf)
{
    QList<QByteArray> streams;
    for (qsizetype at = pdf.indexOf("stream\n"); at >= 0; at = pdf.indexOf("stream\n", at)) {
        const qsizetype dict = pdf.lastIndexOf(" obj", at);
        const QByteArray head = pdf.mid(dict, at - dict);
        at += 7;
        const qsizetype end = pdf.indexOf("endstream", at);
        if (end < 0)
            break;
        const qsizetype begin = at;
        at = end + 9; // past "endstream", which holds "stream" too
        if (head.contains("/Length1"))
            continue; // a font file
        QByteArray body = pdf.mid(begin, end - begin);
        if (head.contains("/FlateDecode")) {
            QByteArray sized(4, '\0');
            qToBigEndian(quint32(body.size() * 4), sized.data());
            body = qUncompress(sized + body);
        }
        streams.append(body);
    }
    return streams;
}

/// The text a PDF file draws, each text object on a line of its own, ligatures spelt out. The
/// glyphs of every page are read through the Unicode map of each font in turn, so a text
/// drawn in one font is found whole in one of the readings.
inline QString pdfText(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> streams = pdfStreams(f.readAll());
    static const QRegularExpression range(
        QStringLiteral("<(\\w+)>\\s*<(\\w+)>\\s*(?:\\[([^\\]]*)\\]|<(\\w+)>)"));
    static const QRegularExpression hex(QStringLiteral("<(\\w+)>"));
    static const QRegularExpression shown(QStringLiteral("<(\\w+)>\\s*Tj|\\bET\\b"));
    const auto unit = [](QStringView h) { return int(h.toUInt(nullptr, 16)); };
    QString text;
    for (const QByteArray& cmap : streams) {
        const qsizetype from = cmap.indexOf("beginbfrange");
        if (from < 0)
            continue;
        QHash<int, QChar> glyphs;
        const QString ranges =
            QString::fromLatin1(cmap.mid(from, cmap.indexOf("endbfrange") - from));
        for (const auto& m : range.globalMatch(ranges)) {
            const int first = unit(m.capturedView(1));
            QList<int> targets;
            for (const auto& t : hex.globalMatch(m.captured(3)))
                targets.append(unit(t.capturedView(1)));
            for (int g = first; g <= unit(m.capturedView(2)); ++g)
                glyphs[g] = QChar(m.capturedView(3).isNull() ? unit(m.capturedView(4)) + g - first
                                                             : targets.value(g - first));
        }
        for (const QByteArray& content : streams) {
            if (!content.contains("BT"))
                continue;
            for (const auto& m : shown.globalMatch(QString::fromLatin1(content))) {
                const QStringView glyphHex = m.capturedView(1);
                if (glyphHex.isNull())
                    text += QLatin1Char('\n');
                for (qsizetype i = 0; i + 4 <= glyphHex.size(); i += 4) {
                    const QChar c = glyphs.value(unit(glyphHex.mid(i, 4)), QChar(0xfffd));
                    text += c == QLatin1Char('\t') ? QChar(QLatin1Char(' ')) : c;
                }
            }
        }
    }
    return text.normalized(QString::NormalizationForm_KC); // "fi" drawn as one glyph
}

/// The left margin of a PDF's first page in points: where its drawing starts.
inline double pdfLeftMargin(const QString& path)
{
    QFile f(path);
    static const QRegularExpression matrix(
        QStringLiteral("[-\\d.]+ 0 0 [-\\d.]+ ([-\\d.]+) [-\\d.]+ cm"));
    for (const QByteArray& s : pdfStreams(f.open(QIODevice::ReadOnly) ? f.readAll() : ""))
        if (const auto m = matrix.match(QString::fromLatin1(s.left(200))); m.hasMatch())
            return m.captured(1).toDouble();
    return 0;
}

/// How wide the first page draws its first image, in points.
inline double pdfImageWidth(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    static const QRegularExpression step(QStringLiteral(
        "\\bq\\b|\\bQ\\b|([-\\d.]+) [-\\d.]+ [-\\d.]+ [-\\d.]+ [-\\d.]+ [-\\d.]+ cm|Do\\b"));
    for (const QByteArray& s : pdfStreams(f.readAll())) {
        QList<double> scales{1.0}; // one per saved graphics state
        for (const auto& m : step.globalMatch(QString::fromLatin1(s))) {
            if (m.captured() == QLatin1String("q"))
                scales.append(scales.last());
            else if (m.captured() == QLatin1String("Q") && scales.size() > 1)
                scales.removeLast();
            else if (m.captured() == QLatin1String("Do"))
                return scales.last();
            else if (!m.capturedView(1).isNull())
                scales.last() *= m.captured(1).toDouble();
        }
    }
    return 0;
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
