#include "GraphControls.h"

#include <QComboBox>
#include <QPainter>
#include <QShortcut>

#include <array>

QString fitToolTip()
{
    return QStringLiteral("Fit: the axes to the data (F, or double-click the graph)");
}

namespace {

const QColor kOutline(0x2a, 0x2e, 0x35);
const QColor kTrace(0, 150, 0);

QPixmap blank()
{
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

} // namespace

QIcon fitImage()
{
    // A trace touching all four sides of its frame, with corner marks around it.
    QPixmap pixmap = blank();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kTrace, 1.6));
    p.drawPolyline(QPolygonF{{6, 15}, {9, 8}, {12, 13}, {15, 6}, {18, 17}});
    p.setPen(QPen(kOutline, 1.4));
    const std::array<QPointF, 4> corners{{{3, 3}, {21, 3}, {3, 21}, {21, 21}}};
    for (const QPointF& c : corners) {
        const double dx = c.x() < 12 ? 4 : -4;
        const double dy = c.y() < 12 ? 4 : -4;
        p.drawLine(c, c + QPointF(dx, 0));
        p.drawLine(c, c + QPointF(0, dy));
    }
    return QIcon(pixmap);
}

QIcon followImage()
{
    // A trace running on to the right edge, an arrow after its newest point.
    QPixmap pixmap = blank();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kTrace, 1.6));
    p.drawPolyline(QPolygonF{{2, 16}, {6, 11}, {9, 14}, {13, 9}});
    p.setPen(QPen(kOutline, 1.6));
    p.drawLine(QPointF(14, 12), QPointF(21, 12));
    p.drawPolyline(QPolygonF{{17, 8}, {21, 12}, {17, 16}});
    p.drawLine(QPointF(22.5, 4), QPointF(22.5, 20));
    return QIcon(pixmap);
}

QComboBox* xReadingBox(QWidget* parent, XReading reading, std::function<void(XReading)> chosen,
                       const QString& records)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QStringLiteral("XReading"));
    box->addItems({records, QStringLiteral("Time of day"), QStringLiteral("Elapsed time")});
    box->setCurrentIndex(int(reading));
    box->setToolTip(QStringLiteral("Where the records stand on the X axis and what it reads: the "
                                   "record number, the time of day the record was taken or the "
                                   "time since the first"));
    box->setFocusPolicy(Qt::TabFocus);
    QObject::connect(box, &QComboBox::activated, box,
                     [chosen = std::move(chosen)](int index) { chosen(XReading(index)); });
    return box;
}

void addFitKey(QWidget* window, std::function<void()> fit)
{
    auto* key = new QShortcut(QKeySequence(Qt::Key_F), window);
    key->setContext(Qt::WindowShortcut);
    QObject::connect(key, &QShortcut::activated, window, std::move(fit));
}
