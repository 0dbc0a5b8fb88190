#include "windows/ShrinkToFit.h"

#include <QFontMetricsF>
#include <QLabel>

void ShrinkToFit(QLabel* label) {
    QFont font = label->font();
    const bool inPoints = font.pointSizeF() > 0;
    qreal size = inPoints ? font.pointSizeF() : font.pixelSize();
    const qreal smallest = inPoints ? 6.0 : 8.0;
    while (QFontMetricsF(font).horizontalAdvance(label->text()) > label->width() && size > smallest) {
        size -= inPoints ? 0.5 : 1.0;
        if (inPoints)
            font.setPointSizeF(size);
        else
            font.setPixelSize(int(size));
    }
    label->setFont(font);
}
