#include "editor/CaptionFrameStyle.h"

#include <QPainter>
#include <QStyleOptionGroupBox>
#include <qdrawutil.h>

#include <algorithm>

QRect CaptionFrameStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                        SubControl subControl, const QWidget* widget) const {
    const auto* frame = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != CC_GroupBox || !frame)
        return QProxyStyle::subControlRect(control, option, subControl, widget);

    const QRect whole = frame->rect;
    const int captionHeight = frame->fontMetrics.height();
    // One blank's room on either side keeps the border line clear of the caption's first and last letters.
    const int pad = frame->fontMetrics.horizontalAdvance(QLatin1Char(' ')) / 2 + 1;
    const QRect caption(whole.left() + CaptionLeft, whole.top(),
                        frame->text.isEmpty() ? 0 : frame->fontMetrics.horizontalAdvance(frame->text) + 2 * pad,
                        captionHeight);
    const QRect border = whole.adjusted(0, captionHeight / 2, 0, 0);
    switch (subControl) {
    case SC_GroupBoxLabel:
        return caption;
    case SC_GroupBoxFrame:
        return border;
    case SC_GroupBoxContents: {
        QRect inside = border.adjusted(BorderWidth, BorderWidth, -BorderWidth, -BorderWidth);
        inside.setTop(std::max(inside.top(), caption.bottom() + 1));
        return inside;
    }
    default:
        return QRect();
    }
}

void CaptionFrameStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                                           const QWidget* widget) const {
    const auto* frame = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != CC_GroupBox || !frame) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    const QRect caption = subControlRect(control, option, SC_GroupBoxLabel, widget);
    painter->save();
    painter->setClipRegion(QRegion(frame->rect).subtracted(caption));
    qDrawShadeRect(painter, subControlRect(control, option, SC_GroupBoxFrame, widget), frame->palette, true, 1, 0);
    painter->restore();
    drawItemText(painter, caption, Qt::AlignCenter | Qt::TextShowMnemonic, frame->palette, frame->state & State_Enabled,
                 frame->text, QPalette::WindowText);
}
