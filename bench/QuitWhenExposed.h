#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QWidget>
#include <QWindow>

// Ends the event loop once the window is on the screen: the quit is queued behind the first expose, so the
// window has been drawn once before the program leaves.
class QuitWhenExposed : public QObject {
public:
    explicit QuitWhenExposed(QWidget& window) {
        if (QWindow* handle = window.windowHandle())
            handle->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed())
            QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
        return false;
    }
};
