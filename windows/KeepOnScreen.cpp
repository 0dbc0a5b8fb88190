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

QPoint Beside(const QRect& other, const QSize& size, const QRect& available) {
    const QPoint sides[] = {{other.x() + other.width(), other.y()},
                            {other.x() - size.width(), other.y()},
                            {other.x(), other.y() + other.height()},
                            {other.x(), other.y() - size.height()}};
    for (const QPoint side : sides) {
        // Slid along that side into the area; pushed across it, it would cover the other window.
        const QRect placed(FitInside(QRect(side, size), available), size);
        if (available.contains(placed) && !placed.intersects(other))
            return placed.topLeft();
    }
    const int right = available.x() + available.width() - size.width();
    const int bottom = available.y() + available.height() - size.height();
    QPoint best;
    qint64 least = -1;
    for (const QPoint at : {sides[0], sides[1], sides[2], sides[3], available.topLeft(), QPoint(right, available.y()),
                            QPoint(available.x(), bottom), QPoint(right, bottom)}) {
        const QRect placed(FitInside(QRect(at, size), available), size);
        const QRect covered = placed.intersected(other);
        const qint64 area = covered.isEmpty() ? 0 : qint64(covered.width()) * covered.height();
        if (least < 0 || area < least) {
            least = area;
            best = placed.topLeft();
        }
    }
    return best;
}

void PlaceBeside(QWidget* window, const QWidget* other) {
    const QRect client = other->geometry();
    const QRect frame = other->frameGeometry();
    const QMargins margins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                           frame.bottom() - client.bottom());
    QScreen* screen = other->screen();
    if (!screen)
        return;
    const QSize size = window->size().grownBy(margins);
    const QPoint to = Beside(frame, size, screen->availableGeometry());
    window->setGeometry(QRect(to + QPoint(margins.left(), margins.top()), window->size()));
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
