#pragma once

class QLabel;

// The windows place their labels in fixed boxes, and many default fonts make a caption longer than its box:
// the caption's font shrinks, in the same family, until all of the text shows.
void ShrinkToFit(QLabel* label);
