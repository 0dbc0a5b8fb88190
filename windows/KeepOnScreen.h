#pragma once

#include <QPoint>
#include <QRect>

class QWidget;

// Where a window whose frame is `frame` goes so that it lies inside `available`: it moves no further than that
// needs, and where it is wider or taller than the area, its top-left corner stays visible.
[[nodiscard]] QPoint FitInside(const QRect& frame, const QRect& available);

// Moves a top-level window, placed but not yet shown, into the available area of the screen it opens on (the one
// under its top-left corner, else its own), so that a large scale factor or a small screen hides none of it.
void KeepOnScreen(QWidget* window);
