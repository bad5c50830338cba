#include "ElidedLabel.h"

#include <QPainter>
#include <QStyle>

QString ElidedLabel::shownText() const
{
    const QFontMetrics metrics = fontMetrics();
    const int width = contentsRect().width();
    if (metrics.horizontalAdvance(text()) <= width)
        return text();
    // Of a path, the last name says most (a USB adapter's maker, serial number and port);
    // its folders give way first.
    const QString name = text().section(QLatin1Char('/'), -1);
    return metrics.elidedText(name.isEmpty() ? text() : name, Qt::ElideMiddle, width);
}

void ElidedLabel::paintEvent(QPaintEvent* event)
{
    const QString shown = shownText();
    if (shown == text()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    drawFrame(&painter);
    style()->drawItemText(&painter, contentsRect(),
                          QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                          isEnabled(), shownText(), foregroundRole());
}
