#pragma once

#include <QPointer>
#include <QWidget>

// The auxiliary windows are modeless, have no owner and stay out of the taskbar; there is at most one of each,
// and closing one destroys it.

// Window flags and attributes for such a window. Qt takes WA_QuitOnClose away from tool windows, but an open
// auxiliary window must keep the program running after the main window closed, so it gets it back here.
inline void SetUpSingleWindow(QWidget* window, Qt::WindowFlags flags) {
    window->setWindowFlags(Qt::Tool | flags);
    window->setAttribute(Qt::WA_QuitOnClose, true);
    window->setAttribute(Qt::WA_DeleteOnClose, true);
    window->setAttribute(Qt::WA_MacAlwaysShowToolWindow, true);
}

// The open window, or nullptr. A window that was closed but is not yet deleted counts as closed.
template <typename Window> Window* OpenSingleWindow(const QPointer<Window>& open) {
    return open && !open->isHidden() ? open.data() : nullptr;
}

// Brings the open window to the front, or makes a new one with make() (which runs its load step) and shows it.
template <typename Window, typename Make> Window* ShowSingleWindow(QPointer<Window>& open, Make make) {
    if (Window* window = OpenSingleWindow(open)) {
        window->raise();
        window->activateWindow();
        return window;
    }
    open = make();
    open->show();
    open->activateWindow();
    return open;
}
