#include "editor/UpDown.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

// Drawn over the two arrows, which fill the control: a frame around the pair while it has the focus.
class UpDown::FocusFrame : public QWidget {
public:
    explicit FocusFrame(UpDown* pair) : QWidget(pair), m_pair(pair) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        // Shown as the window's other controls show their focus: once the focus is to be seen.
        if (!m_pair->hasFocus() || !window()->testAttribute(Qt::WA_KeyboardFocusChange))
            return;
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::Highlight));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }

private:
    UpDown* m_pair;
};

UpDown::UpDown(QWidget* parent) : QWidget(parent), m_up(new QToolButton(this)), m_down(new QToolButton(this)) {
    m_up->setObjectName(QStringLiteral("Up"));
    m_down->setObjectName(QStringLiteral("Down"));
    for (QToolButton* button : {m_up, m_down}) {
        // The pair takes the focus as one control; the arrows themselves only take clicks.
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRepeat(true);
    }
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    setFocusPolicy(Qt::StrongFocus);
    m_focusFrame = new FocusFrame(this);
    connect(m_up, &QToolButton::clicked, this, &UpDown::UpClick);
    connect(m_down, &QToolButton::clicked, this, &UpDown::DownClick);
}

void UpDown::SetAccessibleNames(const QString& name) {
    setAccessibleName(name);
    m_up->setAccessibleName(name + QStringLiteral(" up"));
    m_down->setAccessibleName(name + QStringLiteral(" down"));
}

void UpDown::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Up) {
        emit UpClick();
    } else if (event->key() == Qt::Key_Down) {
        emit DownClick();
    } else {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void UpDown::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int upHeight = height() / 2;
    m_up->setGeometry(0, 0, width(), upHeight);
    m_down->setGeometry(0, upHeight, width(), height() - upHeight);
    m_focusFrame->setGeometry(rect());
    m_focusFrame->raise();
}

void UpDown::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    m_focusFrame->update();
}

void UpDown::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    m_focusFrame->update();
}

void UpDown::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_window != window()) {
        if (m_window)
            m_window->removeEventFilter(this);
        m_window = window();
        m_window->installEventFilter(this);
    }
}

void UpDown::hideEvent(QHideEvent* event) {
    ReleaseArrows();
    QWidget::hideEvent(event);
}

bool UpDown::eventFilter(QObject* watched, QEvent* event) {
    // A click may open a message box: the box then takes the mouse release, and an arrow still held would go on
    // clicking, and opening boxes, by itself.
    if (watched == m_window && (event->type() == QEvent::WindowBlocked || event->type() == QEvent::WindowDeactivate))
        ReleaseArrows();
    return QWidget::eventFilter(watched, event);
}

void UpDown::ReleaseArrows() {
    for (QToolButton* button : {m_up, m_down}) {
        if (!button->isDown())
            continue;
        button->setDown(false); // stops the repeat
        // The button still counts the press as its own until it sees a release; one away from it clicks nothing.
        const QPointF away(-1, -1);
        QMouseEvent release(QEvent::MouseButtonRelease, away, button->mapToGlobal(away), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(button, &release);
    }
}
