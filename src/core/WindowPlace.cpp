#include "WindowPlace.h"

#include <QPoint>

#include <algorithm>
#include <limits>

namespace WindowPlace {

namespace {

// `r` moved the least distance that puts it inside `room` (its size already fits).
QRect inside(QRect r, const QRect& room)
{
    r.moveLeft(
        std::clamp(r.left(), room.left(), std::max(room.left(), room.right() - r.width() + 1)));
    r.moveTop(
        std::clamp(r.top(), room.top(), std::max(room.top(), room.bottom() - r.height() + 1)));
    return r;
}

bool isFree(const QRect& r, const QList<QRect>& open, const QRect& screen)
{
    if (!screen.contains(r))
        return false;
    return std::none_of(open.cbegin(), open.cend(),
                        [&r](const QRect& o) { return o.intersects(r); });
}

// The empty space between two rectangles, 0 when they touch or overlap.
int gap(const QRect& a, const QRect& b)
{
    const int x = std::max({0, a.left() - b.right() - 1, b.left() - a.right() - 1});
    const int y = std::max({0, a.top() - b.bottom() - 1, b.top() - a.bottom() - 1});
    return x + y;
}

enum class Side
{
    Right,
    Left,
    Below,
    Above
};

// Places of a window of `size` against each side of `a`, each slid along that side to line up
// with `a`'s edges, with the screen's edge or with where the window wanted to be. With
// `shrink`, each is made no larger than the room between `a` and the screen's edge.
void addBeside(QList<QRect>& at, const QRect& a, const QSize& size, const QRect& wanted,
               const QRect& screen, bool shrink)
{
    for (Side side : {Side::Right, Side::Left, Side::Below, Side::Above}) {
        int w = size.width();
        int h = size.height();
        if (shrink) {
            switch (side) {
            case Side::Right:
                w = std::min(w, screen.right() - a.right());
                break;
            case Side::Left:
                w = std::min(w, a.left() - screen.left());
                break;
            case Side::Below:
                h = std::min(h, screen.bottom() - a.bottom());
                break;
            case Side::Above:
                h = std::min(h, a.top() - screen.top());
                break;
            }
        }
        if (w <= 0 || h <= 0)
            continue;
        if (side == Side::Right || side == Side::Left) {
            const int x = side == Side::Right ? a.right() + 1 : a.left() - w;
            for (int y : {a.top(), a.bottom() - h + 1, screen.top(), wanted.top()})
                at.append(QRect(x, y, w, h));
        } else {
            const int y = side == Side::Below ? a.bottom() + 1 : a.top() - h;
            for (int x : {a.left(), a.right() - w + 1, screen.left(), wanted.left()})
                at.append(QRect(x, y, w, h));
        }
    }
}

// The candidate nearest to the anchor, then to where the window wanted to be; with `roomiest`,
// the largest first.
std::optional<QRect> best(const QList<QRect>& at, const QSize& minimum, const QRect& anchor,
                          const QRect& start, const QList<QRect>& open, const QRect& screen,
                          bool roomiest)
{
    std::optional<QRect> found;
    qint64 bestArea = -1;
    int bestGap = std::numeric_limits<int>::max();
    int bestShift = std::numeric_limits<int>::max();
    for (const QRect& candidate : at) {
        if (candidate.width() < minimum.width() || candidate.height() < minimum.height())
            continue;
        const QRect r = inside(candidate, screen);
        if (!isFree(r, open, screen))
            continue;
        const qint64 area = roomiest ? qint64(r.width()) * r.height() : 0;
        const int g = gap(r, anchor);
        const int shift = (r.topLeft() - start.topLeft()).manhattanLength();
        if (area > bestArea ||
            (area == bestArea && (g < bestGap || (g == bestGap && shift < bestShift)))) {
            found = r;
            bestArea = area;
            bestGap = g;
            bestShift = shift;
        }
    }
    return found;
}

} // namespace

QRect place(const QRect& wanted, const QSize& minimum, const QRect& opener,
            const QList<QRect>& open, const QRect& screen)
{
    if (screen.isEmpty())
        return wanted;
    const QSize size = wanted.size().boundedTo(screen.size());
    const QRect start = inside(QRect(wanted.topLeft(), size), screen);
    if (isFree(start, open, screen))
        return start;

    // Beside the opener first; beside the other open windows when the opener's sides are
    // taken, so that windows tile before they cover each other.
    const QRect anchor = opener.isNull() ? start : opener;
    QList<QRect> whole;
    addBeside(whole, anchor, size, start, screen, false);
    for (const QRect& o : open)
        addBeside(whole, o, size, start, screen, false);
    if (const auto r = best(whole, size, anchor, start, open, screen, false))
        return *r;

    // No room for the whole window: the roomiest free place, if the window is still usable
    // there.
    QList<QRect> shrunk;
    addBeside(shrunk, anchor, size, start, screen, true);
    for (const QRect& o : open)
        addBeside(shrunk, o, size, start, screen, true);
    const QSize least = minimum.boundedTo(size);
    if (const auto r = best(shrunk, least, anchor, start, open, screen, true))
        return *r;

    // The screen is full: one cascade step on from the opener, and further on past the
    // windows already standing on a step, wrapping round at the screen's edge.
    const QPoint origin = anchor.topLeft();
    // Where one direction runs out of room the steps go on in the other.
    const int steps = std::max(1, std::max((screen.width() - size.width()) / CascadeStep,
                                           (screen.height() - size.height()) / CascadeStep));
    for (int k = 1; k <= steps + 1; ++k) {
        const int n = (k - 1) % steps + 1;
        const QRect r =
            inside(QRect(origin + QPoint(n * CascadeStep, n * CascadeStep), size), screen);
        const bool taken = std::any_of(open.cbegin(), open.cend(), [&r](const QRect& o) {
            return (o.topLeft() - r.topLeft()).manhattanLength() < CascadeStep / 2;
        });
        if (!taken || k == steps + 1)
            return r;
    }
    return start;
}

QRect placeClient(const QRect& wanted, const QSize& minimum, const QMargins& frame,
                  const QRect& opener, const QList<QRect>& open, const QRect& screen)
{
    const QRect placed =
        place(wanted.marginsAdded(frame), minimum.grownBy(frame), opener, open, screen);
    return placed.marginsRemoved(frame);
}

std::optional<QRect> remembered(const QRect& saved, const QList<QRect>& screens)
{
    if (!saved.isValid())
        return std::nullopt;
    for (const QRect& s : screens) {
        if (s.contains(saved.center()) && s.contains(saved.topLeft()))
            return inside(QRect(saved.topLeft(), saved.size().boundedTo(s.size())), s);
    }
    return std::nullopt;
}

} // namespace WindowPlace
