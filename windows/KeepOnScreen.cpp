#include "windows/KeepOnScreen.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <algorithm>

QPoint FitInside(const QRect& frame, const QRect& available) {
    // Right and bottom first, then left and top, so that the top-left corner wins when both cannot hold.
    const int x = std::max(std::min(frame.x(), available.x() + available.width() - frame.width()), available.x());
    const int y = std::max(std::min(frame.y(), available.y() + available.height() - frame.height()), available.y());
    return {x, y};
}

void KeepOnScreen(QWidget* window) {
    const QRect client = window->geometry();
    QRect frame = window->frameGeometry();
    // Until the window is shown the window system has not told the size of its frame; the frame Qt itself draws
    // around a window (its title bar and border) stands in for it, so that the title bar, by which the user moves
    // the window, and the border stay on the screen too.
    if (frame == client && !window->windowFlags().testFlag(Qt::FramelessWindowHint)) {
        const QStyle* style = window->style();
        const int border = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, window);
        const int title = style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
        frame = client.marginsAdded(QMargins(border, title, border, border));
    }
    QScreen* screen = QGuiApplication::screenAt(client.topLeft());
    if (!screen)
        screen = window->screen();
    if (!screen)
        return;
    const QPoint to = FitInside(frame, screen->availableGeometry());
    // setGeometry rather than move: the window keeps being placed by its client area, as it was.
    if (to != frame.topLeft())
        window->setGeometry(client.translated(to - frame.topLeft()));
}
