#include "windows/FittingFont.h"

#include <QFontMetricsF>
#include <QLabel>

#include <algorithm>

namespace {

bool Fits(const QFont& font, const QLabel* label) {
    const QFontMetricsF metrics(font);
    if (!label->wordWrap())
        return metrics.horizontalAdvance(label->text()) <= label->width() && metrics.height() <= label->height();
    const QRectF needed = metrics.boundingRect(QRectF(0, 0, label->width(), 1 << 16),
                                               int(label->alignment()) | Qt::TextWordWrap, label->text());
    return needed.width() <= label->width() && needed.height() <= label->height();
}

} // namespace

QFont FittingFont(QFont font, const QList<const QLabel*>& labels) {
    // Below this size the text is no longer readable; a caption that still does not fit is cut off there.
    constexpr qreal Smallest = 6.0;
    if (font.pointSizeF() <= 0)
        font.setPointSizeF(QFontInfo(font).pointSizeF());
    while (font.pointSizeF() > Smallest &&
           !std::all_of(labels.begin(), labels.end(), [&font](const QLabel* label) { return Fits(font, label); }))
        font.setPointSizeF(font.pointSizeF() - 0.5);
    return font;
}
