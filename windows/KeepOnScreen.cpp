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

QPoint ClientInside(const QRect& client, const QMargins& frame, const QRect& available) {
    const QRect outer = client.marginsAdded(frame);
    return client.topLeft() + (FitInside(outer, available) - outer.topLeft());
}

void KeepOnScreen(QWidget* window) {
    const QRect client = window->geometry();
    const QRect known = window->frameGeometry();
    QMargins frame(client.left() - known.left(), client.top() - known.top(), known.right() - client.right(),
                   known.bottom() - client.bottom());
    // Until the window is shown the window system has not told the size of its frame; the frame Qt itself draws
    // around a window (its title bar and border) stands in for it, so that the title bar, by which the user moves
    // the window, and the border stay on the screen too.
    if (known == client && !window->windowFlags().testFlag(Qt::FramelessWindowHint)) {
        const QStyle* style = window->style();
        const int border = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, window);
        const int title = style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
        frame = QMargins(border, title, border, border);
    }
    QScreen* screen = QGuiApplication::screenAt(client.topLeft());
    if (!screen)
        screen = window->screen();
    if (!screen)
        return;
    const QPoint to = ClientInside(client, frame, screen->availableGeometry());
    // setGeometry rather than move: the window keeps being placed by its client area, as it was.
    if (to != client.topLeft())
        window->setGeometry(QRect(to, client.size()));
}
