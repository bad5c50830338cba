#pragma once

#include <QList>
#include <QMargins>
#include <QRect>

#include <optional>

/// Where the program's windows open. Every rectangle is a window's outer (frame) rectangle in
/// screen coordinates; `screen` is the part of the screen that windows may use.
namespace WindowPlace {

/// The place of a window that opens: `wanted` (its usual place and size) when that lies on the
/// screen and covers none of the `open` windows; otherwise the nearest free place beside
/// `opener` (the window it was opened from; a null rectangle when none) or, when the opener's
/// sides are taken, beside another open window. Where no place has room for the whole window,
/// the largest free room beside a window that is still `minimum` or more; failing that, a
/// cascade step below and right of the opener. A window larger than the screen is shrunk to it.
[[nodiscard]] QRect place(const QRect& wanted, const QSize& minimum, const QRect& opener,
                          const QList<QRect>& open, const QRect& screen);

/// The same rule for a window's client area, which is what a window is moved and sized by: the
/// window `wanted` there (and at least `minimum`) is placed with the `frame` the window manager
/// puts round it (title bar and borders; none where there is no window manager), so that the
/// frame, not only the client area, lies on the screen and off the `open` windows (frames, as
/// `opener`). Returns the client rectangle inside the placed frame.
[[nodiscard]] QRect placeClient(const QRect& wanted, const QSize& minimum, const QMargins& frame,
                                const QRect& opener, const QList<QRect>& open, const QRect& screen);

/// A remembered rectangle, where it still lies on one of `screens` (its centre and its top-left
/// corner on the same screen), kept whole on that screen; nothing where the screen it was on is
/// gone.
[[nodiscard]] std::optional<QRect> remembered(const QRect& saved, const QList<QRect>& screens);

/// How far a cascade moves each window from the last one: about a title bar.
inline constexpr int CascadeStep = 28;

} // namespace WindowPlace
