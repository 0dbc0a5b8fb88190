#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// Where a window whose frame is `frame` goes so that it lies inside `available`: it moves no further than that
// needs, and where it is wider or taller than the area, its top-left corner stays visible.
[[nodiscard]] QPoint FitInside(const QRect& frame, const QRect& available);

// Where a window's client area goes so that it lies inside `available` together with its frame, `frame` wide on
// each side (the title bar on top): the frame moves as FitInside moves it, and the client area with it.
[[nodiscard]] QPoint ClientInside(const QRect& client, const QMargins& frame, const QRect& available);

// Where a window whose frame is `size` opens beside the window whose frame is `other`, wholly inside `available`:
// to its right, else to its left, else below it, else above it, level with it as far as the area lets it be, and
// narrowed (or lowered) to the room there, down to `least`. Where no side has that room, at its full size inside
// the area where it covers the least of the other window.
[[nodiscard]] QRect Beside(const QRect& other, const QSize& size, const QSize& least, const QRect& available);

// Places a top-level window, not yet shown, beside another one that is shown, on that one's screen: its frame is
// taken to be as wide as the other's. It is made no smaller than `least`.
void PlaceBeside(QWidget* window, const QWidget* other, const QSize& least);

// Moves a top-level window, placed but not yet shown, into the available area of the screen it opens on (the one
// under its top-left corner, else its own), so that a large scale factor or a small screen hides none of it.
void KeepOnScreen(QWidget* window);
