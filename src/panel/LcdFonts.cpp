#include "LcdFonts.h"

#include <QFile>
#include <QFontDatabase>

namespace {

const QString kSegmentFamily = QStringLiteral("DSEG7 Classic");

struct SegmentFace
{
    QString family;
    bool real = false;
};

// Debian's fonts-dseg registers the family with fontconfig; elsewhere the file may still be
// around without being registered, so it is loaded by hand before falling back.
SegmentFace findSegmentFace()
{
    if (QFontDatabase::families().contains(kSegmentFamily))
        return {kSegmentFamily, true};
    const char* const candidates[] = {
        "/usr/share/fonts/truetype/dseg/DSEG7Classic-Bold.ttf",
        "/usr/share/fonts/opentype/dseg/DSEG7Classic-Bold.ttf",
        "/usr/local/share/fonts/DSEG7Classic-Bold.ttf",
    };
    for (const char* path : candidates) {
        if (!QFile::exists(QString::fromLatin1(path)))
            continue;
        const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(path));
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (!families.isEmpty())
            return {families.first(), true};
    }
    return {QFontDatabase::systemFont(QFontDatabase::FixedFont).family(), false};
}

const SegmentFace& segmentFace()
{
    static const SegmentFace face = findSegmentFace();
    return face;
}

} // namespace

QString LcdFonts::segmentFamily()
{
    return segmentFace().family;
}

bool LcdFonts::hasSegmentFont()
{
    return segmentFace().real;
}

QFont LcdFonts::segment(int pixelHeight)
{
    QFont font(segmentFamily());
    font.setBold(true);
    font.setStyleHint(QFont::Monospace);
    // The segment face has no descent and its digits fill the ascent; a text face needs
    // more room for the same digit height.
    font.setPixelSize(qMax(1, hasSegmentFont() ? pixelHeight : pixelHeight * 4 / 3));
    font.setKerning(false);
    return font;
}

QFont LcdFonts::ink(int pixelSize)
{
    QFont font(QStringLiteral("DejaVu Sans Condensed"));
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    // The design rows put some words only a character apart ("H", "HIGH", "AH");
    // a slightly narrowed face keeps them apart without making them shorter.
    font.setStretch(94);
    font.setPixelSize(qMax(1, pixelSize));
    return font;
}

QFont LcdFonts::caption(int pixelSize)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    font.setPixelSize(qMax(1, pixelSize));
    font.setLetterSpacing(QFont::PercentageSpacing, 112);
    return font;
}
