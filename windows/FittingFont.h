#pragma once

#include <QFont>
#include <QList>

class QLabel;

// The windows place their captions in fixed boxes sized for a small dialog font, and many default fonts are wider.
// Returns the font at the largest point size, from the given font's size down, at which every label's text fits its
// box: a one-line caption its width, a wrapping one its width and height. A window sets the result as its one font,
// so that captions of one kind never differ in size side by side.
[[nodiscard]] QFont FittingFont(QFont font, const QList<const QLabel*>& labels);
