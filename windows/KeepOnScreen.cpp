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

QRect Beside(const QRect& other, const QSize& size, const QSize& least, const QRect& available) {
    const int right = available.x() + available.width();
    const int bottom = available.y() + available.height();
    // The room on each side, and the size the window takes there.
    const int roomRight = right - (other.x() + other.width());
    const int roomLeft = other.x() - available.x();
    const int roomBelow = bottom - (other.y() + other.height());
    const int roomAbove = other.y() - available.y();
    const std::pair<QPoint, QSize> sides[] = {
        {{other.x() + other.width(), other.y()}, QSize(std::min(size.width(), roomRight), size.height())},
        {{other.x() - std::min(size.width(), roomLeft), other.y()},
         QSize(std::min(size.width(), roomLeft), size.height())},
        {{other.x(), other.y() + other.height()}, QSize(size.width(), std::min(size.height(), roomBelow))},
        {{other.x(), other.y() - std::min(size.height(), roomAbove)},
         QSize(size.width(), std::min(size.height(), roomAbove))}};
    for (const auto& [side, fitted] : sides) {
        if (fitted.width() < least.width() || fitted.height() < least.height())
            continue;
        // Slid along that side into the area; pushed across it, it would cover the other window.
        const QRect placed(FitInside(QRect(side, fitted), available), fitted);
        if (available.contains(placed) && !placed.intersects(other))
            return placed;
    }
    QRect best;
    qint64 fewest = -1;
    for (const QPoint at : {sides[0].first, sides[1].first, sides[2].first, sides[3].first, available.topLeft(),
                            QPoint(right - size.width(), available.y()), QPoint(available.x(), bottom - size.height()),
                            QPoint(right - size.width(), bottom - size.height())}) {
        const QRect placed(FitInside(QRect(at, size), available), size);
        const QRect covered = placed.intersected(other);
        const qint64 area = covered.isEmpty() ? 0 : qint64(covered.width()) * covered.height();
        if (fewest < 0 || area < fewest) {
            fewest = area;
            best = placed;
        }
    }
    return best;
}

void PlaceBeside(QWidget* window, const QWidget* other, const QSize& least) {
    const QRect client = other->geometry();
    const QRect frame = other->frameGeometry();
    const QMargins margins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                           frame.bottom() - client.bottom());
    QScreen* screen = other->screen();
    if (!screen)
        return;
    const QSize size = window->size().grownBy(margins);
    const QRect to = Beside(frame, size, least.grownBy(margins), screen->availableGeometry());
    window->setGeometry(to.marginsRemoved(margins));
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
