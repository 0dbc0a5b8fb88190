#pragma once

#include <QProxyStyle>

// Captioned frames as the main window draws them: an etched border whose top line runs through the middle of the
// caption, the caption interrupting it near the left end, and the contents below the caption inside the border.
// (Many styles draw the caption above the box instead, which pushes the box's top edge into the contents.)
class CaptionFrameStyle : public QProxyStyle {
public:
    // The caption's left end, from the frame's left edge.
    static constexpr int CaptionLeft = 8;
    // Each line of the etched border is one pixel: a dark one with a light one inside it.
    static constexpr int BorderWidth = 2;

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl subControl,
                         const QWidget* widget) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override;
};
